#include "platform/Window.h"
#include "platform/NativeWindow.h"
#include "platform/GLEntryPoints.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace qelFramework::platform {

namespace {
const char* kWindowKey = "qelFramework.window";

std::vector<Window*>& windows() { // creation order
    static std::vector<Window*> list;
    return list;
}

int& cursorCount() {
    static int count = 0;
    return count;
}

void setGlAttributes(int samples) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples > 0 ? samples : 0);
}

bool exactDisplayMode(int width, int height, SDL_DisplayMode& mode) {
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m{};
        if (SDL_GetDisplayMode(0, i, &m) == 0 && m.w == width && m.h == height) {
            mode = m;
            return true;
        }
    }
    return false;
}
} // namespace

void ensureVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return;
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_InitSubSystem(SDL_INIT_VIDEO); // a failure is createWindow's to report
}

Window* windowFromSdlId(Uint32 id) {
    SDL_Window* w = SDL_GetWindowFromID(id);
    return w ? static_cast<Window*>(SDL_GetWindowData(w, kWindowKey)) : nullptr;
}

Window* newestWindow() { return windows().empty() ? nullptr : windows().back(); }

WindowResult createWindow(const WindowRequest& request) {
    ensureVideo();
    WindowResult result;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        result.error = std::string("cannot start the window system: ") + SDL_GetError();
        return result;
    }

    SDL_DisplayMode mode{};
    bool switchMode = request.fullscreen && exactDisplayMode(request.width, request.height, mode);

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    int x = request.centered ? SDL_WINDOWPOS_CENTERED : 0;
    int y = request.centered ? SDL_WINDOWPOS_CENTERED : 0;
    if (!request.decorated || request.fullscreen)
        flags |= SDL_WINDOW_BORDERLESS;
    if (request.fullscreen) {
        x = 0;
        y = 0;
    }
    if (request.topmost || request.fullscreen)
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;

    // Ask for the requested sample count first, then for fewer, then none.
    SDL_Window* sdl = nullptr;
    int samples = request.samples;
    for (;;) {
        setGlAttributes(samples);
        sdl = SDL_CreateWindow(request.title.c_str(), x, y, request.width, request.height, flags);
        if (sdl || samples <= 0)
            break;
        samples = samples > 4 ? 4 : samples - 1;
    }
    if (!sdl) {
        result.error = std::string("cannot open a window: ") + SDL_GetError();
        return result;
    }

    auto* nw = new Window;
    nw->sdl = sdl;
    SDL_SetWindowData(sdl, kWindowKey, nw);

    if (switchMode) {
        if (SDL_SetWindowDisplayMode(sdl, &mode) == 0 && SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN) == 0) {
            nw->fullscreen = true;
        } else {
            SDL_SetWindowPosition(sdl, 0, 0);
        }
    }

    nw->gl = SDL_GL_CreateContext(sdl);
    if (!nw->gl) {
        result.error = std::string("cannot make an OpenGL context: ") + SDL_GetError();
        if (nw->fullscreen)
            SDL_SetWindowFullscreen(sdl, 0);
        SDL_SetWindowData(sdl, kWindowKey, nullptr);
        SDL_DestroyWindow(sdl);
        delete nw;
        return result;
    }
    SDL_GL_MakeCurrent(sdl, nw->gl);
    resolveImmediateModeEntryPoints();
    SDL_GL_SetSwapInterval(0);

    int gotSamples = 0;
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &gotSamples);

    SDL_ShowWindow(sdl);
    SDL_RaiseWindow(sdl);
    windows().push_back(nw);

    result.window = nw;
    result.fullscreen = nw->fullscreen;
    result.samples = gotSamples;
    return result;
}

void destroyWindow(Window* window) {
    if (!window)
        return;
    auto& list = windows();
    list.erase(std::remove(list.begin(), list.end(), window), list.end());
    dropPostedEvents(window);
    if (window->fullscreen)
        SDL_SetWindowFullscreen(window->sdl, 0); // restores the display mode
    if (window->gl) {
        SDL_GL_MakeCurrent(window->sdl, nullptr);
        SDL_GL_DeleteContext(window->gl);
    }
    SDL_SetWindowData(window->sdl, kWindowKey, nullptr);
    SDL_DestroyWindow(window->sdl);
    delete window;
}

void swapBuffers(Window* window) {
    if (window)
        SDL_GL_SwapWindow(window->sdl);
}

void setWindowText(Window* window, const char* text) {
    if (window)
        SDL_SetWindowTitle(window->sdl, text);
}

void showWindow(Window* window, bool visible) {
    if (!window)
        return;
    if (visible)
        SDL_ShowWindow(window->sdl);
    else
        SDL_HideWindow(window->sdl);
}

void clientSize(Window* window, int& width, int& height) {
    width = height = 0;
    if (window)
        SDL_GetWindowSize(window->sdl, &width, &height);
}

void screenSize(int& width, int& height) {
    ensureVideo();
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        width = mode.w;
        height = mode.h;
    } else {
        width = 1280;
        height = 720;
    }
}

std::string getWindowText(Window* window) { return window && window->sdl ? SDL_GetWindowTitle(window->sdl) : ""; }

void* sdlWindow(Window* window) { return window ? window->sdl : nullptr; }
void* glContext(Window* window) { return window ? window->gl : nullptr; }

void hideOnClose(Window* window) {
    if (window)
        SDL_HideWindow(window->sdl);
}

int showCursor(bool show) {
    int& count = cursorCount();
    count += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(count >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return count;
}

void resetCursorCount() { cursorCount() = 0; }

bool setCursorPos(int x, int y) {
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return false;
    SDL_WarpMouseGlobal(x, y);
    return true;
}

} // namespace qelFramework::platform
