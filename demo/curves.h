// Curves: the shapes a parameter track animates an effect parameter with,
// evaluated at the track's progress x (0 at its start, 1 at its end).
//
// None of them clamps x: outside 0..1 the line and the trapezoid's outer
// branches extrapolate and the sine keeps oscillating. Curves hold only
// numbers; the track that uses a curve owns it.
#pragma once

class Curve {
public:
    virtual ~Curve() = default;
    virtual float evaluate(float x) const = 0;
};

// from + (to - from) * x
class LinearCurve : public Curve {
public:
    LinearCurve(float from, float to) : from(from), to(to) {}
    float evaluate(float x) const override;

    float from;
    float to;
};

// Rises from base to peak over the first ramp of the track, holds the peak,
// falls back to base over the last ramp; ramp = width * 0.5.
class TrapezoidCurve : public Curve {
public:
    TrapezoidCurve(float base, float peak, float width) : base(base), peak(peak), ramp(width * 0.5f) {}
    float evaluate(float x) const override;

    float base;
    float peak;
    float ramp;
};

// offset + amplitude * sin(x * frequency * 2pi): frequency full periods over
// the track.
class SineCurve : public Curve {
public:
    SineCurve(float offset, float amplitude, float frequency)
        : offset(offset), amplitude(amplitude), frequency(frequency) {}
    float evaluate(float x) const override;

    float offset;
    float amplitude;
    float frequency;
};
