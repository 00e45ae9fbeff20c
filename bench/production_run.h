// The production run the benchmarks measure: the player's kernel run loop,
// demo, script and effects on the offscreen OpenGL driver of the offline
// tools (tools/capture/offscreen_driver.h), with the frame loop uncapped
// (no vsync, nothing presented, read back or encoded) and the clock set by
// the benchmark instead of the music.
//
// Frame i runs both passes (update and render) at the sampled time t[i];
// the driver's endFrame waits for the rasterizer (glFinish) and then hands
// the frame to the Observer, which also hears the loading picture's frames
// and the production's end. The demo ends the process at part 33, as the
// player does, so a run is one process: each benchmark runs it in a child
// (runChild) and reads back what the child printed.
//
// The sampled times: every `step` seconds up to the start of part 30, then
// `calmFrames` frames spread evenly over part 30 (79.0 s to 830.4 s, one
// long calm scene), then every `step` seconds over part 32, then part 33's
// own time, the frame in which the production ends.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "demo/demo.h"
#include "tools/capture/offscreen_driver.h"

namespace bench {

double now();  // seconds on a steady clock
// A "Vm...:" figure of /proc/self/status in kB (0 when absent).
long statusKb(const char* field);
// VmRSS right after the driver started (the window and GL context alone).
extern long contextRssKb;

struct Sampling {
    double step = 1.0 / 60.0;
    int calmFrames = 300;
};
std::vector<float> sampleTimes(const Sampling& sampling);
std::string describe(const Sampling& sampling);

// The part showing at t: the last table entry whose time is at most t.
int32_t partAt(float t);

class Observer {
public:
    virtual ~Observer() = default;
    // Demo::init ran from start to end (steady clock seconds), the
    // preload and the music's start included; before it, the driver's start
    // (window and context) took driverStart seconds.
    virtual void initDone(double start, double end, double driverStart) {
        (void)start;
        (void)end;
        (void)driverStart;
    }
    // A frame of the loading picture (init draws two), rasterized.
    virtual void loadingFrame() {}
    // Frame index at time t was drawn (both passes) and rasterized. True
    // ends the run.
    virtual bool frameDone(int64_t index, float t) = 0;
    // The production ends with status: part 33 fired in frame index, whose
    // update pass has been rasterized. The process ends after this returns.
    virtual void finished(int64_t index, float t, int status) = 0;
};

class BenchDriver final : public OffscreenGlDriver {
public:
    BenchDriver(int width, int height, Observer& observer)
        : OffscreenGlDriver(width, height), observer_(observer) {}
    ErrorCode start() override;
    bool beginFrame() override;
    bool endFrame() override;

    double startSeconds = 0;  // how long start took (window and context)
    bool looping = false;
    int64_t frame = 0;

private:
    Observer& observer_;
};

// Wraps each effect as it is created; null leaves the effect as it is.
class EffectWrapper {
public:
    virtual ~EffectWrapper() = default;
    virtual Effect* wrap(const char* typeName, Effect* effect) = 0;
};

class BenchDemo final : public Demo {
public:
    BenchDemo(std::vector<float> times, Observer& observer, BenchDriver& driver)
        : times_(std::move(times)), observer_(observer), driver_(driver) {}

    ErrorCode init(Driver* d) override;
    void onPartStart(float start, int32_t part) override;

    EffectWrapper* wrapper = nullptr;  // set before the run
    double initStart = 0, initEnd = 0;  // steady clock seconds
    float timeOf(int64_t frame) const;

protected:
    float clockSeconds() override;
    void endProcess(int status) override;

private:
    std::vector<float> times_;
    Observer& observer_;
    BenchDriver& driver_;
    bool wrapped_ = false;
    EffectRegistry originals_;  // the factories the wrappers call
};

// Runs the production on this process (never returns when the run starts:
// the demo ends the process). Picks the silent sound output and SDL's
// offscreen video first. Returns 1 when the run could not start.
int runProduction(int width, int height, const Sampling& sampling, Observer& observer,
                  EffectWrapper* wrapper = nullptr);

// Runs this program again with arguments in a child process, in the
// current folder, and returns its standard output; status and the child's
// peak resident memory (kB) go to the out arguments.
std::string runChild(const std::vector<std::string>& arguments, int* status = nullptr, long* maxRssKb = nullptr);

// The folder this program lives in (build/bench).
std::string programFolder();
// False (with a line on stderr) when ./data does not hold the production.
bool haveData(const char* program);

}  // namespace bench
