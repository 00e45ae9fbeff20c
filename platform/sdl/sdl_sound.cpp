// platform/sound.h on an SDL2 audio device, and the choice of output.
//
// The device is opened for signed 16-bit frames at the rate asked for, with
// small buffers (512 frames, about 12 ms at 44.1 kHz); SDL converts if the
// hardware wants something else. Its callback pulls from the source and
// counts the frames handed over. When the callback runs, the buffer it fills
// and the one handed over before it are still queued in the device, so the
// frames heard at that moment are the frames handed minus those two; that
// figure feeds a PlaybackClock, which the main thread reads.
//
// Drivers with no hardware clock (SDL's dummy and disk drivers) only pace
// their callbacks with sleeps and run several percent off; for them the
// device's clock is the monotonic clock from start, so headless runs still
// play in real time.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/playback_clock.h"
#include "platform/sound.h"
#include "platform/window.h"

namespace platform {

namespace {

constexpr int kBufferFrames = 512;

class SdlSoundOutput final : public SoundOutput {
public:
    SdlSoundOutput() : clock_(44100, 4 * kBufferFrames) {}

    bool open(int rate, int channels) override {
        close();
        if (rate <= 0 || channels <= 0 || channels > 8) return false;
        if (!openDevice(rate, channels)) {
            // No sound card: where the user chose no driver, play on SDL's
            // silent one, so the production still runs on its clock.
            if (std::getenv("SDL_AUDIODRIVER")) return false;
            SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
            if (!openDevice(rate, channels)) return false;
            std::fprintf(stderr, "no sound device: the music plays silently\n");
        }
        const char* driver = SDL_GetCurrentAudioDriver();
        hardwareClock_ = !driver || (std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "disk") != 0);
        {
            std::lock_guard<std::mutex> lock(clockMutex_);
            clock_ = PlaybackClock(rate_, 4.0 * bufferFrames_);
        }
        frozen_ = 0;
        return true;
    }

    bool openDevice(int rate, int channels) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        SDL_AudioSpec want{}, have{};
        want.freq = rate;
        want.format = AUDIO_S16SYS;
        want.channels = Uint8(channels);
        want.samples = kBufferFrames;
        want.callback = &SdlSoundOutput::callback;
        want.userdata = this;
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        rate_ = have.freq;
        channels_ = have.channels;
        bufferFrames_ = have.samples ? have.samples : kBufferFrames;
        return true;
    }

    int sampleRate() const override { return device_ ? rate_ : 0; }

    bool start(SoundSource* source) override {
        if (device_ == 0) return false;
        stop();
        SDL_LockAudioDevice(device_);
        source_ = source;
        handed_ = 0;
        SDL_UnlockAudioDevice(device_);
        {
            std::lock_guard<std::mutex> lock(clockMutex_);
            clock_.reset();
        }
        frozen_ = 0;
        startSeconds_ = monotonicSeconds();
        playing_ = true;
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    void stop() override {
        if (!playing_) return;
        frozen_ = playedFrames();
        playing_ = false;
        SDL_PauseAudioDevice(device_, 1);
        // Taking the device lock waits for a callback still running.
        SDL_LockAudioDevice(device_);
        source_ = nullptr;
        SDL_UnlockAudioDevice(device_);
    }

    void close() override {
        if (device_ == 0) return;
        stop();
        SDL_CloseAudioDevice(device_);
        device_ = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    double playedFrames() override {
        if (!playing_) return frozen_;
        double now = monotonicSeconds();
        if (!hardwareClock_) return std::max(0.0, now - startSeconds_) * rate_;
        std::lock_guard<std::mutex> lock(clockMutex_);
        return clock_.position(now);
    }

private:
    // Audio thread, with SDL's device lock held.
    static void callback(void* userdata, Uint8* stream, int length) {
        auto* self = static_cast<SdlSoundOutput*>(userdata);
        int frameBytes = int(sizeof(int16_t)) * self->channels_;
        int frames = frameBytes > 0 ? length / frameBytes : 0;
        if (self->source_ && frames > 0)
            self->source_->fill(reinterpret_cast<int16_t*>(stream), frames);
        else
            std::memset(stream, 0, size_t(length));
        self->handed_ += uint64_t(frames);
        if (!self->hardwareClock_) return;
        double heard = double(self->handed_) - double(frames) - double(self->bufferFrames_);
        double now = monotonicSeconds();
        std::lock_guard<std::mutex> lock(self->clockMutex_);
        self->clock_.anchor(heard, now);
    }

    SDL_AudioDeviceID device_ = 0;
    // Set by open on the main thread while no callback runs.
    int rate_ = 0, channels_ = 0, bufferFrames_ = kBufferFrames;
    bool hardwareClock_ = true;
    // Guarded by SDL's device lock: the callback owns them while playing.
    SoundSource* source_ = nullptr;
    uint64_t handed_ = 0;
    // Guarded by clockMutex_: written by the callback, read by the main thread.
    std::mutex clockMutex_;
    PlaybackClock clock_;
    // Main thread only.
    bool playing_ = false;
    double startSeconds_ = 0;
    double frozen_ = 0;
};

// Never destroyed: the process may end while the device still plays (the
// demo exits from inside its frame step), and the audio thread must not
// meet an output torn down by static destruction.
SdlSoundOutput& sdlOutput() {
    static SdlSoundOutput* output = new SdlSoundOutput;
    return *output;
}

SoundOutput* selected = nullptr;

}  // namespace

SoundOutput* soundOutput() { return selected ? selected : &sdlOutput(); }

void setSoundOutput(SoundOutput* output) { selected = output; }

}  // namespace platform
