// Vector3: three 32-bit floats, for positions, directions and RGB colours.
#pragma once

struct Vector3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};
