// The effects that draw geometry:
//
//   "Kel_trans"   SquareGridEffect    12 x 8 translucent squares, five layers deep, each spinning
//   "Kel_champi"  SpinningCardEffect  a black backdrop with a white grid and a spinning, tumbling card
//   "fx_cubes"    CubeTunnelEffect    twenty solid cubes, each further and turned further, added on
//   "fx_lines"    LineFanEffect       a hundred additive triangles fanned around the origin
//
// The grid's spin angle and the card's two counters are shared by every
// instance of their type and live for the whole process; any instance's
// render advances them. Rotations about a zero axis leave the geometry
// unrotated, and so does a look-at whose eye meets its target.
#pragma once
#include <cstdint>

#include "fx/effect.h"
#include "modules/vector3.h"

// A solid cube of the given edge centred at the origin: six quads with their
// face normals, counter-clockwise seen from outside.
void drawSolidCube(float edge);

class SquareGridEffect : public Effect {
public:
    SquareGridEffect();
    ErrorCode init(const char* parameters) override;  // "%f %f %x": speed x, speed y, colour
    void setParam(int32_t id, float value) override;  // any id: move the grid by value
    void render(float t) override;                    // t ignored

    static constexpr int kColumns = 12;
    static constexpr int kRows = 8;
    static float spinAngle;  // degrees, shared by all instances

    Vector3 points[kColumns * kRows];  // [column * 8 + row]
    float speedX = 0.0f, speedY = 0.0f;
    uint32_t colour = 0;  // AARRGGBB

private:
    void fillGrid();
};

class SpinningCardEffect : public Effect {
public:
    ErrorCode init(const char* parameters) override;  // the whole string is the picture path
    void setParam(int32_t id, float value) override;  // ignored
    void render(float t) override;                    // t: seconds since the layer's start

    static int32_t frameCounter;   // n: renders of any instance, 0 to 500
    static int32_t tumbleCounter;  // c: -180 to 180 while tumbling

    uint32_t texture = 0;
};

class CubeTunnelEffect : public Effect {
public:
    ErrorCode init(const char* parameters) override;  // ignores the string
    void setParam(int32_t id, float value) override;  // ignored
    void render(float t) override;                    // t: seconds

    struct Turn {
        float angle;  // degrees
        float axisX;  // the axis is (axisX, 0, 0); 0 means no turn
    };
    // The turn of cube i (0 to 19) at time t, on top of the turns before it.
    static Turn turnOf(float t, int i);
};

class LineFanEffect : public Effect {
public:
    // Sets the clear colour, a 90 degree projection and the identity
    // modelview, and draws its colour from the generator (red, green, blue).
    ErrorCode init(const char* parameters) override;
    void setParam(int32_t id, float value) override;  // ignored
    // Draws through whatever projection and modelview the layer before left.
    void render(float t) override;

    static Vector3 eyeAt(float t);
    // False where the look-at is degenerate: the eye on the target, or the up
    // vector along the line of sight.
    static bool lookAtUsable(float t);

    float red = 0.0f, green = 0.0f, blue = 0.0f;
};
