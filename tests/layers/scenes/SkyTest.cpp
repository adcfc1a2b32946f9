// The sky scene rendered headless into a small target, with plain textures planted in
// the cache so that each part of the scene can be switched to light or to black.
#include "gl/GL_MemTexture.h"
#include "gl/GL_TextureManager.h"
#include "gl/Random.h"
#include "layers/scenes/Layer_Sky.h"
#include "support/GLTest.h"
#include "sync/SyncData.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace qelFramework;

namespace {

constexpr int kWidth = 160, kHeight = 90;

const char* const kParticle = "data/textures/particle.jpg";
const char* const kSuperGlow = "data/textures/superGlow.jpg";
const char* const kParticleDepth = "data/textures/particleDepth.jpg";
const char* const kWingPart = "data/textures/wingPart.png";
const char* const kGreetings = "data/textures/greetings.png";

// One feather: a quad of two triangles pointing along -y, as the wing part lies.
const char* const kFeather = "feather 1 vertices 6\n"
                             "positions -1 0 0  1 0 0  -1 -10 0  1 0 0  1 -10 0  -1 -10 0\n"
                             "texcoords 0 0 1 0 0 1 1 0 1 1 0 1\n"
                             "normals 0 0 1 0 0 1 0 0 1 0 0 1 0 0 1 0 0 1\n"
                             "tangents 0 1 0 0 1 0 0 1 0 0 1 0 0 1 0 0 1 0\n"
                             "bitangents 1 0 0 1 0 0 1 0 0 1 0 0 1 0 0 1 0 0\n";

class Sky : public qmtest::GLTest {
protected:
    Sky() : GLTest(kWidth, kHeight) {}
    void SetUp() override {
        GLTest::SetUp();
        for (const char* name : {kParticle, kSuperGlow, kParticleDepth, kWingPart, kGreetings})
            plant(name, 255);
        trace.clear();
        qelFramework::srand(4321);
        ASSERT_TRUE(layer.init(&textures, &sync));
        qmtest::writeFile(dir.file("feather.txt"), kFeather);
        layer.wingPart.load(dir.file("feather.txt").c_str());
    }
    // An opaque texture of one grey level, cached under the layer's file name.
    void plant(const char* name, unsigned char level) { content.texture(textures, name, {level, level, level, 255}); }
    // Turns a planted texture black: what draws with it adds nothing.
    void darken(const char* name) {
        std::vector<unsigned char> rgba(4 * 4 * 4, 0);
        static_cast<GL_MemTexture*>(textures.getTexture(name))->upload(rgba.data(), 4, 4, GL_RGBA);
    }

    void greetingKeys(const std::vector<float>& times) {
        for (float t : times)
            sync.getController("Sky: Show Greetings")->addKey(t, 0.0f);
    }

    void update(float t, float delta = 0.0f) {
        FrameInfo frame;
        frame.time = t;
        frame.delta = delta;
        layer.update(frame);
    }
    // One update and render at t; the picture read back.
    qmtest::Picture frame(float t, float delta = 0.0f, const std::string& name = "") {
        update(t, delta);
        qmtest::Picture p = capture([&] { layer.render(); });
        if (!name.empty())
            p.save(name);
        return p;
    }
    static int lit(const qmtest::Picture& p) { return p.width * p.height - p.count(0, 0, 0, 0); }

    // Only the ring and the flares make light: no cloud, burst or bird glow texture,
    // no swarm, and a greeting long past so the single bird stays away.
    void onlyRingAndFlares() {
        darken(kParticleDepth);
        greetingKeys({0.0f});
        set("Sky: Particle Line Intensity", 1.0f);
        set("Sky: Particle Flare Intensity", 1.0f);
    }

    qmtest::TempFolder dir;
    Layer_Sky layer;
};

} // namespace

