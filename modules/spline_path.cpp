// Spline paths: the arc-length polyline and its two file readers.
//
// The readers never fail: what breaks off ends the list there. A path
// announced with no points (or fewer) holds nothing and is skipped, and a
// count is only believed as far as the rest of the file can hold it, so no
// file makes a reader allocate more than its own size suggests.
#include "modules/spline_path.h"

#include <cmath>
#include <cstring>

namespace {

// Little-endian 32-bit words, independent of the host's byte order.
bool readWord(FILE* file, uint32_t& value) {
    uint8_t b[4];
    if (std::fread(b, 1, 4, file) != 4) return false;
    value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

void writeWord(FILE* file, uint32_t value) {
    uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    std::fwrite(b, 1, 4, file);
}

float wordToFloat(uint32_t w) {
    float f;
    std::memcpy(&f, &w, 4);
    return f;
}

uint32_t floatToWord(float f) {
    uint32_t w;
    std::memcpy(&w, &f, 4);
    return w;
}

// Bytes from the current position to the end, or -1 when the stream cannot
// tell.
long remainingBytes(FILE* file) {
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return end < here ? -1 : end - here;
}

}  // namespace

SplinePath::SplinePath(std::vector<Vector3> points) : points_(std::move(points)) {
    if (points_.empty()) points_.push_back(Vector3{});
    segments_.reserve(points_.size() - 1);
    for (size_t i = 0; i + 1 < points_.size(); ++i) {
        float dx = points_[i + 1].x - points_[i].x;
        float dy = points_[i + 1].y - points_[i].y;
        float dz = points_[i + 1].z - points_[i].z;
        float length = std::sqrt(dx * dx + dy * dy + dz * dz);
        segments_.push_back(length);
        total_ += length;
    }
}

int32_t SplinePath::pointCount() { return int32_t(points_.size()); }

Vector3& SplinePath::evaluate(Vector3& out, float s) {
    float a = s * total_;
    if (!(a > 0.0f)) {  // also a NaN target: the start is the only safe answer
        out = points_.front();
        return out;
    }
    float sum = 0.0f;
    for (size_t k = 0; k < segments_.size(); ++k) {
        sum += segments_[k];
        if (sum >= a) {
            float t = (sum - a) / segments_[k];
            const Vector3& p = points_[k];
            const Vector3& q = points_[k + 1];
            out.x = t * p.x + (1.0f - t) * q.x;
            out.y = t * p.y + (1.0f - t) * q.y;
            out.z = t * p.z + (1.0f - t) * q.z;
            return out;
        }
    }
    out = points_.back();
    return out;
}

Vector3& SplinePath::getPoint(Vector3& out, int32_t index) {
    if (index >= 0 && index < pointCount()) out = points_[size_t(index)];
    return out;
}

float SplinePath::segmentLength(int32_t index) {
    return index >= 0 && size_t(index) < segments_.size() ? segments_[size_t(index)] : 0.0f;
}

void SplinePath::write(FILE* file, int32_t count) {
    // A count beyond the path writes the whole path with its true count, so
    // the record stays readable.
    if (count < 0) count = 0;
    if (count > pointCount()) count = pointCount();
    writeWord(file, uint32_t(count));
    for (int32_t i = 0; i < count; ++i) {
        const Vector3& p = points_[size_t(i)];
        writeWord(file, floatToWord(p.x));
        writeWord(file, floatToWord(p.y));
        writeWord(file, floatToWord(p.z));
    }
}

SplinePathList readSplinePathsText(const char* fileName, SplineReadReport* report) {
    SplineReadReport local;
    SplineReadReport& r = report ? *report : local;
    r = SplineReadReport{};
    SplinePathList list;
    FILE* file = std::fopen(fileName ? fileName : "", "r");
    if (!file) return list;
    r.opened = true;
    int32_t n = 0;
    if (std::fscanf(file, "%d", &n) != 1) {
        std::fclose(file);
        return list;
    }
    r.announced = n;
    bool complete = true;
    for (int32_t p = 0; p < n && complete; ++p) {
        int32_t count = 0;
        if (std::fscanf(file, "%d", &count) != 1) {
            complete = false;
            break;
        }
        if (count <= 0) {
            ++r.skipped;
            continue;
        }
        // Grown as read: the count alone is no reason to allocate.
        std::vector<Vector3> points;
        for (int32_t i = 0; i < count; ++i) {
            Vector3 v;
            if (std::fscanf(file, "%f %f %f", &v.x, &v.y, &v.z) != 3) {
                complete = false;
                break;
            }
            points.push_back(v);
        }
        if (complete) list.append(std::make_unique<SplinePath>(std::move(points)));
    }
    r.complete = complete;
    std::fclose(file);
    return list;
}

SplinePathList readSplinePathsBinary(const char* fileName, SplineReadReport* report) {
    SplineReadReport local;
    SplineReadReport& r = report ? *report : local;
    r = SplineReadReport{};
    SplinePathList list;
    FILE* file = std::fopen(fileName ? fileName : "", "rb");
    if (!file) return list;
    r.opened = true;
    uint32_t word = 0;
    if (!readWord(file, word)) {
        std::fclose(file);
        return list;
    }
    int32_t n = int32_t(word);
    r.announced = n;
    bool complete = true;
    for (int32_t p = 0; p < n; ++p) {
        if (!readWord(file, word)) {
            complete = false;
            break;
        }
        int32_t count = int32_t(word);
        if (count <= 0) {
            ++r.skipped;
            continue;
        }
        long left = remainingBytes(file);
        if (left >= 0 && uint64_t(count) * 12u > uint64_t(left)) {
            complete = false;
            break;
        }
        std::vector<Vector3> points(static_cast<size_t>(count));
        for (Vector3& v : points) {
            uint32_t x, y, z;
            if (!readWord(file, x) || !readWord(file, y) || !readWord(file, z)) {
                complete = false;
                break;
            }
            v = Vector3{wordToFloat(x), wordToFloat(y), wordToFloat(z)};
        }
        if (!complete) break;
        list.append(std::make_unique<SplinePath>(std::move(points)));
    }
    r.complete = complete;
    std::fclose(file);
    return list;
}

SplinePathList readSplinePathsText(const char* fileName) { return readSplinePathsText(fileName, nullptr); }
SplinePathList readSplinePathsBinary(const char* fileName) { return readSplinePathsBinary(fileName, nullptr); }
