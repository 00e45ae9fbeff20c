// The texture effects (see fx/texture_effects.h). Leans on loadTexture
// (modules/picture.h) and the screen size of currentDriver.
#include "fx/texture_effects.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>

#include "fx/random.h"
#include "kernel/os.h"
#include "modules/picture.h"

namespace {

constexpr float kTwoPi = 6.2831855f;

// Identity projection; the modelview maps [0, right] x [0, top] onto the viewport.
void squareSetup(double right, double top) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glOrtho(0.0, right, 0.0, top, 0.0, -1.0);
}

const char* orEmpty(const char* text) { return text ? text : ""; }

// A colour channel scaled by k, truncated toward zero and kept within a byte.
int scaledChannel(uint32_t colour, int shift, float k) {
    int value = int(k * float((colour >> shift) & 0xFFu));
    return value < 0 ? 0 : value > 255 ? 255 : value;
}

}  // namespace

void drawUnitQuad() {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(0, 0, 0);
    glTexCoord2f(1, 0);
    glVertex3f(1, 0, 0);
    glTexCoord2f(1, 1);
    glVertex3f(1, 1, 0);
    glTexCoord2f(0, 1);
    glVertex3f(0, 1, 0);
    glEnd();
}


// ---- "bg_texture"

ErrorCode BackgroundTextureEffect::init(const char* parameters) {
    ErrorCode result = loadTexture(orEmpty(parameters), &texture);
    if (result != Ok) return result;
    alpha = 1.0f;
    return Ok;
}

void BackgroundTextureEffect::setParam(int32_t id, float value) {
    if (id == 51) alpha = 1.0f - value;
}

void BackgroundTextureEffect::render(float) {
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    squareSetup(1.0, 1.0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    bool blended = alpha != 1.0f;
    if (blended) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
    }
    glColor4f(1, 1, 1, alpha);
    drawUnitQuad();
    if (blended) glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
}

// ---- "fx_clear2tex"

ErrorCode CrossFadeEffect::init(const char* parameters) {
    char pathA[1024] = {}, pathB[1024] = {};
    // Both pictures are needed: a string with one path leaves picture B undefined.
    if (std::sscanf(orEmpty(parameters), "%1023s %1023s", pathA, pathB) != 2) return Failed;
    ErrorCode result = loadTexture(pathA, &textureA);
    if (result != Ok) return result;
    result = loadTexture(pathB, &textureB);
    if (result != Ok) return result;
    mix = 0.0f;
    return Ok;
}

void CrossFadeEffect::setParam(int32_t id, float value) {
    if (id == 1) mix = value;
}

void CrossFadeEffect::render(float) {
    glDisable(GL_DEPTH_TEST);
    squareSetup(1.0, 1.0);
    glEnable(GL_TEXTURE_2D);
    if (mix != 1.0f) {
        glDisable(GL_BLEND);
        glBindTexture(GL_TEXTURE_2D, textureA);
        glColor4f(1, 1, 1, 1);
        drawUnitQuad();
    }
    if (mix != 0.0f) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
        glBindTexture(GL_TEXTURE_2D, textureB);
        glColor4f(1, 1, 1, mix);
        drawUnitQuad();
    }
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
}

// ---- "fx_clear2textile"

ErrorCode TiledCrossFadeEffect::init(const char* parameters) {
    char pathA[1024] = {}, pathB[1024] = {};
    int32_t sizeA = 0, sizeB = 0;
    if (std::sscanf(orEmpty(parameters), "%1023s %d %1023s %d", pathA, &sizeA, pathB, &sizeB) != 4) return Failed;
    // The repetition count divides by the tile size.
    if (sizeA <= 0 || sizeB <= 0) return Failed;
    ErrorCode result = loadTexture(pathA, &textureA);
    if (result != Ok) return result;
    result = loadTexture(pathB, &textureB);
    if (result != Ok) return result;
    tileSizeA = sizeA;
    tileSizeB = sizeB;
    mix = 0.0f;
    scroll = 0.0f;
    return Ok;
}

void TiledCrossFadeEffect::setParam(int32_t id, float value) {
    if (id == 1) mix = value;
    if (id == 2) scroll = value;
}

uint32_t TiledCrossFadeEffect::repeatsAcross(int32_t tileSize) const {
    if (!currentDriver || tileSize <= 0) return 1;
    return uint32_t(currentDriver->width) / uint32_t(tileSize);
}

