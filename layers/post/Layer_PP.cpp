#include "layers/post/Layer_PP.h"

#include "gl/BlurPass.h"
#include "gl/FullscreenQuad.h"
#include "gl/GL_FBOTexture.h"
#include "gl/GL_TextureManager.h"
#include "sync/SyncData.h"

namespace qelFramework {

namespace {

const char* const kVertexSource = R"(
void main()
{
	gl_FrontColor = gl_Color;
	gl_TexCoord[0] = gl_MultiTexCoord0;
	gl_Position = ftransform();
}
)";

// Distortion first (a scrolling field shifts the lookup, then each channel is fetched at
// its own offset), then brightness, darkness, inversion, saturation, contrast and the
// per-channel modulation. With the neutral settings every step returns its input.
const char* const kFragmentSource = R"(
uniform sampler2D base_tex;
uniform sampler2D distort_tex;
uniform float color_r;
uniform float color_g;
uniform float color_b;
uniform float brighten;
uniform float darken;
uniform float saturation;
uniform float contrast;
uniform float invert;
uniform float distort;
uniform float distort_pixel;
uniform float distort_pixel_anim;

void main()
{
	vec2 uv = gl_TexCoord[0].st;
	vec2 dist = texture2D(distort_tex, vec2(uv.x, uv.y + distort_pixel_anim)).rg * 2.0 - 1.0;
	vec2 t = uv + dist * distort_pixel;
	vec3 c = texture2D(base_tex, t).rgb;

	c.r = texture2D(base_tex, t + vec2(c.r / 50.0, sin(2.0 * c.r) / 20.0) * distort).r;
	c.g = texture2D(base_tex, t + vec2(c.g / 20.0, c.g / 20.0) * distort, cos(2.0 * c.g) / 50.0).g;
	c.b = texture2D(base_tex, t - vec2(-cos(10.0 * c.g + 2.0 * t.y + distort) / 2.5 - c.r, -c.b / 20.0) * distort * 2.0).b;

	c = clamp(c * brighten, 0.0, 1.0);
	c = vec3(1.0) - clamp((vec3(1.0) - c) * darken, 0.0, 1.0);
	c = c * (1.0 - invert) + (vec3(1.0) - c) * invert;
	float i = dot(c, vec3(0.2125, 0.7154, 0.0721));
	c = mix(vec3(i), c, saturation);
	c = mix(vec3(0.5), c, contrast);
	gl_FragColor = vec4(c.r * color_r, c.g * color_g, c.b * color_b, 1.0);
}
)";

void releaseTarget(GL_FBOTexture*& target) {
    if (!target)
        return;
    target->release();
    delete target;
    target = nullptr;
}

} // namespace

const char* const Layer_PP::kControllerNames[kControllerCount] = {
    "Postprocessor: blur factor",
    "Postprocessor: red color modulation",
    "Postprocessor: green color modulation",
    "Postprocessor: blue color modulation",
    "Postprocessor: invert colors",
    "Postprocessor: saturation",
    "Postprocessor: desaturation",
    "Postprocessor: contrast",
    "Postprocessor: brightness",
    "Postprocessor: darkness",
    "Postprocessor: rgb distortion",
    "Postprocessor: pixel distortion",
    "Postprocessor: pixel distortion anim",
    "Postprocessor: fade to black",
    "Postprocessor: fade to white",
    "Postprocessor: post fadeout",
    "Postprocessor: base fadein",
    "Postprocessor: lowpixel post",
};

const char* const Layer_PP::kUniformNames[kUniformCount] = {
    "color_r", "color_b", "color_g", "brighten", "darken", "saturation",
    "contrast", "invert", "distort", "distort_pixel", "distort_pixel_anim",
};

Layer_PP::Layer_PP() {
    for (GLint& location : uniforms)
        location = -1;
}

Layer_PP::~Layer_PP() {
    releaseTarget(sceneTarget);
    releaseTarget(lowResTarget);
    releaseTarget(blurSource);
    releaseTarget(blurResult);
    shader.deleteObjects();
}

bool Layer_PP::init(GL_TextureManager* textures, SyncData* sync) {
    sceneTarget = new GL_FBOTexture();
    blurSource = new GL_FBOTexture();
    blurResult = new GL_FBOTexture();
    lowResTarget = new GL_FBOTexture();
    const std::size_t missing = textures->missingPictures();
    bool ready = sceneTarget->create(targetWidth, targetHeight, targetSamples);
    ready = blurSource->create(512, 512, 1) && ready;
    ready = blurResult->create(512, 512, 1) && ready;
    ready = lowResTarget->create(64, 64, 1) && ready;

    shader.build("postprocessor", kVertexSource, kFragmentSource);
    distortionTexture = textures->getTexture("data/textures/distortion.png");
    phase = 0;

    glUseProgram(shader.programName);
    glUniform1i(uniformLocation(shader, "distort_tex"), 1);
    glUseProgram(0);

    for (int i = 0; i < kUniformCount; ++i)
        uniforms[i] = uniformLocation(shader, kUniformNames[i]);
    for (int i = 0; i < kControllerCount; ++i)
        controllers[i] = sync->expectController(kControllerNames[i]);
    // Targets, shader and pictures are all needed; any that failed fails the layer.
    return ready && shader.isValid && textures->missingPictures() == missing;
}

