// bench/load: start-up, from the start of Demo::init to the first frame,
// split by what it reads, beside the same files read by independent tools;
// and the peak resident memory of a whole run.
//
//   load [--runs N]
//
// The loaders are timed from outside: the linker routes the engine's calls
// to loadTexture, glTexImage2D, createScene3DS, glNewList/glEndList, the
// spline readers and the Music constructor through the timers below (see
// bench/CMakeLists.txt), so the engine runs exactly as in the player. Each
// start-up runs in a child process N times (3); the fastest is shown.
//
// Beside it: each picture decoded by `djpeg -outfile /dev/null` (best of 10,
// less the best of 10 `djpeg -version`, the program's own start), each scene
// imported by `assimp info` (its own "import took" figure, best of 3; with
// its post-processing, and raw with -r). Peak resident memory: ru_maxrss of
// a child that plays the whole production (sampled every 1/4 s, part 30
// with 20 frames).
#include <GL/gl.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/measures.h"
#include "modules/Loader3DS/scene3ds.h"
#include "modules/picture.h"
#include "modules/spline_path.h"
#include "sound/music.h"

extern char** environ;

namespace {

constexpr const char kLoadChild[] = "--load-child";

// What the routed calls saw, in call order.
struct Event {
    char kind = '?';  // M music, P picture, S scene, C spline
    std::string path;
    double seconds = 0;  // the whole call
    double part = 0;     // P: glTexImage2D within it; S: the display list compiled after it
};
std::vector<Event> events;
double uploadSeconds = 0;
double listStart = 0;
bool inPicture = false;

std::string trimmed(const char* path) {
    std::string s = path ? path : "";
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

}  // namespace

extern "C" {
ErrorCode __real__Z11loadTexturePKcPj(const char* path, uint32_t* texture);
ErrorCode __wrap__Z11loadTexturePKcPj(const char* path, uint32_t* texture) {
    double begin = bench::now();
    uploadSeconds = 0;
    inPicture = true;
    ErrorCode r = __real__Z11loadTexturePKcPj(path, texture);
    inPicture = false;
    events.push_back({'P', trimmed(path), bench::now() - begin, uploadSeconds});
    return r;
}

void __real_glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*);
void __wrap_glTexImage2D(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border,
                         GLenum format, GLenum type, const void* pixels) {
    double begin = bench::now();
    __real_glTexImage2D(target, level, internal, w, h, border, format, type, pixels);
    if (inPicture) uploadSeconds += bench::now() - begin;
}

Scene3DS* __real__Z14createScene3DSPKcbbb(const char*, bool, bool, bool);
Scene3DS* __wrap__Z14createScene3DSPKcbbb(const char* path, bool tex, bool faceNormals, bool vertexNormals) {
    double begin = bench::now();
    Scene3DS* scene = __real__Z14createScene3DSPKcbbb(path, tex, faceNormals, vertexNormals);
    events.push_back({'S', trimmed(path), bench::now() - begin, 0});
    return scene;
}

void __real_glNewList(GLuint, GLenum);
void __wrap_glNewList(GLuint list, GLenum mode) {
    listStart = bench::now();
    __real_glNewList(list, mode);
}

void __real_glEndList();
void __wrap_glEndList() {
    __real_glEndList();
    double seconds = bench::now() - listStart;
    for (auto e = events.rbegin(); e != events.rend(); ++e)
        if (e->kind == 'S') {
            e->part += seconds;
            break;
        }
}

SplinePathList __real__Z19readSplinePathsTextPKc(const char*);
SplinePathList __wrap__Z19readSplinePathsTextPKc(const char* path) {
    double begin = bench::now();
    SplinePathList list = __real__Z19readSplinePathsTextPKc(path);
    events.push_back({'C', trimmed(path), bench::now() - begin, 0});
    return list;
}

SplinePathList __real__Z21readSplinePathsBinaryPKc(const char*);
SplinePathList __wrap__Z21readSplinePathsBinaryPKc(const char* path) {
    double begin = bench::now();
    SplinePathList list = __real__Z21readSplinePathsBinaryPKc(path);
    events.push_back({'C', trimmed(path), bench::now() - begin, 0});
    return list;
}

void __real__ZN5MusicC1EPKc(Music*, const char*);
void __wrap__ZN5MusicC1EPKc(Music* music, const char* path) {
    double begin = bench::now();
    __real__ZN5MusicC1EPKc(music, path);
    events.push_back({'M', trimmed(path), bench::now() - begin, 0});
}
}  // extern "C"

