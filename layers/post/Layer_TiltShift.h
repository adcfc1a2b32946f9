#pragma once
// The tilt-shift pass that gives the town its miniature look: a sharp band across the
// picture, blurred, darkened and grained outside it, with horizontal and vertical light
// streaks. Its first call of a frame captures the scenes drawn after it; its second call
// draws the treated picture into the target below. Like the post-processor it must be
// active on two tracks for exactly the same frames.
#include "gl/GL_FBOTexture.h"
#include "gl/GL_Shader.h"
#include "timeline/Layer_Base.h"

namespace qelFramework {

class SyncController;

class Layer_TiltShift : public Layer_KeepsTime {
public:
    static constexpr int kControllerCount = 5;
    // Centre size, position, rotation, glow, vertical glow: the order init creates them.
    static const char* const kControllerNames[kControllerCount];

    Layer_TiltShift();
    // Releases the shader and the three render targets.
    ~Layer_TiltShift() override;

    // Creates the targets, fetches the grain picture, builds "tiltShift shader" and looks
    // the uniforms and controllers up. Always true.
    bool init(GL_TextureManager* textures, SyncData* sync) override;
    // Capture call (phase 0) or output call (phase 1); the phase flips after each.
    void render() override;
    // Makes the capture target 1/divisor of 1280 x 720 in each direction.
    void setDraft(int divisor) override;

protected:
    void outputFrame();
    // Draws the focus band into the mask target from the three band controllers.
    void drawMask();
    float value(int controller) const;

    GL_Shader shader;
    GLint glowLocation = -1;
    GLint glowVertLocation = -1;
    GL_FBOTexture maskTarget;
    GL_FBOTexture captureTarget;
    GL_FBOTexture blurTarget;
    GL_Texture* noiseTexture = nullptr; // from the texture cache, not owned
    SyncController* controllers[kControllerCount] = {};
    int phase = 0;
    static constexpr int kCaptureWidth = 1280;
    static constexpr int kCaptureHeight = 720;
    static constexpr int kCaptureSamples = 2;
};

} // namespace qelFramework
