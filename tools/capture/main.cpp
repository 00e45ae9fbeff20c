// quillon-capture: the production rendered offline, to pictures or to a
// video with its music. The same kernel run loop, demo, script and effects
// as the player; two platform pieces are swapped: the video driver
// (CaptureDriver, an offscreen picture read back each frame) and the sound
// output (CaptureSoundOutput, whose clock is the frame clock). The demo's
// clock seam gives it t = from + i / fps, and its ending seam lets the
// capture complete its file before the process ends.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "demo/demo.h"
#include "kernel/os.h"
#include "platform/sound.h"
#include "tools/capture/capture.h"
#include "tools/capture/capture_driver.h"
#include "tools/capture/capture_sound.h"
#include "tools/capture/options.h"

namespace {

class CaptureDemo final : public Demo {
public:
    explicit CaptureDemo(Capture& capture) : capture_(capture) {}

    ErrorCode init(Driver* d) override {
        ErrorCode r = Demo::init(d);
        capture_.setProductionEnd(partStartTime(kLastPart));
        return r;
    }

protected:
    float clockSeconds() override { return float(capture_.frameSeconds()); }

    // Part 33, the end of the run (--to, a stop request, a failure) or any
    // other ending of the production: the file is completed first.
    void endProcess(int status) override {
        const char* how = "the capture's range is done";
        if (Capture::stopRequested == SIGINT) how = "interrupted by SIGINT";
        else if (Capture::stopRequested == SIGTERM) how = "interrupted by SIGTERM";
        else if (capture_.stopping()) how = "stopped by an error";
        else if (currentPart == kLastPart) how = "the production ended at part 33";
        Demo::endProcess(capture_.finish(status, how));
    }

private:
    Capture& capture_;
};

Capture* theCapture = nullptr;

// Whatever else ends the process (a music failure's exit, say) still leaves
// a complete file behind.
void finishAtExit() {
    if (theCapture) theCapture->finish(0, "the process ended");
}

void onStopSignal(int signal) {
    if (Capture::stopRequested) {  // a second one: stop now
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    Capture::stopRequested = signal;
}

}  // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "quillon-capture: %s\n\n", error.c_str());
        printUsage(stderr);
        return 2;
    }
    if (options.help) {
        printUsage(stdout);
        return 0;
    }

    // The window layer's offscreen video: a real GL context, no window on
    // any screen, with or without a display.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    std::signal(SIGPIPE, SIG_IGN);  // a vanished encoder is a write error
    struct sigaction stop {};
    stop.sa_handler = onStopSignal;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);

    static CaptureSoundOutput sound(options.from, options.fps);
    platform::setSoundOutput(&sound);
    static Capture capture(options, sound);
    if (!capture.begin(error)) {
        std::fprintf(stderr, "quillon-capture: %s\n", error.c_str());
        return 1;
    }
    theCapture = &capture;
    std::atexit(finishAtExit);

    Os os;
    CaptureDemo demo(capture);
    CaptureDriver driver(capture, options.width, options.height);
    os.addApp(&demo);
    os.addDriver(&driver);
    driver.enable();
    // The demo ends the process itself once its frames have run; run
    // returns only when the run could not start.
    ErrorCode r = os.run();
    if (r != Ok) {
        logPrintf("%s\r\n", errorText(r));
        std::fprintf(stderr, "quillon-capture: %s\n", errorText(r));
    }
    int status = capture.finish(r == Ok ? 0 : 1, r == Ok ? "the run ended" : "the run could not start");
    os.removeApp(&demo);
    os.removeDriver(&driver);
    theCapture = nullptr;
    return r == Ok ? status : 1;
}
