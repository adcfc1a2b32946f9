#pragma once
// The sky scene: a night sky seen by a slowly drifting camera, with a fountain ring of
// 1000 falling points, two pulsing lens flares, a cloud of 1000 coloured particles that
// parts around the flying bird, and the bird, its swarm and the greetings (SkyBirds).
#include "gl/GL_Camera.h"
#include "gl/GL_Shader.h"
#include "gl/GL_Texture.h"
#include "gl/Vector3.h"
#include "layers/scenes/SkyBirds.h"
#include "models/RawModel.h"
#include "timeline/Layer_Base.h"

#include <vector>

namespace qelFramework {

class SyncController;

struct SkyParticle {
    Vector3 direction;
    Vector3 position;
    float phase = 0.0f; // 0 to 2 seconds of fall
    float speed = 0.0f;
};

class Layer_Sky : public Layer_Base {
public:
    static constexpr int kRingSize = 1000;
    static constexpr int kCloudSize = 1000;

    // Makes the ring from the random generator as earlier draws left it, looks up the
    // controllers, fetches the textures, compiles the programs and loads the wing part.
    bool init(GL_TextureManager* textures, SyncData* sync) override;
    void update(const FrameInfo& frame) override;
    void render() override;
    void unload() override {}

    // The controllers' current values.
    SkyValues values() const;

    SyncController* lineIntensity = nullptr;
    SyncController* flareIntensity = nullptr;
    SyncController* moveUp = nullptr;
    SyncController* birdUp = nullptr;
    SyncController* showGreetings = nullptr;
    SyncController* blobsDown = nullptr;
    SyncController* joinSwarm = nullptr;
    SyncController* swarmDown = nullptr;
    SyncController* camOut = nullptr;
    SyncController* brightness = nullptr;
    SyncController* zoomOut = nullptr;

    GL_Texture* particleTexture = nullptr;
    GL_Texture* superGlowTexture = nullptr;
    GL_Texture* particleDepthTexture = nullptr;
    GL_Texture* wingPartTexture = nullptr;
    GL_Texture* greetingsTexture = nullptr;

    GL_Shader skyParticles;
    GL_Shader birdShader; // compiled, kept for looking at the feather normals; nothing draws with it

    // The key cameras of the last update and the blend of them the render applies.
    GL_Camera driftCamera, swarmCamera, greetingCamera, zoomCamera;
    GL_Camera skyCamera;

    RawModel wingPart;
    std::vector<SkyParticle> ringParticles;
    SkyBirds birds;
    SkyDrawCounts counts; // what the last render drew

    float time = 0.0f;
    float delta = 0.0f;

private:
    void drawRing(const SkyValues& v, float fade);
    void drawFlares(const SkyValues& v, float fade);
    void drawCloud(const SkyValues& v);
};

} // namespace qelFramework
