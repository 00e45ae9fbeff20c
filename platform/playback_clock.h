// A smooth playback position from a device's occasional figures.
//
// A sound device tells how far it has got only when it asks for more data:
// "frames F had been heard at time T". Between those figures the position is
// extrapolated with the monotonic clock at the device's rate. When a new
// figure disagrees with what was shown, the shown position is slewed towards
// it (a few percent faster or slower) rather than jumping, and it never goes
// backwards. It runs ahead of the last figure by at most a bound, so a
// stalled device stops the clock instead of leaving it running alone.
//
// Plain arithmetic with no clock of its own and no locking: the caller
// passes the times and guards the object when two threads use it.
#pragma once

namespace platform {

class PlaybackClock {
public:
    // rate: device frames per second. maxAheadFrames: how far past the last
    // figure extrapolation may go (a few device buffers).
    PlaybackClock(double rate, double maxAheadFrames);

    // Forgets every figure; the position is 0 again.
    void reset();

    // The device's figure: frames had been heard at atSeconds. Negative
    // frames (the first buffers still queued) count as 0.
    void anchor(double frames, double atSeconds);

    // The position in frames at nowSeconds: 0 before the first figure, never
    // less than an earlier result.
    double position(double nowSeconds);

    double rate() const { return rate_; }

private:
    double rate_;
    double maxAhead_;
    bool anchored_ = false;
    double anchorFrames_ = 0, anchorTime_ = 0;
    bool shown_ = false;
    double shownFrames_ = 0, shownTime_ = 0;
};

}  // namespace platform
