// The measured runs the benchmark programs share, each in a child process
// of its own (the production ends its process):
//
//   timed run    every frame's time, both passes and glFinish, by part
//   probed run   every layer's drawing counted by an occlusion query
//                (GL_SAMPLES_PASSED: the fragments that reached the
//                framebuffer), by part and by the kind of fill it is
//
// A program calls childMain first: it runs the child side when the
// arguments name one.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "bench/production_run.h"

namespace bench {

// The child side, when argv[1] names one (it does not return then);
// otherwise returns and the program goes on.
void childMain(int argc, char** argv);

struct PartTimes {
    int32_t part = 0;
    float start = 0.0f;  // the part's scheduled time
    int64_t frames = 0;
    double sumMs = 0, worstMs = 0;
    float worstAt = 0.0f;  // t of the worst frame
    double meanMs() const { return frames ? sumMs / double(frames) : 0; }
    double fps() const { return sumMs > 0 ? 1000.0 * double(frames) / sumMs : 0; }
};

struct TimedRun {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<PartTimes> parts;  // every table part, in table order
    long maxRssKb = 0;             // the child's peak resident memory
    double wallSeconds = 0;
};
TimedRun runTimed(int width, int height, const Sampling& sampling);

// What a layer's drawing costs the rasterizer per pixel.
enum class FillKind : int { Textured = 0, TexturedBlended = 1, Flat = 2 };
inline constexpr int kFillKinds = 3;
const char* fillKindName(FillKind kind);
// By effect type: the texture effects that draw opaque, those that blend
// their picture, and everything drawn without a texture (flat or lit
// colours, blended or not).
FillKind fillKindOf(const char* typeName);

struct PartPixels {
    int32_t part = 0;
    int64_t frames = 0;
    double samples[kFillKinds] = {0, 0, 0};  // summed over the frames, both passes
    double perFrame(int kind) const { return frames ? samples[kind] / double(frames) : 0; }
};
// At 800x600. Empty when the run failed.
std::vector<PartPixels> runProbed(int width, int height, const Sampling& sampling);

// The 800x600 timings bench/frames wrote last (build/bench/frames.tsv), or
// an empty list.
std::vector<PartTimes> readFrameTable(const std::string& path);
bool writeFrameTable(const std::string& path, const TimedRun& run);

}  // namespace bench