TEST_F(Sky, InitDrawsTheRingFromTheGeneratorAsLeftAndFindsEverythingItNeeds) {
    // The ring comes from the generator where it stood (seed 4321), none reseeded: the
    // first particle's direction is the first two draws, and every one is a unit xz vector.
    qelFramework::srand(4321);
    const float a = static_cast<float>(qelFramework::rand() % 2000) / 1000.0f - 1.0f;
    const float b = static_cast<float>(qelFramework::rand() % 2000) / 1000.0f - 1.0f;
    EXPECT_NEAR(layer.ringParticles[0].direction.x, a / std::sqrt(a * a + b * b), 1e-6f);
    for (const SkyParticle& p : layer.ringParticles) {
        ASSERT_NEAR(vectorLength(p.direction), 1.0f, 1e-5f);
        ASSERT_EQ(p.direction.y, 0.0f);
        ASSERT_TRUE(p.phase >= 0.0f && p.phase < 2.0f && p.speed >= 1.0f && p.speed < 1.34f)
            << "phase " << p.phase << ", speed " << p.speed;
    }

    // The textures from the cache, both programs.
    EXPECT_EQ(layer.birds.res.burstTexture, textures.getTexture(kParticleDepth));
    EXPECT_TRUE(trace.contains("(skyParticles) - shader created!"));
    EXPECT_TRUE(trace.contains("(birdShader) - shader created!"));
    EXPECT_FALSE(trace.contains("ERROR")) << trace.text();
    EXPECT_EQ(layer.wingPart.vertexCount, 6);
}

TEST_F(Sky, MoveUpFromPointSevenDrawsNoRingOrFlaresAndFreezesThePhases) {
    onlyRingAndFlares();
    set("Sky: Move Up", 0.3f);
    EXPECT_GT(lit(frame(10.0f, 0.0f, "sky-ring")), 200);

    // Just below the limit they are drawn (already faded to black) and keep falling.
    set("Sky: Move Up", 0.69f);
    const float before = layer.ringParticles[5].phase;
    frame(10.0f, 0.01f);
    EXPECT_EQ(layer.counts.ringParticles, 1000);
    EXPECT_EQ(layer.counts.flares, 2);
    const float advanced = layer.ringParticles[5].phase;
    if (advanced != 0.0f) { // it wraps to zero, or moves on by the step
        EXPECT_NEAR(advanced, before + 0.01f, 1e-6f);
    }

    set("Sky: Move Up", 0.7f);
    qmtest::Picture gone = frame(10.0f, 0.5f, "sky-ring-gone");
    EXPECT_EQ(layer.counts.ringParticles, 0);
    EXPECT_EQ(layer.counts.flares, 0);
    EXPECT_EQ(lit(gone), 0);
    EXPECT_EQ(layer.ringParticles[5].phase, advanced);
}

TEST_F(Sky, APhaseOfExactlyTwoIsKeptAndTheNextGrowthRestartsIt) {
    layer.ringParticles[0].phase = 1.5f;
    layer.ringParticles[1].phase = 1.9f;
    update(1.0f, 0.5f);
    EXPECT_EQ(layer.ringParticles[0].phase, 2.0f);
    EXPECT_EQ(layer.ringParticles[1].phase, 0.0f); // 2.4 restarts at 0, not at 0.4
    update(1.25f, 0.25f);
    EXPECT_EQ(layer.ringParticles[0].phase, 0.0f);
    EXPECT_EQ(layer.ringParticles[1].phase, 0.25f);
}

TEST_F(Sky, BirdJoinSwarmFromPointNineFiveDrawsNoCloud) {
    // Only the cloud makes light: the ring, flares and glows have black textures.
    darken(kParticle);
    darken(kSuperGlow);
    darken(kWingPart);
    set("Sky: Move Up", 1.0f);
    set("Sky: Bird Join Swarm", 0.94f);
    qmtest::Picture cloud = frame(20.0f, 0.0f, "sky-cloud");
    EXPECT_EQ(layer.counts.cloudParticles, 1000);
    EXPECT_GT(lit(cloud), 100);
    // The cloud draws last, from seed 23: four values for each particle's place, three for
    // its colour and three more for every thirtieth.
    qelFramework::srand(23);
    for (int i = 0; i < 1000 * 7 + 34 * 3; ++i)
        qelFramework::rand();
    const int next = qelFramework::rand();
    frame(20.0f);
    EXPECT_EQ(qelFramework::rand(), next);

    set("Sky: Bird Join Swarm", 0.95f);
    qmtest::Picture none = frame(20.0f);
    EXPECT_EQ(layer.counts.cloudParticles, 0);
    EXPECT_EQ(lit(none), 0);
}

