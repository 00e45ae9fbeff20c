// Demo: the production's application. Interim: it shows a black screen
// until the timeline and the script join it.
#pragma once
#include "kernel/os.h"

class Demo : public App {
public:
    ErrorCode init(Driver* d) override;
    void shutdown() override;
    void update() override;
    void render() override;
    bool poll(FrameInput*) override { return false; }
};
