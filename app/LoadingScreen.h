#pragma once
// Initialises every registered layer, one after the other, behind a full-screen
// loading picture.
#include "platform/Window.h"

namespace qelFramework {

class GL_Texture;
class GL_TextureManager;
class SyncData;
class Timeline;

class LoadingScreen {
public:
    virtual ~LoadingScreen() = default;
    // Initialises the timeline's layers in registration order with the texture cache and
    // the sync data, stopping at the first init that fails (a picture that did not load
    // fails its layer). True when the screen's own picture loaded and every init
    // returned true; the timeline is then Loaded.
    bool runLoadingScreen(Timeline& timeline, GL_TextureManager* textures, SyncData* sync, platform::Window* window);

    // Presentations of the picture so far (tests count them).
    unsigned framesShown() const { return shown; }

private:
    GL_Texture* image = nullptr; // from the texture cache, not owned
    unsigned shown = 0;
};

} // namespace qelFramework