uint32_t TiledCrossFadeEffect::repeatsUp(int32_t tileSize) const {
    if (!currentDriver || tileSize <= 0) return 1;
    return uint32_t(currentDriver->height) / uint32_t(tileSize);
}

namespace {
// A full quad whose texture coordinates run from (s, s) to (across + s, up + s).
void tiledQuad(float across, float up, float s) {
    glBegin(GL_QUADS);
    glTexCoord2f(s, s);
    glVertex3f(0, 0, 0);
    glTexCoord2f(across + s, s);
    glVertex3f(1, 0, 0);
    glTexCoord2f(across + s, up + s);
    glVertex3f(1, 1, 0);
    glTexCoord2f(s, up + s);
    glVertex3f(0, 1, 0);
    glEnd();
}
}  // namespace

void TiledCrossFadeEffect::render(float) {
    glDisable(GL_DEPTH_TEST);
    squareSetup(1.0, 1.0);
    glEnable(GL_TEXTURE_2D);
    if (mix != 1.0f) {
        glDisable(GL_BLEND);
        glBindTexture(GL_TEXTURE_2D, textureA);
        glColor4f(1, 1, 1, 1);
        tiledQuad(float(repeatsAcross(tileSizeA)), float(repeatsUp(tileSizeA)), scroll);
    }
    if (mix != 0.0f) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
        glBindTexture(GL_TEXTURE_2D, textureB);
        glColor4f(1, 1, 1, mix);
        tiledQuad(float(repeatsAcross(tileSizeB)), float(repeatsUp(tileSizeB)), -scroll);
    }
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
}

// ---- "rect_texture"

ErrorCode TextureRectEffect::init(const char* parameters) {
    char path[1024] = {};
    uint32_t c = 0;
    float l = 0, r = 0, t = 0, b = 0;
    unsigned int hex = 0;
    if (std::sscanf(orEmpty(parameters), "%x %f %f %f %f %1023s", &hex, &l, &r, &t, &b, path) != 6) return Failed;
    c = hex;
    ErrorCode result = loadTexture(path, &texture);
    if (result != Ok) return result;
    colour = c;
    left = l;
    right = r;
    top = t;
    bottom = b;
    fade = 0.0f;
    angle = 0.0f;
    return Ok;
}

void TextureRectEffect::setParam(int32_t id, float value) {
    if (id == 1) fade = value;
    if (id == 2) angle = value * kTwoPi;
}

void TextureRectEffect::render(float) {
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    squareSetup(1.0, 1.0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    float k = 1.0f - fade;
    int a = scaledChannel(colour, 24, k);
    if (a != 0) {
        float cx = (left + right) * 0.5f, cy = (top + bottom) * 0.5f;
        float c = std::cos(angle), s = std::sin(angle);
        auto corner = [&](float u, float v, float px, float py) {
            float dx = px - cx, dy = py - cy;
            glTexCoord2f(u, v);
            glVertex2f(cx + dx * c + dy * s, 1.0f - (cy + dy * c - dx * s));
        };
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_BLEND);
        glColor4ub(GLubyte(scaledChannel(colour, 16, k)), GLubyte(scaledChannel(colour, 8, k)),
                   GLubyte(scaledChannel(colour, 0, k)), GLubyte(a));
        glBegin(GL_QUADS);
        corner(0, 1, left, top);
        corner(0, 0, left, bottom);
        corner(1, 0, right, bottom);
        corner(1, 1, right, top);
        glEnd();
        glDisable(GL_BLEND);
    }
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
}

// ---- "Kel_text"

ErrorCode TextPlateEffect::init(const char* parameters) {
    ErrorCode result = loadTexture(orEmpty(parameters), &texture);
    if (result != Ok) return result;
    x = 2.0f;
    y = 2.0f;
    return Ok;
}

void TextPlateEffect::setParam(int32_t, float) {}

void TextPlateEffect::render(float t) {
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    squareSetup(5.0, 5.0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    int32_t jitter = (4 * nextRandom()) / kRandomMax - 2;
    angle = float(jitter) + (t * 60.0f - 30.0f);
    glRotatef(angle, 0, 0, 1);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(x, y, 0);
    glTexCoord2f(1, 0);
    glVertex3f(x + 1, y, 0);
    glTexCoord2f(1, 1);
    glVertex3f(x + 1, y + 1, 0);
    glTexCoord2f(0, 1);
    glVertex3f(x, y + 1, 0);
    glEnd();
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
}
