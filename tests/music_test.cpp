// Music: the clock on SDL's dummy device, the clock and samples through an
// output driven frame by frame (as an offline capture drives it), and the
// three fatal failures.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound.h"
#include "platform/window.h"
#include "sound/mp3_stream.h"
#include "sound/music.h"
#include "tests/music_tracks.h"
#include "tests/support/test_support.h"

namespace {

// An output with no device: the test pulls samples and sets the clock.
class ManualOutput : public platform::SoundOutput {
public:
    int opens = 0, closes = 0;
    int failOpen = 0;     // the set-up (1 or 2) that fails; 0 none
    bool report = false;  // tell stderr when closed (child processes)
    double frames = 0;
    platform::SoundSource* source = nullptr;

    bool open(int rate, int channels) override {
        ++opens;
        if (opens == failOpen) return false;
        this->rate = rate;
        EXPECT_EQ(channels, 2);
        return true;
    }
    int sampleRate() const override { return rate; }
    bool start(platform::SoundSource* s) override {
        source = s;
        frames = 0;
        return true;
    }
    void stop() override { source = nullptr; }
    void close() override {
        ++closes;
        if (report) std::fprintf(stderr, "output closed\n");
    }
    double playedFrames() override { return frames; }

    // What a capture does for one picture frame: pull its samples, advance.
    std::vector<int16_t> pull(int count) {
        std::vector<int16_t> out(size_t(count) * 2, 12345);
        if (source) source->fill(out.data(), count);
        frames += count;
        return out;
    }

private:
    int rate = 0;
};

struct OutputSelection {
    explicit OutputSelection(platform::SoundOutput* o) { platform::setSoundOutput(o); }
    ~OutputSelection() { platform::setSoundOutput(nullptr); }
};

TEST(Music, PlaysFromMemoryThroughAnOutputDrivenFrameByFrame) {
    test::TempDir dir;
    ASSERT_TRUE(test::makeTrack("t.mp3", 0.4));
    std::string file = test::readFile("t.mp3");
    std::vector<int16_t> decoded;
    ASSERT_TRUE(decodeMp3(reinterpret_cast<const uint8_t*>(file.data()), file.size(), decoded));

    ManualOutput output;
    OutputSelection selection(&output);
    Music music("t.mp3");
    EXPECT_EQ(output.opens, 2);  // set up by the constructor, then by open
    ASSERT_EQ(music.fileSize(), file.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(music.fileData()), music.fileSize()), file);
    ASSERT_EQ(std::remove("t.mp3"), 0);  // it plays from memory

    EXPECT_EQ(music.timeMs(), 0);
    ASSERT_EQ(music.play(), Ok);
    EXPECT_EQ(music.timeMs(), 0);
    std::vector<int16_t> heard;
    const int kFrame = 735;  // one picture at 60 per second
    for (int i = 0; i < 60; ++i) {
        std::vector<int16_t> part = output.pull(kFrame);
        heard.insert(heard.end(), part.begin(), part.end());
        ASSERT_EQ(music.timeMs(), int32_t(output.frames * 1000 / 44100)) << "frame " << i;
    }
    // The track, then silence: a second of frames against 0.4 s of music.
    ASSERT_EQ(heard.size(), 60u * kFrame * 2);
    ASSERT_LT(decoded.size(), heard.size());
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), heard.begin()));
    for (size_t i = decoded.size(); i < heard.size(); ++i) ASSERT_EQ(heard[i], 0) << "sample " << i;
    EXPECT_EQ(music.timeMs(), 1000);

    output.frames = 22050;  // a clock that stepped back is not followed
    EXPECT_EQ(music.timeMs(), 1000);
    EXPECT_EQ(music.stop(), Ok);
    EXPECT_EQ(output.source, nullptr);
}

