// GlDriver: the OpenGL output driver. For a run it opens the "Plinthor"
// window (a popup in the selected mode when full screen, else a captioned
// window), gives it a double-buffered pixel format with colorBits and
// depthBits, makes a GL context current and presents one frame per endFrame.
// Its DialogPage part is the "OpenGL" tab of the setup dialog.
#pragma once
#include "kernel/dialog_page.h"
#include "kernel/os.h"

namespace platform {
struct Drawable;
struct GlContext;
struct DisplayMode;
}  // namespace platform

class GlDriver : public Driver, public DialogPage {
public:
    GlDriver();
    ~GlDriver() override;

    // Driver
    void enable() override;
    void disable() override;
    ErrorCode probe() override;
    ErrorCode start() override;
    void stop() override;
    bool endFrame() override;
    Image* createSurface() override;

    // SetupPage: the video page
    const char* name() override { return "OpenGL"; }
    ErrorCode create() override;
    void destroy() override;
    bool control(int operation, const platform::Message* message) override;

    // Open and close the window and its context (start/stop and probe).
    ErrorCode open();
    void close();

    // The information text of the video page; the caller frees it.
    char* glInfoText() const;

    platform::Window* window = nullptr;
    platform::Drawable* drawable = nullptr;
    platform::GlContext* context = nullptr;
    char* vendor = nullptr;
    char* renderer = nullptr;
    char* version = nullptr;
    char* extensions = nullptr;
    PtrList<platform::DisplayMode> modes;
    platform::DisplayMode* selectedMode = nullptr;
    bool fullscreen = true;
    bool disableVsync = true;
    int32_t colorBits = 16;
    int32_t depthBits = 16;
    int32_t textureBits = 16;

private:
    void releaseModes();
};

// "WxH Nbits FHz" of one mode; the caller frees it.
char* modeText(const platform::DisplayMode& mode);
