// The capture's driver: an offscreen GL window and frames read back.
#include "tools/capture/capture_driver.h"

#include <GL/gl.h>

#include <cstring>

#include "tools/capture/capture.h"

CaptureDriver::CaptureDriver(Capture& capture, int w, int h) : OffscreenGlDriver(w, h), capture_(capture) {}

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
