// GlFixture: a real OpenGL context of a chosen size with no screen, for
// tests that render effects and read the pixels back.
//
//   test::GlFixture gl(800, 600);       // an Os, a started GlDriver (offscreen
//                                       // window, 32-bit colour), currentDriver set
//   gl.clear(0, 0, 0);                  // colour and depth, full viewport
//   effect.render(0.0f);
//   EXPECT_EQ(gl.pixel(10, 20), (test::Rgba{0, 0, 255, 255}));
//
// Pixel coordinates are as a viewer sees the frame: x from the left, y from
// the top. Reads come from the back buffer, before any swap.
#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "gl/gl_driver.h"
#include "kernel/os.h"

namespace test {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool near(const Rgba& o, int tolerance = 2) const;     // every channel within tolerance
    bool rgbNear(const Rgba& o, int tolerance = 2) const;  // red, green and blue only
};
std::ostream& operator<<(std::ostream& out, const Rgba& c);

class GlFixture {
public:
    explicit GlFixture(int width = 800, int height = 600);
    ~GlFixture();

    bool ok() const { return started_; }
    int width() const { return width_; }
    int height() const { return height_; }
    GlDriver& driver() { return driver_; }
    Os& os() { return os_; }

    void clear(float r, float g, float b, float a = 1.0f);
    Rgba pixel(int x, int y) const;
    std::vector<Rgba> pixels() const;  // row after row, the top row first
    // Pixels within tolerance of colour, over the rectangle [x0, x1) x [y0, y1).
    int countNear(const Rgba& colour, int x0, int y0, int x1, int y1, int tolerance = 2) const;
    // The same, comparing red, green and blue only: after blending, the
    // frame's own alpha says nothing about what a viewer sees.
    int countRgbNear(const Rgba& colour, int x0, int y0, int x1, int y1, int tolerance = 2) const;
    int countRgbNear(const Rgba& colour, int tolerance = 2) const {  // the whole frame
        return countRgbNear(colour, 0, 0, width_, height_, tolerance);
    }
    // Writes the frame as a binary PPM, for looking at a failure.
    bool savePpm(const std::string& path) const;

private:
    Os os_;
    GlDriver driver_;
    int width_, height_;
    bool started_ = false;
};

}  // namespace test
