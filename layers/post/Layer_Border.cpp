#include "layers/post/Layer_Border.h"

#include "gl/GL_TextureManager.h"

namespace qelFramework {

bool Layer_Border::init(GL_TextureManager* textures, SyncData* sync) {
    (void)sync;
    const std::size_t missing = textures->missingPictures();
    picture = textures->getTexture("data/textures/border.png");
    return textures->missingPictures() == missing; // a picture that did not load fails the layer
}

void Layer_Border::render() {
    // The picture is symmetric top to bottom, so it is drawn unflipped.
    drawPicture(1.0f, false);
}

} // namespace qelFramework
