// "set_camera": places the camera for the layers after it in the frame. Two
// paths of a spline file, evaluated at the same fraction of their length,
// give the eye (path [path index]) and the point looked at (the next path).
// Leaves a perspective projection (4:3, field of view narrowed by the zoom)
// and a look-at modelview with z up, the modelview selected. Draws nothing.
#pragma once
#include <cstdint>

#include "fx/effect.h"
#include "modules/spline_path.h"

class CameraEffect : public Effect {
public:
    // "%f %d %s": field of view, path index, text path file. Always Ok.
    ErrorCode init(const char* parameters) override;
    void setParam(int32_t id, float value) override;  // 4: time offset; 5: zoom
    // t: the layer's progress; t + time offset is held within 0..1.
    void render(float t) override;

    float currentFieldOfView() const;  // degrees, after the zoom
    float position(float t) const;     // t + time offset, held within 0..1

    float fieldOfView = 0.0f;
    float timeOffset = 0.0f;
    float zoom = 0.0f;
    int32_t pathIndex = 0;
    SplinePathList paths;

    // What the last render looked from and at; lookedAt is false when it had
    // no two paths to follow or the eye sat on the target (identity view).
    Vector3 eye, target;
    bool lookedAt = false;
};
