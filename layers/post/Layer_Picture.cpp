#include "layers/post/Layer_Picture.h"

#include "gl/FullscreenQuad.h"
#include "gl/GL_Texture.h"

namespace qelFramework {

void Layer_Picture::drawPicture(float opacity, bool flip) const {
    if (!picture)
        return;
    glActiveTexture(GL_TEXTURE0); // bind() enables texturing on the unit that is active
    picture->bind(GL_TEXTURE0);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, opacity);
    drawFullscreenQuad(flip);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    picture->unbind();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

} // namespace qelFramework
