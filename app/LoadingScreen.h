#pragma once
// Initialises every registered layer, one after the other, behind a full-screen
// loading picture.
#include "platform/WinTypes.h"

namespace qelFramework {

class GL_Texture;
class Timeline;

class LoadingScreen {
public:
    virtual ~LoadingScreen() = default;
    // True when every layer's init returned true; the timeline is then Loaded.
    bool runLoadingScreen(Timeline& timeline, HWND window);

    // Presentations of the picture so far (tests count them).
    unsigned framesShown() const { return shown; }

private:
    GL_Texture* image = nullptr; // from the texture cache, not owned
    unsigned shown = 0;
};

} // namespace qelFramework
