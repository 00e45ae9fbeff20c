// The music track, and its playback position as the production's clock.
//
// Music reads the whole file into memory in one read, decodes it from there
// (Mp3Stream) and plays it once through the platform's sound output
// (platform/sound.h). timeMs is the clock the demo runs on: 0 when playback
// starts, never decreasing, advancing at the output's sample rate; after the
// end of the track it goes on over silence at the same rate.
//
// Every failure is fatal: a box captioned "Exit Error" with the failure's
// text, then the output is closed and the process ends with status 1.
//
// Threads: everything here is called from the main thread. While playing,
// the output's thread calls fill, which alone uses the decoder; play hands
// the decoder over by starting the output and stop takes it back.
#pragma once
#include <cstdint>
#include <cstddef>
#include <memory>

#include "kernel/error.h"
#include "platform/sound.h"

class Mp3Stream;

class Music : private platform::SoundSource {
public:
    static constexpr int kMixRate = 44100;

    // Sets the sound output up, then open(path).
    explicit Music(const char* path);
    ~Music() override;
    Music(const Music&) = delete;
    Music& operator=(const Music&) = delete;

    // Sets the sound output up again and loads the whole file. The data is
    // not examined here. Returns Ok or does not return.
    ErrorCode open(const char* path);
    // Starts playback from the first sample; a stream that cannot be
    // decoded ends the process here. Returns Ok or does not return.
    ErrorCode play();
    // Stops playback; the position stays where it was. Returns Ok.
    ErrorCode stop();
    // The playback position in milliseconds; 0 before play.
    int32_t timeMs();

    // The file's bytes as read, for tools that decode the track themselves
    // (decodeMp3 in sound/mp3_stream.h).
    const uint8_t* fileData() const { return bytes.get(); }
    size_t fileSize() const { return byteCount; }

private:
    void fill(int16_t* out, int frames) override;  // the output's thread
    [[noreturn]] void fail(const char* text);
    void setUpOutput();

    int32_t channel = -1;                 // -1 until play
    std::unique_ptr<Mp3Stream> stream;    // created by open
    std::unique_ptr<uint8_t[]> bytes;     // the whole file; the stream plays from it
    size_t byteCount = 0;
    platform::SoundOutput* output;
    int32_t lastMs = 0;
};
