// The probe: the GL strings and the list of display modes; the caption of a
// mode and the GL information text of the video page.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "gl/display_modes.h"
#include "gl/gl_driver.h"
#include "kernel/textbuffer.h"
#include "platform/window.h"

ErrorCode GlDriver::probe() {
    open();  // refreshes the GL strings when it succeeds
    close();
    return collectDisplayModes(*this, platform::enumDisplayMode);
}

ErrorCode collectDisplayModes(GlDriver& driver, ModeEnumerator enumerate) {
    while (driver.modes.count() > 0) {
        platform::DisplayMode* m = driver.modes[0];
        driver.modes.remove(m);
        delete m;
    }
    driver.selectedMode = nullptr;
    platform::DisplayMode mode;
    for (int i = 0; enumerate(i, mode); ++i) {
        if (mode.bitsPerPixel != 16 && mode.bitsPerPixel != 32) continue;
        auto* copy = new (std::nothrow) platform::DisplayMode(mode);
        if (!copy) continue;  // that mode is missing from the list
        if (driver.modes.add(copy) != Ok) delete copy;
    }
    return driver.modes.count() == 0 ? Failed : Ok;
}

char* modeText(const platform::DisplayMode& mode) {
    char text[64];
    std::snprintf(text, sizeof text, "%ux%u %ubits %uHz", unsigned(mode.width), unsigned(mode.height),
                  unsigned(mode.bitsPerPixel), unsigned(mode.frequency));
    return strdup(text);
}

char* GlDriver::glInfoText() const {
    TextBuffer info;
    info.append("Vendor\t: ");
    info.append(vendor);
    info.append("\r\nRenderer\t: ");
    info.append(renderer);
    info.append("\r\nVersion\t: ");
    info.append(version);
    info.append("\r\nExtensions:\r\n");
    for (const char* p = extensions; p && *p;) {
        while (*p == ' ') ++p;
        const char* end = p;
        while (*end && *end != ' ') ++end;
        if (end > p) {
            info.append(p, size_t(end - p));
            info.append("\r\n");
        }
        p = end;
    }
    return strdup(info.text ? info.text : "");
}
