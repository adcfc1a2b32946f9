#pragma once
// Top-level windows with an OpenGL context, the display mode, the screen and the cursor.
#include <string>

namespace qelFramework::platform {

// A window of the program; what it holds is the platform's own.
struct Window;

struct WindowRequest {
    std::string title;
    int width = 640;
    int height = 480;
    bool centered = true;      // centre on the screen; otherwise at (0, 0)
    bool decorated = true;     // caption and border; otherwise a borderless pop-up
    bool fullscreen = false;   // switch the display mode to width x height
    int samples = 0;           // multisample count of the GL context (0 = none)
    bool topmost = false;
};

struct WindowResult {
    Window* window = nullptr;
    bool fullscreen = false;   // the display mode was switched
    int samples = 0;           // multisample count obtained
    std::string error;         // why there is no window (the window system's reason)
};

// Creates the window with a compatibility-profile GL context (double-buffered, 24-bit
// depth, 8-bit alpha) and makes the context current. When the display mode cannot be
// switched to exactly width x height the window becomes a borderless pop-up at (0, 0)
// of that size and fullscreen is false in the result. A context that cannot have the
// requested samples is made with fewer. A window whose context cannot be made is not
// kept: no window, and the reason in the result's error.
WindowResult createWindow(const WindowRequest& request);

// Restores the display mode, releases the context and the window.
void destroyWindow(Window* window);

void swapBuffers(Window* window);
void setWindowText(Window* window, const char* text);
// The window's title; empty without a window.
std::string getWindowText(Window* window);
void showWindow(Window* window, bool visible);
void clientSize(Window* window, int& width, int& height);
void screenSize(int& width, int& height);

// Platform handles behind a window, for the platform layer's own UI code.
void* sdlWindow(Window* window);
void* glContext(Window* window);

// A close request's default handling: the window hides (its owner destroys it later).
void hideOnClose(Window* window);

// Cursor display counter: shown while it is 0 or more. Returns the new counter.
int showCursor(bool show);
bool setCursorPos(int x, int y);

} // namespace qelFramework::platform
