// OffscreenGlDriver: the OpenGL driver with its window kept off the screen
// (SDL's offscreen video, which still gives a real Mesa context) at a fixed
// size, 32-bit colour and a 24-bit depth buffer, never switching the display
// mode. The offline tools build on it: the capture reads each frame back,
// the benchmarks time it. Frames are not presented here; a subclass decides
// what endFrame does.
#pragma once
#include "gl/gl_driver.h"

class OffscreenGlDriver : public GlDriver {
public:
    OffscreenGlDriver(int width, int height);

    ErrorCode probe() override { return Ok; }
    // The window and context; fails when the picture is not the size asked for.
    ErrorCode start() override;
};