namespace {

// Child: the events, then "T driver init firstFrame" and ends at the first frame.
class LoadObserver final : public bench::Observer {
public:
    void initDone(double start, double end, double driverStart) override {
        initStart_ = start;
        initEnd_ = end;
        driverStart_ = driverStart;
    }
    bool frameDone(int64_t, float) override {
        double first = bench::now();
        for (const Event& e : events)
            std::printf("L %c %.9f %.9f %s\n", e.kind, e.seconds, e.part, e.path.c_str());
        std::printf("T %.9f %.9f %.9f\n", driverStart_, initEnd_ - initStart_, first - initStart_);
        std::printf("R %ld %ld %ld\n", bench::statusKb("VmHWM:"), bench::statusKb("VmRSS:"), bench::contextRssKb);
        std::fflush(stdout);
        std::_Exit(0);  // nothing more is measured
    }
    void finished(int64_t, float, int) override {}

private:
    double initStart_ = 0, initEnd_ = 0, driverStart_ = 0;
};

struct StartUp {
    std::vector<Event> events;
    double driverStart = 0, init = 0, firstFrame = 0;  // seconds; firstFrame from init's start
    long peakKb = 0, residentKb = 0, contextKb = 0;     // at the first frame; after the driver started
    bool ok = false;
};

StartUp parseStartUp(const std::string& out) {
    StartUp s;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        Event e;
        char path[1024] = {};
        if (std::sscanf(line.c_str(), "L %c %lf %lf %1023[^\n]", &e.kind, &e.seconds, &e.part, path) >= 3) {
            e.path = path;
            // The script writes some picture paths with a trailing blank that
            // is not part of the file name.
            while (!e.path.empty() && e.path.back() == ' ') e.path.pop_back();
            s.events.push_back(e);
        } else if (std::sscanf(line.c_str(), "T %lf %lf %lf", &s.driverStart, &s.init, &s.firstFrame) == 3) {
            s.ok = true;
        } else {
            std::sscanf(line.c_str(), "R %ld %ld %ld", &s.peakKb, &s.residentKb, &s.contextKb);
        }
    }
    return s;
}

