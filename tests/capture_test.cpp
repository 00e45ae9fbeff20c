// quillon-capture end to end: the frames the script fixes, the whole
// production at a low rate, identical frames from identical inputs, a video
// whose streams and sound are those of the range, an interrupted capture
// that still leaves a playable file, and the command line's refusals.
//
// Pictures and videos are read back by the ffmpeg program, not by our own
// writer's code; the music's reference samples come from our decoder.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "sound/mp3_stream.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::string tool() { return test::buildDir() + "/quillon-capture"; }

// A working directory holding a link to the production's data.
class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::path data = fs::path(test::sourceDir()) / "data";
        if (!fs::exists(data / "qv3.mp3")) GTEST_SKIP() << "no ./data/ (make data makes it)";
        ASSERT_TRUE(fs::exists(tool())) << tool() << " is not built";
        fs::create_directory_symlink(data, fs::path(dir.path()) / "data");
    }

    test::TempDir dir;
};

test::ChildResult capture(std::vector<std::string> args) {
    return test::runChild([&] {
        std::vector<char*> argv;
        std::string program = tool();
        argv.push_back(program.data());
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    });
}

// Standard output of a shell command.
std::string output(const std::string& command) {
    std::string text;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

struct Picture {
    int width = 0, height = 0;
    std::string rgb;
    const uint8_t* at(int x, int y) const {
        return reinterpret_cast<const uint8_t*>(rgb.data()) + (size_t(y) * width + x) * 3;
    }
};

Picture readPicture(const std::string& path, int width, int height) {
    Picture p{width, height, output("ffmpeg -nostdin -v error -i '" + path + "' -f rawvideo -pix_fmt rgb24 -")};
    return p;
}

struct Rect {
    int x0, y0, x1, y1;
};

// Pixels of r whose every channel is at most dark.
int darkPixels(const Picture& p, Rect r, int dark) {
    int n = 0;
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            const uint8_t* c = p.at(x, y);
            if (c[0] <= dark && c[1] <= dark && c[2] <= dark) ++n;
        }
    return n;
}

std::string frameName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "%06d.png", i);
    return name;
}

std::vector<int16_t> musicSamples() {
    std::string bytes = test::readFile("data/qv3.mp3");
    std::vector<int16_t> samples;
    decodeMp3(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), samples);
    return samples;
}

std::vector<int16_t> videoSound(const std::string& path) {
    std::string raw = output("ffmpeg -nostdin -v error -i '" + path + "' -map 0:a -f s16le -ac 2 -ar 44100 -");
    std::vector<int16_t> samples(raw.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(uint16_t(uint8_t(raw[2 * i])) | uint16_t(uint8_t(raw[2 * i + 1])) << 8);
    return samples;
}

// "codec_type,codec_name,duration,nb_frames" per stream, one per line.
std::vector<std::vector<std::string>> streams(const std::string& path) {
    std::string text = output("ffprobe -v error -show_entries stream=codec_type,codec_name,duration,nb_frames "
                              "-of csv=p=0 '" + path + "'");
    std::vector<std::vector<std::string>> rows;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.empty()) continue;
        std::vector<std::string> fields;
        size_t f = 0;
        for (;;) {
            size_t comma = line.find(',', f);
            fields.push_back(line.substr(f, comma == std::string::npos ? std::string::npos : comma - f));
            if (comma == std::string::npos) break;
            f = comma + 1;
        }
        rows.push_back(fields);
    }
    return rows;
}

const std::vector<std::string>* stream(const std::vector<std::vector<std::string>>& rows, const char* type) {
    for (const auto& r : rows)
        if (r.size() >= 4 && r[1] == type) return &r;
    return nullptr;
}

}  // namespace

