#include "layers/post/Layer_Overlay.h"

#include "gl/FullscreenQuad.h"
#include "gl/GL_TextureManager.h"
#include "sync/SyncData.h"

namespace qelFramework {

bool Layer_Overlay::init(GL_TextureManager* textures, SyncData* sync) {
    image = textures->getTexture("data\\textures\\vorlix-overlay.png");
    fader = sync->getController("Overlay: Fader");
    return true;
}

void Layer_Overlay::render() {
    if (!image)
        return;
    glActiveTexture(GL_TEXTURE0); // bind() enables texturing on the unit that is active
    image->bind(GL_TEXTURE0);
    glDepthMask(GL_FALSE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, fader ? fader->value : 0.0f);
    drawFullscreenQuad(true);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    image->unbind();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

} // namespace qelFramework
