// CaptureDriver: the capture's video driver. It is the OpenGL driver with
// its window kept off the screen (SDL's offscreen video, which still gives a
// real Mesa context) at the capture's size, 32-bit colour and a 24-bit depth
// buffer, and with a frame's presentation replaced by reading it back.
//
// The buffers are never swapped: the back buffer keeps what was drawn last,
// so a frame that draws nothing (before the first part) shows the loading
// picture, as the player's screen does. endFrame calls made while the demo
// loads (before the frame loop's first beginFrame) are not captured.
#pragma once
#include <vector>

#include "gl/gl_driver.h"

class Capture;

class CaptureDriver final : public GlDriver {
public:
    CaptureDriver(Capture& capture, int width, int height);

    ErrorCode probe() override { return Ok; }
    ErrorCode start() override;
    bool beginFrame() override;
    bool endFrame() override;

private:
    Capture& capture_;
    bool looping_ = false;
    std::vector<uint8_t> bottomUp_, topDown_;
};
