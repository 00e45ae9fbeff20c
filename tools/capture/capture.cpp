// The capture's frame clock, its sink, the progress line and the ending.
#include "tools/capture/capture.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "kernel/error.h"

volatile std::sig_atomic_t Capture::stopRequested = 0;

namespace {

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string clockText(double seconds) {
    if (!(seconds >= 0)) seconds = 0;
    long s = long(seconds + 0.5);
    char text[32];
    if (s >= 3600) std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

}  // namespace

Capture::Capture(const CaptureOptions& options, CaptureSoundOutput& sound) : options_(options), sound_(sound) {
    if (options_.single) limit_ = 1;
    else if (options_.to >= 0) limit_ = framesBefore(options_.to);
    expected_ = limit_;
    terminal_ = !options_.quiet && isatty(STDERR_FILENO);
}

int64_t Capture::framesBefore(double to) const {
    if (to <= options_.from) return 0;
    int64_t n = int64_t(std::ceil((to - options_.from) * options_.fps));
    while (n > 0 && timeOf(n - 1) >= to) --n;
    while (timeOf(n) < to) ++n;
    return n;
}

bool Capture::begin(std::string& error) {
    SinkFormat format;
    format.width = options_.width;
    format.height = options_.height;
    format.fps = options_.fps;
    format.audioCodec = options_.audioCodec;
    if (options_.folder || options_.picture)
        sink_ = makePictureSink(options_.output, options_.picture, format);
    else
        sink_ = makeVideoSink(options_.output, format);
    startedAt_ = now();
    return sink_->begin(error);
}

void Capture::setProductionEnd(double end) {
    if (end <= 0) return;
    // Part 33 fires at the first frame at or past its time and ends the
    // production before that frame is shown; one frame more than that is
    // the bound should it not.
    int64_t shown = framesBefore(end);
    if (limit_ < 0 || limit_ > shown + 1) {
        expected_ = shown;
        if (limit_ < 0) limit_ = shown + 1;
    }
}

bool Capture::frameTaken(const std::vector<uint8_t>& rgb) {
    if (finished_ || failed_) return false;
    // The samples heard while this frame is on screen, up to the next one.
    if (frames_ == 0) firstFrameAt_ = now();
    heard_.clear();
    sound_.advanceToFrame(frames_ + 1, heard_);
    if (!sink_->addFrame(rgb, error_) || !sink_->addSound(heard_, error_)) {
        failed_ = true;
        return false;
    }
    ++frames_;
    progress(false);
    if (stopRequested) return false;
    return limit_ < 0 || frames_ < limit_;
}

void Capture::progress(bool last) {
    if (!terminal_) return;
    double t = now();
    if (!last && lastShown_ >= 0 && t - lastShown_ < 0.25) return;
    lastShown_ = t;
    // The rate counts from the first frame on: loading is no part of it.
    double spent = t - firstFrameAt_;
    double rate = frames_ > 1 && spent > 0 ? double(frames_ - 1) / spent : 0;
    char line[160];
    int n = std::snprintf(line, sizeof line, "\r%s %.2f s", last ? "done" : "at", timeOf(frames_));
    if (expected_ > 0) {
        double end = timeOf(expected_);
        n += std::snprintf(line + n, sizeof line - n, " of %.2f s (%3.0f%%)", end,
                           100.0 * double(frames_) / double(expected_));
    }
    n += std::snprintf(line + n, sizeof line - n, ", %lld frames, %.1f frames/s",
                       static_cast<long long>(frames_), rate);
    if (expected_ > 0 && rate > 0 && !last)
        n += std::snprintf(line + n, sizeof line - n, ", %s left",
                           clockText(double(expected_ - frames_) / rate).c_str());
    std::fprintf(stderr, "%s   %s", line, last ? "\n" : "");
    std::fflush(stderr);
}

int Capture::finish(int demoStatus, const char* how) {
    if (finished_) return status_;
    finished_ = true;
    progress(true);
    std::string error = error_;
    bool ok = !failed_;
    if (sink_) {
        std::string sinkError;
        if (!sink_->finish(sinkError)) {
            ok = false;
            if (error.empty()) error = sinkError;
        }
    }
    if (ok && frames_ == 0) {
        ok = false;
        error = "no frame was captured (the production ends before " + std::to_string(options_.from) + " s)";
    }
    double spent = now() - startedAt_;
    char summary[400];
    std::snprintf(summary, sizeof summary, "%lld frames from %.3f s to %.3f s at %g frames/s, %dx%d, into %s (%s)",
                  static_cast<long long>(frames_), options_.from, timeOf(frames_), options_.fps, options_.width,
                  options_.height, options_.output.c_str(), how);
    if (ok) {
        std::fprintf(stderr, "quillon-capture: %s in %.1f s\n", summary, spent);
        logPrintf("CAPTURE> %s\r\n", summary);
    } else {
        std::fprintf(stderr, "quillon-capture: %s; %s\n", summary, error.c_str());
        logPrintf("CAPTURE> %s; %s\r\n", summary, error.c_str());
    }
    if (!ok) status_ = 1;
    else if (stopRequested) status_ = 128 + int(stopRequested);
    else status_ = demoStatus;
    return status_;
}
