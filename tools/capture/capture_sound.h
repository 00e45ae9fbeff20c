// CaptureSoundOutput: the sound output of a capture. There is no device:
// the clock is the capture's frame clock, and the music's samples are pulled
// as that clock advances and handed to the capture's file instead of a
// speaker.
//
// The clock counts on the music's own time line, so a capture that begins
// at `from` seconds reports from * rate frames right after start (start
// pulls and drops the music before that point). Frame i of the capture
// begins at from + i / fps; advanceToFrame(i) moves the clock there and
// hands back the samples in between, which are exactly what a listener
// would have heard while the frames before i were on screen.
//
// Everything runs on the main thread: fill is called from advanceToFrame
// and start, never from a thread of its own.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/sound.h"

class CaptureSoundOutput final : public platform::SoundOutput {
public:
    CaptureSoundOutput(double fromSeconds, double fps) : from_(fromSeconds), fps_(fps) {}

    bool open(int rate, int channels) override;
    int sampleRate() const override { return open_ ? rate_ : 0; }
    bool start(platform::SoundSource* source) override;
    void stop() override { source_ = nullptr; }
    void close() override;
    double playedFrames() override { return double(position_); }

    int channels() const { return channels_; }
    bool playing() const { return source_ != nullptr; }

    // The clock's position, in sample frames of the music, where capture
    // frame i begins.
    int64_t framePosition(int64_t i) const;
    // Moves the clock forward to where frame i begins and appends the
    // samples in between (interleaved) to heard. Nothing is pulled while
    // stopped; the clock moves all the same.
    void advanceToFrame(int64_t i, std::vector<int16_t>& heard);

private:
    void pull(int64_t frames, std::vector<int16_t>* heard);

    double from_;
    double fps_;
    bool open_ = false;
    int rate_ = 0;
    int channels_ = 0;
    platform::SoundSource* source_ = nullptr;
    int64_t position_ = 0;  // frames on the music's time line
};
