#include "Products.h"

namespace qelFramework::forge {

const std::vector<Product>& allProducts() {
    static const std::vector<Product> products = {
        {"loading", "data\\textures\\loading.png", makeLoadingPicture},
        {"distortion", "data\\textures\\distortion.png", makeDistortionField},
        {"noise", "data\\textures\\noise.png", makeFilmGrain},
        {"border", "data//textures//border.png", makeBorderFrame},
        {"overlay", "data\\textures\\vorlix-overlay.png", makeLogoOverlay},
        {"performer", "data\\kinect\\anim00000.par", makePerformer},
        {"fabric", "data\\textures\\fabric.png", makeFabric},
        {"fire", "data\\textures\\fire.jpg", makeFlameSprite},
        {"particle-alpha", "data\\textures\\particle-alpha.png", makeSoftDot},
        {"soundtrack", "data\\quillmont.mp3", makeSoundtrack},
        {"choreography", "data\\demosynch.dat", compileChoreography},
    };
    return products;
}

} // namespace qelFramework::forge
