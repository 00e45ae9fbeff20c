// bench/limit: what the rasterizer can do here, and each part's frame time
// as a multiple of that.
//
//   limit [--step S] [--calm N]
//
// Fill rates at 800x600 on the offscreen driver's GL context: full-screen
// quads drawn back to back between two glFinish calls, textured (one of the
// production's pictures, opaque), flat with additive blending, and textured
// with additive blending; and the floor of a frame that draws nothing but
// two depth clears. Then the production runs once more with every layer's
// drawing counted by an occlusion query (sampled every S = 1/15 s, part 30
// with N = 40 frames): each part's pixels per frame by fill kind, divided
// by that kind's rate, is its bound, beside the mean frame time bench/frames
// measured (frames.tsv beside this program; measured here when missing).
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/measures.h"
#include "modules/picture.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr double kBoundFactor = 1.25;

struct Rates {
    double mpixPerSecond[bench::kFillKinds] = {0, 0, 0};
    double floorMs = 0;  // a frame of two depth clears, glFinish
};

void fullScreenQuad() {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(1, 0);
    glVertex2f(float(kWidth), 0);
    glTexCoord2f(1, 1);
    glVertex2f(float(kWidth), float(kHeight));
    glTexCoord2f(0, 1);
    glVertex2f(0, float(kHeight));
    glEnd();
}

// Mpix/s of `quads` full-screen quads in the current state, best of three.
double fillRate(int quads) {
    double best = 0;
    for (int round = 0; round < 3; ++round) {
        fullScreenQuad();  // the state's rasterizer code is built before the clock starts
        glFinish();
        double begin = bench::now();
        for (int i = 0; i < quads; ++i) fullScreenQuad();
        glFinish();
        double seconds = bench::now() - begin;
        double rate = double(quads) * kWidth * kHeight / seconds / 1e6;
        if (rate > best) best = rate;
    }
    return best;
}

bool measureRates(Rates& rates) {
    OffscreenGlDriver driver(kWidth, kHeight);
    if (driver.start() != Ok) {
        std::fprintf(stderr, "limit: no GL context: %s\n", errorText(CustomError));
        return false;
    }
    currentDriver = &driver;
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);

    GLuint texture = 0;
    if (loadTexture("./data/etoile-donuts/bgmap.jpg", &texture) != Ok) {
        std::fprintf(stderr, "limit: cannot load ./data/etoile-donuts/bgmap.jpg\n");
        return false;
    }
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, 1);

    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    rates.mpixPerSecond[int(bench::FillKind::Textured)] = fillRate(100);

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    rates.mpixPerSecond[int(bench::FillKind::TexturedBlended)] = fillRate(100);

    glDisable(GL_TEXTURE_2D);
    glColor4f(0.01f, 0.01f, 0.01f, 1);
    rates.mpixPerSecond[int(bench::FillKind::Flat)] = fillRate(200);
    glDisable(GL_BLEND);

    double best = 1e9;
    for (int round = 0; round < 20; ++round) {
        double begin = bench::now();
        glClear(GL_DEPTH_BUFFER_BIT);
        glClear(GL_DEPTH_BUFFER_BIT);
        glFinish();
        double ms = (bench::now() - begin) * 1000.0;
        if (ms < best) best = ms;
    }
    rates.floorMs = best;
    driver.stop();
    currentDriver = nullptr;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bench::childMain(argc, argv);
    bench::Sampling probe;
    probe.step = 1.0 / 15.0;
    probe.calmFrames = 40;
    for (int i = 1; i < argc; ++i) {
        bool more = i + 1 < argc;
        if (std::strcmp(argv[i], "--step") == 0 && more) probe.step = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--calm") == 0 && more) probe.calmFrames = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: limit [--step S] [--calm N]\n");
            return 2;
        }
    }
    if (!(probe.step > 0) || probe.calmFrames < 1) {
        std::fprintf(stderr, "limit: --step must be positive and --calm at least 1\n");
        return 2;
    }
    if (!bench::haveData("limit")) return 1;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);

    std::printf("== limit: the rasterizer's fill rate and each part's share of it (800x600) ==\n");
    Rates rates;
    if (!measureRates(rates)) return 1;
    for (int k = 0; k < bench::kFillKinds; ++k)
        std::printf("%-17s full-screen quad: %7.1f Mpix/s  (%.2f ms per 800x600 quad)\n",
                    bench::fillKindName(bench::FillKind(k)), rates.mpixPerSecond[k],
                    kWidth * kHeight / rates.mpixPerSecond[k] / 1000.0);
    std::printf("empty frame (two depth clears + glFinish): %.3f ms\n", rates.floorMs);
    std::fflush(stdout);

    std::vector<bench::PartPixels> pixels = bench::runProbed(kWidth, kHeight, probe);
    if (pixels.empty()) {
        std::printf("limit: the probed run failed\n");
        return 1;
    }
    std::string table = bench::programFolder() + "/frames.tsv";
    std::vector<bench::PartTimes> times = bench::readFrameTable(table);
    const char* source = "bench/frames (frames.tsv)";
    if (times.empty()) {
        source = "measured here (no frames.tsv)";
        bench::TimedRun run = bench::runTimed(kWidth, kHeight, bench::Sampling{});
        times = run.parts;
    }
    std::printf("pixels: occlusion-query samples per frame (both passes), sampled %s\n",
                bench::describe(probe).c_str());
    std::printf("frame times: %s\n\n", source);
    std::printf("part | Mpix/frame: textured  tex+blend   flat |  bound ms  measured ms  measured/bound | goal %.2fx\n",
                kBoundFactor);
    int missed = 0;
    std::string list;
    for (const bench::PartPixels& p : pixels) {
        double bound = 0;
        for (int k = 0; k < bench::kFillKinds; ++k) bound += p.perFrame(k) / rates.mpixPerSecond[k] / 1000.0;
        double measured = 0;
        for (const bench::PartTimes& t : times)
            if (t.part == p.part) measured = t.meanMs();
        double ratio = bound > 0 ? measured / bound : 0;
        const char* verdict = "-";
        if (measured > 0 && bound > 0 && p.part != kLastPart) {
            verdict = ratio <= kBoundFactor ? "met" : "MISSED";
            if (std::strcmp(verdict, "MISSED") == 0) {
                ++missed;
                list += " " + std::to_string(p.part);
            }
        }
        std::printf("%4d | %20.3f %10.3f %6.3f | %9.3f %12.3f %15s | %s\n", p.part, p.perFrame(0) / 1e6,
                    p.perFrame(1) / 1e6, p.perFrame(2) / 1e6, bound, measured,
                    bound > 0 ? (std::to_string(ratio).substr(0, 6) + "x").c_str() : "(nothing drawn)", verdict);
    }
    std::printf("\ngoal (mean frame time within %.2fx the fill-rate bound): %s", kBoundFactor,
                missed ? "MISSED by" : "met\n");
    if (missed) std::printf(" %d parts:%s\n", missed, list.c_str());
    std::printf("(the empty frame's %.3f ms floor is part of every frame and of no bound)\n", rates.floorMs);
    return 0;
}
