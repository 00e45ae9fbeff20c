// Decoding from memory: the samples match an independent decoder's, with
// the encoder's delay and padding trimmed; seeking lands on the same
// samples; data that is no MP3 is refused without harm.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/mp3_stream.h"
#include "tests/music_tracks.h"
#include "tests/support/test_support.h"

namespace {

std::vector<uint8_t> bytesOf(const std::string& path) {
    std::string s = test::readFile(path);
    return std::vector<uint8_t>(s.begin(), s.end());
}

TEST(Mp3Stream, MatchesTheReferenceDecoderSampleForSample) {
    struct Case {
        const char* name;
        double seconds;
        bool mono;
    } cases[] = {{"stereo", 0.5, false}, {"mono", 0.3, true}};
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string mp3 = std::string(c.name) + ".mp3";
        ASSERT_TRUE(test::makeTrack(mp3, c.seconds, c.mono));
        test::Wav reference = test::referenceDecode(mp3, std::string(c.name) + ".wav");
        ASSERT_EQ(reference.channels, c.mono ? 1 : 2);
        ASSERT_EQ(reference.rate, 44100);

        std::vector<uint8_t> bytes = bytesOf(mp3);
        std::vector<int16_t> ours;
        ASSERT_TRUE(decodeMp3(bytes.data(), bytes.size(), ours));
        // The delay trim leaves exactly the frames that were encoded.
        size_t frames = size_t(c.seconds * 44100 + 0.5);
        ASSERT_EQ(ours.size(), frames * 2);
        ASSERT_EQ(reference.samples.size(), frames * size_t(reference.channels));
        size_t mismatches = 0;
        for (size_t f = 0; f < frames; ++f) {
            for (int ch = 0; ch < 2; ++ch) {
                int16_t expected = reference.samples[f * reference.channels + (c.mono ? 0 : ch)];
                if (ours[f * 2 + ch] != expected && mismatches++ < 5)
                    ADD_FAILURE() << "frame " << f << " channel " << ch << ": " << ours[f * 2 + ch] << " vs " << expected;
            }
        }
        EXPECT_EQ(mismatches, 0u);
        // Not silence: the tone is there from the first frames on.
        int peak = 0;
        for (size_t i = 0; i < 400; ++i) peak = std::max(peak, std::abs(int(ours[i])));
        EXPECT_GT(peak, 5000);
    }
}

TEST(Mp3Stream, SeeksToTheSameSamplesAndKnowsItsLength) {
    test::TempDir dir;
    ASSERT_TRUE(test::makeTrack("t.mp3", 1.0));
    std::vector<uint8_t> bytes = bytesOf("t.mp3");
    std::vector<int16_t> whole;
    ASSERT_TRUE(decodeMp3(bytes.data(), bytes.size(), whole));

    Mp3Stream stream(bytes.data(), bytes.size());
    EXPECT_EQ(stream.read(nullptr, 10), 0u);
    int16_t unused[8];
    EXPECT_EQ(stream.read(unused, 4), 0u);  // not started
    ASSERT_TRUE(stream.start());
    EXPECT_EQ(stream.lengthFrames(), 44100);
    for (int64_t at : {30000, 1153, 0}) {
        SCOPED_TRACE(at);
        ASSERT_TRUE(stream.seek(at));
        std::vector<int16_t> part(2000 * 2);
        ASSERT_EQ(stream.read(part.data(), 2000), 2000u);
        EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin() + at * 2));
    }
    // Reading on past the end gives what is left, then nothing.
    ASSERT_TRUE(stream.seek(44000));
    std::vector<int16_t> tail(500 * 2);
    EXPECT_EQ(stream.read(tail.data(), 500), 100u);
    EXPECT_EQ(stream.read(tail.data(), 500), 0u);
}

TEST(Mp3Stream, RefusesDataThatIsNoMp3) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "this is a text file, not a track. ";
    test::TempDir dir;
    ASSERT_TRUE(test::makeTrack("t.mp3", 0.2));
    std::vector<uint8_t> good = bytesOf("t.mp3");
    std::vector<uint8_t> truncated(good.begin(), good.begin() + 100);  // the tag frame, cut short

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"text", std::vector<uint8_t>(text.begin(), text.end())},
        {"zeros", std::vector<uint8_t>(4096, 0)},
        {"truncated", truncated},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int16_t> samples{1, 2, 3};
        EXPECT_FALSE(decodeMp3(c.bytes.data(), c.bytes.size(), samples));
        EXPECT_TRUE(samples.empty());
        Mp3Stream stream(c.bytes.data(), c.bytes.size());
        EXPECT_FALSE(stream.start());
        int16_t out[64];
        EXPECT_EQ(stream.read(out, 32), 0u);
        EXPECT_FALSE(stream.seek(0));
    }
    Mp3Stream none(nullptr, 123);
    EXPECT_FALSE(none.start());
}

}  // namespace
