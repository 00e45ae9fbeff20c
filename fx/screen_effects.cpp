// The screen effects: clears, viewport, blended rectangle and screen fades,
// in OpenGL 1.1 immediate mode at the size of currentDriver.
#include "fx/screen_effects.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstdio>

#include "kernel/os.h"

namespace {

int32_t screenWidth() { return currentDriver ? currentDriver->width : 0; }
int32_t screenHeight() { return currentDriver ? currentDriver->height : 0; }

uint32_t channel(uint32_t colour, int shift) { return (colour >> shift) & 0xFFu; }

// trunc(n * from + m * to), held to a byte: a mix outside 0..1 (or not a
// number) must not wrap round to a different colour.
uint8_t blendChannel(uint32_t from, uint32_t to, float m) {
    float n = 1.0f - m;
    float v = n * float(from) + m * float(to);
    if (!(v > 0.0f)) return 0;
    if (v >= 255.0f) return 255;
    return uint8_t(v);
}

}  // namespace

uint32_t parseHexColour(const char* text) {
    uint32_t value = 0;
    if (!text) return 0;
    for (const char* p = text; *p; ++p) {
        value <<= 4;
        if (*p >= '0' && *p <= '9') value += uint32_t(*p - '0');
        else if (*p >= 'A' && *p <= 'F') value += uint32_t(*p - 'A' + 10);
    }
    return value;
}

ErrorCode ClearEffect::init(const char* parameters) {
    colour = parseHexColour(parameters);
    return Ok;
}

void ClearEffect::render(float) {
    glClearColor(float(channel(colour, 16)) / 255.0f, float(channel(colour, 8)) / 255.0f,
                 float(channel(colour, 0)) / 255.0f, float(channel(colour, 24)) / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void DepthClearEffect::render(float) { glClear(GL_DEPTH_BUFFER_BIT); }

ErrorCode ViewportEffect::init(const char* parameters) {
    if (parameters) std::sscanf(parameters, "%d %d %d %d", &x0, &x1, &y0, &y1);
    return Ok;
}

void ViewportEffect::render(float) {
    // Widened so that extreme corners cannot overflow; GL refuses a negative
    // size and keeps the viewport it had.
    int64_t w = int64_t(x1) - x0;
    int64_t h = int64_t(y1) - y0;
    if (w < 0 || h < 0 || w > INT32_MAX || h > INT32_MAX) return;
    glViewport(x0, y0, GLsizei(w), GLsizei(h));
}

ErrorCode RectBlendEffect::init(const char* parameters) {
    unsigned from = colourFrom, to = colourTo;
    if (parameters) std::sscanf(parameters, "%f %f %f %f %x %x", &left, &right, &top, &bottom, &from, &to);
    colourFrom = from;
    colourTo = to;
    mix = 0.0f;
    return Ok;
}

void RectBlendEffect::setParam(int32_t id, float value) {
    if (id == kMixParam) mix = value;
}

void RectBlendEffect::render(float) {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glOrtho(0.0, double(screenWidth()), double(screenHeight()), 0.0, 0.0, -1.0);

    uint8_t a = blendChannel(channel(colourFrom, 24), channel(colourTo, 24), mix);
    if (a != 0) {
        uint8_t r = blendChannel(channel(colourFrom, 16), channel(colourTo, 16), mix);
        uint8_t g = blendChannel(channel(colourFrom, 8), channel(colourTo, 8), mix);
        uint8_t b = blendChannel(channel(colourFrom, 0), channel(colourTo, 0), mix);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4ub(r, g, b, a);
        glBegin(GL_QUADS);
        glVertex3f(left, top, 0.0f);
        glVertex3f(right, top, 0.0f);
        glVertex3f(right, bottom, 0.0f);
        glVertex3f(left, bottom, 0.0f);
        glEnd();
        glDisable(GL_BLEND);
    }

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
}

ErrorCode ScreenFadeEffect::init(const char* parameters) {
    duration = 1.0f;
    if (parameters) std::sscanf(parameters, "%f", &duration);
    char text[96];
    std::snprintf(text, sizeof text, rectangleFormat(), 0u, unsigned(screenWidth()), 0u, unsigned(screenHeight()));
    return rectangle.init(text);
}

void ScreenFadeEffect::render(float t) {
    if (!(t < duration)) return;
    rectangle.setParam(RectBlendEffect::kMixParam, mixAt(t));
    rectangle.render(t);
}

float BlackSmousseEffect::mixAt(float t) const {
    float c = t / duration;
    return c < 0.5f ? 1.0f - 2.0f * c : 2.0f * (c - 0.5f);
}
