#include "Products.h"

namespace qelFramework::forge {

const std::vector<Product>& allProducts() {
    static const std::vector<Product> products = {
        {"loading", "data\\textures\\loading.png", makeLoadingPicture},
        {"distortion", "data\\textures\\distortion.png", makeDistortionField},
        {"noise", "data\\textures\\noise.png", makeFilmGrain},
        {"border", "data//textures//border.png", makeBorderFrame},
        {"overlay", "data\\textures\\vorlix-overlay.png", makeLogoOverlay},
        {"superGlow", "data\\textures\\superGlow.jpg", makeSuperGlow},
        {"particleDepth", "data\\textures\\particleDepth.jpg", makeParticleDepth},
        {"wingPart", "data\\textures\\wingPart.png", makeWingPart},
        {"greetings", "data\\textures\\greetings.png", makeGreetingCards},
        {"wingModel", "data\\other\\wingpart.txt", makeWingModel},
        {"soundtrack", "data\\quillmont.mp3", makeSoundtrack},
        {"choreography", "data\\demosynch.dat", compileChoreography},
    };
    return products;
}

} // namespace qelFramework::forge
