// Window creation and the two non-blocking message pumps.
#include "kernel/os.h"
#include "platform/window.h"

namespace {

platform::Window* makeWindow(const char* className, const char* title, int width, int height,
                             platform::WindowProcedure procedure, platform::WindowStyle style) {
    // A later run registers the class again with the procedure it passes.
    platform::unregisterWindowClass(className);
    if (!platform::registerWindowClass(className, procedure)) {
        logPrintf("RegisterClassEx foired : %u\r\n", platform::lastErrorCode());
        return nullptr;
    }
    platform::Window* window = platform::createWindow(className, title, width, height, style);
    if (!window) {
        logPrintf("CreateWindowEx foired.\r\n");
        return nullptr;
    }
    return window;  // shown at creation
}

}  // namespace

platform::Window* Os::createWindow(const char* className, const char* title, int width, int height,
                                   platform::WindowProcedure procedure) {
    return makeWindow(className, title, width, height, procedure, platform::WindowStyle::Overlapped);
}

platform::Window* Os::createPopupWindow(const char* className, const char* title, int width, int height,
                                        platform::WindowProcedure procedure) {
    return makeWindow(className, title, width, height, procedure, platform::WindowStyle::Popup);
}

bool Os::pumpWindowMessages(platform::Window* window) {
    platform::Message message;
    if (!platform::takeMessage(message, window)) return false;
    if (message.kind == platform::MessageKind::Quit) return true;
    platform::dispatchMessage(message);
    return false;
}