// 7.0 s: part 1's split screen, the star scene in the top-left and the
// bottom-right quarters, the plain background in the other two. 10.0 s:
// part 2's one-second white flash at full strength. 10.5 s: the scene under
// half-strength white, so the background quarters are half way between the
// background (11.0 s, the flash over) and white.
TEST_F(CaptureTest, FramesTheScriptFixes) {
    const int w = 320, h = 240;
    test::ChildResult r = capture({"--from", "7", "--to", "11.1", "--fps", "2", "--size", "320x240", "-o", "seq/"});
    ASSERT_TRUE(r.exited && r.status == 0) << r.output;
    for (int i = 0; i <= 8; ++i) ASSERT_TRUE(fs::exists("seq/" + frameName(i))) << i << "\n" << r.output;
    EXPECT_FALSE(fs::exists("seq/" + frameName(9)));

    Picture at7 = readPicture("seq/000000.png", w, h);
    ASSERT_EQ(at7.rgb.size(), size_t(w * h * 3));
    const Rect topLeft{0, 0, w / 2, h / 2}, topRight{w / 2, 0, w, h / 2};
    const Rect bottomLeft{0, h / 2, w / 2, h}, bottomRight{w / 2, h / 2, w, h};
    const int quarter = (w / 2) * (h / 2);
    // The meshes are dark on the flashed background; nothing dark is
    // drawn outside their quarters.
    EXPECT_GT(darkPixels(at7, topLeft, 150), quarter / 200);
    EXPECT_GT(darkPixels(at7, bottomRight, 150), quarter / 200);
    EXPECT_EQ(darkPixels(at7, topRight, 150), 0);
    EXPECT_EQ(darkPixels(at7, bottomLeft, 150), 0);

    Picture at10 = readPicture("seq/000006.png", w, h);
    ASSERT_EQ(at10.rgb.size(), size_t(w * h * 3));
    EXPECT_EQ(at10.rgb, std::string(size_t(w * h * 3), '\xff'));

    Picture half = readPicture("seq/000007.png", w, h);
    Picture after = readPicture("seq/000008.png", w, h);
    ASSERT_EQ(half.rgb.size(), size_t(w * h * 3));
    ASSERT_EQ(after.rgb.size(), size_t(w * h * 3));
    int below = 0, notWhite = 0;
    for (size_t i = 0; i < half.rgb.size(); ++i) {
        uint8_t v = uint8_t(half.rgb[i]);
        if (v < 126) ++below;
        if (v < 230) ++notWhite;
    }
    EXPECT_EQ(below, 0) << "half-strength white leaves nothing darker than half";
    EXPECT_GT(notWhite, w * h / 10) << "the scene shows through";
    for (Rect q : {topRight, bottomLeft}) {
        int matching = 0;
        for (int y = q.y0; y < q.y1; ++y)
            for (int x = q.x0; x < q.x1; ++x) {
                bool ok = true;
                for (int c = 0; c < 3; ++c)
                    ok = ok && std::abs(half.at(x, y)[c] - (after.at(x, y)[c] + 255) / 2.0) <= 2.0;
                matching += ok;
            }
        EXPECT_GT(matching, quarter * 95 / 100) << "quarter at " << q.x0 << "," << q.y0;
    }

    // --at writes that one frame as a picture.
    r = capture({"--at", "10.0", "--size", "160x120", "-o", "flash.png"});
    ASSERT_TRUE(r.exited && r.status == 0) << r.output;
    EXPECT_EQ(readPicture("flash.png", 160, 120).rgb, std::string(size_t(160 * 120 * 3), '\xff'));
}

// At 2 frames per second the frames are t = 0, 0.5, ... 832.0: part 33 at
// 832.5 s fires in the frame after and ends the production unshown.
TEST_F(CaptureTest, WholeProductionEndsAtPart33) {
    test::ChildResult r = capture({"-q", "--fps", "2", "--size", "160x120", "-o", "all/"});
    ASSERT_TRUE(r.exited) << r.output;
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("part 33"), std::string::npos) << r.output;
    int files = 0;
    for (const auto& entry : fs::directory_iterator("all")) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1665);
    EXPECT_TRUE(fs::exists("all/" + frameName(1664)));
    std::string log = test::readFile("log.txt");
    EXPECT_EQ(log.find("foired"), std::string::npos) << log;
    EXPECT_EQ(log.find("Suxx"), std::string::npos) << log;
    EXPECT_EQ(log.find("! "), std::string::npos) << log;
    EXPECT_NE(log.find("CAPTURE> 1665 frames"), std::string::npos) << log;
}

