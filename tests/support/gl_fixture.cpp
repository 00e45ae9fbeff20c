#include "tests/support/gl_fixture.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

namespace test {

bool Rgba::near(const Rgba& o, int tolerance) const {
    return std::abs(r - o.r) <= tolerance && std::abs(g - o.g) <= tolerance && std::abs(b - o.b) <= tolerance &&
           std::abs(a - o.a) <= tolerance;
}

bool Rgba::rgbNear(const Rgba& o, int tolerance) const {
    return std::abs(r - o.r) <= tolerance && std::abs(g - o.g) <= tolerance && std::abs(b - o.b) <= tolerance;
}

std::ostream& operator<<(std::ostream& out, const Rgba& c) {
    return out << "rgba(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << "," << int(c.a) << ")";
}

GlFixture::GlFixture(int width, int height) : width_(width), height_(height) {
    driver_.width = width;
    driver_.height = height;
    driver_.colorBits = 32;
    driver_.fullscreen = false;
    started_ = driver_.start() == Ok;
    currentDriver = &driver_;
    if (started_) glReadBuffer(GL_BACK);
}

GlFixture::~GlFixture() {
    if (started_) driver_.stop();
    if (currentDriver == &driver_) currentDriver = nullptr;
}

void GlFixture::clear(float r, float g, float b, float a) {
    glViewport(0, 0, width_, height_);
    glClearColor(r, g, b, a);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Rgba GlFixture::pixel(int x, int y) const {
    Rgba c;
    glReadPixels(x, height_ - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &c);
    return c;
}

std::vector<Rgba> GlFixture::pixels() const {
    std::vector<Rgba> bottomUp(size_t(width_) * size_t(height_));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<Rgba> topDown(bottomUp.size());
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            topDown[size_t(y) * width_ + x] = bottomUp[size_t(height_ - 1 - y) * width_ + x];
    return topDown;
}

int GlFixture::countNear(const Rgba& colour, int x0, int y0, int x1, int y1, int tolerance) const {
    std::vector<Rgba> all = pixels();
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (all[size_t(y) * width_ + x].near(colour, tolerance)) ++n;
    return n;
}

int GlFixture::countRgbNear(const Rgba& colour, int x0, int y0, int x1, int y1, int tolerance) const {
    std::vector<Rgba> all = pixels();
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (all[size_t(y) * width_ + x].rgbNear(colour, tolerance)) ++n;
    return n;
}

bool GlFixture::savePpm(const std::string& path) const {
    std::vector<Rgba> all = pixels();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", width_, height_);
    for (const Rgba& c : all) {
        std::fputc(c.r, f);
        std::fputc(c.g, f);
        std::fputc(c.b, f);
    }
    std::fclose(f);
    return true;
}

}  // namespace test
