// MP3 decoding from memory, to interleaved signed 16-bit stereo at 44.1 kHz.
//
// Leans on libmpg123 with its reader replaced by one over the caller's
// bytes, so the file is never read a second time. Gapless decoding is on:
// the encoder's start delay and end padding (from the encoder's tag in the
// first frame) are trimmed, so sample 0 is the first sample of the music.
// Mono streams come out on both channels at full level; other rates are
// resampled to 44.1 kHz by the decoder.
//
// An Mp3Stream is used by one thread at a time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct mpg123_handle_struct;

class Mp3Stream {
public:
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;

    // Keeps a view of data (which must outlive the stream); examines nothing.
    Mp3Stream(const uint8_t* data, size_t size);
    ~Mp3Stream();
    Mp3Stream(const Mp3Stream&) = delete;
    Mp3Stream& operator=(const Mp3Stream&) = delete;

    // (Re)opens the decoder at the first sample and reads the stream's
    // format. False when the data cannot be decoded.
    bool start();

    // Decodes up to frames frames into out (kChannels samples each). Returns
    // the frames written: fewer than asked only at the end of the stream (or
    // at a decoding error, which ends it). 0 before start.
    size_t read(int16_t* out, size_t frames);

    // Moves to frame (counted after the delay trim). False when not started
    // or the decoder refuses.
    bool seek(int64_t frame);

    // Frames in the whole stream, or -1 when not known.
    int64_t lengthFrames();

    // The bytes as the decoder's reader sees them.
    struct Source {
        const uint8_t* data;
        size_t size;
        size_t cursor;
    };

private:
    Source source_;
    mpg123_handle_struct* handle_ = nullptr;
    bool ended_ = true;
};

// Decodes the whole of data into samples (replacing what it held), as
// interleaved frames. False when it cannot be decoded at all.
bool decodeMp3(const uint8_t* data, size_t size, std::vector<int16_t>& samples);
