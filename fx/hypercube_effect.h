// "kel_hypercube": the projection of a four-dimensional cube. An outer cube
// of half edge 2 * size, an inner cube of half edge size that wanders inside
// it, and the eight edges joining their corners; translucent faces, lines and
// corner points. The figure turns once per second about one of the eight
// corner directions. Parameters: 0 rotates the three colours, 1 steps the
// axis to the next corner direction, 3 sets the size, 4 to 6 step the alpha
// bytes. Mode 0 draws opaque; any other mode adds with smooth points and lines.
#pragma once
#include <cstdint>

#include "fx/effect.h"
#include "modules/vector3.h"

class HypercubeEffect : public Effect {
public:
    // "%x %x %x %f %f %i": inner, outer, line colour, point size, line width, mode.
    ErrorCode init(const char* parameters) override;
    void setParam(int32_t id, float value) override;
    void render(float t) override;  // t in seconds

    void rotateColours();
    // Where the next render places the inner cube's centre.
    Vector3 innerCentre() const;

    static const Vector3 kCorners[8];

    float lineWidth = 1.0f;
    float pointSize = 1.0f;
    float phaseX = -1.0f, phaseY = -1.0f, phaseZ = -1.0f;
    int32_t mode = 0;
    uint32_t innerColour = 0, outerColour = 0, lineColour = 0;  // AARRGGBB
    float size = 1.0f;
    Vector3 axis{1.0f, 1.0f, 1.0f};
    int16_t cornerIndex = 0;
};
