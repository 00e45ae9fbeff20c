// The three curve shapes, in 32-bit float arithmetic as the script's values
// were tuned with.
#include "demo/curves.h"

#include <cmath>

namespace {
constexpr float kTwoPi = 6.2831855f;  // 0x40C90FDB
}

float LinearCurve::evaluate(float x) const { return from + (to - from) * x; }

float TrapezoidCurve::evaluate(float x) const {
    if (x < ramp) return base + (peak - base) * (x / ramp);
    if (x > 1.0f - ramp) return base + (peak - base) * ((1.0f - x) / ramp);
    return peak;
}

float SineCurve::evaluate(float x) const { return offset + amplitude * std::sin(x * frequency * kTwoPi); }
