#include "app/Schedule.h"
#include "gl/GL_TextureManager.h"
#include "gl/Random.h"
#include "layers/scenes/Layer_Fireworks.h"
#include "support/GLTest.h"
#include "sync/SyncData.h"
#include "sync/SyncFile.h"
#include "timeline/Timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

using namespace qelFramework;

namespace {

bool sameSparks(const std::vector<Spark>& a, const std::vector<Spark>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Spark)) == 0;
}

struct Night {
    GL_TextureManager textures;
    SyncData sync;
    Layer_Fireworks layer;
    ~Night() {
        for (GL_FBOTexture* t : {&layer.sceneTarget, &layer.blurTarget, &layer.outputTarget})
            t->release();
    }
    qmtest::Picture render() {
        glClearColor(0, 0, 0, 1);
        layer.render();
        return qmtest::readTexture(layer.outputTarget.textureName);
    }
};

class Fireworks : public qmtest::GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        // Plain pictures: a white spark, a logo that multiplies by one, no glow, an
        // invisible title and skyline. What shows is sparks and flashes.
        using qmtest::FakeContent;
        FakeContent::picture("data/textures/particle.jpg", {255, 255, 255, 255}, 16);
        FakeContent::picture("data/textures/vorlix.png", {255, 255, 255, 255}, 16, false);
        FakeContent::picture("data/textures/vorlix-glow.png", {0, 0, 0, 255}, 16, false);
        FakeContent::picture("data/textures/title.png", {0, 0, 0, 0}, 16);
        FakeContent::picture("data/textures/skyline.png", {0, 0, 0, 0}, 16);
        ASSERT_TRUE(night.layer.init(&night.textures, &night.sync));
        trace.clear();
    }
    void step(float time, float delta) {
        FrameInfo frame;
        frame.time = time;
        frame.delta = delta;
        night.layer.update(frame);
    }

    qmtest::WorkingFolder folder;
    Night night;
    Layer_Fireworks& layer = night.layer;
};

} // namespace

TEST(FireworkBurst, TheNthBurstIsAlwaysTheSameAndTheNextDiffers) {
    Firework a, b;
    EXPECT_EQ(b.serial, a.serial + 1);
    const Vector3 at{4, 25, -55};
    Firework::burstCounter = 40;
    a.burst(at, 3);
    qelFramework::srand(12345); // whatever came before does not matter
    Firework::burstCounter = 40;
    b.burst(at, 7);
    EXPECT_TRUE(sameSparks(a.sparks, b.sparks));
    // The burst seeds with its own number, after counting it.
    qelFramework::srand(41);
    EXPECT_EQ(a.sparks.size(), static_cast<size_t>(qelFramework::rand() % 400 + 200));
    b.burst(at, 3);
    EXPECT_NE(a.sparks[0].startColour.x, b.sparks[0].startColour.x);
    // A step of one second: the first spark (its fall factor 0.1) flies five times its
    // velocity and drops 9.81 x 0.1 below that line.
    const Spark before = a.sparks[0];
    a.countdown = 0;
    a.step(1.0f, false);
    EXPECT_NEAR(a.sparks[0].position.x, before.position.x + 5 * before.velocity.x, 1e-4f);
    EXPECT_NEAR(a.sparks[0].position.y, before.position.y + 5 * before.velocity.y - 0.981f, 1e-4f);

    // Every burst: 200 to 599 sparks at the burst point, unit colours with no negative
    // part, speeds 0.2 to 1.2, lifetimes of at least a second.
    for (unsigned n = 1; n < 300; n += 7) {
        Firework::burstCounter = n;
        a.burst(at, 0);
        ASSERT_EQ(std::clamp<size_t>(a.sparks.size(), 200, 599), a.sparks.size()) << "burst " << n;
        for (const Spark& s : a.sparks) {
            ASSERT_EQ(std::make_tuple(s.position.x, s.position.z, s.age), std::make_tuple(4.0f, -55.0f, 0.0f)) << n;
            ASSERT_GE(s.lifetime, 1.0f) << "burst " << n;
            ASSERT_NEAR(vectorLength(s.endColour), 1.0f, 1e-3);
            ASSERT_GE(std::min({s.colour.x, s.colour.y, s.colour.z}), 0) << "burst " << n;
            ASSERT_TRUE(vectorLength(s.velocity) > 0.199f && vectorLength(s.velocity) < 1.2f) << vectorLength(s.velocity);
        }
    }
}

