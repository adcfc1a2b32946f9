#include "layers/post/Layer_TiltShift.h"

#include "gl/BlurPass.h"
#include "gl/FullscreenQuad.h"
#include "gl/GL_TextureManager.h"
#include "sync/SyncData.h"

namespace qelFramework {

namespace {

enum { centerSize, position, rotation, glow, glowVertical };

// Inside the band (mask 1) the captured picture; outside it the blurred one, brightened
// and lowered by a little grain; streaks are stretched copies of the blurred picture.
const char* const kFragmentSource = R"(
uniform sampler2D base;
uniform sampler2D blur;
uniform sampler2D mask;
uniform sampler2D noise;
uniform float glow;
uniform float glowVert;

void main()
{
	vec2 uv = gl_TexCoord[0].st;
	vec4 sharp = texture2D(base, uv);
	vec4 blurred = texture2D(blur, uv);
	vec4 streak = texture2D(blur, vec2((uv.s - 0.5) / 10.0 + 0.5, uv.t));
	vec4 streakVert = texture2D(blur, vec2(uv.s, (uv.t - 0.5) / 10.0 + 0.5));
	vec4 grain = texture2D(noise, uv);
	float m = texture2D(mask, uv).r;
	gl_FragColor = mix(blurred * 3.0 - (1.0 - m) * 0.15 - grain * 0.15, sharp, m)
		+ streak * glow * m + streakVert * glowVert * m;
}
)";

void setSampler(const GL_Shader& shader, const char* name, int unit) {
    glUniform1i(uniformLocation(shader, name), unit);
}

void releaseIfCreated(GL_FBOTexture& target) {
    if (target.framebufferName != 0)
        target.release();
}

} // namespace

const char* const Layer_TiltShift::kControllerNames[kControllerCount] = {
    "Tiltshift: Center Size", "Tiltshift: Position", "Tiltshift: Rotation", "City: Glow", "City: Glow Vertical",
};

Layer_TiltShift::Layer_TiltShift() = default;

Layer_TiltShift::~Layer_TiltShift() {
    shader.deleteObjects();
    releaseIfCreated(maskTarget);
    releaseIfCreated(captureTarget);
    releaseIfCreated(blurTarget);
}

bool Layer_TiltShift::init(GL_TextureManager* textures, SyncData* sync) {
    phase = 0;
    const std::size_t missing = textures->missingPictures();
    bool ready = maskTarget.create(256, 256, 1);
    ready = captureTarget.create(kCaptureWidth, kCaptureHeight, kCaptureSamples) && ready;
    ready = blurTarget.create(256, 256, 1) && ready;
    noiseTexture = textures->getTexture("data/textures/noise.png");

    shader.build("tiltShift shader", kFullscreenQuadVertexSource, kFragmentSource);
    glowLocation = uniformLocation(shader, "glow");
    glowVertLocation = uniformLocation(shader, "glowVert");
    glUseProgram(shader.programName);
    setSampler(shader, "base", 0);
    setSampler(shader, "blur", 1);
    setSampler(shader, "mask", 2);
    setSampler(shader, "noise", 3);
    glUseProgram(0);

    for (int i = 0; i < kControllerCount; ++i)
        controllers[i] = sync->expectController(kControllerNames[i]);
    // Targets, shader and pictures are all needed; any that failed fails the layer.
    return ready && shader.isValid && textures->missingPictures() == missing;
}

float Layer_TiltShift::value(int controller) const {
    const SyncController* c = controllers[controller];
    return c ? c->value : 0.0f;
}

void Layer_TiltShift::render() {
    if (phase == 0) {
        // The scenes are captured on transparent black, like the post-processor's frame.
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        captureTarget.beginCapture();
    } else {
        outputFrame();
    }
    phase = 1 - phase;
}

void Layer_TiltShift::setDraft(int divisor) {
    if (captureTarget.framebufferName == 0 || divisor < 1)
        return;
    if (!resizeTarget(captureTarget, kCaptureWidth / divisor, kCaptureHeight / divisor, kCaptureSamples))
        resizeTarget(captureTarget, kCaptureWidth, kCaptureHeight, kCaptureSamples);
}

void Layer_TiltShift::outputFrame() {
    captureTarget.endCapture();
    glUseProgram(0); // the mask and the blur draw with the fixed pipeline
    drawMask();
    blurInto(captureTarget, 0.5f, blurTarget);

    glUseProgram(shader.programName);
    glUniform1f(glowLocation, value(glow));
    glUniform1f(glowVertLocation, value(glowVertical));
    glDepthMask(GL_FALSE);
    captureTarget.bind(GL_TEXTURE0);
    blurTarget.bind(GL_TEXTURE1);
    maskTarget.bind(GL_TEXTURE2);
    noiseTexture->bind(GL_TEXTURE3);
    drawFullscreenQuad(false);
    noiseTexture->unbind();
    maskTarget.unbind();
    blurTarget.unbind();
    captureTarget.unbind(); // leaves unit 0 active
    glDepthMask(GL_TRUE);
    glUseProgram(0);
}

void Layer_TiltShift::drawMask() {
    const float s = value(centerSize), p = value(position), r = value(rotation);
    maskTarget.beginCapture();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_BLEND);
    // The mask is private: whatever the scenes left switched on must not shade it.
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);

    const float a = 1.0f - s, b = 2.5f - 1.5f * s, c = 2.5f + 1.5f * s, d = 4.0f + s;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, 1.0, 0.0, 5.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(0.0f, 4.0f - 8.0f * p, 0.0f);
    glTranslatef(0.0f, 2.5f, 0.0f);
    glRotatef(180.0f * r, 0.0f, 0.0f, 1.0f);
    glTranslatef(0.0f, -2.5f, 0.0f);

    // Bands from the bottom up: (lower y, its grey, upper y, its grey).
    const float bands[5][4] = {{-5.0f, 0, a, 0}, {a, 0, b, 1}, {b, 1, c, 1}, {c, 1, d, 0}, {d, 0, 10.0f, 0}};
    glBegin(GL_QUADS);
    for (const auto& band : bands) {
        glColor3f(band[1], band[1], band[1]);
        glVertex2f(-10.0f, band[0]);
        glVertex2f(10.0f, band[0]);
        glColor3f(band[3], band[3], band[3]);
        glVertex2f(10.0f, band[2]);
        glVertex2f(-10.0f, band[2]);
    }
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    glColor3f(1.0f, 1.0f, 1.0f);
    maskTarget.endCapture();
}

} // namespace qelFramework
