// The production run by the kernel's own run loop in a child process: the
// real Demo, script, effects, data and music, on an offscreen OpenGL
// window, with a stand-in clock that runs the whole part table in a few
// hundred frames. Also the runs with a picture or the music missing. The
// working directory is a fresh folder whose data/ links to the checkout's.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "demo/demo.h"
#include "gl/gl_driver.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

// data/ under the working directory, made of links to the checkout's
// files, leaving out the files named (relative to data/).
void linkData(const std::set<std::string>& leaveOut) {
    const fs::path source = fs::path(test::sourceDir()) / "data";
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(source)) {
        const fs::path relative = fs::relative(entry.path(), source);
        const fs::path target = fs::path("data") / relative;
        if (entry.is_directory()) {
            fs::create_directories(target);
        } else if (!leaveOut.count(relative.generic_string())) {
            fs::create_directories(target.parent_path());
            fs::create_symlink(entry.path(), target);
        }
    }
}

// Says what it presents; the loading screen's two frames included.
class TellingDriver : public GlDriver {
public:
    bool endFrame() override {
        std::printf("present\n");
        return GlDriver::endFrame();
    }
};

// The clock moves on by stepMs at every read, and jumps from 80 s to the
// closing parts, so the whole table plays in a few hundred frames.
class FastClockDemo : public Demo {
public:
    ErrorCode init(Driver* d) override {
        ErrorCode r = Demo::init(d);
        int index = 0, missing = 0;
        for (Effect* e : pool) {
            if (!e) {
                std::printf("none %d\n", index);
                ++missing;
            }
            ++index;
        }
        std::printf("pool %zu %d\n", pool.size(), missing);
        return r;
    }
    void onPartStart(float start, int32_t part) override {
        Demo::onPartStart(start, part);
        if (phase == kPhaseRunning) std::printf("part %d\n", int(part));
    }

protected:
    int32_t clockMs() override {
        int32_t now = ms_;
        ms_ += kStepMs;
        if (ms_ > 80000 && ms_ < 830000) ms_ = 830000;
        if (now > 840000) {  // the production did not end itself
            std::printf("clock ran past the end\n");
            std::fflush(stdout);
            std::_Exit(4);
        }
        return now;
    }

private:
    static constexpr int32_t kStepMs = 200;
    int32_t ms_ = 0;
};

// The kernel's run with the demo and a small windowed driver; what the
// child prints, split into lines.
struct ProductionRun {
    test::ChildResult child;
    std::vector<std::string> lines;
    std::string log;
};

ProductionRun runProduction() {
    ProductionRun run;
    run.child = test::runChild([] {
        Os os;
        FastClockDemo demo;
        TellingDriver driver;
        driver.width = 320;
        driver.height = 240;
        driver.colorBits = 32;
        driver.fullscreen = false;
        os.addApp(&demo);
        os.addDriver(&driver);
        driver.enable();
        ErrorCode r = os.run();
        // The demo ends the process itself; getting here is a failure.
        std::printf("run returned %d\n", int(r));
        std::fflush(stdout);
        std::_Exit(3);
    });
    std::istringstream in(run.child.output);
    // The child's own lines; what the libraries say on stderr is left out.
    for (std::string line; std::getline(in, line);)
        for (const char* word : {"present", "pool ", "none ", "part ", "run returned", "clock ran"})
            if (line.rfind(word, 0) == 0) {
                run.lines.push_back(line);
                break;
            }
    run.log = test::readFile("log.txt");
    return run;
}

std::vector<int> partsFired(const ProductionRun& run) {
    std::vector<int> parts;
    for (const std::string& line : run.lines)
        if (line.rfind("part ", 0) == 0) parts.push_back(std::stoi(line.substr(5)));
    return parts;
}

const std::vector<int> kAllParts = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                                    17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 32, 33};

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(DemoRun, TheWholeProductionPlaysAndEndsWithZeroAtPart33Unpresented) {
    test::TempDir dir;
    linkData({});
    ProductionRun run = runProduction();
    ASSERT_TRUE(run.child.exited) << run.child.output;
    EXPECT_EQ(run.child.status, 0) << run.child.output;

    // Loading: two frames of the loading picture, then every effect.
    ASSERT_GE(run.lines.size(), 3u) << run.child.output;
    EXPECT_EQ(run.lines[0], "present");
    EXPECT_EQ(run.lines[1], "present");
    EXPECT_EQ(run.lines[2], "pool 108 0");
    EXPECT_EQ(partsFired(run), kAllParts);
    // Part 33 is the last thing: its frame is never presented.
    EXPECT_EQ(run.lines.back(), "part 33") << run.child.output;
    EXPECT_EQ(run.child.output.find("FX Suxx"), std::string::npos) << run.child.output;
    EXPECT_EQ(run.log.find("init error"), std::string::npos) << run.log;
    EXPECT_EQ(run.log.find("unknown or unregistered"), std::string::npos) << run.log;
}

TEST(DemoRun, AMissingPlateFailsOnceAndTheProductionPlaysOn) {
    test::TempDir dir;
    linkData({"text/demo.jpg"});
    ProductionRun run = runProduction();
    ASSERT_TRUE(run.child.exited) << run.child.output;
    EXPECT_EQ(run.child.status, 0) << run.child.output;
    EXPECT_EQ(count(run.child.output, "FX Suxx"), 1u) << run.child.output;
    EXPECT_NE(run.child.output.find("Error: FX Suxx"), std::string::npos) << run.child.output;
    // The failed open's reason, not what the box did to errno.
    EXPECT_EQ(count(run.log, "init error"), 1u) << run.log;
    EXPECT_NE(run.log.find("Kel_text>init error : io error : No such file or directory.\r\n"), std::string::npos)
        << run.log;
    // Part 5's plate is the one left out; every part still fires.
    std::vector<std::string> loading;
    for (const std::string& line : run.lines)
        if (line.rfind("none ", 0) == 0 || line.rfind("pool ", 0) == 0) loading.push_back(line);
    EXPECT_EQ(loading, (std::vector<std::string>{"none 20", "pool 108 1"})) << run.child.output;
    EXPECT_EQ(partsFired(run), kAllParts);
    EXPECT_EQ(run.lines.back(), "part 33");
}

TEST(DemoRun, AMissingLoadingPictureStopsNothing) {
    test::TempDir dir;
    linkData({"loading.jpg"});
    ProductionRun run = runProduction();
    ASSERT_TRUE(run.child.exited) << run.child.output;
    EXPECT_EQ(run.child.status, 0) << run.child.output;
    ASSERT_GE(run.lines.size(), 3u) << run.child.output;
    EXPECT_EQ(run.lines[2], "pool 108 0");
    EXPECT_EQ(partsFired(run), kAllParts);
    EXPECT_EQ(run.child.output.find("FX Suxx"), std::string::npos) << run.child.output;
}

TEST(DemoRun, MissingMusicEndsWithItsBoxAndOneBeforeAnyEffectLoads) {
    test::TempDir dir;
    linkData({"qv3.mp3"});
    ProductionRun run = runProduction();
    ASSERT_TRUE(run.child.exited) << run.child.output;
    EXPECT_EQ(run.child.status, 1) << run.child.output;
    EXPECT_NE(run.child.output.find("Exit Error: File not found"), std::string::npos) << run.child.output;
    // No loading frame, no pool, no effect's report.
    EXPECT_EQ(run.child.output.find("present"), std::string::npos) << run.child.output;
    EXPECT_EQ(run.child.output.find("pool"), std::string::npos) << run.child.output;
    EXPECT_EQ(run.log.find("init error"), std::string::npos) << run.log;
}

}  // namespace
