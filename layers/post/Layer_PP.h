#pragma once
// The post-processor: wraps the whole picture. Its first call of a frame redirects all
// following drawing into a 1280 x 720 scene target; its second call draws that target to
// the screen through a colour-grading and distortion shader, followed by optional blur,
// ghost and fade passes, all driven by 18 sync controllers. It must therefore be active on
// two tracks for exactly the same frames.
#include "gl/GL_Shader.h"
#include "timeline/Layer_Base.h"

namespace qelFramework {

class GL_FBOTexture;
class GL_Texture;
class SyncController;

class Layer_PP : public Layer_KeepsTime {
public:
    static constexpr int kControllerCount = 18;
    // Controller names in the order init creates them.
    static const char* const kControllerNames[kControllerCount];

    Layer_PP();
    Layer_PP(const Layer_PP&) = delete;
    Layer_PP& operator=(const Layer_PP&) = delete;
    // Releases and deletes the four render targets and the shader.
    ~Layer_PP() override;

    // Creates the targets, builds "postprocessor", fetches the distortion picture and
    // looks the uniforms and controllers up. True when the scene target exists.
    bool init(GL_TextureManager* textures, SyncData* sync) override;
    // Capture call (phase 0) or output call (phase 1); the phase flips after each.
    void render() override;
    // Makes the scene target 1/divisor of 1280 x 720 in each direction.
    void setDraft(int divisor) override;

protected:
    void beginFrame();
    void outputFrame();
    // An untextured full-screen quad of grey `value` combined by the given blend factors.
    static void blendQuad(GLenum source, GLenum destination, float value);

    enum Controller {
        blurFactor, redModulation, greenModulation, blueModulation, invertColors, saturation, desaturation,
        contrast, brightness, darkness, rgbDistortion, pixelDistortion, pixelDistortionAnim, fadeToBlack,
        fadeToWhite, postFadeout, baseFadein, lowpixelPost
    };
    float value(Controller which) const;

    enum Uniform {
        uColorR, uColorB, uColorG, uBrighten, uDarken, uSaturation, uContrast, uInvert, uDistort,
        uDistortPixel, uDistortPixelAnim, kUniformCount
    };
    static const char* const kUniformNames[kUniformCount];

    GL_FBOTexture* sceneTarget = nullptr;
    GL_FBOTexture* lowResTarget = nullptr;
    GL_Texture* distortionTexture = nullptr; // from the texture cache, not owned
    GL_Shader shader;
    int phase = 0;
    int targetWidth = 1280;
    int targetHeight = 720;
    int targetSamples = 2;
    GLint uniforms[kUniformCount];
    SyncController* controllers[kControllerCount] = {};
    GL_FBOTexture* blurSource = nullptr;
    GL_FBOTexture* blurResult = nullptr;
};

} // namespace qelFramework
