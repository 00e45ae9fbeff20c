// platform/window.h on SDL2.
#include <SDL2/SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <string>

#include "platform/window.h"
#include "platform/sdl/sdl_video.h"

namespace platform {

struct Window {
    SDL_Window* sdl = nullptr;
    WindowProcedure procedure = nullptr;
    std::string title;
    int width = 0, height = 0;  // drawable size asked for
    uint32_t flags = 0;
    int colorBits = 0, depthBits = 0;  // the GL attributes it was made with
};

struct GlContext {
    SDL_GLContext sdl = nullptr;
};

namespace {

std::map<std::string, WindowProcedure> windowClasses;
std::deque<Message> queue;
uint32_t errorCode = 0;
std::string errorString;

// GL attributes used for every new window until a pixel format asks for others.
int defaultColorBits = 32, defaultDepthBits = 16;

void fail(uint32_t code, const char* what) {
    errorCode = code;
    errorString = what;
    const char* sdlError = SDL_GetError();
    if (sdlError && *sdlError) errorString += std::string(": ") + sdlError;
}

void setGlAttributes(int colorBits, int depthBits) {
    int channel = colorBits <= 16 ? 5 : 8;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, colorBits <= 16 ? 6 : 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

SDL_Window* makeSdlWindow(Window& w, int colorBits, int depthBits) {
    setGlAttributes(colorBits, depthBits);
    SDL_Window* sdl = SDL_CreateWindow(w.title.c_str(), 0, 0, w.width, w.height, w.flags);
    if (sdl) {
        w.colorBits = colorBits;
        w.depthBits = depthBits;
        SDL_SetWindowData(sdl, "platform", &w);
    }
    return sdl;
}

Window* windowOf(uint32_t sdlWindowId) {
    SDL_Window* sdl = SDL_GetWindowFromID(sdlWindowId);
    return sdl ? static_cast<Window*>(SDL_GetWindowData(sdl, "platform")) : nullptr;
}

Key keyOf(SDL_Keycode code) {
    switch (code) {
        case SDLK_ESCAPE: return Key::Escape;
        case SDLK_RETURN: case SDLK_KP_ENTER: return Key::Enter;
        case SDLK_TAB: return Key::Tab;
        case SDLK_SPACE: return Key::Space;
        case SDLK_LEFT: return Key::Left;
        case SDLK_RIGHT: return Key::Right;
        case SDLK_UP: return Key::Up;
        case SDLK_DOWN: return Key::Down;
        default: return Key::Unknown;
    }
}

// Turns SDL's pending events into messages at the back of the queue.
void collectEvents() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        Message m;
        switch (event.type) {
            case SDL_QUIT:
                m.kind = MessageKind::Quit;
                break;
            case SDL_KEYDOWN:
                m.window = windowOf(event.key.windowID);
                m.kind = MessageKind::KeyDown;
                m.key = keyOf(event.key.keysym.sym);
                if (!m.window) continue;
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event != SDL_WINDOWEVENT_CLOSE) continue;
                m.window = windowOf(event.window.windowID);
                m.kind = MessageKind::Close;
                if (!m.window) continue;
                break;
            default:
                continue;
        }
        queue.push_back(m);
    }
}

}  // namespace

bool registerWindowClass(const char* className, WindowProcedure procedure) {
    if (!className || !procedure) {
        fail(87, "invalid window class");
        return false;
    }
    if (!windowClasses.emplace(className, procedure).second) {
        fail(1410, "window class already registered");
        return false;
    }
    return true;
}

void unregisterWindowClass(const char* className) {
    if (className) windowClasses.erase(className);
}

Window* createWindow(const char* className, const char* title, int width, int height, WindowStyle style) {
    auto cls = className ? windowClasses.find(className) : windowClasses.end();
    if (cls == windowClasses.end()) {
        fail(1407, "window class not registered");
        return nullptr;
    }
    if (width <= 0 || height <= 0) {
        fail(87, "window size must be positive");
        return nullptr;
    }
    if (!ensureVideo()) {
        fail(1, "no video");
        return nullptr;
    }
    auto* w = new Window;
    w->procedure = cls->second;
    w->title = title ? title : "";
    w->width = width;
    w->height = height;
    w->flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | (style == WindowStyle::Popup ? SDL_WINDOW_BORDERLESS : 0);
    w->sdl = makeSdlWindow(*w, defaultColorBits, defaultDepthBits);
    if (!w->sdl) {
        fail(1, "SDL_CreateWindow");
        delete w;
        return nullptr;
    }
    // The size asked for is the outer size: the border takes its share.
    int top = 0, left = 0, bottom = 0, right = 0;
    if (style == WindowStyle::Overlapped && SDL_GetWindowBordersSize(w->sdl, &top, &left, &bottom, &right) == 0 &&
        (top | left | bottom | right) != 0 && width > left + right && height > top + bottom)
        SDL_SetWindowSize(w->sdl, width - left - right, height - top - bottom);
    return w;
}

void destroyWindow(Window* window) {
    if (!window) return;
    for (auto it = queue.begin(); it != queue.end();)
        it = it->window == window ? queue.erase(it) : it + 1;
    if (window->sdl) SDL_DestroyWindow(window->sdl);
    delete window;
}