// Seconds of one run of argv, its output thrown away; negative on failure.
double timeProgram(const std::vector<std::string>& arguments, std::string* output = nullptr) {
    std::vector<char*> argv;
    std::vector<std::string> copies = arguments;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    char outName[] = "/tmp/quillon-bench-XXXXXX";
    int outFd = mkstemp(outName);
    if (outFd < 0) return -1;
    unlink(outName);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    double begin = bench::now();
    pid_t pid = 0;
    int r = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (r != 0) {
        close(outFd);
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    double seconds = bench::now() - begin;
    if (output) {
        output->clear();
        lseek(outFd, 0, SEEK_SET);
        char buffer[4096];
        ssize_t n;
        while ((n = read(outFd, buffer, sizeof buffer)) > 0) output->append(buffer, size_t(n));
    }
    close(outFd);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

double bestOf(int runs, const std::vector<std::string>& arguments) {
    double best = -1;
    for (int i = 0; i < runs; ++i) {
        double s = timeProgram(arguments);
        if (s >= 0 && (best < 0 || s < best)) best = s;
    }
    return best;
}

// assimp's own figure for its import, best of three; negative when absent.
double assimpImport(const std::string& path, bool raw) {
    double best = -1;
    for (int i = 0; i < 3; ++i) {
        std::string out;
        std::vector<std::string> args = {"assimp", "info", path};
        if (raw) args.push_back("-r");
        if (timeProgram(args, &out) < 0) continue;
        size_t at = out.find("import took approx.");
        if (at == std::string::npos) continue;
        double s = std::atof(out.c_str() + at + std::strlen("import took approx."));
        if (best < 0 || s < best) best = s;
    }
    return best;
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

std::string ms(double seconds) {
    char text[32];
    if (seconds < 0) return "n/a";
    std::snprintf(text, sizeof text, "%.2f", seconds * 1000.0);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    bench::childMain(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], kLoadChild) == 0) {
        static LoadObserver observer;
        return bench::runProduction(800, 600, bench::Sampling{}, observer);
    }
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: load [--runs N]\n");
            return 2;
        }
    }
    if (runs < 1) runs = 1;
    if (!bench::haveData("load")) return 1;

    std::printf("== load: Demo::init to the first frame (800x600, offscreen, silent output) ==\n");
    StartUp best;
    for (int i = 0; i < runs; ++i) {
        int status = -1;
        StartUp s = parseStartUp(bench::runChild({kLoadChild}, &status));
        if (!s.ok) continue;
        if (!best.ok || s.firstFrame < best.firstFrame) best = s;
    }
    if (!best.ok) {
        std::printf("load: the start-up run failed\n");
        return 1;
    }

    // The independent tools, on the same files.
    double djpegStart = bestOf(10, {"djpeg", "-version"});
    std::map<std::string, double> djpeg;
    std::map<std::string, double> assimp, assimpRaw;
    for (const Event& e : best.events) {
        if (e.kind == 'P' && !djpeg.count(e.path)) {
            double s = bestOf(10, {"djpeg", "-outfile", "/dev/null", e.path});
            djpeg[e.path] = s >= 0 && djpegStart >= 0 ? std::max(0.0, s - djpegStart) : -1;
        }
        if (e.kind == 'S' && !assimp.count(e.path)) {
            assimp[e.path] = assimpImport(e.path, false);
            assimpRaw[e.path] = assimpImport(e.path, true);
        }
    }

    double sums[4] = {0, 0, 0, 0};  // music, pictures, scenes, splines
    double decodeSum = 0, uploadSum = 0, djpegSum = 0, compileSum = 0;
    bool scenesMet = true;
    std::printf("\nstep                                          ms   beside                       ms   ratio\n");
    for (const Event& e : best.events) {
        switch (e.kind) {
            case 'M':
                sums[0] += e.seconds;
                std::printf("music read   %-30s %7s\n", e.path.c_str(), ms(e.seconds).c_str());
                break;
            case 'P': {
                double decode = e.seconds - e.part;
                double bare = djpeg[e.path];
                sums[1] += e.seconds;
                decodeSum += decode;
                uploadSum += e.part;
                if (bare > 0) djpegSum += bare;
                std::printf("picture      %-30s %7s   decode %6s upload %6s  djpeg %6s  %5.2fx\n", e.path.c_str(),
                            ms(e.seconds).c_str(), ms(decode).c_str(), ms(e.part).c_str(), ms(bare).c_str(),
                            bare > 0 ? decode / bare : 0.0);
                break;
            }
            case 'S': {
                double a = assimp[e.path], raw = assimpRaw[e.path];
                sums[2] += e.seconds + e.part;
                compileSum += e.part;
                if (a >= 0 && e.seconds > a) scenesMet = false;
                std::printf("3DS scene    %-30s %7s   load %6s list %6s  assimp %6s (raw %6s)  %5.2fx\n",
                            e.path.c_str(), ms(e.seconds + e.part).c_str(), ms(e.seconds).c_str(),
                            ms(e.part).c_str(), ms(a).c_str(), ms(raw).c_str(), a > 0 ? e.seconds / a : 0.0);
                break;
            }
            case 'C':
                sums[3] += e.seconds;
                std::printf("spline read  %-30s %7s\n", e.path.c_str(), ms(e.seconds).c_str());
                break;
        }
    }
    double named = sums[0] + sums[1] + sums[2] + sums[3];
    std::printf("\ndriver start (window, context; before Demo::init)  %8s ms\n", ms(best.driverStart).c_str());
    std::printf("Demo::init                                         %8s ms\n", ms(best.init).c_str());
    std::printf("  music %s, pictures %s (decode %s, upload %s), scenes %s (display lists %s), splines %s,\n",
                ms(sums[0]).c_str(), ms(sums[1]).c_str(), ms(decodeSum).c_str(), ms(uploadSum).c_str(),
                ms(sums[2]).c_str(), ms(compileSum).c_str(), ms(sums[3]).c_str());
    std::printf("  the rest (registry, effects' own set-up, loading frames, music start) %s\n",
                ms(best.init - named).c_str());
    std::printf("first frame (both passes)                          %8s ms\n",
                ms(best.firstFrame - best.init).c_str());
    std::printf("Demo::init start to first frame                    %8s ms (best of %d)\n",
                ms(best.firstFrame).c_str(), runs);

    // Peak memory of a whole run.
    bench::Sampling coarse;
    coarse.step = 0.25;
    coarse.calmFrames = 20;
    bench::TimedRun full = bench::runTimed(800, 600, coarse);
    double rssMb = double(full.maxRssKb) / 1024.0;

    double startUp = best.driverStart + best.firstFrame;
    std::printf("\ngoal  start-up (driver start + init + first frame) < 500 ms: %s ms  %s\n", ms(startUp).c_str(),
                verdict(startUp < 0.5));
    std::printf("goal  picture decoding <= 1.2x bare djpeg (%s ms): %s ms = %.2fx  %s\n", ms(djpegSum).c_str(),
                ms(decodeSum).c_str(), djpegSum > 0 ? decodeSum / djpegSum : 0.0,
                verdict(djpegSum > 0 && decodeSum <= 1.2 * djpegSum));
    std::printf("      (with the uploads: %s ms = %.2fx)\n", ms(decodeSum + uploadSum).c_str(),
                djpegSum > 0 ? (decodeSum + uploadSum) / djpegSum : 0.0);
    std::printf("goal  each 3DS load no slower than assimp info's import: %s\n", verdict(scenesMet));
    std::printf("resident memory: %.1f MB with the GL context alone, %.1f MB at the first frame (peak so far %.1f MB)\n",
                double(best.contextKb) / 1024.0, double(best.residentKb) / 1024.0, double(best.peakKb) / 1024.0);
    std::printf("goal  peak RSS of a whole run < 150 MB: %.1f MB  %s%s\n", rssMb, verdict(full.ok && rssMb < 150),
                full.ok ? "" : " (the run did not reach part 33)");
    return 0;
}
