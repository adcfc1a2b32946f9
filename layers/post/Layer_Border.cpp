#include "layers/post/Layer_Border.h"

#include "gl/FullscreenQuad.h"
#include "gl/GL_TextureManager.h"

namespace qelFramework {

bool Layer_Border::init(GL_TextureManager* textures, SyncData* sync) {
    (void)sync;
    picture = textures->getTexture("data//textures//border.png");
    return true;
}

void Layer_Border::render() {
    if (!picture)
        return;
    glActiveTexture(GL_TEXTURE0); // bind() enables texturing on the unit that is active
    picture->bind(GL_TEXTURE0);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    // The picture is symmetric top to bottom, so it is drawn unflipped.
    drawFullscreenQuad(false);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    picture->unbind();
}

} // namespace qelFramework