TEST_F(Sky, TheCamerasBlendInTheirOrderAndWithNoWeightTheViewIsTheDrift) {
    const float t = 130.0f;
    update(t);
    const GL_Camera& c = layer.skyCamera;
    const GL_Camera& drift = layer.driftCamera;
    EXPECT_EQ(std::make_tuple(c.eyeX, c.eyeY, c.centerX, c.fovY),
              std::make_tuple(drift.eyeX, drift.eyeY, drift.centerX, drift.fovY));
    EXPECT_NE(c.eyeX, 0.0f);

    // Joining: the swarm camera rises 30 and looks at the bird, with the jitter keeping
    // the length of the point it looks at.
    set("Sky: Bird Join Swarm", 1.0f);
    update(t);
    EXPECT_FLOAT_EQ(c.eyeY, layer.driftCamera.eyeY + 30.0f);
    const Vector3 bird = layer.birds.heroBird;
    EXPECT_FLOAT_EQ(bird.x, -15.0f);
    EXPECT_NEAR(vectorLength(Vector3{c.centerX, c.centerY, c.centerZ}),
                vectorLength(Vector3{bird.x, bird.y - 17.0f, bird.z}), 1e-3f);
    EXPECT_NE(c.centerX, bird.x);

    // The zoom-out camera is blended last, so at full weight it wins over the others.
    set("Sky: Bird Swarm Cam Out", 1.0f);
    set("Sky: Zoom Out Full", 1.0f);
    update(t);
    EXPECT_FLOAT_EQ(c.eyeX, 80.0f);
    EXPECT_FLOAT_EQ(c.eyeY, 50.0f);
    EXPECT_FLOAT_EQ(c.centerY, 50.0f);
    EXPECT_FLOAT_EQ(c.centerX, 0.0f);
}

TEST_F(Sky, BeforeTheFirstGreetingOnlyTheSingleBirdFliesThenBurstAndCardComeAtTheKeyAndGo) {
    greetingKeys({10.0f, 30.0f});
    frame(9.99f);
    EXPECT_EQ(layer.birds.currentGreeting, -1);
    EXPECT_EQ(layer.counts.singleBirds, 1);
    EXPECT_EQ(layer.counts.bursts + layer.counts.flashes + layer.counts.cards, 0);

    frame(10.0f);
    EXPECT_EQ(layer.birds.currentGreeting, 0);
    EXPECT_FLOAT_EQ(layer.birds.greetingAges[0], 0.0f);
    EXPECT_FLOAT_EQ(layer.birds.greetingAges[1], -20.0f);
    EXPECT_EQ(layer.counts.singleBirds, 0);
    EXPECT_EQ(layer.counts.bursts, 1);
    EXPECT_EQ(layer.counts.burstParticles, 1500);
    EXPECT_EQ(layer.counts.flashes, 1);
    EXPECT_EQ(layer.counts.cards, 1);

    // A flash lasts three seconds, a burst and its card fifteen.
    frame(12.99f);
    EXPECT_EQ(layer.counts.flashes, 1);
    frame(13.0f);
    EXPECT_EQ(layer.counts.flashes, 0);
    frame(24.99f);
    EXPECT_EQ(layer.counts.bursts + layer.counts.cards, 2);
    frame(25.0f);
    EXPECT_EQ(layer.counts.bursts + layer.counts.cards, 0);
}

TEST_F(Sky, TheCardShowsInItsGreetingsColourAndIsGoneFromTenSeconds) {
    // Only the card makes light; the greeting camera looks at it from beside the swarm.
    for (const char* name : {kParticle, kSuperGlow, kParticleDepth, kWingPart})
        darken(name);
    set("Sky: Move Up", 1.0f);
    set("Sky: Move Blobs Down", 1.0f);
    set("Sky: Bird Join Swarm", 1.0f);
    set("Sky: Bird Swarm Cam Out", 1.0f);
    greetingKeys({10.0f, 100.0f});
    frame(14.0f); // the swarm points the camera follows come from the render before
    qmtest::Picture card = frame(15.0f, 0.0f, "sky-card");
    const Colour3 own = SkyBirds::greetingColour(0);
    const float fade = 1.0f - 5.0f / 15.0f, alpha = SkyBirds::cardAlpha(5.0f);
    const int r = static_cast<int>(std::lround(own.r * fade * alpha * 255.0f));
    const int g = static_cast<int>(std::lround(own.g * fade * alpha * 255.0f));
    const int b = static_cast<int>(std::lround(own.b * fade * alpha * 255.0f));
    EXPECT_GT(card.count(r, g, b, 2), kWidth * kHeight / 4) << r << " " << g << " " << b;
    EXPECT_EQ(lit(card), card.count(r, g, b, 2)); // nothing else shows

    EXPECT_EQ(lit(frame(20.0f)), 0);
    EXPECT_EQ(layer.counts.cards, 1); // still drawn, but clear
}

