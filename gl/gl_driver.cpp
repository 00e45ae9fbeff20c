// GlDriver's window, context and frame.
#include "gl/gl_driver.h"

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>

#include "platform/dialog.h"
#include "platform/window.h"

namespace {

// Escape ends the process at once: no shutdown, no stop.
bool renderWindowProcedure(platform::Window*, const platform::Message& message) {
    if (message.kind == platform::MessageKind::KeyDown && message.key == platform::Key::Escape) std::exit(0);
    return false;
}

char* copyGlString(GLenum name) {
    const char* s = reinterpret_cast<const char*>(glGetString(name));
    return s ? strdup(s) : nullptr;
}

void freeAndNull(char*& text) {
    std::free(text);
    text = nullptr;
}

Os* kernel() { return static_cast<Os*>(OsBase::instance()); }

}  // namespace

GlDriver::GlDriver() {
    width = 800;
    height = 600;
}

GlDriver::~GlDriver() {
    freeAndNull(vendor);
    freeAndNull(renderer);
    freeAndNull(version);
    freeAndNull(extensions);
    releaseModes();
}

void GlDriver::releaseModes() {
    while (modes.count() > 0) {
        platform::DisplayMode* m = modes[0];
        modes.remove(m);
        delete m;
    }
    selectedMode = nullptr;
}

ErrorCode GlDriver::open() {
    Os* os = kernel();
    bool switchMode = selectedMode && fullscreen;
    window = switchMode ? os->createPopupWindow("wgl class", "Plinthor", width, height, renderWindowProcedure)
                        : os->createWindow("wgl class", "Plinthor", width, height, renderWindowProcedure);
    if (!window) {
        setErrorText("create_window foired");
        return CustomError;
    }
    drawable = platform::windowDrawable(window);
    if (!drawable) {
        close();
        setErrorText("GetDC foired");
        return CustomError;
    }
    if (!platform::setPixelFormat(drawable, colorBits, depthBits)) {
        close();
        setErrorText("ChoosePixelFormat foired");
        return CustomError;
    }
    context = platform::createGlContext(drawable);
    if (!context) {
        close();
        setErrorText("wglCreateContext foired");
        return CustomError;
    }
    if (!platform::makeCurrent(drawable, context)) {
        close();
        setErrorText("wglMakeCurrent foired");
        return CustomError;
    }

    freeAndNull(vendor);
    freeAndNull(renderer);
    freeAndNull(version);
    freeAndNull(extensions);
    vendor = copyGlString(GL_VENDOR);
    renderer = copyGlString(GL_RENDERER);
    version = copyGlString(GL_VERSION);
    extensions = copyGlString(GL_EXTENSIONS);

    if (switchMode && !platform::changeDisplayMode(window, *selectedMode))
        logPrintf("ChangeDisplaySettingsEx foired");
    return Ok;
}

void GlDriver::close() {
    if (window) platform::restoreDisplayMode(window);
    if (context) {
        platform::makeCurrent(nullptr, nullptr);
        platform::deleteGlContext(context);
        context = nullptr;
    }
    drawable = nullptr;
    if (window) {
        platform::destroyWindow(window);
        window = nullptr;
    }
}

ErrorCode GlDriver::start() {
    ErrorCode r = open();
    if (r != Ok) return r;
    glViewport(0, 0, width, height);
    glDrawBuffer(GL_BACK);
    return Ok;
}

void GlDriver::stop() { close(); }

bool GlDriver::endFrame() {
    platform::swapBuffers(drawable);
    return kernel()->pumpWindowMessages(window);
}

// The video page's "&Use this driver" box follows while the page exists.
void GlDriver::enable() {
    Driver::enable();
    if (pageDialog) platform::setChecked(pageDialog, 1023, true);
}

void GlDriver::disable() {
    Driver::disable();
    if (pageDialog) platform::setChecked(pageDialog, 1023, false);
}
