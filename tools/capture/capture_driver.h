// CaptureDriver: the capture's video driver. It is the offscreen OpenGL
// driver (tools/capture/offscreen_driver.h) at the capture's size, with a
// frame's presentation replaced by reading it back.
//
// The buffers are never swapped: the back buffer keeps what was drawn last,
// so a frame that draws nothing (before the first part) shows the loading
// picture, as the player's screen does. endFrame calls made while the demo
// loads (before the frame loop's first beginFrame) are not captured.
#pragma once
#include <vector>

#include "tools/capture/offscreen_driver.h"

class Capture;

class CaptureDriver final : public OffscreenGlDriver {
public:
    CaptureDriver(Capture& capture, int width, int height);

    bool beginFrame() override;
    bool endFrame() override;

private:
    Capture& capture_;
    bool looping_ = false;
    std::vector<uint8_t> bottomUp_, topDown_;
};
