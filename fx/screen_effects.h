// The screen effects: colour and depth clears, the viewport that confines
// the layers after it, a rectangle blended between two colours, and the four
// screen fades (a whole-screen blended rectangle whose mix follows the
// time). They draw with legacy OpenGL into the current context at the size
// of currentDriver.
#pragma once
#include <cstdint>

#include "fx/effect.h"

// Hexadecimal text to a colour, "bg_clear"'s own rule: every character
// shifts the value left by 4 bits; "0"-"9" and capital "A"-"F" then add their
// digit, any other character (lower case included) adds nothing. Only the
// last eight characters count.
uint32_t parseHexColour(const char* text);

// "bg_clear": clears the colour buffer to the AARRGGBB colour of its string.
class ClearEffect : public Effect {
public:
    ErrorCode init(const char* parameters) override;
    void setParam(int32_t, float) override {}
    void render(float t) override;

    uint32_t colour = 0;
};

// "bg_zclear": clears the depth buffer.
class DepthClearEffect : public Effect {
public:
    ErrorCode init(const char*) override { return Ok; }
    void setParam(int32_t, float) override {}
    void render(float t) override;
};

// "set_viewport" "x0 x1 y0 y1": window pixels, origin at the lower left.
class ViewportEffect : public Effect {
public:
    ErrorCode init(const char* parameters) override;
    void setParam(int32_t, float) override {}
    void render(float t) override;

    int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
};

// "draw_rectblend" "left right top bottom from to": screen pixels from the
// top-left corner, colours AARRGGBB. Parameter 3 is the mix (0 gives the
// colour from, 1 the colour to). Leaves depth test and culling enabled,
// blending and texturing disabled, the modelview matrix selected holding
// the pixel projection.
class RectBlendEffect : public Effect {
public:
    static constexpr int32_t kMixParam = 3;

    ErrorCode init(const char* parameters) override;
    void setParam(int32_t id, float value) override;
    void render(float t) override;

    float top = 0.0f, left = 0.0f, bottom = 0.0f, right = 0.0f;
    uint32_t colourFrom = 0;
    uint32_t colourTo = 0;
    float mix = 0.0f;
};

// A screen fade: "duration" in seconds (1.0 without a number). Renders with
// the seconds since its layer started; from the duration on it draws
// nothing and changes nothing.
class ScreenFadeEffect : public Effect {
public:
    ErrorCode init(const char* parameters) override;
    void setParam(int32_t, float) override {}
    void render(float t) override;

    RectBlendEffect rectangle;  // spans the screen as it was at init
    float duration = 1.0f;

protected:
    virtual const char* rectangleFormat() const = 0;  // "%u %u %u %u FROM TO"
    virtual float mixAt(float t) const { return t / duration; }
};

// "fx_whiteflash": opaque white clearing over the duration.
class WhiteFlashEffect : public ScreenFadeEffect {
protected:
    const char* rectangleFormat() const override { return "%u %u %u %u FFFFFFFF 00FFFFFF"; }
};

// "fx_fadein": uncovers the picture from black.
class FadeInEffect : public ScreenFadeEffect {
protected:
    const char* rectangleFormat() const override { return "%u %u %u %u FF000000 00000000"; }
};

// "fx_whitefadein": covers the picture with white.
class WhiteFadeInEffect : public ScreenFadeEffect {
protected:
    const char* rectangleFormat() const override { return "%u %u %u %u 00FFFFFF FFFFFFFF"; }
};

// "fx_blacksmousse": a dip through black, clear at the start, black at half
// the duration, clear again at the end.
class BlackSmousseEffect : public ScreenFadeEffect {
protected:
    const char* rectangleFormat() const override { return "%u %u %u %u FF000000 00000000"; }
    float mixAt(float t) const override;
};
