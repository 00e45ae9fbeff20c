// Short MP3 tracks made for the music tests, and WAV reading.
//
// Tracks come from ffmpeg's signal generator through libmp3lame, which
// writes the encoder's tag with its start delay and end padding; the
// reference decode comes from the mpg123 command-line player.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace test {

// Writes an MP3 of the given length at 44.1 kHz to path: a 440 Hz tone on
// the left and 660 Hz on the right, or the 440 Hz tone alone when mono.
// False when ffmpeg failed.
inline bool makeTrack(const std::string& path, double seconds, bool mono = false) {
    std::string source = mono ? "0.5*sin(2*PI*440*t)" : "0.5*sin(2*PI*440*t)|0.4*sin(2*PI*660*t)";
    std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i 'aevalsrc=" + source +
                          ":s=44100:d=" + std::to_string(seconds) + "' -c:a libmp3lame -b:a 128k '" + path + "'";
    return std::system(command.c_str()) == 0;
}

struct Wav {
    int channels = 0, rate = 0;
    std::vector<int16_t> samples;  // interleaved
};

// The 16-bit PCM WAV that `mpg123 -w` writes for path; channels 0 on failure.
inline Wav referenceDecode(const std::string& mp3, const std::string& wavPath) {
    Wav wav;
    std::string command = "mpg123 -q -w '" + wavPath + "' '" + mp3 + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return wav;
    std::string bytes = readFile(wavPath);
    auto u32 = [&](size_t at) {
        uint32_t v;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) return wav;
    int channels = 0, rate = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        std::string id = bytes.substr(at, 4);
        size_t size = u32(at + 4);
        size_t body = at + 8;
        if (id == "fmt " && body + 16 <= bytes.size()) {
            uint16_t c;
            std::memcpy(&c, bytes.data() + body + 2, 2);
            channels = c;
            rate = int(u32(body + 4));
        } else if (id == "data") {
            size = std::min(size, bytes.size() - body);
            wav.samples.resize(size / 2);
            std::memcpy(wav.samples.data(), bytes.data() + body, wav.samples.size() * 2);
            wav.channels = channels;
            wav.rate = rate;
            return wav;
        }
        at = body + size + (size & 1);
    }
    return wav;
}

}  // namespace test
