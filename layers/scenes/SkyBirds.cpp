#include "layers/scenes/SkyBirds.h"

#include "base/PortableMath.h"
#include "gl/Billboards.h"
#include "gl/GLHeaders.h"
#include "gl/Random.h"
#include "gl/ScenePi.h"
#include "layers/scenes/FeatherChains.h"
#include "models/RawModel.h"
#include "sync/SyncController.h"

#include <algorithm>
#include <cmath>

namespace qelFramework {

namespace {

float clamp01(float x) { return std::min(std::max(x, 0.0f), 1.0f); }

// Blue at 0, orange at 1.
Colour3 brightnessColour(float b) { return Colour3{0.1f + 0.5f * b, 0.2f + 0.2f * b, 0.7f - 0.6f * b}; }
Colour3 brightnessSwing(float b) { return Colour3{0.0f, 0.2f * b, 0.0f}; }

// The heading of the bird on its spiral, in degrees about y.
float heading(float birdUp) { return 15.0f * birdUp * 360.0f / kSceneTwoPi - 90.0f; }

} // namespace

void SkyBirds::placeBird(const SkyValues& v) {
    const float u = v.birdUp;
    const float a = clamp01(20.0f * u);
    Vector3 spiral{portableSin(15.0f * u) * (10.0f - u) - 5.0f * (1.0f - a), 40.0f * u - 7.5f - 10.0f * (1.0f - a),
                   8.0f * portableCos(15.0f * u) - 10.0f};
    const float j = v.joinSwarm;
    heroBird = Vector3{j * swarmTarget.x + (1.0f - j) * spiral.x, j * swarmTarget.y + (1.0f - j) * spiral.y,
                       j * swarmTarget.z + (1.0f - j) * spiral.z};
}

void SkyBirds::aimGreetingCamera(GL_Camera& camera, const GL_Camera& swarmCamera, const GL_Camera& driftCamera,
                                 const SkyValues& v, float t) const {
    camera = swarmCamera;
    if (swarmPoints.empty())
        return;
    const int last = static_cast<int>(swarmPoints.size()) - 1;
    const int g = currentGreeting;
    if (g >= 0) {
        // From the current greeting towards the next; after the last point there is
        // no next one, and the camera stays with the last.
        const Vector3& a = swarmPoints[static_cast<size_t>(std::min(g, last))];
        const Vector3& b = swarmPoints[static_cast<size_t>(std::min(g + 1, last))];
        const float s = v.showGreetings * v.showGreetings;
        const Vector3 p{(1.0f - s) * a.x + s * b.x, (1.0f - s) * a.y + s * b.y, (1.0f - s) * a.z + s * b.z};
        const float age = greetingAges[g];
        const float c = clamp01(age);
        const float w = kScenePi * 5.0f * age / (age + 1.0f);
        const float jolt = 3.0f * (1.0f - c) * portableSin(w);
        camera.centerX = p.x;
        camera.centerY = p.y;
        camera.centerZ = p.z;
        camera.eyeX = p.x + 15.0f + 1.5f * portableCos(t / 1.5f) - jolt * portableCos(t + static_cast<float>(g) / 4.0f);
        camera.eyeY = p.y + 10.0f + 4.5f * portableSin(t) - jolt;
        camera.eyeZ = p.z;
    } else {
        const float s = v.swarmDown * v.swarmDown;
        const Vector3& first = swarmPoints[0];
        camera.centerX = (1.0f - s) * driftCamera.centerX + s * first.x;
        camera.centerY = (1.0f - s) * driftCamera.centerY + s * first.y;
        camera.centerZ = (1.0f - s) * driftCamera.centerZ + s * first.z;
        camera.eyeX = (1.0f - s) * driftCamera.eyeX + s * (first.x + 15.0f);
        camera.eyeY = (1.0f - s) * driftCamera.eyeY + s * (first.y + 10.0f);
        camera.eyeZ = (1.0f - s) * driftCamera.eyeZ + s * first.z;
    }
}

void SkyBirds::countGreetings(const SyncController& showGreetings, float t) {
    currentGreeting = -1;
    std::fill(std::begin(greetingAges), std::end(greetingAges), 0.0f);
    greetingKeys = showGreetings.keyCount();
    const int tracked = std::min(greetingKeys, kTrackedGreetings);
    for (int i = 0; i < tracked; ++i) {
        greetingAges[i] = t - showGreetings.keyTime(i);
        if (greetingAges[i] >= 0.0f)
            currentGreeting = i;
    }
}

void SkyBirds::drawSingleBird(const SkyValues& v, float t, SkyDrawCounts& counts) {
    const float j = v.joinSwarm;
    glPushMatrix();
    glTranslatef(heroBird.x, heroBird.y, heroBird.z);
    glRotatef(heading(v.birdUp), 0.0f, 1.0f, 0.0f);
    // It banks on the spiral and makes a full roll while joining the swarm.
    glRotatef((45.0f - 15.0f * portableSin(t / 3.0f)) * (1.0f - j) - 360.0f * j, 0.0f, 0.0f, 1.0f);
    glScalef(0.75f, 0.75f, 0.75f);
    if (currentGreeting == -1) {
        BirdLook look;
        look.phase = 0.2f;
        look.amplitude = portableCos(kScenePi * j);
        look.colour = brightnessColour(v.brightness);
        look.swing = brightnessSwing(v.brightness);
        drawBird(res.wingPart, t, look, res);
        ++counts.singleBirds;
    }
    glPopMatrix();
}

void SkyBirds::placeSwarm(const SkyValues& v, float t) {
    // The generator continues from the swarm camera's jitter (seed 10), so the heights
    // are the same every frame.
    swarmPoints.clear();
    const float spread = 1.0f + 0.5f * v.camOut;
    const float rise = 80.0f * v.zoomOut * v.zoomOut;
    for (int i = 0; i < kSwarmSize; ++i) {
        qelFramework::rand();
        const float r2 = static_cast<float>(qelFramework::rand() % 2000);
        qelFramework::rand();
        const float gx = static_cast<float>(i % 8 - 4);
        const float gy = static_cast<float>(i / 8 - 4);
        Vector3 p{15.0f * gx, 20.0f * (r2 / 1000.0f - 1.0f), 15.0f * gy - 5.0f * portableSin(t / 4.0f + 15.0f * gx)};
        swarmPoints.push_back(
            Vector3{p.x * spread + heroBird.x, p.y * spread + heroBird.y, p.z * spread + heroBird.z});
        heroBird.y += rise;
    }
}

Colour3 SkyBirds::greetingColour(int i) {
    qelFramework::srand(static_cast<unsigned>(2 * i));
    Colour3 c;
    c.r = static_cast<float>(qelFramework::rand() % 255) / 255.0f;
    c.g = static_cast<float>(qelFramework::rand() % 255) / 255.0f;
    c.b = static_cast<float>(qelFramework::rand() % 255) / 255.0f;
    return c;
}

float SkyBirds::cardAlpha(float age) {
    const float fade = clamp01(age / 10.0f);
    return 1.0f - fade * fade * fade;
}

bool SkyBirds::showing(int i) const {
    return i < kSwarmSize && i < greetingKeys && greetingAges[i] >= 0.0f && greetingAges[i] < 15.0f;
}

Vector3 SkyBirds::burstOrigin(int i) const {
    Vector3 o = i < static_cast<int>(swarmPoints.size()) ? swarmPoints[static_cast<size_t>(i)] : Vector3{};
    return Vector3{o.x - 25.0f, o.y, o.z - 1.046f};
}

void SkyBirds::drawSwarm(const SkyValues& v, float t, SkyDrawCounts& counts) {
    const float d = v.swarmDown;
    if (d <= 0.01f)
        return;
    glPushMatrix();
    glTranslatef(100.0f * (1.0f - d) - 25.0f, 170.0f * (1.0f - d), 0.0f);
    qelFramework::srand(2);
    const float h = 1.0f - clamp01(3.0f * v.showGreetings);
    const int count = std::min(kSwarmSize, static_cast<int>(swarmPoints.size()));
    auto place = [&](int i) {
        const Vector3& p = swarmPoints[static_cast<size_t>(i)];
        glTranslatef(p.x, p.y, p.z);
        glRotatef(heading(v.birdUp), 0.0f, 1.0f, 0.0f);
        glScalef(0.75f, 0.75f, 0.75f);
        glRotatef(180.0f * v.zoomOut, 1.0f, 0.0f, 0.0f);
    };

    // Feathers of the birds still waiting (and, while the greeting camera has barely
    // moved on, of those that just burst).
    for (int i = 0; i < count; ++i) {
        if (greetingAges[i] > h)
            continue;
        glPushMatrix();
        place(i);
        BirdLook look;
        look.phase = static_cast<float>(i) * kScenePi / 14.0f;
        look.amplitude = h;
        look.glow = false;
        drawBird(res.wingPart, t, look, res);
        glPopMatrix();
        ++counts.solidSwarmBirds;
    }

    // Glows of the birds still waiting; in the last second before its greeting a bird
    // swells and takes its burst's colour.
    const Colour3 base = brightnessColour(v.brightness);
    for (int i = 0; i < count; ++i) {
        const float age = greetingAges[i];
        if (age > 0.0f)
            continue;
        glPushMatrix();
        place(i);
        const Colour3 own = greetingColour(i);
        BirdLook look;
        look.phase = static_cast<float>(i) * kScenePi / 14.0f;
        look.amplitude = h;
        look.colour = base;
        look.swing = brightnessSwing(v.brightness);
        look.solid = false;
        if (age > -1.0f && i < greetingKeys) {
            look.colour = Colour3{-age * base.r + (1.0f + age) * own.r, -age * base.g + (1.0f + age) * own.g,
                                  -age * base.b + (1.0f + age) * own.b};
            look.size = 2.0f * age + 3.0f;
        }
        drawBird(res.wingPart, t, look, res);
        glPopMatrix();
        ++counts.glowSwarmBirds;
    }
    glPopMatrix();
}

void SkyBirds::drawBursts(const SkyValues& v, float t, SkyDrawCounts& counts) {
    bool any = false;
    for (int i = 0; i < kSwarmSize; ++i) {
        if (!showing(i))
            continue;
        if (!any) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_ONE, GL_ONE);
            glDepthMask(GL_FALSE);
            if (res.burstTexture)
                res.burstTexture->bind(GL_TEXTURE0);
            glUseProgram(res.particleProgram);
            any = true;
        }
        const float age = greetingAges[i];
        // The particles continue the colour's random sequence.
        const Colour3 own = greetingColour(i);
        const float intensity = (1.0f - age / 15.0f) * (1.0f - v.zoomOut);
        const float a = clamp01(age);
        const Vector3 origin = burstOrigin(i);
        const int particles = i <= 6 ? 1500 : 800;
        glColor3f(own.r * intensity, own.g * intensity, own.b * intensity);
        for (int k = 0; k < particles; ++k) {
            Vector3 dir;
            dir.x = static_cast<float>(qelFramework::rand() % 2000) / 1000.0f - 1.0f;
            dir.y = static_cast<float>(qelFramework::rand() % 2000) / 1000.0f - 1.0f;
            dir.z = static_cast<float>(qelFramework::rand() % 2000) / 1000.0f - 1.0f;
            const float speed = 5.0f * (2.0f + static_cast<float>(qelFramework::rand() % 3000) / 1000.0f);
            Vector3 velocity{dir.x * speed, dir.y * speed, dir.z * speed};
            const float q = static_cast<float>(k) / 10.0f;
            velocity.x += 6.0f * a * portableCos(t / 2.0f + q);
            velocity.z += 6.0f * a * portableSin(portableSin(t + q) + t / 2.0f + q);
            if (velocity.y < 0.0f)
                velocity.y = -velocity.y;
            velocity.y = 2.0f * velocity.y + 0.2f * a * portableSin(portableSin(t + q) + t + q);
            drawBillboard(origin.x + age * velocity.x, origin.y + age * velocity.y - 0.6f * 4.905f * age * age,
                          origin.z + age * velocity.z, 1.0f, k == 0);
        }
        ++counts.bursts;
        counts.burstParticles += particles;
    }
    if (!any)
        return;
    glUseProgram(0);
    if (res.burstTexture)
        res.burstTexture->unbind();

    // The flashes, once each, over all the bursts.
    if (res.flashTexture)
        res.flashTexture->bind(GL_TEXTURE0);
    for (int i = 0; i < kSwarmSize; ++i) {
        const float age = greetingAges[i];
        if (!showing(i) || age >= 3.0f)
            continue;
        const float k = 1.0f - age / 1.5f;
        const Vector3 origin = burstOrigin(i);
        glColor3f(0.7f * k, 0.7f * k, 0.7f * k);
        drawBillboardRect(origin.x, origin.y, origin.z, 40.0f * k, 20.0f * k);
        ++counts.flashes;
    }
    if (res.flashTexture)
        res.flashTexture->unbind();
    glDisable(GL_BLEND);
}

void SkyBirds::drawCards(SkyDrawCounts& counts) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glDisable(GL_DEPTH_TEST);
    if (res.cardTexture)
        res.cardTexture->bind(GL_TEXTURE0);
    for (int i = 0; i < kSwarmSize; ++i) {
        if (!showing(i))
            continue;
        const float age = greetingAges[i];
        const Colour3 own = greetingColour(i);
        const float fade = 1.0f - age / 15.0f;
        glColor4f(own.r * fade, own.g * fade, own.b * fade, cardAlpha(age));
        const Vector3 origin = burstOrigin(i);
        // The picture holds eight cards, one per eighth of its height; it repeats, so
        // later greetings show the cards again in turn.
        drawBillboardRectTile(origin.x, origin.y + 4.0f, origin.z, 40.0f, 20.0f, 0.0f,
                              static_cast<float>(i) * 0.125f, 1.0f, 0.125f);
        ++counts.cards;
    }
    if (res.cardTexture)
        res.cardTexture->unbind();
}

} // namespace qelFramework
