// Shared pieces of the data generator: the seeded random source, small
// vector maths, float RGB images with the JPEG and text drawing they need,
// and the four generator stages (pictures, scenes with camera paths, music).
//
// Everything is deterministic: every random draw comes from a Rng with a
// fixed seed, and nothing reads the clock or the environment, so two runs
// write the same bytes.
#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

// xorshift-style generator; a fixed seed gives a fixed sequence.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return uint32_t(state_ >> 16);
    }
    float uniform() { return float(next() & 0xFFFFFF) / float(0x1000000); }  // [0, 1)
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
    float bipolar() { return uniform() * 2.0f - 1.0f; }

private:
    uint64_t state_;
};

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float length(Vec3 a) { return std::sqrt(dot(a, a)); }
inline Vec3 normalize(Vec3 a) {
    float l = length(a);
    return l > 0.0f ? a * (1.0f / l) : a;
}

inline float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }
inline float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}
inline float mix(float a, float b, float t) { return a + (b - a) * t; }

constexpr float kPi = 3.14159265358979f;

// A float RGB picture, top row first, values nominally 0..1.
struct Image {
    int width = 0, height = 0;
    std::vector<float> rgb;
    Image(int w, int h) : width(w), height(h), rgb(size_t(w) * size_t(h) * 3, 0.0f) {}
    float* at(int x, int y) { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
    void add(int x, int y, Vec3 c) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        float* p = at(x, y);
        p[0] += c.x;
        p[1] += c.y;
        p[2] += c.z;
    }
};

// One channel of coverage or intensity, same layout as Image.
struct Mask {
    int width = 0, height = 0;
    std::vector<float> v;
    Mask(int w, int h) : width(w), height(h), v(size_t(w) * size_t(h), 0.0f) {}
    float& at(int x, int y) { return v[size_t(y) * size_t(width) + size_t(x)]; }
    float get(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
        return v[size_t(y) * size_t(width) + size_t(x)];
    }
};

// Smooth value noise on a lattice, 0..1, and its fractal sum.
float valueNoise(float x, float y, uint32_t seed);
float fbm(float x, float y, int octaves, uint32_t seed);

// Box blur repeated three times, close to a Gaussian of about the radius.
void blur(Mask& m, int radius);

// Text drawn with FreeType. The face is one of the DejaVu fonts; sizes are
// in pixels. drawText adds coverage (0..1) to the mask with the pen's
// baseline at (x, baseline); textWidth measures a string at a size.
class Font {
public:
    explicit Font(const char* fileName);
    ~Font();
    bool ok() const { return face_ != nullptr; }
    float textWidth(const std::string& text, int pixelSize);
    void drawText(Mask& mask, const std::string& text, int pixelSize, float x, float baseline);
    // Size that makes text at most maxWidth wide, at most maxSize.
    int fitSize(const std::string& text, float maxWidth, int maxSize);
    // Drawn centred on cx.
    void drawCentred(Mask& mask, const std::string& text, int pixelSize, float cx, float baseline);

private:
    void* library_ = nullptr;
    void* face_ = nullptr;
};

std::string fontPath(const char* fileName);  // a file of fonts-dejavu-core

// Baseline-to-top of capitals, as a fraction of the pixel size (DejaVu).
constexpr float kCapHeight = 0.73f;

bool writeJpeg(const std::string& path, const Image& image, int quality);
bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool makeDirectory(const std::string& path);

// The stages. Each writes its files below dataDir and reports failures on
// stderr; false when a file could not be written.
bool generatePictures(const std::string& dataDir);
bool generateScenes(const std::string& dataDir);
// seconds: the track's length; the production's is kTrackSeconds.
bool generateMusic(const std::string& dataDir, double seconds);
constexpr double kTrackSeconds = 833.5;

}  // namespace datagen