float Layer_PP::value(Controller which) const {
    const SyncController* c = controllers[which];
    return c ? c->value : 0.0f;
}

void Layer_PP::render() {
    if (phase == 0)
        beginFrame();
    else
        outputFrame();
    phase = 1 - phase;
}

void Layer_PP::setDraft(int divisor) {
    if (!sceneTarget || divisor < 1)
        return;
    if (!resizeTarget(*sceneTarget, targetWidth / divisor, targetHeight / divisor, targetSamples))
        resizeTarget(*sceneTarget, targetWidth, targetHeight, targetSamples);
}

void Layer_PP::beginFrame() {
    if (!sceneTarget)
        return;
    // The capture clears the target with the clear colour: transparent black.
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    sceneTarget->beginCapture();
}

void Layer_PP::blendQuad(GLenum source, GLenum destination, float grey) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnable(GL_BLEND);
    glBlendFunc(source, destination);
    glColor3f(grey, grey, grey);
    drawFullscreenQuad(false);
    glDisable(GL_BLEND);
}

void Layer_PP::outputFrame() {
    if (!sceneTarget)
        return;
    sceneTarget->endCapture();
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glColor3f(1.0f, 1.0f, 1.0f);

    const float blur = value(blurFactor);
    if (blur > 0.0f) {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        blurSource->beginCapture();
    }

    // The graded frame.
    distortionTexture->bind(GL_TEXTURE1);
    sceneTarget->bind(GL_TEXTURE0);
    glUseProgram(shader.programName);
    glUniform1f(uniforms[uColorR], 1.0f - value(redModulation));
    glUniform1f(uniforms[uColorG], 1.0f - value(greenModulation));
    glUniform1f(uniforms[uColorB], 1.0f - value(blueModulation));
    glUniform1f(uniforms[uInvert], value(invertColors));
    glUniform1f(uniforms[uSaturation], (1.0f + 20.0f * value(saturation)) * (1.0f - value(desaturation)));
    glUniform1f(uniforms[uContrast], 1.0f + 10.0f * value(contrast));
    glUniform1f(uniforms[uBrighten], 1.0f + 10.0f * value(brightness));
    glUniform1f(uniforms[uDarken], 1.0f + 10.0f * value(darkness));
    glUniform1f(uniforms[uDistort], value(rgbDistortion));
    glUniform1f(uniforms[uDistortPixel], value(pixelDistortion));
    glUniform1f(uniforms[uDistortPixelAnim], value(pixelDistortionAnim));
    drawFullscreenQuad(false);
    glUseProgram(0);
    distortionTexture->unbind();
    sceneTarget->unbind(); // leaves unit 0 active

    if (blur > 0.0f) {
        blurSource->endCapture();
        blurInto(*blurSource, blur, *blurResult);
        blurResult->bind(GL_TEXTURE0);
        glColor3f(1.0f, 1.0f, 1.0f);
        drawFullscreenQuad(false);
        blurResult->unbind();
    }

    const float lowpixel = value(lowpixelPost);
    if (lowpixel > 0.0f)
        copyTexture(*lowResTarget, *sceneTarget);

    blendQuad(GL_DST_COLOR, GL_ZERO, 1.0f - value(postFadeout));

    const float fadein = value(baseFadein);
    if (fadein > 0.0f) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        sceneTarget->bind(GL_TEXTURE0);
        glColor3f(fadein, fadein, fadein);
        drawFullscreenQuad(false);
        sceneTarget->unbind();
        glDisable(GL_BLEND);
    }
    if (lowpixel > 0.0f) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        glColor3f(lowpixel, lowpixel, lowpixel);
        lowResTarget->bind(GL_TEXTURE0);
        drawFullscreenQuad(false);
        lowResTarget->unbind();
        glDisable(GL_BLEND);
    }

    blendQuad(GL_DST_COLOR, GL_ZERO, 1.0f - value(fadeToBlack));
    blendQuad(GL_ONE, GL_ONE, value(fadeToWhite));
    glColor3f(1.0f, 1.0f, 1.0f);
}

} // namespace qelFramework
