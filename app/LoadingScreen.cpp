#include "app/LoadingScreen.h"

#include "gl/FullscreenQuad.h"
#include "gl/GLHeaders.h"
#include "gl/GL_Texture.h"
#include "gl/GL_TextureManager.h"
#include "platform/Kernel.h"
#include "platform/Window.h"
#include "timeline/Layer_Base.h"
#include "timeline/Timeline.h"

namespace qelFramework {

bool LoadingScreen::runLoadingScreen(Timeline& timeline, GL_TextureManager* textures, SyncData* sync, platform::Window* window) {
    float shownFraction = 0.0f;
    const std::size_t missing = textures ? textures->missingPictures() : 0;
    image = textures ? textures->getTexture("data/textures/loading.png") : nullptr;
    // Without its own picture the loading screen ends the show before any layer loads.
    bool ok = !textures || textures->missingPictures() == missing;
    if (!ok)
        return false;
    platform::setCursorPos(0, 0);
    platform::showCursor(false);

    const Timeline::Registry& layers = timeline.registry();
    if (layers.empty()) {
        timeline.setState(Loaded);
        return true;
    }
    const float n = static_cast<float>(layers.size());
    for (size_t i = 0; i < layers.size() && ok; ++i) {
        const float goal = static_cast<float>(i + 1) / n;
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        // About ten identical frames of the picture before each layer, 10 ms apart.
        if (goal >= shownFraction) {
            const float step = (goal - shownFraction) / 10.0f;
            do {
                glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
                glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
                if (image)
                    image->bind(GL_TEXTURE0);
                glColor3f(1.0f, 1.0f, 1.0f);
                drawFullscreenQuad(true);
                if (image)
                    image->unbind();
                platform::swapBuffers(window);
                ++shown;
                platform::sleepMs(10);
                shownFraction += step;
            } while (!(shownFraction > goal));
        }
        shownFraction = goal;
        ok = ok && layers[i].first->init(textures, sync);
    }
    if (ok)
        timeline.setState(Loaded);
    return ok;
}

} // namespace qelFramework
