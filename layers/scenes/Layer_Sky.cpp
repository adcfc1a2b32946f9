#include "layers/scenes/Layer_Sky.h"

#include "base/PortableMath.h"
#include "gl/Billboards.h"
#include "gl/GLHeaders.h"
#include "gl/GL_TextureManager.h"
#include "gl/Random.h"
#include "gl/RandomVector.h"
#include "sync/SyncData.h"

#include <algorithm>
#include <cmath>

namespace qelFramework {

namespace {

// Particles that show a fifth of the texture's red channel near the eye and its green
// channel from 60 units on: a soft out-of-focus look close by, a crisp one far away.
const char* const kSkyParticlesVertex = R"(
varying float fadeDistance;
void main()
{
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_FrontColor = gl_Color;
    vec4 eyeSpace = gl_ModelViewMatrix * gl_Vertex;
    fadeDistance = clamp(length(eyeSpace.xyz) / 60.0, 0.0, 1.0);
    gl_Position = ftransform();
}
)";

const char* const kSkyParticlesFragment = R"(
uniform sampler2D sprite;
varying float fadeDistance;
void main()
{
    vec4 texel = texture2D(sprite, gl_TexCoord[0].st);
    gl_FragColor = vec4(mix(texel.rrr * 0.2, texel.ggg, fadeDistance), 1.0) * gl_Color;
}
)";

// Shows the feather normals as colour.
const char* const kBirdVertex = R"(
varying vec3 normal;
void main()
{
    normal = gl_Normal;
    gl_Position = ftransform();
}
)";

const char* const kBirdFragment = R"(
varying vec3 normal;
void main()
{
    gl_FragColor = vec4(normal.x * 0.5, normal.x * 0.5, normal.z * 1.5, 1.0);
}
)";

constexpr const char* kControllerNames[11] = {
    "Sky: Particle Line Intensity", "Sky: Particle Flare Intensity", "Sky: Move Up",
    "Sky: Bird Up",                 "Sky: Show Greetings",           "Sky: Move Blobs Down",
    "Sky: Bird Join Swarm",         "Sky: Bird Swarm Down",          "Sky: Bird Swarm Cam Out",
    "Sky: Bird Swarm Brightness",   "Sky: Zoom Out Full",
};

float clamp01(float x) { return std::min(std::max(x, 0.0f), 1.0f); }
float valueOf(const SyncController* c) { return c ? c->value : 0.0f; }
float randomUnit(int modulo) { return static_cast<float>(qelFramework::rand() % modulo); }

} // namespace

bool Layer_Sky::init(GL_TextureManager* textures, SyncData* sync) {
    // The ring comes from the generator as the layers before left it.
    ringParticles.assign(kRingSize, SkyParticle{});
    for (SkyParticle& p : ringParticles) {
        float a = randomUnit(2000) / 1000.0f - 1.0f;
        float b = randomUnit(2000) / 1000.0f - 1.0f;
        float length = vectorLength(Vector3{a, 0.0f, b});
        // Both draws at the centre leave no direction; the particle then falls straight.
        if (length > 0.0f)
            p.direction = Vector3{a / length, 0.0f, b / length};
        p.position = p.direction;
        p.phase = randomUnit(2000) / 1000.0f;
        p.speed = 1.0f + randomUnit(100) / 300.0f;
    }

    SyncController** controllers[11] = {&lineIntensity, &flareIntensity, &moveUp,   &birdUp,
                                        &showGreetings, &blobsDown,      &joinSwarm, &swarmDown,
                                        &camOut,        &brightness,     &zoomOut};
    for (int i = 0; i < 11; ++i)
        *controllers[i] = sync ? sync->expectController(kControllerNames[i]) : nullptr;

    const std::size_t missing = textures ? textures->missingPictures() : 0;
    if (textures) {
        particleTexture = textures->getTexture("data/textures/particle.jpg");
        superGlowTexture = textures->getTexture("data/textures/superGlow.jpg");
        particleDepthTexture = textures->getTexture("data/textures/particleDepth.jpg");
        wingPartTexture = textures->getTexture("data/textures/wingPart.png");
        greetingsTexture = textures->getTexture("data/textures/greetings.png");
    }

    skyParticles.build("skyParticles", kSkyParticlesVertex, kSkyParticlesFragment);
    birdShader.build("birdShader", kBirdVertex, kBirdFragment);

    wingPart.load("data/other/wingpart.txt");

    birds.res.wingPart = &wingPart;
    birds.res.wingTexture = wingPartTexture;
    birds.res.glowTexture = particleTexture;
    birds.res.burstTexture = particleDepthTexture;
    birds.res.flashTexture = superGlowTexture;
    birds.res.cardTexture = greetingsTexture;
    birds.res.particleProgram = skyParticles.programName;
    // The shaders and the pictures are needed; any that failed fails the layer.
    return skyParticles.isValid && birdShader.isValid && (!textures || textures->missingPictures() == missing);
}

