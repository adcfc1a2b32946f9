#pragma once
// The opening's night sky, drawn off screen: 80 rockets bursting into coloured, falling
// sparks, three coloured flashes on the horizon, a swaying logo with its glow, the title
// and a skyline. The picture is published in the texture cache as "fireworks" (with a
// 32 x 32 copy as "blurFireworks") for the city, which shows it in its sky.
#include "gl/GL_FBOTexture.h"
#include "layers/scenes/Firework.h"
#include "timeline/Layer_Base.h"

namespace qelFramework {

class GL_Texture;
class SyncController;

class Layer_Fireworks : public Layer_Base {
public:
    static constexpr int kRockets = 80;

    // Launches the 80 rockets (each burst reseeds the program's generator), then places
    // the three flashes.
    Layer_Fireworks();

    bool init(GL_TextureManager* textures, SyncData* sync) override;
    void update(const FrameInfo& frame) override;
    void render() override;
    void unload() override {}

    Firework rockets[kRockets];
    GL_Texture* sparkTexture = nullptr;
    GL_Texture* skylineTexture = nullptr;
    GL_Texture* logoTexture = nullptr;
    GL_Texture* logoGlowTexture = nullptr;
    GL_Texture* titleTexture = nullptr;
    GL_FBOTexture sceneTarget;
    GL_FBOTexture blurTarget;   // "blurFireworks"
    GL_FBOTexture outputTarget; // "fireworks"
    SyncController* camDown = nullptr;
    SyncController* superGau = nullptr;
    float flashTimer[3] = {};    // seconds until each flash fires again
    float flashAge[3] = {};      // seconds since it fired
    float flashX[3] = {};
    float flashStrength[3] = {};
    float flare = 0.0f;          // extra flash persistence after a trigger, decaying
    float time = 0.0f;
    float gain = 0.0f;           // brightness of the output pass
    SyncController* intensity = nullptr;
    SyncController* titleControl = nullptr;
    SyncController* titleAnimation = nullptr;
    SyncController* titleFadeout = nullptr;
    SyncController* zoom = nullptr;
    SyncController* gau = nullptr; // looked up, not read

private:
    void drawSparks();
    void drawFlashes();
    void drawLogoTitleAndSkyline();
};

} // namespace qelFramework