TEST(FireworksSchedule, StartUpRegistersTheFireworksWhoseRocketsAreLaunchedInSerialOrder) {
    Timeline timeline;
    const unsigned before = Firework::burstCounter;
    registerProductionLayers(timeline);
    auto* layer = dynamic_cast<Layer_Fireworks*>(timeline.findLayer("IM-fireworks"));
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(Firework::burstCounter, before + 80);
    for (const Firework& r : layer->rockets) {
        EXPECT_EQ(r.serial - layer->rockets[0].serial, &r - layer->rockets);
        EXPECT_LT(r.countdown, 30) << "rocket " << &r - layer->rockets;
    }
}

TEST_F(Fireworks, InitPublishesBothTargetsAndASuperGauTriggerBurstsTheEvenSerialsAndFlaresTheFlashes) {
    EXPECT_EQ(night.textures.getTexture("fireworks"), &layer.outputTarget);
    EXPECT_EQ(night.textures.getTexture("blurFireworks"), &layer.blurTarget);
    // The flashes first fire 0, 2/3 and 4/3 s into the show.
    EXPECT_EQ(std::vector<float>(layer.flashTimer, layer.flashTimer + 3), (std::vector<float>{0.0f, 2.0f / 3, 4.0f / 3}));
    for (Firework& r : layer.rockets)
        r.countdown = 100;
    SyncController* gau = layer.superGau;
    gau->addKey(10, 0);
    gau->addKey(20, 1);
    layer.camDown->value = 0.5f;
    gau->evaluate(15);
    gau->evaluate(15); // settled inside the first key interval
    step(15, 0.02f);
    gau->evaluate(21); // into the next interval: a trigger
    step(21, 0.02f);
    for (const Firework& r : layer.rockets) {
        const bool even = r.serial % 2 == 0;
        EXPECT_FLOAT_EQ(r.countdown, even ? -0.02f : 99.96f);
        EXPECT_FLOAT_EQ(r.sparks[0].age, even ? 0.02f : 0.0f);
    }
    for (int i = 0; i < 3; ++i) { // (1 - (1 - 0.5)^4) x 0.3 + 0.5, doubled
        EXPECT_EQ(layer.flashAge[i], 10.0f);
        EXPECT_FLOAT_EQ(layer.flashStrength[i], 1.5625f);
        EXPECT_TRUE(layer.flashTimer[i] >= 4.0f && layer.flashTimer[i] < 12.0f) << "flash " << i << ": " << layer.flashTimer[i];
    }
    EXPECT_EQ(layer.flare, 1.9f);
    EXPECT_EQ(trace.records(), std::vector<std::string>{"INFO (supergau): triggered"});
    gau->evaluate(22);
    step(22, 0.02f); // no trigger: nothing written; the flare slows the flashes' fading
    EXPECT_EQ(trace.records().size(), 1u);
    EXPECT_NEAR(layer.flashStrength[0], 1.5625f * (1 - (2 - 1.9f) * 0.02f), 1e-4);

    // The start of an entry launches all 80 rockets afresh; the gain is three times the
    // intensity.
    layer.intensity->value = 0.5f;
    const unsigned bursts = Firework::burstCounter;
    FrameInfo start;
    start.time = 210;
    start.delta = 0.02f;
    start.justStarted = true;
    layer.update(start);
    EXPECT_EQ(Firework::burstCounter, bursts + 80);
    EXPECT_EQ(layer.gain, 1.5f);
}

TEST_F(Fireworks, FlashesFadeWithoutFlippingSignOnSecondLongFrames) {
    // A capture at one frame a second steps the layer a whole second at a time: the
    // flash is over, never negative.
    for (int i = 0; i < 3; ++i) {
        layer.flashStrength[i] = 1.0f;
        layer.flashTimer[i] = 100.0f;
    }
    layer.flare = 0.0f;
    for (int frame = 1; frame <= 3; ++frame) {
        step(static_cast<float>(frame), 1.0f);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(layer.flashStrength[i], 0.0f) << frame;
    }
}

