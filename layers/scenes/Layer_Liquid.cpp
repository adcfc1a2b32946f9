#include "layers/scenes/Layer_Liquid.h"

#include "base/PortableMath.h"
#include "gl/Billboards.h"
#include "gl/GLHeaders.h"
#include "gl/GL_Texture.h"
#include "gl/GL_TextureManager.h"
#include "gl/Random.h"
#include "layers/scenes/ClothShader.h"
#include "layers/scenes/MotionFrames.h"
#include "sync/SyncData.h"

#include <algorithm>
#include <cmath>

namespace qelFramework {

namespace {

constexpr float kClothStepSize = 0.2f;
constexpr int kEmitterSpacing = 18;

float valueOf(const SyncController* c) { return c ? c->value : 0.0f; }

float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

float fraction(float v) { return v - std::floor(v); }

void bindTexture(GL_Texture* texture) {
    if (texture)
        texture->bind(GL_TEXTURE0);
}

void unbindTexture(GL_Texture* texture) {
    if (texture)
        texture->unbind();
}

} // namespace

Layer_Liquid::Layer_Liquid(bool embedded, float sceneScale) : embedded(embedded), sceneScale(sceneScale) {}

bool Layer_Liquid::init(GL_TextureManager* textures, SyncData* sync) {
    playAnimation = sync->expectController("Kinect: Play Animation");
    simulateDown = sync->expectController("Cloth: Simulate Down");
    burnOut = sync->expectController("Cloth: BurnOut");
    fireIntensity = sync->expectController("Cloth: Fire Intensity");
    clothDown = sync->expectController("Cloth: Down");
    burnBlue = sync->expectController("Cloth: Burn Blue");

    const std::size_t missing = textures->missingPictures();
    clothShader.build("clothShader", kClothVertexShader, kClothFragmentShader);
    timeLocation = uniformLocation(clothShader, "time");
    animIntensityLocation = uniformLocation(clothShader, "animIntensity");
    burnOutLocation = uniformLocation(clothShader, "burnOut");
    fireOnLocation = uniformLocation(clothShader, "fireOn");

    fireTexture = textures->getTexture("data/textures/fire.jpg");
    sparkTexture = textures->getTexture("data/textures/particle-alpha.png");

    motionFrames.assign(kMotionFrameCount, {});
    for (int f = 0; f < kMotionFrameCount; ++f)
        loadMotionFrame(motionFrameName(f), kMotionZOffset, motionFrameAngle(f), motionFrames[f]);

    clothFrames = buildClothAnimation(motionFrames.back(), kClothStepSize);
    fabricTexture = textures->getTexture("data/textures/fabric.png");
    // The shader and the pictures are needed; any that failed fails the layer.
    return clothShader.isValid && textures->missingPictures() == missing;
}

int Layer_Liquid::currentFrame() const {
    // Clamped before the conversion, which a value out of range (or not a number) would
    // make undefined.
    float frame = valueOf(playAnimation) * (kMotionFrameCount - 1);
    if (!(frame > 0.0f))
        return 0;
    return static_cast<int>(std::min(frame, static_cast<float>(kMotionFrameCount - 1)));
}

void Layer_Liquid::render() {
    const float simulate = valueOf(simulateDown), burn = valueOf(burnOut);
    if (!embedded) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(60.0, 1.777, 1.0, 400.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0, 50, 50, 0, 10, 0, 0, 1, 0);
        sceneScale = 25.0f;
    }
    const GLboolean depthWasOn = glIsEnabled(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glScalef(sceneScale, sceneScale, sceneScale);
    glEnable(GL_DEPTH_TEST);

    if (simulate > 0.0f && burn < 0.8f && clothFrames.frames.size() >= 2) {
        glPushMatrix();
        glRotatef(180.0f, 0, 1, 0);
        glTranslatef(0, (1.0f - valueOf(clothDown)) * 3.0f, 0);
        glColor4f(1, 1, 1, 1);
        glUseProgram(clothShader.programName);
        glUniform1f(burnOutLocation, burn * 1.5f);
        glUniform1f(timeLocation, time);
        glUniform1f(animIntensityLocation, portablePow(simulate, 5.0f));
        glUniform1f(fireOnLocation, valueOf(fireIntensity));
        bindTexture(fabricTexture);
        drawClothFrame(simulate, clothFrames);
        unbindTexture(fabricTexture);
        glUseProgram(0);
        glPopMatrix();
    }

    if (simulate < 0.9f && !motionFrames.empty())
        drawMotionFrame(motionFrames[currentFrame()]);

    // Flames: their sprites fade out as the burn goes on.
    glColor3f(1.0f, 0.5f, 0.0f);
    glRotatef(180.0f, 0, 1, 0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDepthMask(GL_FALSE);
    bindTexture(fireTexture);
    srand(10);
    drawBillboard(0, 0, 0, 0, true); // reads the view's directions for the sprites below
    drawFlames();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    unbindTexture(fireTexture);

    glPopMatrix();
    if (!depthWasOn)
        glDisable(GL_DEPTH_TEST);
    glColor4f(1, 1, 1, 1);
}

// Blends the two stored meshes around `progress` (0 .. 1 over the fall).
void Layer_Liquid::drawClothFrame(float progress, const ClothAnimation& frames) {
    const int n = static_cast<int>(frames.frames.size()) - 2;
    const float along = std::isfinite(progress) ? std::clamp(progress, 0.0f, 2.0f) * n : 0.0f;
    const int i = std::min(static_cast<int>(along), n);
    const float t = fraction(along);
    const ClothFrame& a = frames.frames[i];
    const ClothFrame& b = frames.frames[i + 1];
    glBegin(GL_TRIANGLES);
    for (int v = 0; v < frames.vertexCount; ++v) {
        float position[3], normal[3], uv[2];
        for (int c = 0; c < 3; ++c) {
            position[c] = a.positions[v * 3 + c] * (1.0f - t) + b.positions[v * 3 + c] * t;
            normal[c] = a.normals[v * 3 + c] * (1.0f - t) + b.normals[v * 3 + c] * t;
        }
        float length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
        if (length > 0.0f)
            for (float& c : normal)
                c /= length;
        for (int c = 0; c < 2; ++c)
            uv[c] = a.texCoords[v * 2 + c] * (1.0f - t) + b.texCoords[v * 2 + c] * t;
        glTexCoord2fv(uv);
        glNormal3fv(normal);
        glVertex3fv(position);
    }
    glEnd();
}

// The performer: one camera-facing sprite per point, warm light from +x and cool light
// from -x. The sprites are the billboards of the toolkit with the view's directions read
// once, sent as one batch of quads rather than one draw per point.
void Layer_Liquid::drawMotionFrame(std::vector<MotionPoint>& points) {
    glPushMatrix();
    glPointSize(2.0f);
    glEnable(GL_DEPTH_TEST);
    bindTexture(sparkTexture);
    glEnable(GL_BLEND);
    glRotatef(180.0f, 0, 1, 0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const float halfSize = 0.03f / sceneScale;
    const float r[3] = {m[0] * halfSize, m[4] * halfSize, m[8] * halfSize};
    const float u[3] = {m[1] * halfSize, m[5] * halfSize, m[9] * halfSize};
    // Corners (-R - U), (R - U), (R + U), (U - R), the image upright.
    const float signR[4] = {-1, 1, 1, -1}, signU[4] = {-1, -1, 1, 1};
    const float s[4] = {0, 1, 1, 0}, t[4] = {1, 1, 0, 0};
    float corner[4][3];
    for (int c = 0; c < 4; ++c)
        for (int k = 0; k < 3; ++k)
            corner[c][k] = signR[c] * r[k] + signU[c] * u[k];
    glBegin(GL_QUADS);
    for (MotionPoint& p : points) {
        p.ny = 0.0f;
        float length = std::sqrt(p.nx * p.nx + p.nz * p.nz);
        if (length > 0.0f) {
            p.nx /= length;
            p.nz /= length;
        }
        float a = clamp01(p.nx / std::sqrt(2.0f)), b = clamp01(-p.nx / std::sqrt(2.0f));
        glColor3f(0.3f * b + a, 0.8f * a + 0.5f * b, b + 0.1f * a);
        for (int c = 0; c < 4; ++c) {
            glMultiTexCoord2f(GL_TEXTURE0, s[c], t[c]);
            glVertex3f(p.x + corner[c][0], p.y + corner[c][1], p.z + corner[c][2]);
        }
    }
    glEnd();
    glDepthMask(GL_TRUE);
    unbindTexture(sparkTexture);
    glDisable(GL_BLEND);
    glPopMatrix();
}

// Flames and sparks rising from every 18th vertex of the settled sheet. Each emitter
// reseeds the random source with its own index, so it looks the same every frame.
void Layer_Liquid::drawFlames() {
    if (clothFrames.frames.empty())
        return;
    const ClothFrame& last = clothFrames.frames.back();
    const float B = valueOf(burnOut), F = valueOf(fireIntensity), U = valueOf(burnBlue), T = time, S = sceneScale;
    for (int k = 0; k < clothFrames.vertexCount; k += kEmitterSpacing) {
        const float x = last.positions[k * 3], y = last.positions[k * 3 + 1], z = last.positions[k * 3 + 2];
        const float w = clamp01(1.0f - std::sqrt(x * x + z * z) / 1.2f);
        if (!(1.1f * B < w))
            continue; // flames die from the rim inwards as the burn grows
        const float e = clamp01(1.0f - portablePow(1.1f * B / w, 4.0f));
        srand(static_cast<unsigned>(k));
        const float K = static_cast<float>(k);
        const float j = 0.3f * portableSin(K);
        for (float s = 0.0f; s <= 1.0f; s += 0.1f) {
            const float life = fraction(s + T / 10.0f);
            const float g = 1.0f - (1.0f - life) * (1.0f - life);
            const float m = 30.0f * s + T + x;
            const float rise = y + 1.2f * life + 0.2f * g * portableCos(1.5f * s + T + K);

            float px, py, pz;
            py = rise * (0.4f + 0.6f * B);
            const int r1 = rand() % 30;
            px = x + 0.3f * portableCos(r1 + K + m) * portableSin(life + T) * g;
            pz = z + 0.3f * portableSin(portableSin(z + T) + m + K) * g;
            px *= j + 1.0f - life;
            pz *= j + 1.0f - life;
            px += 0.2f * life * portableCos(0.2f * T + portableSin(K + T) + life);

            const float a = std::min(2.0f * life * F, 1.0f);
            const float V = a * (1.0f - 0.5f * a) * e * (1.0f - life);
            glColor3f(V * (1.0f - 0.8f * U), V * (1.0f - 0.8f * U), V);
            const int r2 = rand() % 100;
            const float half = (portableSin(K + life) * portableSin(r2 / 30.0f + K + life) * 0.2f + 0.01f) / S;
            drawBillboard(px, py, pz, half, false);

            // The spark moves on from the flame, at full height.
            py = 1.5f * rise;
            const int r3 = rand() % 30;
            px += 0.3f * portableCos(r3 + K + m) * portableSin(life + T) * g;
            pz += 0.3f * portableSin(portableSin(z + T) + m + K) * g;
            const float h = std::min(45.0f * life, 1.0f);
            const float W = (B + 0.1f) * F * h * 0.8f * (1.0f - portablePow(1.0f - e, 4.0f)) * (1.0f - life);
            glColor3f(W * (1.0f - 0.8f * U), W * (1.0f - 0.8f * U), W);
            drawBillboard(px, py, pz, 0.02f / S, false);
        }
    }
}

} // namespace qelFramework
