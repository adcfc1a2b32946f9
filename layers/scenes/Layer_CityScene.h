#pragma once
// The town: textured house models seen first from the sky and then from the street,
// glowing trails that grow through the streets and up the tall house, a smoke column,
// a flock of birds leaving the floating tower, a backlight behind it, the performer and
// the cloth on the tower's top, and the fireworks picture on a billboard in the sky.
// Every motion follows sync controllers and the production time.
#include "gl/GL_Camera.h"
#include "gl/GL_Shader.h"
#include "layers/scenes/LitParticleBatch.h"
#include "layers/scenes/TrailPath.h"
#include "models/RawModel.h"
#include "timeline/Layer_Base.h"

#include <memory>
#include <vector>

namespace qelFramework {

class GL_Texture;
class SyncController;

class Layer_CityScene : public Layer_Base {
public:
    // The controllers, in the order init looks them up.
    enum Control {
        CamDown,       // sky view to street view; houses, tower, birds, backlight above 0.02
        GrowGround,    // trails 0-4 and 6
        GrowOuter,     // trails 5 and 7
        GrowMain,      // trail 8 and the camera along it; from 0.9 only the roofs stay
        ChaseSmoke,    // camera towards the smoke; tower turn; tower and cloth above 0
        FogDistance,   // fog distance (1 - value) x 250
        SmokeBlow,     // the smoke column; from 0.2 no house part is drawn
        FlockingOut,   // birds spreading from the tower
        Backlight,     // backlight brightness
        CamToPodest,   // podium camera; backlight height
        KinectMove,    // Kinect camera; cloth height
        ClothRotator,  // cloth turn about the vertical
        KinectFocus,   // podium camera centre and eye
        BurnBlue,      // takes red and green out of the top of the backlight
        ControlCount
    };
    static const char* const kControlNames[ControlCount];

    static constexpr int kTrailCount = 9;
    static constexpr int kSmokeParticles = 200;

    // With the performer and cloth layer built for embedding (scene scale 25).
    Layer_CityScene();
    // With the given cloth layer (any layer that draws in the city's transform), or none.
    explicit Layer_CityScene(std::unique_ptr<Layer_Base> clothLayer);
    ~Layer_CityScene() override;

    bool init(GL_TextureManager* textures, SyncData* sync) override;
    void update(const FrameInfo& frame) override;
    void render() override;
    void unload() override;

    // Makes the trails, their resampled forms, the particle counts and the camera path
    // (no GL needed; init calls it).
    void buildTrails();

    float control(Control c) const;

    std::unique_ptr<Layer_Base> cloth;

    GL_Shader cityShader;
    GLint fogDistanceLocation = -1;

    std::vector<std::unique_ptr<RawModel>> parts; // in load order
    std::vector<GL_Texture*> partTextures;        // one per part
    RawModel tower;
    GL_Texture* towerTexture = nullptr;

    GL_Texture* birdTexture = nullptr;
    GL_Texture* backlightTexture = nullptr;
    GL_Texture* particleTexture = nullptr; // kept, not drawn
    GL_Texture* fireworksTexture = nullptr;

    GL_Camera skyView, streetView, currentView;

    SyncController* controls[ControlCount] = {};

    LitParticleBatch smokeBatch;
    LitParticleBatch trailBatch;

    TrailPath paths[kTrailCount];
    TrailPath resampled[kTrailCount];
    unsigned trailCount[kTrailCount] = {};
    TrailPath chasePath;

    float time = 0.0f;
    float delta = 0.0f;
    bool trailsShown = false; // the trails were drawn in the frame before

private:
    void seedTrailParticles();
    void drawHouses();
    void drawTowerAndCloth();
    void drawBirds();
    void drawBacklight();
    void drawTrails();
    void setTrailSizes();
    void drawSmoke();
    void drawFireworks();
};

} // namespace qelFramework
