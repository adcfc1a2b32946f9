#pragma once
// Internal to the platform layer: what a window handle points to.
#include "platform/WinTypes.h"

#include <SDL.h>

namespace qelFramework {

struct NativeWindow {
    SDL_Window* sdl = nullptr;
    SDL_GLContext gl = nullptr;
    WNDPROC procedure = nullptr;
    bool fullscreen = false;
};

namespace platform {
HWND windowFromSdlId(Uint32 id);
void ensureVideo();
} // namespace platform

} // namespace qelFramework
