// The host kernel: the Os with its registries of setup pages, output drivers
// and applications, the driver probe, the run and its frame loop, and the
// interfaces those registries hold (App, Driver, SetupPage).
//
// One Os exists per process (OsBase::instance()); the entry point owns it.
// A run starts the selected driver, initialises every application and loops:
// poll, update, the driver's beginFrame, render in reverse order, the
// driver's endFrame, until one of poll, beginFrame or endFrame says stop.
// Everything runs on the main thread.
#pragma once
#include <cstdint>

#include "kernel/error.h"
#include "kernel/ptrlist.h"

namespace platform {
struct Window;
struct Dialog;
struct Message;
using WindowProcedure = bool (*)(Window* window, const Message& message);
}  // namespace platform

class Image;
class App;
class Driver;
class SetupPage;
class FrameInput;

// The driver of the current run (null until selectDriver); effects read its
// width and height, the demo's loading screen calls its endFrame.
extern Driver* currentDriver;

class Driver {
public:
    bool enabled = false;  // "use this driver"
    int32_t width = 0;     // output size in pixels
    int32_t height = 0;

    virtual ~Driver() = default;
    virtual void enable() { enabled = true; }
    virtual void disable() { enabled = false; }
    virtual ErrorCode probe() { return Ok; }
    virtual ErrorCode start() { return Ok; }
    virtual void stop() {}
    virtual bool endFrame() { return false; }    // true ends the run
    virtual bool beginFrame() { return false; }  // true ends the run

    // The picture service: image objects read from BMP and TGA files.
    virtual Image* createImage();
    virtual ErrorCode loadImage(const char* directory, const char* file, Image** image);
    virtual ErrorCode loadImageResized(const char* directory, const char* file, Image** image, int32_t width,
                                       int32_t height);
    virtual Image* createSurface();
    virtual ErrorCode loadSurface(const char* directory, const char* file, Image** image);
};

class App {
public:
    Driver* driver = nullptr;
    bool updateEnabled = true;
    bool renderEnabled = true;
    bool pollEnabled = true;

    virtual ~App() = default;
    virtual ErrorCode init(Driver* d) {
        driver = d;
        return Ok;
    }
    virtual void shutdown() = 0;
    virtual void update() = 0;
    virtual void render() = 0;
    virtual bool poll(FrameInput* input) = 0;  // true ends the run
};

// One tab of the setup dialog.
class SetupPage {
public:
    virtual ~SetupPage() = default;
    virtual const char* name() { return "Default Setup"; }
    virtual ErrorCode create() { return Ok; }
    virtual void destroy() {}
    // Operation 0 hides the page, 1 shows it, 2 offers it a message.
    virtual bool control(int operation, const platform::Message* message) {
        (void)operation;
        (void)message;
        return false;
    }
    virtual void command(const char* line) { (void)line; }
};

// The per-run input record handed to every poll. Nothing in this system
// reads it; its fields keep the values they start with.
class FrameInput {
public:
    explicit FrameInput(const Driver& driver);
    ~FrameInput() = default;

    ErrorCode init(int32_t width, int32_t height);  // hides the mouse pointer
    void poll() {}

    void* devices[3] = {nullptr, nullptr, nullptr};
    uint32_t words[2] = {0, 0};
    uint8_t keys[256] = {};
    uint8_t reserved0[20];
    double scale = 1.0;
    int32_t rates[2] = {100, 100};
    uint8_t reserved1[16];
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    uint8_t reserved2[8];
};

using ThreadProcedure = void* (*)(void* parameter);
using ThreadHandle = void*;

class OsBase {
public:
    OsBase();
    virtual ~OsBase();

    static OsBase* instance();

    virtual bool setup();  // probes the drivers once; false
    virtual void selectDriver();
    virtual ErrorCode addPage(SetupPage* page) { return pages.add(page); }
    virtual void removePage(SetupPage* page) { pages.remove(page); }
    virtual ErrorCode addDriver(Driver* driver) { return drivers.add(driver); }
    virtual void removeDriver(Driver* driver) { drivers.remove(driver); }
    virtual ErrorCode addApp(App* app) { return apps.add(app); }
    virtual void removeApp(App* app) { apps.remove(app); }
    virtual void disableAllDrivers();
    virtual ThreadHandle startThread(ThreadProcedure procedure, void* parameter, int priority) = 0;
    virtual void killThread(ThreadHandle thread) = 0;
    virtual void showLog(const char* text) = 0;
    virtual void openUrl(const char* url) = 0;
    virtual void playVideo(const char* ignored) = 0;

    PtrList<SetupPage> pages;
    PtrList<Driver> drivers;
    PtrList<App> apps;
    Driver* current = nullptr;

    // The probe runs at the first setup of the process only.
    static bool probePending;
};

enum class SettingsRoot { Product, Classes };

class Os : public OsBase {
public:
    Os();
    ~Os() override = default;

    bool setup() override;
    ThreadHandle startThread(ThreadProcedure procedure, void* parameter, int priority) override;
    void killThread(ThreadHandle thread) override;
    void showLog(const char* text) override;
    void openUrl(const char* url) override;
    void playVideo(const char* ignored) override;

    ErrorCode run();

    // Settings kept between starts of the program (named 32-bit values).
    int32_t readSetting(const char* name, int32_t defaultValue);
    void writeSetting(const char* name, int32_t value);
    char* readRegistryString(SettingsRoot root, const char* path, const char* valueName, char* buffer,
                             uint32_t size);

    // Windows and message pumps.
    platform::Window* createWindow(const char* className, const char* title, int width, int height,
                                   platform::WindowProcedure procedure);
    platform::Window* createPopupWindow(const char* className, const char* title, int width, int height,
                                        platform::WindowProcedure procedure);
    bool pumpWindowMessages(platform::Window* window);
    bool pumpDialogMessages(platform::Dialog* dialog);

    bool quitRequested = false;
    bool logShown = false;
    int32_t selectedTab = 0;
    platform::Dialog* dialog = nullptr;  // the setup dialog while it is open
};

// The application side's registration and unregistration steps, called by
// the entry point around its setup/run loop.
ErrorCode registerApplication(Os& os);
void unregisterApplication(Os& os);
