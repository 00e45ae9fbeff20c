// The benchmarks' production run: sampled clock, timed frames, children.
#include "bench/production_run.h"

#include <GL/gl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "demo/script.h"
#include "kernel/os.h"
#include "platform/sound.h"

namespace bench {

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

long contextRssKb = 0;

long statusKb(const char* field) {
    FILE* file = std::fopen("/proc/self/status", "r");
    if (!file) return 0;
    char line[256];
    long kb = 0;
    size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, file))
        if (std::strncmp(line, field, length) == 0) kb = std::atol(line + length);
    std::fclose(file);
    return kb;
}

namespace {

float partTime(int32_t part) {
    for (const PartTime& entry : scriptPartTable())
        if (entry.part == part) return entry.time;
    return 0.0f;
}

// The music is read and started as in the player, but nothing pulls its
// samples: the decoder costs the frames nothing, and the clock is ours.
class SilentOutput final : public platform::SoundOutput {
public:
    bool open(int rate, int) override {
        rate_ = rate;
        return true;
    }
    int sampleRate() const override { return rate_; }
    bool start(platform::SoundSource*) override { return rate_ != 0; }
    void stop() override {}
    void close() override { rate_ = 0; }
    double playedFrames() override { return 0; }

private:
    int rate_ = 0;
};

// Hands every effect a factory makes to the wrapper; the factory stays its
// registry's.
class WrappingFactory final : public EffectFactory {
public:
    WrappingFactory(EffectFactory* inner, EffectWrapper& wrapper)
        : EffectFactory(inner->name), inner_(inner), wrapper_(wrapper) {}
    Effect* create() override {
        Effect* effect = inner_->create();
        return effect ? wrapper_.wrap(name, effect) : nullptr;
    }

private:
    EffectFactory* inner_;
    EffectWrapper& wrapper_;
};

}  // namespace

std::vector<float> sampleTimes(const Sampling& sampling) {
    const double calmStart = partTime(30), calmEnd = partTime(32), end = partTime(kLastPart);
    std::vector<float> times;
    for (int64_t i = 0;; ++i) {
        double t = double(i) * sampling.step;
        if (t >= calmStart) break;
        times.push_back(float(t));
    }
    for (int i = 0; i < sampling.calmFrames; ++i)
        times.push_back(float(calmStart + (calmEnd - calmStart) * double(i) / double(sampling.calmFrames)));
    for (int64_t i = 0;; ++i) {
        double t = calmEnd + double(i) * sampling.step;
        if (t >= end) break;
        times.push_back(float(t));
    }
    times.push_back(float(end));
    return times;
}

std::string describe(const Sampling& s) {
    char text[300];
    std::snprintf(text, sizeof text,
                  "t = i * %.4g s up to part 30 (%.1f s); %d frames evenly over part 30 (%.1f..%.1f s); "
                  "every %.4g s over part 32; part 33 at %.1f s",
                  s.step, partTime(30), s.calmFrames, partTime(30), partTime(32), s.step, partTime(kLastPart));
    return text;
}

int32_t partAt(float t) {
    int32_t part = 0;
    for (const PartTime& entry : scriptPartTable())
        if (entry.time <= t) part = entry.part;
    return part;
}

ErrorCode BenchDriver::start() {
    double begin = now();
    ErrorCode r = OffscreenGlDriver::start();
    startSeconds = now() - begin;
    contextRssKb = statusKb("VmRSS:");
    return r;
}

bool BenchDriver::beginFrame() {
    looping = true;
    return false;
}

bool BenchDriver::endFrame() {
    glFinish();
    if (!looping) {
        observer_.loadingFrame();
        return false;
    }
    return observer_.frameDone(frame++, 0.0f);
}

ErrorCode BenchDemo::init(Driver* d) {
    initStart = now();
    ErrorCode r = Demo::init(d);
    glFinish();
    initEnd = now();
    observer_.initDone(initStart, initEnd, driver_.startSeconds);
    return r;
}

void BenchDemo::onPartStart(float start, int32_t part) {
    // The first hook of the preload comes after the registry was filled and
    // before the first effect is made.
    if (!wrapped_ && wrapper && phase == kPhasePreloading) {
        wrapped_ = true;
        // The same standard table again, held by the demo's side registry;
        // the timeline's registry gets wrappers of those in the same order.
        originals_.registerStandardEffects();
        registry.clearRegistry();
        for (uint32_t i = 0; i < originals_.count(); ++i)
            registry.registerEffect(new WrappingFactory(originals_.factory(i), *wrapper));
    }
    Demo::onPartStart(start, part);
}

float BenchDemo::timeOf(int64_t frame) const {
    if (times_.empty()) return 0.0f;
    if (frame < 0) frame = 0;
    if (size_t(frame) >= times_.size()) return times_.back();
    return times_[size_t(frame)];
}

float BenchDemo::clockSeconds() { return timeOf(driver_.frame); }

void BenchDemo::endProcess(int status) {
    glFinish();
    observer_.finished(driver_.frame, timeOf(driver_.frame), status);
    std::fflush(stdout);
    Demo::endProcess(status);
}

int runProduction(int width, int height, const Sampling& sampling, Observer& observer, EffectWrapper* wrapper) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    static SilentOutput silence;
    platform::setSoundOutput(&silence);
    Os os;
    BenchDriver driver(width, height, observer);
    BenchDemo demo(sampleTimes(sampling), observer, driver);
    demo.wrapper = wrapper;
    os.addApp(&demo);
    os.addDriver(&driver);
    driver.enable();
    ErrorCode r = os.run();
    std::fprintf(stderr, "the production did not start: %s\n", errorText(r));
    os.removeApp(&demo);
    os.removeDriver(&driver);
    return 1;
}

std::string programFolder() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = 0;
    std::string text = path;
    size_t slash = text.rfind('/');
    return slash == std::string::npos ? "." : text.substr(0, slash);
}

std::string runChild(const std::vector<std::string>& arguments, int* status, long* maxRssKb) {
    std::string out;
    int fds[2];
    if (pipe(fds) != 0) return out;
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        if (status) *status = -1;
        return out;
    }
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv;
        std::string self = "/proc/self/exe";
        argv.push_back(self.data());
        std::vector<std::string> copies = arguments;
        for (std::string& a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(self.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        out.append(buffer, size_t(n));
    }
    close(fds[0]);
    int st = 0;
    struct rusage usage {};
    wait4(pid, &st, 0, &usage);
    if (status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + (WIFSIGNALED(st) ? WTERMSIG(st) : 0);
    if (maxRssKb) *maxRssKb = usage.ru_maxrss;
    return out;
}

bool haveData(const char* program) {
    struct stat info {};
    if (stat(kMusicFile, &info) == 0) return true;
    std::fprintf(stderr, "%s: no %s here: run it where ./data/ is (make data makes it)\n", program, kMusicFile);
    return false;
}

}  // namespace bench