SkyValues Layer_Sky::values() const {
    SkyValues v;
    v.lineIntensity = valueOf(lineIntensity);
    v.flareIntensity = valueOf(flareIntensity);
    v.moveUp = valueOf(moveUp);
    v.birdUp = valueOf(birdUp);
    v.showGreetings = valueOf(showGreetings);
    v.blobsDown = valueOf(blobsDown);
    v.joinSwarm = valueOf(joinSwarm);
    v.swarmDown = valueOf(swarmDown);
    v.camOut = valueOf(camOut);
    v.brightness = valueOf(brightness);
    v.zoomOut = valueOf(zoomOut);
    return v;
}

void Layer_Sky::update(const FrameInfo& frame) {
    time = frame.time;
    delta = frame.delta;
    const SkyValues v = values();
    const float t = time;

    // The fountain runs until the scene has moved up past it.
    if (v.moveUp < 0.7f)
        for (SkyParticle& p : ringParticles) {
            p.phase += delta;
            if (p.phase > 2.0f)
                p.phase = 0.0f;
        }

    birds.placeBird(v);

    driftCamera.set(60.0f, 1.77f, 0.1f, 1000.0f, 2.0f * portableCos(portableSin(t / 9.0f) + t / 4.0f),
                    3.0f * portableSin(t / 4.5f + portableCos(t / 6.5f)) * portableSin(t / 4.0f), 10.0f,
                    1.25f * portableCos(t / 5.0f + portableSin(t / 8.0f)), 1.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    skyCamera = driftCamera;

    // The swarm camera rises above the drift and looks down at the bird, with a wobble.
    const float j = v.joinSwarm;
    swarmCamera = driftCamera;
    swarmCamera.eyeY += 30.0f * j * j;
    Vector3 centre{birds.heroBird.x, birds.heroBird.y - 17.0f * j * j, birds.heroBird.z};
    qelFramework::srand(10);
    jitterDirection(centre, 0.2f * portableSin(t / 2.0f), 0.1f * portableSin(t), 0.4f * portableCos(t / 3.0f));
    swarmCamera.centerX = centre.x;
    swarmCamera.centerY = centre.y;
    swarmCamera.centerZ = centre.z;

    // The greetings are counted before the greeting camera looks for the current one, so
    // that on the frame a greeting fires the camera does not fall back to the bird before.
    if (showGreetings)
        birds.countGreetings(*showGreetings, t);
    birds.aimGreetingCamera(greetingCamera, swarmCamera, skyCamera, v, t);

    zoomCamera.set(60.0f, 1.77f, 0.1f, 1000.0f, 80.0f, 50.0f, 80.0f, 0.0f, 50.0f, 0.0f, 0.0f, 1.0f, 0.0f);

    skyCamera.interpolate(swarmCamera, skyCamera, v.joinSwarm);
    skyCamera.interpolate(greetingCamera, skyCamera, v.camOut);
    skyCamera.interpolate(zoomCamera, skyCamera, v.zoomOut);
}

void Layer_Sky::drawRing(const SkyValues& v, float fade) {
    const float t = time;
    if (particleTexture)
        particleTexture->bind(GL_TEXTURE0);
    for (int i = 0; i < kRingSize; ++i) {
        SkyParticle& particle = ringParticles[static_cast<size_t>(i)];
        const float p = particle.phase;
        const float w = (1.0f - portablePow(p / 2.0f, 3.0f)) * clamp01(2.0f * p) * v.lineIntensity * fade;
        const float c = clamp01(p / 1.5f);
        const float u = static_cast<float>(i) / 10.0f;
        particle.position = particle.direction;
        particle.position.y = -0.2f * 9.81f * p * p * particle.speed;
        particle.position.x *= 0.5f * portableSin(t + u) + 1.0f - c;
        particle.position.z *= 0.5f * portableCos(t + u + portableSin(t + u)) + 1.0f - c;
        glColor3f(0.3f * w, 0.4f * w, w);
        drawBillboard(particle.position.x, particle.position.y, particle.position.z,
                      0.08f + 0.1f * portableSin(u) + 0.01f * w, i == 0);
        ++counts.ringParticles;
    }
    if (particleTexture)
        particleTexture->unbind();
}

void Layer_Sky::drawFlares(const SkyValues& v, float fade) {
    const float t = time;
    if (superGlowTexture)
        superGlowTexture->bind(GL_TEXTURE0);
    const float s = portableSin(t + portableCos(t));
    const float f = s * s;
    float light = 2.0f * v.flareIntensity * f * fade;
    glColor3f(0.8f * light, 0.5f * light, 0.5f * light);
    drawBillboardRect(0.2f, 0.0f, 0.0f, 15.0f, 6.0f);
    light = 2.0f * clamp01(1.25f * v.flareIntensity) * (1.0f - f) * fade;
    glColor3f(0.8f * light, 0.5f * light, 0.5f * light);
    drawBillboardRect(-0.2f, 0.0f, 0.0f, 15.0f, 6.0f);
    counts.flares += 2;
    if (superGlowTexture)
        superGlowTexture->unbind();
}

void Layer_Sky::drawCloud(const SkyValues& v) {
    const float t = time;
    const float m = v.moveUp;
    const Vector3 bird = birds.heroBird;
    const float radius = 1.5f * (10.0f + 1.5f * portableSin(2.0f * t));
    const float e = 1.0f - portablePow(1.0f - m, 4.0f);
    const float q = t / 10.0f;

    glUseProgram(skyParticles.programName);
    glColor3f(1.0f, 1.0f, 1.0f);
    if (particleDepthTexture)
        particleDepthTexture->bind(GL_TEXTURE0);
    for (int k = 0; k < kCloudSize; ++k) {
        const float kf = static_cast<float>(k);
        Vector3 d;
        d.x = randomUnit(2000) / 1000.0f - 1.0f;
        d.y = 0.75f * (randomUnit(2000) / 1000.0f - 1.0f);
        d.z = randomUnit(2000) / 1000.0f - 1.0f;
        const float s = randomUnit(10000) / 500.0f;
        Vector3 p{d.x * s, d.y * s, d.z * s};
        p.y += 50.0f - 37.0f * (1.0f - portablePow(1.0f - m, 6.0f));

        const float u = kf / 3.0f;
        p.x += 3.0f * portableCos(u + q + portableSin(q + kf / 100.0f));
        p.y += 3.0f * portableSin(q + 0.2f + u + portableSin(kf / 10.0f + q));
        const float grow = 2.0f - m * m;
        p = Vector3{p.x * grow, p.y * grow, p.z * grow};

        // The cloud parts around the bird.
        Vector3 away{p.x - bird.x, p.y - bird.y, p.z - bird.z};
        const float distance = vectorLength(away);
        if (distance < radius && distance > 0.0f) {
            const float push = portablePow(radius - distance, 3.0f) / (radius * radius) / distance;
            p.x += away.x * push;
            p.y += away.y * push;
            p.z += away.z * push;
        }

        const float r1 = randomUnit(100), r2 = randomUnit(100), r3 = randomUnit(100);
        if (k % 30 == 0) {
            const float o1 = randomUnit(100), o2 = randomUnit(100), o3 = randomUnit(100);
            glColor3f((0.5f + o3 / 100.0f) * e, 0.5f * o2 / 100.0f * e, 0.3f * o1 / 100.0f * e);
        } else {
            glColor3f(0.3f * r3 / 100.0f * e, 0.5f * r2 / 100.0f * e, (0.5f + r1 / 100.0f) * e);
        }
        drawBillboard(p.x, p.y, p.z, 0.2f + vectorLength(p) / 100.0f, k == 0);
        ++counts.cloudParticles;
    }
    if (particleDepthTexture)
        particleDepthTexture->unbind();
    glUseProgram(0);
}

void Layer_Sky::render() {
    counts = SkyDrawCounts{};
    const SkyValues v = values();
    const float m = v.moveUp;

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    skyCamera.apply();
    glDepthMask(GL_FALSE);

    // The ring, flares and cloud move down together as the scene moves up.
    glPushMatrix();
    glTranslatef(0.0f, -10.0f * m * m - 10.0f * v.blobsDown, 0.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glPointSize(3.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    const float fade = 1.0f - portablePow(1.5f * m, 3.0f);

    if (m < 0.7f) {
        drawRing(v, fade);
        drawFlares(v, fade);
    }

    birds.drawSingleBird(v, time, counts);
    birds.placeSwarm(v, time);
    birds.drawSwarm(v, time, counts);
    birds.drawBursts(v, time, counts);
    birds.drawCards(counts);

    // The cloud adds its light and hides behind the solid feathers; the cards left
    // alpha blending and no depth test behind them.
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_DEPTH_TEST);
    qelFramework::srand(23);
    if (v.joinSwarm < 0.95f)
        drawCloud(v);

    glPopMatrix();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}

} // namespace qelFramework