// The greetings: the cube tunnel and line fan draw from the effects'
// random generator, the text plates jitter with it.
TEST_F(CaptureTest, SameInputsSameFrames) {
    const std::vector<std::string> range = {"--from", "52", "--to", "57", "--fps", "4", "--size", "160x120"};
    for (const char* out : {"one/", "two/"}) {
        std::vector<std::string> args = range;
        args.insert(args.end(), {"-o", out});
        test::ChildResult r = capture(args);
        ASSERT_TRUE(r.exited && r.status == 0) << r.output;
    }
    for (int i = 0; i < 20; ++i) {
        std::string one = test::readFile("one/" + frameName(i)), two = test::readFile("two/" + frameName(i));
        ASSERT_FALSE(one.empty()) << i;
        EXPECT_EQ(one, two) << "frame " << i;
    }
    EXPECT_FALSE(fs::exists("one/" + frameName(20)));
}

// Two seconds to MP4: one H.264 and one AAC stream, both two seconds long,
// the sound being the music from 9 s to 11 s; with a lossless codec it is
// the decoder's samples exactly.
TEST_F(CaptureTest, VideoCarriesTheRangeAndItsMusic) {
    const std::vector<int16_t> music = musicSamples();
    const size_t first = size_t(9 * 44100) * 2, count = size_t(2 * 44100) * 2;
    ASSERT_GE(music.size(), first + count);

    for (const char* codec : {"aac", "alac"}) {
        std::string file = std::string("range-") + codec + ".mp4";
        test::ChildResult r = capture({"--from", "9", "--to", "11", "--fps", "30", "--size", "160x120",
                                       "--audio-codec", codec, "-o", file});
        ASSERT_TRUE(r.exited && r.status == 0) << r.output;
        auto rows = streams(file);
        ASSERT_EQ(rows.size(), 2u) << output("ffprobe -hide_banner '" + file + "' 2>&1");
        const auto* video = stream(rows, "video");
        const auto* audio = stream(rows, "audio");
        ASSERT_TRUE(video && audio);
        EXPECT_EQ((*video)[0], "h264");
        EXPECT_EQ((*audio)[0], codec);
        EXPECT_EQ((*video)[3], "60");
        EXPECT_NEAR(std::stod((*video)[2]), 2.0, 0.01);
        EXPECT_NEAR(std::stod((*audio)[2]), 2.0, 0.03);

        std::vector<int16_t> heard = videoSound(file);
        ASSERT_GE(heard.size(), count) << codec;
        if (std::string(codec) == "alac") {
            EXPECT_EQ(heard.size(), count);
            EXPECT_TRUE(std::equal(heard.begin(), heard.begin() + count, music.begin() + first));
        } else {
            // Lossy: the error stays far below the signal (about 20 dB here;
            // a shift by a few milliseconds would leave none).
            double signal = 0, error = 0;
            for (size_t i = 0; i < count; ++i) {
                double s = music[first + i], e = double(heard[i]) - s;
                signal += s * s;
                error += e * e;
            }
            ASSERT_GT(signal, 0);
            EXPECT_GT(signal / std::max(error, 1.0), 30.0);
        }
    }
}