void windowSize(Window* window, int& width, int& height) {
    width = height = 0;
    if (window && window->sdl) SDL_GL_GetDrawableSize(window->sdl, &width, &height);
}

uint32_t lastErrorCode() { return errorCode; }
const char* lastErrorText() { return errorString.c_str(); }

bool takeMessage(Message& message, Window* filter) {
    collectEvents();
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (it->kind == MessageKind::Quit || !filter || it->window == filter) {
            message = *it;
            queue.erase(it);
            return true;
        }
    }
    return false;
}

void dispatchMessage(const Message& message) {
    Window* w = message.window;
    if (!w) return;
    if (w->procedure && w->procedure(w, message)) return;
    if (message.kind == MessageKind::Close) postQuitMessage(0);
}

void postMessage(const Message& message) { queue.push_back(message); }

void postQuitMessage(int32_t exitCode) {
    Message m;
    m.kind = MessageKind::Quit;
    m.code = exitCode;
    queue.push_back(m);
}

Drawable* windowDrawable(Window* window) {
    return window && window->sdl ? reinterpret_cast<Drawable*>(window) : nullptr;
}

bool setPixelFormat(Drawable* drawable, int colorBits, int depthBits) {
    auto* w = reinterpret_cast<Window*>(drawable);
    if (!w || !w->sdl) return false;
    defaultColorBits = colorBits;
    defaultDepthBits = depthBits;
    if (w->colorBits == colorBits && w->depthBits == depthBits) return true;
    // SDL fixes a window's GL visual when it creates it: make it anew with
    // the format asked for, or keep the old one as the closest match.
    SDL_Window* fresh = makeSdlWindow(*w, colorBits, depthBits);
    if (!fresh) return true;
    SDL_DestroyWindow(w->sdl);
    w->sdl = fresh;
    return true;
}

GlContext* createGlContext(Drawable* drawable) {
    auto* w = reinterpret_cast<Window*>(drawable);
    if (!w || !w->sdl) return nullptr;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GLContext sdl = SDL_GL_CreateContext(w->sdl);
    if (!sdl) {
        fail(2000, "SDL_GL_CreateContext");
        return nullptr;
    }
    return new GlContext{sdl};
}

bool makeCurrent(Drawable* drawable, GlContext* context) {
    auto* w = reinterpret_cast<Window*>(drawable);
    if (!w || !context) return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
    if (SDL_GL_MakeCurrent(w->sdl, context->sdl) != 0) {
        fail(2004, "SDL_GL_MakeCurrent");
        return false;
    }
    return true;
}

void deleteGlContext(GlContext* context) {
    if (!context) return;
    SDL_GL_DeleteContext(context->sdl);
    delete context;
}

void swapBuffers(Drawable* drawable) {
    auto* w = reinterpret_cast<Window*>(drawable);
    if (w && w->sdl) SDL_GL_SwapWindow(w->sdl);
}

void setSwapInterval(int interval) { SDL_GL_SetSwapInterval(interval); }

bool enumDisplayMode(int index, DisplayMode& mode) {
    if (index < 0 || !ensureVideo()) return false;
    if (isHeadless()) {
        if (index > 0) return false;
        mode = {800, 600, 32, 60};
        return true;
    }
    SDL_DisplayMode m;
    if (index >= SDL_GetNumDisplayModes(0) || SDL_GetDisplayMode(0, index, &m) != 0) return false;
    int bytes = SDL_BYTESPERPIXEL(m.format);
    mode.width = m.w;
    mode.height = m.h;
    mode.bitsPerPixel = bytes == 4 ? 32 : bytes == 2 ? 16 : SDL_BITSPERPIXEL(m.format);
    mode.frequency = m.refresh_rate;
    return true;
}

bool changeDisplayMode(Window* window, const DisplayMode& mode) {
    if (!window || !window->sdl) return false;
    SDL_DisplayMode wanted{};
    wanted.w = mode.width;
    wanted.h = mode.height;
    wanted.refresh_rate = mode.frequency;
    SDL_DisplayMode closest;
    if (!SDL_GetClosestDisplayMode(0, &wanted, &closest)) return false;
    if (closest.w != mode.width || closest.h != mode.height) return false;
    if (SDL_SetWindowDisplayMode(window->sdl, &closest) != 0) return false;
    return SDL_SetWindowFullscreen(window->sdl, SDL_WINDOW_FULLSCREEN) == 0;
}

void restoreDisplayMode(Window* window) {
    if (window && window->sdl && (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN))
        SDL_SetWindowFullscreen(window->sdl, 0);
}

void hideCursor() {
    if (ensureVideo()) SDL_ShowCursor(SDL_DISABLE);
}

bool messageBox(const char* text, const char* caption) {
    int savedErrno = errno;
    bool shown = !isHeadless() && ensureVideo() &&
                 SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption ? caption : "Error", text ? text : "",
                                          nullptr) == 0;
    // Where no box can be shown, the terminal still tells.
    if (!shown) std::fprintf(stderr, "%s: %s\n", caption ? caption : "Error", text ? text : "");
    errno = savedErrno;
    return shown;
}

double monotonicSeconds() {
    static const uint64_t start = SDL_GetPerformanceCounter();
    return double(SDL_GetPerformanceCounter() - start) / double(SDL_GetPerformanceFrequency());
}

}  // namespace platform
