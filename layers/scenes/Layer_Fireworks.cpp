#include "layers/scenes/Layer_Fireworks.h"

#include "base/PortableMath.h"
#include "base/Trace.h"
#include "gl/FullscreenQuad.h"
#include "gl/GL_TextureManager.h"
#include "gl/Random.h"
#include "sync/SyncData.h"

#include <algorithm>
#include <cmath>

namespace qelFramework {

namespace {

// rand() mod n as a float.
float draw(int n) { return static_cast<float>(qelFramework::rand() % n); }

float valueOf(const SyncController* c) { return c ? c->value : 0.0f; }

// A picture quad from the corners top left, top right, bottom right, bottom left at z 0.
// The texture runs right to left across it, as the city's sky shows the picture from
// behind.
void mirroredQuad(float left, float topLeft, float right, float topRight, float bottom) {
    glBegin(GL_QUADS);
    glTexCoord2f(1, 0);
    glVertex3f(left, topLeft, 0);
    glTexCoord2f(0, 0);
    glVertex3f(right, topRight, 0);
    glTexCoord2f(0, 1);
    glVertex3f(right, bottom, 0);
    glTexCoord2f(1, 1);
    glVertex3f(left, bottom, 0);
    glEnd();
}

} // namespace

Layer_Fireworks::Layer_Fireworks() {
    for (Firework& rocket : rockets)
        rocket.launch();
    for (int i = 0; i < 3; ++i) {
        flashTimer[i] = 2.0f * static_cast<float>(i) / 3.0f;
        flashAge[i] = 0.0f;
        flashStrength[i] = 0.0f;
        flashX[i] = (draw(2000) / 1000.0f - 1.0f) * 30.0f;
    }
}

bool Layer_Fireworks::init(GL_TextureManager* textures, SyncData* sync) {
    const std::size_t missing = textures->missingPictures();
    sparkTexture = textures->getTexture("data/textures/particle.jpg");
    logoTexture = textures->getTexture("data/textures/vorlix.png");
    logoGlowTexture = textures->getTexture("data/textures/vorlix-glow.png");
    titleTexture = textures->getTexture("data/textures/title.png");
    skylineTexture = textures->getTexture("data/textures/skyline.png");

    bool ready = sceneTarget.create(1024, 1024, 0);
    ready = outputTarget.create(1024, 1024, 0) && ready;
    ready = blurTarget.create(32, 32, 0) && ready;
    // Published now, before the layers that show the picture look it up.
    textures->addTexture("blurFireworks", &blurTarget);
    textures->addTexture("fireworks", &outputTarget);

    superGau = sync->expectController("Fireworks: SuperGAU");
    gau = sync->getController("Fireworks: gau"); // kept in the data for the editor, never read: no warning
    intensity = sync->expectController("Fireworks: Intensity");
    camDown = sync->expectController("Houses: Cam Down");
    titleControl = sync->expectController("Title: Control");
    titleAnimation = sync->expectController("Title: Animation");
    titleFadeout = sync->expectController("Title: Fadeout");
    zoom = sync->expectController("Fireworks: Zoom In");
    // Targets and pictures are all needed; any that failed fails the layer.
    return ready && textures->missingPictures() == missing;
}

void Layer_Fireworks::update(const FrameInfo& frame) {
    if (frame.justStarted)
        for (Firework& rocket : rockets)
            rocket.launch();
    const bool trigger = superGau && superGau->changed;
    if (trigger)
        Trace::write(Trace::Info, "supergau", "triggered");
    time = frame.time;
    const float dt = frame.delta;

    for (Firework& rocket : rockets) {
        if (rocket.finished)
            rocket.launch();
        rocket.step(dt, trigger);
    }

    for (int i = 0; i < 3; ++i) {
        flashTimer[i] -= dt;
        // Fades at the rate 2 - flare. A frame long enough to take the whole strength
        // (a capture at one frame a second) ends the flash instead of flipping its sign.
        flashStrength[i] -= std::min((2.0f - flare) * dt, 1.0f) * flashStrength[i];
        flashAge[i] += dt;
        flare -= dt * flare * 0.1f;
        if (flashTimer[i] < 0.0f || trigger) {
            flashAge[i] = 0.0f;
            const float c = 1.0f - valueOf(camDown);
            flashStrength[i] = (1.0f - c * c * c * c) * 0.3f + 0.5f;
            flashTimer[i] = draw(2000) / 1000.0f + 1.0f;
            flashX[i] = (draw(2000) / 1000.0f - 1.0f) * 20.0f;
            if (trigger) {
                flashAge[i] = 10.0f;
                flashStrength[i] *= 2.0f;
                flashTimer[i] *= 4.0f;
                flare = 1.9f;
            }
        }
    }
    gain = valueOf(intensity) * 3.0f;
}

void Layer_Fireworks::drawSparks() {
    // One quad per spark in the camera's plane; its size pulses with the spark's speed.
    for (const Firework& rocket : rockets) {
        if (rocket.countdown > 0.0f)
            continue;
        glBegin(GL_QUADS);
        for (const Spark& s : rocket.sparks) {
            const float h = s.size * 0.5f - portableCos(105.0f * s.shimmer * s.age * vectorLength(s.velocity)) * 0.25f;
            const Vector3& p = s.position;
            glColor3f(s.colour.x, s.colour.y, s.colour.z);
            glTexCoord2f(0, 1);
            glVertex3f(p.x - h, p.y - h, p.z);
            glTexCoord2f(1, 1);
            glVertex3f(p.x + h, p.y - h, p.z);
            glTexCoord2f(1, 0);
            glVertex3f(p.x + h, p.y + h, p.z);
            glTexCoord2f(0, 0);
            glVertex3f(p.x - h, p.y + h, p.z);
        }
        glEnd();
    }
}

void Layer_Fireworks::drawFlashes() {
    // Three broad glows low on the horizon: red, yellow and a pale one.
    for (int i = 0; i < 3; ++i) {
        const float a = std::clamp(flashAge[i] * 10.0f, 0.0f, 1.0f);
        const float s = flashStrength[i] * a;
        glPushMatrix();
        glTranslatef(flashX[i], -30.0f, 0.0f);
        if (i == 0)
            glColor3f(0.3f * s, 0.0f, 0.0f);
        else if (i == 1)
            glColor3f(0.2f * s, 0.2f * s, 0.0f);
        else
            glColor3f(0.3f * s, 0.2f * s, 0.2f * s);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex3f(-100, 60, -30);
        glTexCoord2f(1, 0);
        glVertex3f(100, 60, -30);
        glTexCoord2f(1, 1);
        glVertex3f(100, -30, -30);
        glTexCoord2f(0, 1);
        glVertex3f(-100, -30, -30);
        glEnd();
        glPopMatrix();
    }
}

void Layer_Fireworks::drawLogoTitleAndSkyline() {
    const float control = valueOf(titleControl);
    const float c = valueOf(camDown);

    // The logo multiplies what lies behind it and sways a little.
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    logoTexture->bind(GL_TEXTURE0);
    glColor4f(1, 1, 1, 1);
    glTranslatef(0.25f * portableSin(0.5f * time + portableCos(0.2f - time / 1.5f)), 0.0f, -11.0f);
    glPushMatrix();
    glTranslatef(0.0f, -15.0f * control, 0.0f);
    mirroredQuad(-10.0f, 5.63f, 10.0f, 6.63f, -5.63f);
    glPopMatrix();
    logoTexture->unbind();

    // Its glow, lit from below by the flashes.
    const float sum = flashStrength[0] + flashStrength[1] + flashStrength[2];
    const float g = sum * sum;
    glBlendFunc(GL_ONE, GL_ONE);
    logoGlowTexture->bind(GL_TEXTURE0);
    glPushMatrix();
    glTranslatef(0.0f, -15.0f * control, 0.0f);
    glBegin(GL_QUADS);
    glColor4f(0, 0, 0, 0);
    glTexCoord2f(1, 0);
    glVertex3f(-10.0f, 5.63f, 0);
    glTexCoord2f(0, 0);
    glVertex3f(10.0f, 6.63f, 0);
    glColor4f(g, g, g, 1);
    glTexCoord2f(0, 1);
    glVertex3f(10.0f, -5.63f, 0);
    glTexCoord2f(1, 1);
    glVertex3f(-10.0f, -5.63f, 0);
    glEnd();
    glPopMatrix();
    logoGlowTexture->unbind();

    // The title slides in from the side as the logo drops away.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const float a = std::clamp(2.0f * portableSin(3.1415f * valueOf(titleAnimation)), 0.0f, 1.0f);
    glColor4f(a, a, a, 1.0f - valueOf(titleFadeout));
    titleTexture->bind(GL_TEXTURE0);
    glPushMatrix();
    glTranslatef((1.0f - control) * 20.0f, 2.0f * c * c + 3.0f, -3.0f);
    mirroredQuad(-10.0f, 5.0f, 10.0f, 5.0f, -5.0f);
    glPopMatrix();
    titleTexture->unbind();

    // The skyline rises into view as the city's camera comes down.
    glColor4f(1, 1, 1, 1);
    skylineTexture->bind(GL_TEXTURE0);
    glPushMatrix();
    glTranslatef(0.0f, (1.0f - c) * -10.0f, 2.0f);
    mirroredQuad(-10.0f, 2.5f, 10.0f, 2.5f, -2.5f);
    glPopMatrix();
    skylineTexture->unbind();
}

void Layer_Fireworks::render() {
    sceneTarget.beginCapture();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.777, 1.0, 400.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float z = valueOf(zoom);
    gluLookAt(0.0, 20.0f * z, -35.0f * z, 0.0, 20.0f * z, -1.0f - 40.0f * z, 0.0, 1.0, 0.0);
    glColor4f(1, 1, 1, 1);

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    sparkTexture->bind(GL_TEXTURE0);
    glDisable(GL_DEPTH_TEST);
    drawSparks();
    drawFlashes();
    sparkTexture->unbind();
    drawLogoTitleAndSkyline();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    sceneTarget.endCapture();

    copyTexture(blurTarget, sceneTarget);

    // The picture plus its tiny copy stretched over it as a soft bloom.
    outputTarget.beginCapture();
    glColor4f(gain, gain, gain, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    sceneTarget.bind(GL_TEXTURE0);
    drawFullscreenQuad(false);
    sceneTarget.unbind();
    blurTarget.bind(GL_TEXTURE0);
    drawFullscreenQuad(false);
    blurTarget.unbind();
    glDisable(GL_BLEND);
    outputTarget.endCapture();
}

} // namespace qelFramework
