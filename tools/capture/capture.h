// The capture: the frame clock, the frames and sound handed to the sink,
// the progress line and how the capture ends.
//
// Frame i is drawn at from + i / fps. The clock moves only when a frame has
// been taken (frameTaken), so both passes of a frame, the update pass and
// the render pass, see the same t. The sound output's clock moves with it
// and the samples between two frames go to the sink with the earlier one.
//
// Main thread only; stopRequested is set by a signal handler.
#pragma once
#include <csignal>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/capture/capture_sound.h"
#include "tools/capture/frame_sink.h"
#include "tools/capture/options.h"

class Capture {
public:
    Capture(const CaptureOptions& options, CaptureSoundOutput& sound);

    // Opens the sink. False with the reason in error.
    bool begin(std::string& error);

    // The time of the frame being drawn, seconds on the production's clock.
    double frameSeconds() const { return timeOf(frames_); }
    int64_t frames() const { return frames_; }

    // The production's last part is at end seconds: the capture stops there
    // at the latest, and the progress line counts towards it.
    void setProductionEnd(double end);

    // The frame just drawn (rows from the top). False when the capture is
    // over: the last frame asked for was taken, the sink failed, or a stop
    // was requested.
    bool frameTaken(const std::vector<uint8_t>& rgb);

    // True when the capture should end now (a signal, or an earlier failure).
    bool stopping() const { return stopRequested != 0 || failed_; }

    // Completes the sink and reports on the terminal and in the log. Later
    // calls do nothing. Returns the process's exit status for a production
    // that ended with demoStatus.
    int finish(int demoStatus, const char* how);

    static volatile std::sig_atomic_t stopRequested;  // the signal's number

private:
    double timeOf(int64_t i) const { return options_.from + double(i) / options_.fps; }
    // Frames before `to`, or -1 when open ended.
    int64_t framesBefore(double to) const;
    void progress(bool last);

    CaptureOptions options_;
    CaptureSoundOutput& sound_;
    std::unique_ptr<FrameSink> sink_;
    int64_t frames_ = 0;
    int64_t limit_ = -1;          // frames asked for; -1: to the production's end
    int64_t expected_ = -1;       // frames expected in all, for the progress line
    bool failed_ = false;
    std::string error_;
    bool finished_ = false;
    int status_ = 0;
    double startedAt_ = 0;
    double firstFrameAt_ = 0;
    double lastShown_ = -1;
    bool terminal_ = false;
    std::vector<int16_t> heard_;
};
