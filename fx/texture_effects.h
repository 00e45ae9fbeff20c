// The texture effects: pictures drawn as flat quads in a unit square that
// fills the current viewport (identity projection, an orthographic
// modelview from 0 to 1 in x and y; "Kel_text" from 0 to 5).
//
//   "bg_texture"        BackgroundTextureEffect  full-screen picture, fades out through id 51
//   "fx_clear2tex"      CrossFadeEffect          picture A to picture B by the mix (id 1)
//   "fx_clear2textile"  TiledCrossFadeEffect     the same, both pictures tiled and scrolling (id 2)
//   "rect_texture"      TextureRectEffect        a coloured, rotatable, additive picture rectangle
//   "Kel_text"          TextPlateEffect          the swinging text plate
//
// Textures are built in init with loadTexture (a GL context must be current)
// and stay with the context. Pictures appear upright; the current colour
// multiplies them (default texture environment).
#pragma once
#include <cstdint>

#include "fx/effect.h"

// One quad over the unit square, texture coordinates (0,0) to (1,1) at its
// corners (0,0,0) to (1,1,0), counter-clockwise from the lower left.
void drawUnitQuad();

class BackgroundTextureEffect : public Effect {
public:
    ErrorCode init(const char* parameters) override;  // the whole string is the picture path
    void setParam(int32_t id, float value) override;  // 51: alpha = 1 - value
    void render(float t) override;

    uint32_t texture = 0;
    float alpha = 1.0f;
};

class CrossFadeEffect : public Effect {
public:
    ErrorCode init(const char* parameters) override;  // "%s %s": picture A, picture B
    void setParam(int32_t id, float value) override;  // 1: mix
    void render(float t) override;

    uint32_t textureA = 0, textureB = 0;
    float mix = 0.0f;
};

class TiledCrossFadeEffect : public Effect {
public:
    ErrorCode init(const char* parameters) override;  // "%s %d %s %d": path A, tile A, path B, tile B
    void setParam(int32_t id, float value) override;  // 1: mix; 2: scroll
    void render(float t) override;

    // Copies of each picture across and up the square: screen size / tile size.
    uint32_t repeatsAcross(int32_t tileSize) const;
    uint32_t repeatsUp(int32_t tileSize) const;

    uint32_t textureA = 0, textureB = 0;
    int32_t tileSizeA = 0, tileSizeB = 0;
    float mix = 0.0f;
    float scroll = 0.0f;
};

class TextureRectEffect : public Effect {
public:
    ErrorCode init(const char* parameters) override;  // "%x %f %f %f %f %s": colour, left, right, top, bottom, path
    void setParam(int32_t id, float value) override;  // 1: fade; 2: angle in whole turns
    void render(float t) override;

    uint32_t texture = 0;
    float top = 0.0f, bottom = 0.0f, left = 0.0f, right = 0.0f;  // viewport fractions, y downwards
    uint32_t colour = 0;                                        // AARRGGBB
    float fade = 0.0f;
    float angle = 0.0f;  // radians
};

class TextPlateEffect : public Effect {
public:
    ErrorCode init(const char* parameters) override;  // the whole string is the picture path
    void setParam(int32_t id, float value) override;  // ignored
    void render(float t) override;                    // t: the layer's progress, 0 to 1

    uint32_t texture = 0;
    float angle = 0.0f;  // degrees, the rotation of the last drawing
    float x = 2.0f, y = 2.0f;
};
