// The capture's sound output: the frame clock and the samples pulled on it.
#include "tools/capture/capture_sound.h"

#include <algorithm>
#include <cmath>

bool CaptureSoundOutput::open(int rate, int channels) {
    close();
    if (rate <= 0 || channels <= 0 || channels > 8) return false;
    rate_ = rate;
    channels_ = channels;
    open_ = true;
    return true;
}

void CaptureSoundOutput::close() {
    source_ = nullptr;
    open_ = false;
}

int64_t CaptureSoundOutput::framePosition(int64_t i) const {
    // Rounded once from the exact time, so positions never drift apart
    // from the frames however long the capture runs.
    return int64_t(std::llround((from_ + double(i) / fps_) * rate_));
}

bool CaptureSoundOutput::start(platform::SoundSource* source) {
    if (!open_) return false;
    source_ = source;
    position_ = 0;
    // The music before the capture's first frame is decoded and dropped, so
    // the samples that follow are the ones a player hears at that time.
    int64_t first = framePosition(0);
    pull(first, nullptr);
    position_ = first;
    return true;
}

void CaptureSoundOutput::advanceToFrame(int64_t i, std::vector<int16_t>& heard) {
    int64_t target = framePosition(i);
    if (target <= position_) return;
    if (source_) pull(target - position_, &heard);
    position_ = target;
}

void CaptureSoundOutput::pull(int64_t frames, std::vector<int16_t>* heard) {
    if (!source_ || frames <= 0) return;
    constexpr int64_t kChunk = 16384;
    std::vector<int16_t> scratch;
    while (frames > 0) {
        int n = int(std::min(frames, kChunk));
        if (heard) {
            size_t at = heard->size();
            heard->resize(at + size_t(n) * size_t(channels_));
            source_->fill(heard->data() + at, n);
        } else {
            scratch.resize(size_t(n) * size_t(channels_));
            source_->fill(scratch.data(), n);
        }
        frames -= n;
    }
}
