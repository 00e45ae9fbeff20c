#include "platform/sdl/sdl_video.h"

#include <SDL2/SDL.h>

#include <cstring>

namespace platform {

bool ensureVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    return SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
}

bool isHeadless() {
    if (!ensureVideo()) return true;
    const char* driver = SDL_GetCurrentVideoDriver();
    return !driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

}  // namespace platform
