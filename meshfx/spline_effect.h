// "vorn_splines": the paths of a spline file drawn as smooth, alpha-blended
// line strips in the view the earlier layers set. Mode 0 draws a trail of
// fixed length running along each path with time in one colour, mode 1 the
// same trail fading from head to tail, mode 2 every path whole; other modes
// draw no visible line. Echoes (id 6 amount, id 7 twist) repeat the drawing,
// each copy larger, turned about z and fainter.
#pragma once
#include <cstdint>
#include <vector>

#include "fx/effect.h"
#include "modules/spline_path.h"

class SplineEffect : public Effect {
public:
    // "%x %f %s %d %f": colour, line width, path file, mode, trail length. A
    // file name whose fourth character from the end is 'b' or 'B' is read as
    // the binary form, any other as text. Always Ok.
    ErrorCode init(const char* parameters) override;
    void setParam(int32_t id, float value) override;  // 6: echo amount; 7: echo twist (turns)
    void render(float t) override;

    struct Echo {
        float scale;
        float angle;    // degrees about z
        uint8_t alpha;  // the colour's alpha for this copy
    };
    // More echoes than this (an amount above 40) draw none: the count must fit.
    static constexpr int32_t kMaxEchoes = 1000;
    // The copies drawn after the first pass, for the current echo settings.
    std::vector<Echo> echoes() const;

    // Fills trail with the trail of path at time t, head first: at least two
    // points, its length the trail length or less where the path's first point
    // comes first. A head beyond the last point stays on the last point, one
    // before the first on the first.
    void buildTrail(SplinePath& path, float t);
    // The alpha before trail point i of n in mode 1, at most 255.
    static uint8_t fadeAlpha(int32_t i, int32_t n, uint32_t alpha);

    static bool readsBinary(const char* fileName);

    uint32_t colour = 0;  // AARRGGBB
    float lineWidth = 1.0f;
    float trailLength = 0.0f;
    int32_t mode = 0;
    float echoAmount = 0.0f;
    float echoTwist = 0.0f;  // degrees
    std::vector<Vector3> trail;
    SplinePathList paths;

private:
    void pass(float t);
    void drawPath(SplinePath& path);
    void drawTrail();
};
