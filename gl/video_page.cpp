// The "OpenGL" tab of the setup dialog: display mode, texture and depth
// buffer bits, "Fullscreen", "No Wait Retrace" and the GL information.
// Every change goes straight into the driver's fields; the settings are read
// when the page is made and written, and the chosen mode applied to the
// driver, when it is destroyed (after "&Start" and after "&Quit" alike).
#include <cstdlib>

#include "gl/gl_driver.h"
#include "platform/dialog.h"
#include "platform/window.h"
#include "setup/resources.h"

namespace {

constexpr int kUseDriver = 1023;
constexpr int kModeList = 1025;
constexpr int kGlInfo = 1029;
constexpr int kDepthBits = 1031;
constexpr int kTextureBits = 1182;
constexpr int kFullscreen = 1185;
constexpr int kNoWaitRetrace = 1186;

const char* const kBitChoices[] = {"8bits", "16bits", "24bits", "32bits"};

int32_t bitsForIndex(int index) {
    switch (index) {
        case 0: return 8;
        case 1: return 16;
        case 2: return 24;
        case 3: return 32;
        default: return 16;
    }
}

int indexForBits(int32_t bits) {
    switch (bits) {
        case 8: return 0;
        case 16: return 1;
        case 24: return 2;
        case 32: return 3;
        default: return 1;
    }
}

// The index of the selected mode in the list, by identity; -1 when absent.
int selectedIndex(const GlDriver& driver) {
    for (uint32_t i = 0; i < driver.modes.count(); ++i)
        if (driver.modes[i] == driver.selectedMode) return int(i);
    return -1;
}

Os* kernel() { return static_cast<Os*>(OsBase::instance()); }

void initPage(platform::Dialog* page, GlDriver* driver) {
    char* info = driver->glInfoText();
    platform::setControlText(page, kGlInfo, info);
    std::free(info);
    for (uint32_t i = 0; i < driver->modes.count(); ++i) {
        char* text = modeText(*driver->modes[i]);
        platform::comboAdd(page, kModeList, text);
        std::free(text);
    }
    for (const char* choice : kBitChoices) {
        platform::comboAdd(page, kTextureBits, choice);
        platform::comboAdd(page, kDepthBits, choice);
    }
    platform::comboSelect(page, kModeList, driver->selectedMode ? selectedIndex(*driver) : -1);
    platform::comboSelect(page, kTextureBits, indexForBits(driver->textureBits));
    platform::comboSelect(page, kDepthBits, indexForBits(driver->depthBits));
    platform::setChecked(page, kUseDriver, driver->enabled);
    platform::setChecked(page, kFullscreen, driver->fullscreen);
    platform::setChecked(page, kNoWaitRetrace, driver->disableVsync);
}

bool pageCommand(platform::Dialog* page, GlDriver* driver, const platform::DialogMessage& m) {
    if (m.notification == platform::Notification::SelectionChange) {
        int s = platform::comboSelection(page, m.control);
        if (s >= 0) {
            if (m.control == kModeList && uint32_t(s) < driver->modes.count()) driver->selectedMode = driver->modes[uint32_t(s)];
            if (m.control == kDepthBits) driver->depthBits = bitsForIndex(s);
            if (m.control == kTextureBits) driver->textureBits = bitsForIndex(s);
        }
    }
    switch (m.control) {
        case kUseDriver:
            if (!platform::isChecked(page, kUseDriver)) {
                kernel()->disableAllDrivers();
                driver->enable();  // ticks the box
            } else {
                driver->disable();  // unticks it
            }
            return true;
        case kFullscreen:
            driver->fullscreen = platform::isChecked(page, kFullscreen);
            return true;
        case kNoWaitRetrace:
            driver->disableVsync = platform::isChecked(page, kNoWaitRetrace);
            return true;
        default:
            return false;
    }
}

bool pageProcedure(platform::Dialog* page, const platform::DialogMessage& m) {
    if (m.kind == platform::DialogMessageKind::Init) {
        auto* driver = static_cast<GlDriver*>(m.parameter);
        platform::setDialogData(page, driver);
        if (driver) initPage(page, driver);
        return false;
    }
    auto* driver = static_cast<GlDriver*>(platform::dialogData(page));
    if (!driver || m.kind != platform::DialogMessageKind::Command) return false;
    return pageCommand(page, driver, m);
}

}  // namespace

ErrorCode GlDriver::create() {
    Os* os = kernel();
    int32_t index = os->readSetting("mode", 0);
    if (uint32_t(index) >= modes.count()) index = 0;
    selectedMode = index < int32_t(modes.count()) ? modes[uint32_t(index)] : nullptr;
    depthBits = os->readSetting("zbuffer_bits", 16);
    textureBits = os->readSetting("texture_bits", 32);
    fullscreen = os->readSetting("fullscreen", 1) != 0;
    disableVsync = os->readSetting("disable_vsync", 1) != 0;
    return createDialog(kVideoPageTemplate, pageProcedure, static_cast<GlDriver*>(this));
}

void GlDriver::destroy() {
    Os* os = kernel();
    os->writeSetting("mode", selectedMode ? selectedIndex(*this) : -1);
    os->writeSetting("zbuffer_bits", depthBits);
    os->writeSetting("texture_bits", textureBits);
    os->writeSetting("fullscreen", fullscreen ? 1 : 0);
    os->writeSetting("disable_vsync", disableVsync ? 1 : 0);
    if (selectedMode) {
        colorBits = selectedMode->bitsPerPixel;
        width = selectedMode->width;
        height = selectedMode->height;
    }
    destroyDialog();
}

bool GlDriver::control(int operation, const platform::Message* message) {
    return DialogPage::control(operation, message);
}
