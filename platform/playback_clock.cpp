// PlaybackClock: extrapolation between device figures, slewed and monotonic.
#include "platform/playback_clock.h"

#include <algorithm>

namespace platform {

namespace {

// How fast the shown position may drift towards the device's figure, as a
// share of the rate: 5 % is far below what the eye notices in motion.
constexpr double kSlew = 0.05;
// Further behind the device than this and the clock jumps forward at once.
constexpr double kSnapSeconds = 0.1;
// The shown position never leads the device's extrapolated figure by more.
constexpr double kLeadSeconds = 0.02;

}  // namespace

PlaybackClock::PlaybackClock(double rate, double maxAheadFrames)
    : rate_(rate > 0 ? rate : 1), maxAhead_(std::max(0.0, maxAheadFrames)) {}

void PlaybackClock::reset() {
    anchored_ = false;
    shown_ = false;
    anchorFrames_ = anchorTime_ = 0;
    shownFrames_ = shownTime_ = 0;
}

void PlaybackClock::anchor(double frames, double atSeconds) {
    anchored_ = true;
    anchorFrames_ = frames;
    anchorTime_ = atSeconds;
}

double PlaybackClock::position(double now) {
    if (!anchored_) return shownFrames_;
    double raw = anchorFrames_ + std::max(0.0, now - anchorTime_) * rate_;
    raw = std::min(raw, anchorFrames_ + maxAhead_);
    if (!shown_) {
        shown_ = true;
        shownFrames_ = std::max(0.0, raw);
        shownTime_ = now;
        return shownFrames_;
    }
    double dt = std::max(0.0, now - shownTime_);
    double predicted = shownFrames_ + dt * rate_;
    double error = raw - predicted;
    double next;
    if (error > kSnapSeconds * rate_) {
        next = raw;
    } else {
        double limit = kSlew * dt * rate_;
        next = predicted + std::clamp(error, -limit, limit);
        next = std::min(next, raw + kLeadSeconds * rate_);
    }
    shownFrames_ = std::max(next, shownFrames_);
    shownTime_ = std::max(now, shownTime_);
    return shownFrames_;
}

}  // namespace platform