TEST_F(Fireworks, WaitingRocketsDrawNothingAndBurstOnesShowInTheOutput) {
    for (Firework& r : layer.rockets)
        r.countdown = 5;
    layer.gain = 1;
    EXPECT_EQ(night.render().count(0, 0, 0, 0), 1024 * 1024);

    // One rocket burst a second ago: a bright cluster of sparks up in the sky. While it
    // waited it kept no finished state; it is finished once every spark is old.
    Firework& r = layer.rockets[7];
    r.burst(Vector3{0, 20, -60}, 0.5f);
    r.finished = true;
    r.step(0.4f, false);
    EXPECT_EQ(std::make_pair(r.finished, r.sparks[0].age), std::make_pair(false, 0.0f));
    for (int i = 0; i < 11; ++i)
        r.step(0.1f, false);
    qmtest::Picture burst = night.render();
    burst.save("fireworks-one-rocket");
    int lit = 0, litHigh = 0;
    for (int i = 0; i < 1024 * 1024; ++i)
        if (!burst.nearColour(i % 1024, i / 1024, 0, 0, 0, 8)) {
            ++lit;
            litHigh += i / 1024 > 512; // row 0 is at the bottom
        }
    EXPECT_GT(lit, 200);
    EXPECT_GT(litHigh, lit * 9 / 10);
    // The output pass scales the picture by the gain.
    layer.gain = 0.5f;
    qmtest::Picture dim = night.render();
    EXPECT_NEAR(*std::max_element(dim.rgb.begin(), dim.rgb.end()),
                *std::max_element(burst.rgb.begin(), burst.rgb.end()) / 2, 8);
    for (int i = 0; i < 400 && !r.finished; ++i)
        r.step(0.1f, false);
    EXPECT_TRUE(r.finished);
}

namespace {
// Pixels whose colour differs clearly between two pictures.
int changedPixels(const qmtest::Picture& a, const qmtest::Picture& b) {
    int n = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3)
        n += std::abs(a.rgb[i] - b.rgb[i]) > 40 || std::abs(a.rgb[i + 1] - b.rgb[i + 1]) > 40 ||
             std::abs(a.rgb[i + 2] - b.rgb[i + 2]) > 40;
    return n;
}
} // namespace

// The real pictures and choreography, played at 30 frames a second. With QM_FRAME_DIR
// set the moments are saved as the city's sky shows them (seen from behind: mirrored).
TEST(FireworksNight, TheOpeningAndTheFinaleWithTheirPicturesAndChoreography) {
    qmtest::GLContext gl;
    ASSERT_TRUE(gl.ok());
    qmtest::WorkingFolder folder;
    std::string out;
    ASSERT_EQ(qmtest::forge(". --only particle --only skyline --only logo --only logo-glow --only title --only choreography",
                            out),
              0)
        << out;
    // As at the production's start: the first serial and burst, the generator unseeded.
    Firework::serialCounter = 0;
    Firework::burstCounter = 0;
    qelFramework::srand(1);
    Night night;
    Layer_Fireworks& layer = night.layer;
    ASSERT_TRUE(layer.init(&night.textures, &night.sync));
    ASSERT_EQ(readSyncFile("data/demosynch.dat", night.sync), SyncReadResult::read);

    struct Moment {
        float time, camDown; // Cam Down is the city's, set here by hand
        const char* name;
        bool title;
    };
    const Moment moments[] = {{9, 0, "09-logo", false},          {25, 0, "25-title-in", true},
                              {38, 0.75f, "38-skyline", true},    {52, 0, "52-zoom", false},
                              {222, 0, "222-finale-logo", false}, {240.1f, 0.4f, "240-supergau", true}};
    float t = 0;
    FrameInfo frame;
    frame.delta = 1.0f / 30.0f;
    for (const Moment& m : moments) {
        if (m.time > 200 && t < 200) {
            t = 210;
            frame.justStarted = true;
        }
        for (; t < m.time; t += frame.delta, frame.justStarted = false) {
            night.sync.evaluateAll(t);
            frame.time = t;
            layer.update(frame);
        }
        layer.camDown->value = m.camDown;
        qmtest::Picture p = night.render(), mirrored = p;
        for (int i = 0; i < 1024 * 1024; ++i)
            std::memcpy(&mirrored.rgb[i * 3], p.at(1023 - i % 1024, i / 1024), 3);
        mirrored.save(std::string("fireworks-") + m.name);
        // Rockets light the upper sky throughout.
        int litHigh = 0;
        for (int i = 512 * 1024; i < 1024 * 1024; ++i)
            litHigh += !p.nearColour(i % 1024, i / 1024, 0, 0, 0, 24);
        EXPECT_GT(litHigh, 1000) << m.name;
        // What the title adds: the same picture again with the title faded out.
        const float fadeout = layer.titleFadeout->value;
        layer.titleFadeout->value = 1;
        int title = changedPixels(p, night.render());
        layer.titleFadeout->value = fadeout;
        EXPECT_EQ(title > 3000, m.title) << m.name << ": " << title;
    }
}