// Ctrl-C (SIGINT) during a video capture: status 130, and the file holds
// what was captured, sound and pictures of the same length.
TEST_F(CaptureTest, InterruptedVideoIsComplete) {
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::string program = tool();
        execl(program.c_str(), program.c_str(), "--fps", "30", "--size", "160x120", "-o", "cut.mp4", nullptr);
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    // Until ffmpeg has written something: frames are flowing by then.
    for (int i = 0; i < 600 && !(fs::exists("cut.mp4") && fs::file_size("cut.mp4") > 0); ++i) usleep(50000);
    usleep(500000);
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    auto rows = streams("cut.mp4");
    const auto* video = stream(rows, "video");
    const auto* audio = stream(rows, "audio");
    ASSERT_TRUE(video && audio) << output("ffprobe -hide_banner cut.mp4 2>&1");
    double seconds = std::stod((*video)[2]);
    EXPECT_GT(std::stoi((*video)[3]), 0);
    EXPECT_LT(seconds, 800.0);
    EXPECT_NEAR(std::stod((*audio)[2]), seconds, 0.05);
    std::string log = test::readFile("log.txt");
    EXPECT_NE(log.find("interrupted by SIGINT"), std::string::npos) << log;
}

TEST_F(CaptureTest, CommandLine) {
    test::ChildResult help = capture({"--help"});
    EXPECT_TRUE(help.exited && help.status == 0);
    for (const char* word : {"--at", "--from", "--to", "--fps", "--size", "-o", "FOLDER/", "part 33", "Ctrl-C"})
        EXPECT_NE(help.output.find(word), std::string::npos) << word;

    const std::vector<std::vector<std::string>> refused = {
        {},                                          // no output
        {"--at", "3"},                               // no output
        {"--at", "3", "--from", "2", "-o", "a.png"},  // one frame or a range
        {"--from", "5", "--to", "4", "-o", "v.mp4"},
        {"--from", "-1", "-o", "v.mp4"},
        {"--fps", "0", "-o", "v.mp4"},
        {"--fps", "abc", "-o", "v.mp4"},
        {"--size", "0x600", "-o", "v.mp4"},
        {"--size", "800", "-o", "v.mp4"},
        {"--size", "800x600x2", "-o", "v.mp4"},
        {"-o", "one.png"},                           // a range into one picture
        {"--at", "3", "-o", "v.mp4"},
        {"--colour", "-o", "v.mp4"},
        {"-o"},
    };
    for (const auto& args : refused) {
        test::ChildResult r = capture(args);
        std::string shown;
        for (const auto& a : args) shown += a + " ";
        EXPECT_TRUE(r.exited && r.status == 2) << shown << "\n" << r.output;
        EXPECT_NE(r.output.find("usage:"), std::string::npos) << shown;
    }
    EXPECT_FALSE(fs::exists("v.mp4"));

    // A time past the production's end has no frame: an error, no file.
    test::ChildResult late = capture({"--at", "900", "--size", "64x48", "-o", "late.png"});
    EXPECT_TRUE(late.exited && late.status == 1) << late.output;
    EXPECT_FALSE(fs::exists("late.png"));
    EXPECT_NE(late.output.find("no frame"), std::string::npos) << late.output;
}

// Outputs that cannot be made end the capture with status 1 and say why,
// without hanging on an encoder that gave up.
TEST_F(CaptureTest, FailedOutputsAreReported) {
    std::FILE* f = std::fopen("plain-file", "w");
    ASSERT_TRUE(f);
    std::fclose(f);
    struct Case {
        std::vector<std::string> args;
        const char* said;
    };
    const std::vector<Case> cases = {
        {{"--from", "9", "--to", "10", "--size", "64x48", "-o", "plain-file/frames/"}, "plain-file"},
        {{"--from", "9", "--to", "10", "--size", "64x48", "--audio-codec", "no-such-codec", "-o", "bad.mp4"},
         "encoder"},
    };
    for (const Case& c : cases) {
        test::ChildResult r = capture(c.args);
        EXPECT_TRUE(r.exited && r.status == 1) << c.said << "\n" << r.output;
        EXPECT_NE(r.output.find(c.said), std::string::npos) << r.output;
    }
}
