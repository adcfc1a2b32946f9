#include "layers/post/Layer_Overlay.h"

#include "gl/GL_TextureManager.h"
#include "sync/SyncData.h"

namespace qelFramework {

bool Layer_Overlay::init(GL_TextureManager* textures, SyncData* sync) {
    const std::size_t missing = textures->missingPictures();
    picture = textures->getTexture("data/textures/vorlix-overlay.png");
    fader = sync->expectController("Overlay: Fader");
    return textures->missingPictures() == missing; // a picture that did not load fails the layer
}

void Layer_Overlay::render() {
    if (!picture)
        return;
    glDisable(GL_DEPTH_TEST);
    drawPicture(fader ? fader->value : 0.0f, true);
    glEnable(GL_DEPTH_TEST);
}

} // namespace qelFramework