TEST_F(Sky, ZoomOutFullAtOneStacksEachSwarmPointEightyAboveTheOneBefore) {
    frame(30.0f);
    const std::vector<Vector3> flat = layer.birds.swarmPoints;
    ASSERT_EQ(flat.size(), 35u);
    set("Sky: Zoom Out Full", 1.0f);
    frame(30.0f);
    const std::vector<Vector3>& stacked = layer.birds.swarmPoints;
    ASSERT_EQ(stacked.size(), 35u);
    for (size_t i = 0; i < 35; ++i) {
        EXPECT_EQ(stacked[i].x, flat[i].x);
        EXPECT_EQ(stacked[i].z, flat[i].z);
        EXPECT_NEAR(stacked[i].y - flat[i].y, 80.0f * static_cast<float>(i), 1e-3f) << i;
    }
    // The grid: eight to a row, 15 apart.
    EXPECT_FLOAT_EQ(flat[1].x - flat[0].x, 15.0f);
    EXPECT_FLOAT_EQ(flat[8].x, flat[0].x);
}

TEST_F(Sky, SwarmDownAtPointZeroOneDrawsNoSwarmButTheBurstsStillComeAtTheirKeys) {
    greetingKeys({10.0f, 11.0f, 12.0f, 13.0f, 14.0f, 15.0f, 16.0f, 17.0f});
    set("Sky: Bird Swarm Down", 0.011f);
    frame(17.5f);
    EXPECT_EQ(layer.counts.solidSwarmBirds, 28); // those burst more than a second ago hide
    EXPECT_EQ(layer.counts.glowSwarmBirds, 27);  // those not yet burst glow

    set("Sky: Bird Swarm Down", 0.01f);
    frame(17.5f);
    EXPECT_EQ(layer.counts.solidSwarmBirds + layer.counts.glowSwarmBirds, 0);
    EXPECT_EQ(layer.counts.bursts, 8);
    EXPECT_EQ(layer.counts.burstParticles, 7 * 1500 + 800);
    EXPECT_EQ(layer.counts.cards, 8);
    EXPECT_EQ(layer.counts.flashes, 3);
}

TEST_F(Sky, TheGreetingCameraStaysWithTheLastBirdAfterTheLastPoint) {
    // 36 keys: the last greetings have no point after them (the 36th none at all).
    std::vector<float> keys;
    for (int i = 0; i < 36; ++i)
        keys.push_back(static_cast<float>(i));
    greetingKeys(keys);
    set("Sky: Bird Swarm Cam Out", 1.0f);
    set("Sky: Show Greetings", 1.0f);
    frame(34.5f);
    frame(34.5f);
    ASSERT_EQ(layer.birds.currentGreeting, 34);
    const Vector3 last = layer.birds.swarmPoints.back();
    EXPECT_FLOAT_EQ(layer.greetingCamera.centerX, last.x);
    EXPECT_FLOAT_EQ(layer.greetingCamera.centerY, last.y);
    frame(40.0f);
    frame(40.0f);
    ASSERT_EQ(layer.birds.currentGreeting, 35);
    EXPECT_FLOAT_EQ(layer.greetingCamera.centerZ, layer.birds.swarmPoints.back().z);
    EXPECT_EQ(layer.counts.bursts, 9); // keys 26 to 34; the 36th is never drawn
}

TEST_F(Sky, LayoutsRepeatExactlyForTheSameTimeAndValues) {
    greetingKeys({5.0f, 6.0f, 100.0f});
    set("Sky: Particle Line Intensity", 1.0f);
    set("Sky: Particle Flare Intensity", 0.5f);
    set("Sky: Move Up", 0.5f);
    set("Sky: Bird Up", 0.4f);
    set("Sky: Bird Join Swarm", 0.5f);
    set("Sky: Bird Swarm Down", 0.6f);
    set("Sky: Bird Swarm Cam Out", 0.3f);
    const float t = 7.25f;
    frame(t);
    qmtest::Picture first = frame(t, 0.0f, "sky-repeat");
    const std::vector<Vector3> points = layer.birds.swarmPoints;
    EXPECT_GT(lit(first), 500);

    // Other frames and other draws from the generator in between change nothing.
    frame(50.0f);
    for (int i = 0; i < 17; ++i)
        qelFramework::rand();
    frame(t);
    qmtest::Picture again = frame(t);
    EXPECT_EQ(first.rgb, again.rgb);
    ASSERT_EQ(layer.birds.swarmPoints.size(), points.size());
    for (size_t i = 0; i < points.size(); ++i)
        EXPECT_EQ(layer.birds.swarmPoints[i].y, points[i].y) << i;
}
