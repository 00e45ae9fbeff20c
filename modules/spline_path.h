// Spline paths: straight-segment 3D polylines evaluated by arc length, so a
// parameter from 0 to 1 moves along a path at constant speed. A .spl file
// holds one or more, in a text or a binary form. All arithmetic is single
// precision.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "modules/vector3.h"

class SplinePath {
public:
    explicit SplinePath(std::vector<Vector3> points);  // at least one point
    virtual ~SplinePath() = default;

    virtual int32_t pointCount();
    // The point at arc-length fraction s: the first point for s <= 0, the
    // last beyond the end.
    virtual Vector3& evaluate(Vector3& out, float s);
    // An index outside the path leaves out unchanged.
    virtual Vector3& getPoint(Vector3& out, int32_t index);
    // 0 for an index outside the segments.
    virtual float segmentLength(int32_t index);
    // One path record of the binary form: count, then count points. A count
    // beyond the path (or below 0) is cut to the path, so the record's count
    // always matches the points written.
    virtual void write(FILE* file, int32_t count);

    float totalLength() const { return total_; }

private:
    std::vector<Vector3> points_;
    std::vector<float> segments_;
    float total_ = 0.0f;
};

// The paths of one file in file order; owns them.
class SplinePathList {
public:
    int32_t size() const { return int32_t(paths_.size()); }
    SplinePath* operator[](int32_t index) const {
        return index >= 0 && index < size() ? paths_[size_t(index)].get() : nullptr;
    }
    void append(std::unique_ptr<SplinePath> path) { paths_.push_back(std::move(path)); }
    void clear() { paths_.clear(); }

private:
    std::vector<std::unique_ptr<SplinePath>> paths_;
};

// Never fail: a file that does not open or breaks off gives the paths read
// until then. Paths announced with 0 or fewer points are skipped.
SplinePathList readSplinePathsText(const char* fileName);
SplinePathList readSplinePathsBinary(const char* fileName);

// What a reader met, for tools that tell the data's makers.
struct SplineReadReport {
    bool opened = false;    // the file opened
    bool complete = false;  // every announced path was read to its end
    int32_t announced = 0;  // the path count at the start of the file
    int32_t skipped = 0;    // paths announced with 0 or fewer points
};
SplinePathList readSplinePathsText(const char* fileName, SplineReadReport* report);
SplinePathList readSplinePathsBinary(const char* fileName, SplineReadReport* report);
