#include "Products.h"

namespace qelFramework::forge {

const std::vector<Product>& allProducts() {
    static const std::vector<Product> products = {
        {"loading", "data\\textures\\loading.png", makeLoadingPicture},
        {"distortion", "data\\textures\\distortion.png", makeDistortionField},
        {"noise", "data\\textures\\noise.png", makeFilmGrain},
        {"border", "data//textures//border.png", makeBorderFrame},
        {"overlay", "data\\textures\\vorlix-overlay.png", makeLogoOverlay},
        {"particle", "data\\textures\\particle.jpg", makeSparkGlow},
        {"skyline", "data\\textures\\skyline.png", makeSkyline},
        {"logo", "data\\textures\\vorlix.png", makeLogoMask},
        {"logo-glow", "data\\textures\\vorlix-glow.png", makeLogoGlow},
        {"title", "data\\textures\\title.png", makeTitle},
        {"gazer", "data\\textures\\gazer.png", makeParticleAtlas},
        {"soundtrack", "data\\quillmont.mp3", makeSoundtrack},
        {"choreography", "data\\demosynch.dat", compileChoreography},
    };
    return products;
}

} // namespace qelFramework::forge
