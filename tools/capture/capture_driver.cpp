// The capture's driver: an offscreen GL window and frames read back.
#include "tools/capture/capture_driver.h"

#include <GL/gl.h>

#include <cstring>

#include "platform/window.h"
#include "tools/capture/capture.h"

CaptureDriver::CaptureDriver(Capture& capture, int w, int h) : capture_(capture) {
    width = w;
    height = h;
    fullscreen = false;
    colorBits = 32;
    depthBits = 24;
}

ErrorCode CaptureDriver::start() {
    selectedMode = nullptr;  // never a display-mode switch
    ErrorCode r = GlDriver::start();
    if (r != Ok) return r;
    int w = 0, h = 0;
    platform::windowSize(window, w, h);
    if (w != width || h != height) {
        stop();
        setErrorTextf("capture picture is %dx%d, not the %dx%d asked for", w, h, width, height);
        return CustomError;
    }
    glReadBuffer(GL_BACK);
    return Ok;
}

bool CaptureDriver::beginFrame() {
    looping_ = true;
    return capture_.stopping();
}

bool CaptureDriver::endFrame() {
    if (!looping_) return false;  // the loading picture
    const size_t row = size_t(width) * 3;
    bottomUp_.resize(row * size_t(height));
    topDown_.resize(bottomUp_.size());
    GLint packAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp_.data());
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    for (int y = 0; y < height; ++y)
        std::memcpy(&topDown_[row * size_t(y)], &bottomUp_[row * size_t(height - 1 - y)], row);
    bool more = capture_.frameTaken(topDown_);
    return !more;
}
