#include "app/GL_Window.h"

#include "gl/GLHeaders.h"
#include "platform/Window.h"

namespace qelFramework {

GL_Window::~GL_Window() {
    if (created)
        destroy();
}

GL_Window::Viewport GL_Window::letterbox(int width, int height, float aspect) {
    Viewport v;
    v.x = 0;
    v.width = width;
    v.height = static_cast<int>(static_cast<float>(width) / aspect);
    v.y = (height - v.height) / 2;
    return v;
}

bool GL_Window::create(int newWidth, int newHeight, float newAspect, int newSamples, bool newFullscreen,
                       const std::string& newTitle) {
    if (created)
        destroy();

    // The window system gives a multisampled context directly, so no temporary
    // window is needed to reach the pixel-format entry points.
    platform::WindowRequest request;
    request.title = newTitle;
    request.width = newWidth;
    request.height = newHeight;
    request.samples = newSamples;
    request.fullscreen = newFullscreen;
    request.centered = !newFullscreen;
    request.decorated = !newFullscreen;
    request.topmost = newFullscreen;
    platform::WindowResult made = platform::createWindow(request);
    window = made.window;
    failure = made.error;
    fullscreen = made.fullscreen; // a refused mode switch leaves a pop-up, treated as windowed

    if (fullscreen) {
        for (int i = 0; i < 101; ++i)
            if (platform::showCursor(false) < 0)
                break;
    }

    created = true;
    samples = newSamples;
    height = newHeight;
    width = newWidth;
    title = newTitle;
    aspect = newAspect;
    Viewport v = letterbox(newWidth, newHeight, newAspect);
    viewportWidth = v.width;
    viewportHeight = v.height;
    viewportX = v.x;
    viewportY = v.y;

    if (window) {
        glViewport(0, viewportY, width, viewportHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, aspect, 0.1, 100.0);
        glViewport(0, viewportY, width, viewportHeight);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    return window != nullptr;
}

bool GL_Window::destroy() {
    if (!created)
        return false;
    platform::showCursor(true);
    platform::destroyWindow(window); // restores the display mode, releases the context
    window = nullptr;
    aspect = 0.0f;
    created = false;
    height = width = 0;
    viewportWidth = viewportHeight = 0;
    samples = 0;
    fullscreen = false;
    title.clear();
    return true;
}

} // namespace qelFramework