TEST(Music, ClockOnTheDummyDeviceStartsAtZeroAndKeepsRealTimePastTheEnd) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);  // no sound card needed; a real one is fine too
    test::TempDir dir;
    ASSERT_TRUE(test::makeTrack("short.mp3", 0.3));
    Music music("short.mp3");
    ASSERT_EQ(music.play(), Ok);
    double start = platform::monotonicSeconds();
    int32_t first = music.timeMs();
    EXPECT_LE(first, 50);
    int32_t previous = first;
    for (int i = 0; i < 1000; ++i) {
        int32_t now = music.timeMs();
        ASSERT_GE(now, previous) << "read " << i;
        previous = now;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    int32_t later = music.timeMs();
    double elapsedMs = (platform::monotonicSeconds() - start) * 1000.0;
    // Over two seconds, well past the 0.3 s track, at the real-time rate.
    EXPECT_NEAR(double(later - first), elapsedMs, 0.02 * elapsedMs);
    EXPECT_GT(later, 1500);
    EXPECT_EQ(music.stop(), Ok);
    int32_t stopped = music.timeMs();
    EXPECT_GE(stopped, later);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(music.timeMs(), stopped);
}

enum class Content { None, Mp3, Text, Empty, Directory };

struct FailureCase {
    const char* name;
    Content content;
    int failOpen;            // with a ManualOutput failing that set-up; -1: the SDL device
    const char* audioDriver; // SDL_AUDIODRIVER for the SDL device, null to keep
    bool constructs;         // the constructor returns; play fails
    const char* text;
};

const FailureCase kFailures[] = {
    {"file missing", Content::None, 0, nullptr, false, "File not found"},
    {"file missing, SDL device", Content::None, -1, nullptr, false, "File not found"},
    {"a directory", Content::Directory, 0, nullptr, false, "File not found"},
    {"first set-up fails", Content::Mp3, 1, nullptr, false, "Init Failed"},
    {"second set-up fails", Content::Mp3, 2, nullptr, false, "Init Failed"},
    {"no audio driver", Content::Mp3, -1, "no-such-driver", false, "Init Failed"},
    {"text, not a track", Content::Text, 0, nullptr, true, "Unable to play"},
    {"empty file", Content::Empty, 0, nullptr, true, "Unable to play"},
    {"text, SDL device", Content::Text, -1, nullptr, true, "Unable to play"},
};

TEST(Music, FailuresShowTheBoxCloseTheOutputAndExitWithStatusOne) {
    test::TempDir dir;
    ASSERT_TRUE(test::makeTrack("good.mp3", 0.2));
    {
        std::FILE* f = std::fopen("text.mp3", "wb");
        for (int i = 0; i < 100; ++i) std::fputs("no frames in here at all\n", f);
        std::fclose(f);
        std::fclose(std::fopen("empty.mp3", "wb"));
        ::mkdir("folder.mp3", 0700);
    }
    for (const FailureCase& c : kFailures) {
        SCOPED_TRACE(c.name);
        const char* path = c.content == Content::None        ? "missing.mp3"
                           : c.content == Content::Mp3       ? "good.mp3"
                           : c.content == Content::Text      ? "text.mp3"
                           : c.content == Content::Empty     ? "empty.mp3"
                                                             : "folder.mp3";
        test::ChildResult r = test::runChild([&] {
            ManualOutput output;
            output.failOpen = c.failOpen;
            output.report = true;
            if (c.failOpen >= 0) platform::setSoundOutput(&output);
            setenv("SDL_AUDIODRIVER", c.audioDriver ? c.audioDriver : "dummy", c.audioDriver != nullptr);
            Music music(path);
            std::fprintf(stderr, "constructed\n");
            music.play();
            std::fprintf(stderr, "played\n");
        });
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.status, 1);
        std::string box = std::string("Exit Error: ") + c.text + "\n";
        size_t at = r.output.find(box);
        EXPECT_NE(at, std::string::npos) << r.output;
        EXPECT_EQ(r.output.find("played"), std::string::npos) << r.output;
        EXPECT_EQ(r.output.find("constructed") != std::string::npos, c.constructs) << r.output;
        if (c.failOpen >= 0) {
            // The output is closed after the box, and only then.
            size_t closed = r.output.find("output closed");
            EXPECT_NE(closed, std::string::npos) << r.output;
            EXPECT_GT(closed, at) << r.output;
        }
    }
}

}  // namespace
