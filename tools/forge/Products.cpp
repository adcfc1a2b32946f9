#include "Products.h"

namespace qelFramework::forge {

const std::vector<Product>& allProducts() {
    static const std::vector<Product> products = {
        {"loading", "data\\textures\\loading.png", makeLoadingPicture},
        {"distortion", "data\\textures\\distortion.png", makeDistortionField},
        {"noise", "data\\textures\\noise.png", makeFilmGrain},
        {"border", "data//textures//border.png", makeBorderFrame},
        {"overlay", "data\\textures\\vorlix-overlay.png", makeLogoOverlay},
        {"button-linear", "editor//button-linear.png", makeEditorButtonPicture<EditorButton::Linear>},
        {"button-smoothstep", "editor//button-smoothstep.png", makeEditorButtonPicture<EditorButton::Smoothstep>},
        {"button-exponential", "editor//button-exponential.png", makeEditorButtonPicture<EditorButton::Exponential>},
        {"button-minexp", "editor//button-minexponential.png", makeEditorButtonPicture<EditorButton::MinExponential>},
        {"button-valval", "editor//button-man-valval.png", makeEditorButtonPicture<EditorButton::ValVal>},
        {"button-valzero", "editor//button-man-valzero.png", makeEditorButtonPicture<EditorButton::ValZero>},
        {"button-valone", "editor//button-man-valone.png", makeEditorButtonPicture<EditorButton::ValOne>},
        {"button-zeroval", "editor//button-man-zeroval.png", makeEditorButtonPicture<EditorButton::ZeroVal>},
        {"button-oneval", "editor//button-man-oneval.png", makeEditorButtonPicture<EditorButton::OneVal>},
        {"button-oneone", "editor//button-man-oneone.png", makeEditorButtonPicture<EditorButton::OneOne>},
        {"button-zerozero", "editor//button-man-zerozero.png", makeEditorButtonPicture<EditorButton::ZeroZero>},
        {"button-play", "editor//button-play.png", makeEditorButtonPicture<EditorButton::Play>},
        {"button-pause", "editor//button-pause.png", makeEditorButtonPicture<EditorButton::Pause>},
        {"button-record", "editor//button-record.png", makeEditorButtonPicture<EditorButton::Record>},
        {"particle", "data\\textures\\particle.jpg", makeSparkGlow},
        {"skyline", "data\\textures\\skyline.png", makeSkyline},
        {"logo", "data\\textures\\vorlix.png", makeLogoMask},
        {"logo-glow", "data\\textures\\vorlix-glow.png", makeLogoGlow},
        {"title", "data\\textures\\title.png", makeTitle},
        {"gazer", "data\\textures\\gazer.png", makeParticleAtlas},
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
