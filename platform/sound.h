// Sound output: where the music's samples go, and how far playback has got.
//
// The portable code sees one abstract SoundOutput. It is opened with a rate
// and a channel count, started with a SoundSource that it pulls interleaved
// signed 16-bit frames from, asked for how many frames have been heard, and
// stopped and closed. Which output the process uses is decided in one place,
// setSoundOutput; without a call the SDL audio device of platform/sdl/ is used.
//
//   platform::SoundOutput* out = platform::soundOutput();
//   out->open(44100, 2);        // false: no output available
//   out->start(&mySource);      // mySource.fill() now runs on the output's thread
//   double heard = out->playedFrames();
//   out->stop();                // no fill() runs any more once this returns
//   out->close();
//
// Threads. open, start, stop, close, playedFrames and sampleRate belong to
// the main thread. SoundSource::fill runs on the output's own thread: for
// the SDL device that is SDL's audio callback thread, from the moment start
// hands the source over until stop returns. The source is therefore owned by
// the output while it plays; the main thread may touch it again only after
// stop. The SDL device shares two things between its threads: the source
// pointer and the frame counter (guarded by SDL's device lock, which is held
// around every callback) and the clock's last figure (guarded by a mutex).
//
// An offline output (a capture that renders frame by frame) implements the
// same interface with no device: it calls fill itself, from its own thread,
// as its frame clock advances, writes what it gets to a file, and reports
// that clock as playedFrames. Call setSoundOutput with it before anything
// opens the output.
#pragma once
#include <cstdint>

namespace platform {

class SoundSource {
public:
    virtual ~SoundSource() = default;
    // Writes exactly frames interleaved frames to out (silence once it has
    // nothing more to play). Runs on the output's thread; must not block.
    virtual void fill(int16_t* out, int frames) = 0;
};

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Sets the output up for rate frames per second of channels 16-bit
    // samples, silent until start. An open output is closed and opened
    // again. False when no output can be set up (the output is closed then).
    virtual bool open(int rate, int channels) = 0;
    // Frames per second that playedFrames counts in; 0 while closed.
    virtual int sampleRate() const = 0;
    // Begins pulling from source; playedFrames restarts at 0. False when
    // the output is not open.
    virtual bool start(SoundSource* source) = 0;
    // Stops pulling; the position stays where it was.
    virtual void stop() = 0;
    virtual void close() = 0;
    // Frames the listener has heard since start: 0 at the start, never
    // decreasing, advancing at sampleRate, silence after the source's end
    // included.
    virtual double playedFrames() = 0;
};

// The output in use: the one last set, or the SDL audio device.
SoundOutput* soundOutput();
// Selects the output for the whole process; null goes back to the SDL
// device. Call it before anything opens the output.
void setSoundOutput(SoundOutput* output);

}  // namespace platform
