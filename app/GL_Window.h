#pragma once
// The production's one top-level window with its OpenGL context: optional display-mode
// switch, a letter-boxed viewport of a fixed aspect ratio and a default projection.
#include "platform/Window.h"

#include <string>

namespace qelFramework {

class GL_Window {
public:
    GL_Window() = default;
    virtual ~GL_Window();
    GL_Window(const GL_Window&) = delete;
    GL_Window& operator=(const GL_Window&) = delete;

    // False, with the window system's reason in error(), when no window with a context opens.
    bool create(int width, int height, float aspect, int samples, bool fullscreen, const std::string& title);
    bool destroy();

    // The letter-boxed viewport for a window of width x height at the given aspect:
    // full width, height = width / aspect (truncated), centred vertically (y may be negative).
    struct Viewport {
        int x, y, width, height;
    };
    static Viewport letterbox(int width, int height, float aspect);

    bool isCreated() const { return created; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    Viewport viewport() const { return {viewportX, viewportY, viewportWidth, viewportHeight}; }
    float getAspect() const { return aspect; }
    int getSamples() const { return samples; }
    bool isFullscreen() const { return fullscreen; }
    platform::Window* handle() const { return window; }
    const std::string& getTitle() const { return title; }
    const std::string& error() const { return failure; }

private:
    bool created = false;
    int height = 0;
    int width = 0;
    int viewportWidth = 0;
    int viewportHeight = 0;
    int viewportX = 0;
    int viewportY = 0;
    float aspect = 0.0f;
    int samples = 0;
    bool fullscreen = false;
    platform::Window* window = nullptr;
    std::string title;
    std::string failure;
};

} // namespace qelFramework
