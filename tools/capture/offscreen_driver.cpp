// The offscreen OpenGL driver: a window off the screen at the size asked for.
#include "tools/capture/offscreen_driver.h"

#include <GL/gl.h>

#include "platform/window.h"

OffscreenGlDriver::OffscreenGlDriver(int w, int h) {
    width = w;
    height = h;
    fullscreen = false;
    colorBits = 32;
    depthBits = 24;
}

ErrorCode OffscreenGlDriver::start() {
    selectedMode = nullptr;  // never a display-mode switch
    ErrorCode r = GlDriver::start();
    if (r != Ok) return r;
    int w = 0, h = 0;
    platform::windowSize(window, w, h);
    if (w != width || h != height) {
        stop();
        setErrorTextf("offscreen picture is %dx%d, not the %dx%d asked for", w, h, width, height);
        return CustomError;
    }
    glReadBuffer(GL_BACK);
    return Ok;
}
