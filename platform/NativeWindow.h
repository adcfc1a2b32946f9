#pragma once
// Internal to the platform layer: what a Window is, and how its pieces reach each other.
#include <SDL.h>

namespace qelFramework::platform {

struct Window {
    SDL_Window* sdl = nullptr;
    SDL_GLContext gl = nullptr;
    bool fullscreen = false;
};

Window* windowFromSdlId(Uint32 id);
// The window created most recently, which receives scripted input; null when none lives.
Window* newestWindow();
void ensureVideo();
// Forgets the posted events of a window being destroyed.
void dropPostedEvents(Window* window);
// The cursor shows again with its display count at 0.
void resetCursorCount();

} // namespace qelFramework::platform
