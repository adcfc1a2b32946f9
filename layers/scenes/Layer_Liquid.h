#pragma once
// The performer and the cloth: a recorded dancer shown as a cloud of small glowing
// sprites, then a sheet of fabric that falls onto the figure, burns away from the burn map
// in the fabric's alpha and throws flames while it burns.
//
// Host contract: a host constructs it embedded with its scene scale (the city: true, 25),
// calls init once from its own init, passes its frame information to update every frame
// (the layer time drives the cloth ripple and the flames) and calls render inside its own
// modelview transform. render restores the matrices and the state it changes. Not
// embedded, the layer sets up its own camera.
#include "gl/GL_Shader.h"
#include "models/ClothDrape.h"
#include "models/MotionPoint.h"
#include "timeline/Layer_Base.h"

#include <vector>

namespace qelFramework {

class GL_Texture;
class SyncController;

class Layer_Liquid : public Layer_KeepsTime {
public:
    explicit Layer_Liquid(bool embedded = false, float sceneScale = 25.0f);
    ~Layer_Liquid() override = default;

    // Controllers, shader, textures, the 539 motion frames and the cloth meshes; true.
    bool init(GL_TextureManager* textures, SyncData* sync) override;
    void render() override;

    void setEmbedded(bool value) { embedded = value; }
    void setSceneScale(float value) { sceneScale = value; }
    bool isEmbedded() const { return embedded; }
    float scale() const { return sceneScale; }

    const std::vector<std::vector<MotionPoint>>& frames() const { return motionFrames; }
    const ClothAnimation& cloth() const { return clothFrames; }
    // The motion frame "Kinect: Play Animation" picks, 0 .. 538.
    int currentFrame() const;

private:
    void drawClothFrame(float progress, const ClothAnimation& frames);
    void drawMotionFrame(std::vector<MotionPoint>& points);
    void drawFlames();

    GL_Texture* fabricTexture = nullptr;
    GL_Texture* sparkTexture = nullptr;
    GL_Texture* fireTexture = nullptr;
    ClothAnimation clothFrames;
    GL_Shader clothShader;
    GLint timeLocation = -1, animIntensityLocation = -1, burnOutLocation = -1, fireOnLocation = -1;

    SyncController* playAnimation = nullptr;
    SyncController* simulateDown = nullptr;
    SyncController* burnOut = nullptr;
    SyncController* fireIntensity = nullptr;
    SyncController* clothDown = nullptr;
    SyncController* burnBlue = nullptr;

    bool embedded;
    float sceneScale;
    std::vector<std::vector<MotionPoint>> motionFrames;
};

} // namespace qelFramework
