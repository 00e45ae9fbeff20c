// bench/frames: the production's frame time, part by part, at 800x600 and
// at 1920x1080, rendered through the offscreen driver with the loop uncapped.
//
//   frames [--step S] [--calm N] [--big-step S] [--quick]
//
// A frame is both passes of the player's frame step at one t, then glFinish;
// its time runs from the end of the frame before (for the first one, from
// the end of Demo::init). 800x600 is sampled every S seconds (1/60), the
// larger size every --big-step seconds (1/30); part 30's long calm scene
// gets N frames (300) spread over it. The 800x600 table goes to
// frames.tsv beside this program, where bench/limit reads it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/measures.h"

namespace {

constexpr double kFrameBudgetMs = 1000.0 / 60.0;

struct Summary {
    const bench::PartTimes* slowest = nullptr;  // lowest fps
    const bench::PartTimes* worst = nullptr;    // slowest single frame
    int64_t frames = 0;
    double sumMs = 0;
};

Summary summarize(const bench::TimedRun& run) {
    Summary s;
    for (const bench::PartTimes& p : run.parts) {
        if (p.frames == 0) continue;
        s.frames += p.frames;
        s.sumMs += p.sumMs;
        // Part 33's one frame is the update pass alone; it says nothing of fps.
        if (p.part == kLastPart) continue;
        if (!s.slowest || p.fps() < s.slowest->fps()) s.slowest = &p;
        if (!s.worst || p.worstMs > s.worst->worstMs) s.worst = &p;
    }
    return s;
}

void printSummary(const bench::TimedRun& run) {
    Summary s = summarize(run);
    std::printf("%dx%d: %lld frames in %.1f s of frame time (%.1f s wall), mean %.2f ms; peak RSS %.1f MB\n",
                run.width, run.height, static_cast<long long>(s.frames), s.sumMs / 1000.0, run.wallSeconds,
                s.frames ? s.sumMs / double(s.frames) : 0.0, double(run.maxRssKb) / 1024.0);
    if (!s.slowest) return;
    std::printf("  minimum fps %.1f (part %d)   worst frame %.2f ms (part %d, t = %.3f s)\n", s.slowest->fps(),
                s.slowest->part, s.worst->worstMs, s.worst->part, double(s.worst->worstAt));
    int missed = 0;
    std::string list;
    for (const bench::PartTimes& p : run.parts) {
        if (p.frames == 0 || p.part == kLastPart) continue;
        if (p.fps() < 60.0 || p.worstMs > kFrameBudgetMs) {
            ++missed;
            list += " " + std::to_string(p.part);
        }
    }
    if (missed == 0)
        std::printf("  goal (every part >= 60 fps, no frame over 16.7 ms): met\n");
    else
        std::printf("  goal (every part >= 60 fps, no frame over 16.7 ms): MISSED by %d parts:%s\n", missed,
                    list.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    bench::childMain(argc, argv);
    bench::Sampling small, big;
    big.step = 1.0 / 30.0;
    bool quick = false;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        bool more = i + 1 < argc;
        if (std::strcmp(a, "--step") == 0 && more) small.step = std::atof(argv[++i]);
        else if (std::strcmp(a, "--big-step") == 0 && more) big.step = std::atof(argv[++i]);
        else if (std::strcmp(a, "--calm") == 0 && more) small.calmFrames = big.calmFrames = std::atoi(argv[++i]);
        else if (std::strcmp(a, "--quick") == 0) quick = true;
        else {
            std::fprintf(stderr, "usage: frames [--step S] [--big-step S] [--calm N] [--quick]\n");
            return 2;
        }
    }
    if (quick) {
        small.step = 1.0 / 10.0;
        big.step = 1.0 / 5.0;
        small.calmFrames = big.calmFrames = 30;
    }
    if (!(small.step > 0) || !(big.step > 0) || small.calmFrames < 1) {
        std::fprintf(stderr, "frames: steps must be positive and --calm at least 1\n");
        return 2;
    }
    if (!bench::haveData("frames")) return 1;

    std::printf("== frames: frame time per part (both passes + glFinish, uncapped, offscreen) ==\n");
    std::printf("800x600 sampled: %s\n", bench::describe(small).c_str());
    std::printf("1920x1080 sampled: %s\n", bench::describe(big).c_str());
    std::fflush(stdout);
    bench::TimedRun a = bench::runTimed(800, 600, small);
    bench::TimedRun b = bench::runTimed(1920, 1080, big);
    if (!a.ok) std::printf("800x600: the run did not reach part 33\n");
    if (!b.ok) std::printf("1920x1080: the run did not reach part 33\n");

    auto fps = [](const bench::PartTimes& p) {
        char text[16];
        if (p.meanMs() < 0.1) std::snprintf(text, sizeof text, "%7s", "-");
        else std::snprintf(text, sizeof text, "%7.1f", p.fps());
        return std::string(text);
    };
    std::printf("\npart  start s |  800x600: frames  mean ms  worst ms     fps | 1920x1080: frames  mean ms  worst ms     fps\n");
    for (size_t i = 0; i < a.parts.size(); ++i) {
        const bench::PartTimes& p = a.parts[i];
        const bench::PartTimes& q = i < b.parts.size() ? b.parts[i] : p;
        std::printf("%4d  %7.2f | %15lld %8.2f %9.2f %s | %17lld %8.2f %9.2f %s%s\n", p.part, double(p.start),
                    static_cast<long long>(p.frames), p.meanMs(), p.worstMs, fps(p).c_str(),
                    static_cast<long long>(q.frames), q.meanMs(), q.worstMs, fps(q).c_str(),
                    p.part == kLastPart ? "  (update pass only)" : p.meanMs() < 0.1 ? "  (draws nothing)" : "");
    }
    std::printf("\n");
    printSummary(a);
    printSummary(b);
    std::string table = bench::programFolder() + "/frames.tsv";
    if (!bench::writeFrameTable(table, a)) std::fprintf(stderr, "frames: cannot write %s\n", table.c_str());
    return a.ok && b.ok ? 0 : 1;
}
