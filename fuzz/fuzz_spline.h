// What both spline targets do with a list: evaluate every path across and
// beyond its range and read every point and segment.
#pragma once
#include "modules/spline_path.h"

inline void exerciseSplines(SplinePathList& list) {
    volatile float sink = 0;
    for (int32_t p = 0; p < list.size(); ++p) {
        SplinePath& path = *list[p];
        Vector3 v;
        for (float s : {-1.0f, 0.0f, 0.3f, 0.5f, 0.999f, 1.0f, 2.0f}) sink = sink + path.evaluate(v, s).x;
        for (int32_t i = -1; i <= path.pointCount(); ++i) {
            sink = sink + path.getPoint(v, i).y + path.segmentLength(i);
        }
    }
}
