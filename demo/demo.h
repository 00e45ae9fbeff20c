// Demo: the production's one application. It binds the timeline to the
// music clock: init loads everything before the first frame (effect types,
// the music, the part table, the loading picture, every effect of the
// script) and starts the music; each update and each render advances the
// timeline to the music position, so every frame is drawn twice. Its
// onPartStart is the script (demo/script.h). The demo ends the process
// itself: when part 33 fires, and when the run ends (shutdown).
//
// Two seams for tests and offline tools: clockMs (where the frame step
// reads the position; the music by default) or clockSeconds (the clock as
// the timeline sees it), and endProcess (how the production ends).
#pragma once
#include <string>
#include <vector>

#include "demo/script.h"
#include "demo/timeline.h"
#include "kernel/os.h"

class Music;

inline constexpr const char kMusicFile[] = "./data/qv3.mp3";
inline constexpr const char kLoadingPicture[] = "./data/loading.jpg";
inline constexpr int32_t kLastPart = 33;

class Demo : public App, public Timeline {
public:
    Demo() = default;
    ~Demo() override;

    // App
    ErrorCode init(Driver* d) override;  // returns Ok or does not return
    void shutdown() override;            // stops the music, clears the registry, ends the process (0)
    void update() override;              // the frame step
    void render() override { update(); }
    bool poll(FrameInput*) override { return false; }

    // Timeline: the script, and the end at part 33.
    void onPartStart(float start, int32_t part) override;
    void onFrame(float t, float partTime, int32_t part) override;

    // Appends the script's part table.
    void buildPartTable();

    Music* music = nullptr;  // owned
    Effect* camera1 = nullptr;
    Effect* camera2 = nullptr;
    Effect* cubeA = nullptr;
    Effect* cubeB = nullptr;

protected:
    // The position the frame step runs at, in milliseconds: the music's.
    virtual int32_t clockMs();
    // The frame step's t in seconds: clockMs converted and times 0.001f
    // (a 32-bit product). A tool that sets t itself overrides this; both
    // passes of a frame then run at the same t.
    virtual float clockSeconds();
    // Ends the process with status (the music is stopped first).
    virtual void endProcess(int status);

private:
    Effect*& member(Slot slot);
    Effect* nowhere_ = nullptr;  // what Slot::None refers to
};

// Every file the demo and its script name, each once, in the order they
// are first read: the music, the loading picture, then the script's files
// part by part (words of the parameter strings that start with "./").
std::vector<std::string> productionFiles();
