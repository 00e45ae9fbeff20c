// Windows, the message queue, OpenGL contexts and the display.
//
// The portable code's whole view of the window system. Windows belong to
// named window classes, each registered with a window procedure; messages
// (key presses, close requests, the quit message, messages posted by the
// program itself) wait in one queue and are taken one at a time without
// blocking, then dispatched to the procedure of the window they address.
//
// Implemented on SDL2 in platform/sdl/. With SDL's offscreen video driver
// (SDL_VIDEODRIVER=offscreen) windows are invisible but carry a real Mesa
// OpenGL context, which is how the tests run without a screen.
// Main thread only.
#pragma once
#include <cstdint>

namespace platform {

struct Window;    // a top-level window
struct Drawable;  // what a window's OpenGL context draws into
struct GlContext;

enum class Key : int32_t { Unknown = 0, Escape, Enter, Tab, Space, Left, Right, Up, Down };

enum class MessageKind : int32_t {
    Quit,     // ends a message loop; posted by postQuitMessage or a close request
    KeyDown,  // key holds the key
    Close,    // the user asked to close the window
    User,     // posted by the program; code holds its own meaning
};

struct Message {
    Window* window = nullptr;  // null for the quit message
    MessageKind kind = MessageKind::User;
    Key key = Key::Unknown;
    int32_t code = 0;  // exit code of Quit, or the program's own code
};

// Returns true when it handled the message; unhandled messages get the
// default handling (a close request becomes the quit message).
using WindowProcedure = bool (*)(Window* window, const Message& message);

enum class WindowStyle { Overlapped, Popup };  // caption and border / none

// Window classes. Registering a registered name fails; unregister first.
bool registerWindowClass(const char* className, WindowProcedure procedure);
void unregisterWindowClass(const char* className);

// A window of the given outer size at the screen origin, shown at once, that
// keeps the procedure its class had at creation. Null on failure.
Window* createWindow(const char* className, const char* title, int width, int height, WindowStyle style);
void destroyWindow(Window* window);
void windowSize(Window* window, int& width, int& height);  // drawable size in pixels

// Code and text of the last failed call of this layer.
uint32_t lastErrorCode();
const char* lastErrorText();

// Takes at most one pending message: one addressed to filter, or to any
// window when filter is null. The quit message is always taken, whatever the
// filter. Never waits. Returns false when nothing was pending.
bool takeMessage(Message& message, Window* filter);
void dispatchMessage(const Message& message);
void postMessage(const Message& message);
void postQuitMessage(int32_t exitCode);

// OpenGL. A pixel format asks for colour and depth bits, double buffered.
Drawable* windowDrawable(Window* window);
bool setPixelFormat(Drawable* drawable, int colorBits, int depthBits);
GlContext* createGlContext(Drawable* drawable);
bool makeCurrent(Drawable* drawable, GlContext* context);  // nulls unbind
void deleteGlContext(GlContext* context);
void swapBuffers(Drawable* drawable);
void setSwapInterval(int interval);  // 0 for no wait on the retrace

// The display. bitsPerPixel is 32 for modes whose pixels take four bytes,
// 16 for two, as the system's enumeration reports them.
struct DisplayMode {
    int32_t width = 0, height = 0, bitsPerPixel = 0, frequency = 0;
};
// Enumerates the primary display's modes; false past the last one. Without
// a real display (the offscreen driver) one 800x600 32-bit 60 Hz mode.
bool enumDisplayMode(int index, DisplayMode& mode);
// Makes the window full screen in that mode. False when refused.
bool changeDisplayMode(Window* window, const DisplayMode& mode);
// Puts the display back into its desktop mode.
void restoreDisplayMode(Window* window);

void hideCursor();

// A modal box with one OK button; waits until it is dismissed. Returns at
// once with false where no display exists. Keeps errno as it was.
bool messageBox(const char* text, const char* caption);

// Seconds from a monotonic clock.
double monotonicSeconds();

}  // namespace platform
