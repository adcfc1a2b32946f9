#include "layers/post/Layer_Border.h"

#include "gl/GL_TextureManager.h"

namespace qelFramework {

bool Layer_Border::init(GL_TextureManager* textures, SyncData* sync) {
    (void)sync;
    picture = textures->getTexture("data//textures//border.png");
    return true;
}

void Layer_Border::render() {
    // The picture is symmetric top to bottom, so it is drawn unflipped.
    drawPicture(1.0f, false);
}

} // namespace qelFramework
