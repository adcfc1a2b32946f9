#include "layers/scenes/FeatherChains.h"

#include "base/PortableMath.h"
#include "gl/Billboards.h"
#include "gl/GLHeaders.h"
#include "gl/ScenePi.h"
#include "models/RawModel.h"

#include <cmath>

namespace qelFramework {

namespace {

void glowColour(const BirdLook& look, float t, float s) {
    const float w = portableSin(t + s / 10.0f);
    glColor3f(look.colour.r + look.swing.r * w, look.colour.g + look.swing.g * w, look.colour.b + look.swing.b * w);
}

// Draws the bird's feathers and glows; the chains bend with the wing beat.
class FeatherChains {
public:
    FeatherChains(RawModel* part, float time) : model(part), t(time) {}

    void bird(const BirdLook& look, const SkyBirdResources& res) {
        if (look.solid) {
            glDisable(GL_BLEND);
            glEnable(GL_DEPTH_TEST);
            glDepthMask(GL_TRUE);
            if (res.wingTexture)
                res.wingTexture->bind(GL_TEXTURE0);
            glColor3f(0.5f, 0.5f, 0.6f);
            wing(1.0f, look.phase, look.amplitude);
            wing(-1.0f, look.phase, look.amplitude);
            body();
            if (res.wingTexture)
                res.wingTexture->unbind();
        }
        if (look.glow) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_ONE, GL_ONE);
            glDepthMask(GL_FALSE);
            if (res.glowTexture)
                res.glowTexture->bind(GL_TEXTURE0);
            glowBody(look);
            glowWing(1.0f, look);
            glowWing(-1.0f, look);
            if (res.glowTexture)
                res.glowTexture->unbind();
            glDisable(GL_BLEND);
        }
    }

private:
    // The frame a feather is drawn in: the model's feather points along -y, turned it
    // points along the chain.
    static void featherFrame() {
        glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
        glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
        glScalef(0.3f, 0.3f, 0.3f);
    }

    void feather() {
        glPushMatrix();
        featherFrame();
        if (model)
            model->draw();
        glPopMatrix();
    }

    // A glow over the middle of the feather, a little above it, sized in the feather's
    // frame.
    void glowSprite(float halfSize) {
        glPushMatrix();
        featherFrame();
        drawBillboard(0.0f, -5.0f, -5.0f, halfSize, true);
        glPopMatrix();
    }

    void wing(float side, float phase, float amplitude) {
        glPushMatrix();
        glScalef(side, 1.0f, 1.0f);
        glTranslatef(2.0f, 0.0f, 0.0f);
        const float bend = 2.5f * portableSin(3.0f * t + phase) * amplitude;
        for (int s = 0; s < 28; ++s) {
            glRotatef(bend, 0.0f, 0.0f, 1.0f);
            glTranslatef(0.55f, 0.0f, 0.0f);
            glScalef(0.95f, 0.95f, 0.95f);
            feather();
        }
        glPopMatrix();
    }

    // The neck chain, with a feather or a glow per segment.
    template <typename Segment>
    void neck(Segment segment) {
        glPushMatrix();
        glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
        for (int i = 0; i < 7; ++i) {
            const float fi = static_cast<float>(i);
            glRotatef(5.0f * portableSin(t + fi / 3.0f) - 3.0f, 0.0f, 0.0f, 1.0f);
            glTranslatef(3.0f - 0.25f * fi, 0.0f, 0.0f);
            segment(fi);
            glScalef(0.7f, 0.7f, 0.7f);
        }
        glPopMatrix();
    }

    void body() {
        neck([this](float) { feather(); });
        glPushMatrix();
        glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
        glTranslatef(3.5f, 0.0f, 0.0f);
        for (int s = 0; s < 18; ++s) {
            glRotatef(-2.5f, 0.0f, 0.0f, 1.0f);
            glTranslatef(-2.25f, 0.0f, 0.0f);
            feather();
            glScalef(0.9f, 0.9f, 0.9f);
        }
        glPopMatrix();
    }

    void glowWing(float side, const BirdLook& look) {
        glPushMatrix();
        glScalef(side, 1.0f, 1.0f);
        const float bend = 1.8f * portableSin(3.0f * t + look.phase) * look.amplitude;
        for (int s = 0; s < 36; ++s) {
            glowColour(look, t, static_cast<float>(s));
            glRotatef(bend, 0.0f, 0.0f, 1.0f);
            glTranslatef(0.5f, 0.0f, 0.0f);
            glScalef(0.97f, 0.97f, 0.97f);
            glowSprite(30.0f * look.size);
        }
        glPopMatrix();
    }

    void glowBody(const BirdLook& look) {
        neck([this, &look](float i) {
            glowColour(look, t, i);
            glowSprite(20.0f * look.size);
        });
        // The glowing tail follows the feathered one, in finer steps.
        glPushMatrix();
        glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
        glTranslatef(3.5f, 0.0f, 0.0f);
        for (int s = 0; s < 38; ++s) {
            glowColour(look, t, static_cast<float>(s));
            glRotatef(-1.15f, 0.0f, 0.0f, 1.0f);
            glTranslatef(-0.75f, 0.0f, 0.0f);
            glowSprite(25.0f * look.size);
            glScalef(0.98f, 0.98f, 0.98f);
        }
        glPopMatrix();
    }

    RawModel* model;
    float t;
};

} // namespace

void drawBird(RawModel* wingPart, float t, const BirdLook& look, const SkyBirdResources& res) {
    FeatherChains(wingPart, t).bird(look, res);
}

} // namespace qelFramework
