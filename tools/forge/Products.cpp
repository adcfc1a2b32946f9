#include "Products.h"

#include <cstdio>

namespace qelFramework::forge {

std::string sizeNote(int w, int h, const char* kind) {
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%dx%d %s", w, h, kind);
    return buffer;
}

const std::vector<Product>& allProducts() {
    static const std::vector<Product> products = {
        {"loading", "data/textures/loading.png", makeLoadingPicture},
        {"distortion", "data/textures/distortion.png", makeDistortionField},
        {"noise", "data/textures/noise.png", makeFilmGrain},
        {"border", "data/textures/border.png", makeBorderFrame},
        {"overlay", "data/textures/vorlix-overlay.png", makeLogoOverlay},
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
        {"particle", "data/textures/particle.jpg", makeSparkGlow},
        {"skyline", "data/textures/skyline.png", makeSkyline},
        {"logo", "data/textures/vorlix.png", makeLogoMask},
        {"logo-glow", "data/textures/vorlix-glow.png", makeLogoGlow},
        {"title", "data/textures/title.png", makeTitle},
        {"gazer", "data/textures/gazer.png", makeParticleAtlas},
        {"performer", "data/kinect/anim00000.par", makePerformer},
        {"fabric", "data/textures/fabric.png", makeFabric},
        {"fire", "data/textures/fire.jpg", makeFlameSprite},
        {"particle-alpha", "data/textures/particle-alpha.png", makeSoftDot},
        {"superGlow", "data/textures/superGlow.jpg", makeSuperGlow},
        {"particleDepth", "data/textures/particleDepth.jpg", makeParticleDepth},
        {"wingPart", "data/textures/wingPart.png", makeWingPart},
        {"greetings", "data/textures/greetings.png", makeGreetingCards},
        {"wingModel", "data/other/wingpart.txt", makeWingModel},
        {"soundtrack", "data/quillmont.mp3", makeSoundtrack},
        {"mdl-1stdoor", "data/housemodel/mdl-final-1stdoor.txt", makeTownModelFile<0>},
        {"tex-1stdoor", "data/housemodel/diff-final-1stdoor.png", makeTownTextureFile<0>},
        {"mdl-2nddoor", "data/housemodel/mdl-final-2nddoor.txt", makeTownModelFile<1>},
        {"tex-2nddoor", "data/housemodel/diff-final-2nddoor.png", makeTownTextureFile<1>},
        {"mdl-bottom-windows-left", "data/housemodel/mdl-final-bottom-windows-left.txt", makeTownModelFile<2>},
        {"tex-bottom-windows-left", "data/housemodel/diff-final-bottom-windows-left.png", makeTownTextureFile<2>},
        {"mdl-direction-sign", "data/housemodel/mdl-final-direction-sign.txt", makeTownModelFile<3>},
        {"tex-direction-sign", "data/housemodel/diff-final-direction-sign.png", makeTownTextureFile<3>},
        {"mdl-hangingsign", "data/housemodel/mdl-final-hangingsign.txt", makeTownModelFile<4>},
        {"tex-hangingsign", "data/housemodel/diff-final-hangingsign.png", makeTownTextureFile<4>},
        {"mdl-left-house", "data/housemodel/mdl-final-left-house.txt", makeTownModelFile<5>},
        {"tex-left-house", "data/housemodel/diff-final-left-house.png", makeTownTextureFile<5>},
        {"mdl-littlewall", "data/housemodel/mdl-final-littlewall.txt", makeTownModelFile<6>},
        {"tex-littlewall", "data/housemodel/diff-final-littlewall.png", makeTownTextureFile<6>},
        {"mdl-right-house", "data/housemodel/mdl-final-right-house.txt", makeTownModelFile<7>},
        {"tex-right-house", "data/housemodel/diff-final-right-house.png", makeTownTextureFile<7>},
        {"mdl-sign-advert", "data/housemodel/mdl-final-sign-advert.txt", makeTownModelFile<8>},
        {"tex-sign-advert", "data/housemodel/diff-final-sign-advert.png", makeTownTextureFile<8>},
        {"mdl-street", "data/housemodel/mdl-final-street.txt", makeTownModelFile<9>},
        {"tex-street", "data/housemodel/diff-final-street.png", makeTownTextureFile<9>},
        {"mdl-top-windows-left", "data/housemodel/mdl-final-top-windows-left.txt", makeTownModelFile<10>},
        {"tex-top-windows-left", "data/housemodel/diff-final-top-windows-left.png", makeTownTextureFile<10>},
        {"mdl-walkway", "data/housemodel/mdl-final-walkway.txt", makeTownModelFile<11>},
        {"tex-walkway", "data/housemodel/ao-final-walkway.png", makeTownTextureFile<11>},
        {"mdl-windows-right", "data/housemodel/mdl-final-windows-right.txt", makeTownModelFile<12>},
        {"tex-windows-right", "data/housemodel/diff-final-windows-right.png", makeTownTextureFile<12>},
        {"mdl-wimpel", "data/housemodel/mdl-final-wimpel.txt", makeTownModelFile<13>},
        {"tex-wimpel", "data/housemodel/diff-final-wimpel.png", makeTownTextureFile<13>},
        {"mdl-chimney", "data/housemodel/mdl-final-chimney.txt", makeTownModelFile<14>},
        {"tex-chimney", "data/housemodel/diff-final-chimney.png", makeTownTextureFile<14>},
        {"mdl-left-roof", "data/housemodel/mdl-final-left-roof.txt", makeTownModelFile<15>},
        {"tex-left-roof", "data/housemodel/diff-final-left-roof.png", makeTownTextureFile<15>},
        {"mdl-rooflip", "data/housemodel/mdl-final-rooflip.txt", makeTownModelFile<16>},
        {"tex-rooflip", "data/housemodel/diff-final-rooflip.png", makeTownTextureFile<16>},
        {"mdl-tower", "data/housemodel/mdl-final-tower.txt", makeTowerModelFile},
        {"tex-tower", "data/housemodel/diff-final-tower.png", makeTowerTextureFile},
        {"flyingBird", "data/textures/flyingBird.jpg", makeFlyingBird},
        {"backlight", "data/textures/backlight.jpg", makeBacklight},
        {"choreography", "data/demosynch.dat", compileChoreography},
        {"tempo", "data/tempo.txt", makeTempoFile},
        {"bookmarks", "editor/bookmarks.txt", makeFirstBookmarks},
    };
    return products;
}

} // namespace qelFramework::forge
