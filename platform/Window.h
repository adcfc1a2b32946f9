#pragma once
// Top-level windows with an OpenGL context, the display mode and the screen.
#include "platform/WinTypes.h"

#include <string>

namespace qelFramework::platform {

struct WindowRequest {
    std::string title;
    int width = 640;
    int height = 480;
    bool centered = true;      // centre on the screen; otherwise at (0, 0)
    bool decorated = true;     // caption and border; otherwise a borderless pop-up
    bool fullscreen = false;   // switch the display mode to width x height
    int samples = 0;           // multisample count of the GL context (0 = none)
    bool topmost = false;
    WNDPROC procedure = nullptr;
};

struct WindowResult {
    HWND window = nullptr;
    bool fullscreen = false;   // the display mode was switched
    int samples = 0;           // multisample count obtained
};

// Creates the window with a compatibility-profile GL context (double-buffered, 24-bit
// depth, 8-bit alpha) and makes the context current. When the display mode cannot be
// switched to exactly width x height the window becomes a borderless pop-up at (0, 0)
// of that size and fullscreen is false in the result. A context that cannot have the
// requested samples is made with fewer.
WindowResult createWindow(const WindowRequest& request);

// Restores the display mode, releases the context and the window.
void destroyWindow(HWND window);

void swapBuffers(HWND window);
void setWindowText(HWND window, const char* text);
// The window's title; empty without a window.
std::string getWindowText(HWND window);
void showWindow(HWND window, bool visible);
void clientSize(HWND window, int& width, int& height);
void screenSize(int& width, int& height);
WNDPROC windowProcedure(HWND window);

// Platform handles behind a window, for the platform layer's own UI code.
void* sdlWindow(HWND window);
void* glContext(HWND window);

} // namespace qelFramework::platform
