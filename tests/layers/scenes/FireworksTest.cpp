#include "app/Schedule.h"
#include "app/Trace.h"
#include "gl/GL_TextureManager.h"
#include "gl/GLTestHelpers.h"
#include "gl/Random.h"
#include "layers/scenes/Layer_Fireworks.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"
#include "sync/SyncFile.h"
#include "timeline/Timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

using namespace qelFramework;

namespace {

bool sameSparks(const std::vector<Spark>& a, const std::vector<Spark>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Spark)) == 0;
}

// Works in a folder of its own that holds data/textures/.
class InFolder {
public:
    InFolder() : previous(std::filesystem::current_path()) {
        std::filesystem::create_directories(dir.file("data/textures"));
        std::filesystem::current_path(dir.path());
    }
    ~InFolder() { std::filesystem::current_path(previous); }
    std::string texture(const std::string& name) const { return dir.file("data/textures/" + name); }

private:
    qmtest::TempFolder dir;
    std::filesystem::path previous;
};

// Plain stand-ins for the pictures: a white spark square, a logo that multiplies by
// one, no glow, and an invisible title and skyline. What is drawn is sparks and flashes.
void writePlainTextures(const InFolder& folder) {
    std::vector<unsigned char> white(16 * 16 * 3, 255), black(16 * 16 * 3, 0), clear(16 * 16 * 4, 0);
    qmtest::writeJpeg(folder.texture("particle.jpg"), 16, 16, 3, white, 95);
    qmtest::writePng(folder.texture("vorlix.png"), 16, 16, PNG_COLOR_TYPE_RGB, 8, white);
    qmtest::writePng(folder.texture("vorlix-glow.png"), 16, 16, PNG_COLOR_TYPE_RGB, 8, black);
    qmtest::writePng(folder.texture("title.png"), 16, 16, PNG_COLOR_TYPE_RGBA, 8, clear);
    qmtest::writePng(folder.texture("skyline.png"), 16, 16, PNG_COLOR_TYPE_RGBA, 8, clear);
}

class Fireworks : public ::testing::Test {
protected:
    void SetUp() override {
        Trace::setHighestLevel(Trace::INFO);
        ASSERT_TRUE(gl.ok());
        writePlainTextures(folder);
        layer = std::make_unique<Layer_Fireworks>();
        ASSERT_TRUE(layer->init(&textures, &sync));
        trace.clear();
    }
    void TearDown() override {
        for (GL_FBOTexture* t : {&layer->sceneTarget, &layer->blurTarget, &layer->outputTarget})
            t->release();
        Trace::reset();
    }

    void step(float time, float delta) {
        FrameInfo frame;
        frame.time = time;
        frame.delta = delta;
        layer->update(frame);
    }
    qmtest::Picture output() {
        glClearColor(0, 0, 0, 1);
        layer->render();
        return qmtest::readTexture(layer->outputTarget.textureName);
    }

    qmtest::GLContext gl;
    InFolder folder;
    qmtest::TraceCapture trace;
    GL_TextureManager textures;
    SyncData sync;
    std::unique_ptr<Layer_Fireworks> layer;
};

} // namespace

TEST(FireworkBurst, TheNthBurstIsAlwaysTheSameAndTheNextDiffers) {
    Firework a, b;
    EXPECT_EQ(b.serial, a.serial + 1);
    const Vector3 at{4, 25, -55};
    Firework::burstCounter = 40;
    a.burst(at, 3);
    EXPECT_EQ(Firework::burstCounter, 41u);
    qelFramework::srand(12345); // whatever came before does not matter
    Firework::burstCounter = 40;
    b.burst(at, 7);
    EXPECT_TRUE(sameSparks(a.sparks, b.sparks));
    EXPECT_EQ(b.countdown, 7.0f);

    // The burst seeds with its own number, after counting it.
    qelFramework::srand(41);
    EXPECT_EQ(a.sparks.size(), static_cast<size_t>(qelFramework::rand() % 400 + 200));

    b.burst(at, 3);
    EXPECT_FALSE(sameSparks(a.sparks, b.sparks));
    bool colourDiffers = false;
    for (size_t i = 0; i < std::min(a.sparks.size(), b.sparks.size()); ++i)
        colourDiffers = colourDiffers || a.sparks[i].startColour.x != b.sparks[i].startColour.x;
    EXPECT_TRUE(colourDiffers);

    // Every burst: 200 to 599 sparks at the burst point, unit colours with no negative
    // part, speeds 0.2 to 1.2, lifetimes of at least a second.
    for (unsigned n = 1; n < 300; n += 7) {
        Firework::burstCounter = n;
        a.burst(at, 0);
        ASSERT_GE(a.sparks.size(), 200u);
        ASSERT_LE(a.sparks.size(), 599u);
        for (const Spark& s : a.sparks) {
            ASSERT_TRUE(s.position.x == 4 && s.position.y == 25 && s.position.z == -55 && s.age == 0);
            ASSERT_GE(s.lifetime, 1.0f);
            ASSERT_NEAR(vectorLength(s.endColour), 1.0f, 1e-3);
            ASSERT_TRUE(s.colour.x >= 0 && s.colour.y >= 0 && s.colour.z >= 0);
            const float speed = vectorLength(s.velocity);
            ASSERT_TRUE(speed > 0.199f && speed < 1.2f) << speed;
        }
    }
}

TEST(FireworkBurst, AWaitingRocketKeepsNoFinishedStateAndABurstOneFlies) {
    Firework rocket;
    rocket.burst(Vector3{0, 20, -60}, 1.0f);
    rocket.finished = true;
    rocket.step(0.5f, false);
    EXPECT_FALSE(rocket.finished);
    EXPECT_EQ(rocket.sparks[0].age, 0.0f);
    rocket.step(0.6f, false);
    const Spark& s = rocket.sparks[0];
    EXPECT_FLOAT_EQ(s.age, 0.6f);
    // Spark 0 falls with g = 0.1: 9.81 x age^2 x 0.1 x dt.
    EXPECT_NEAR(s.position.y, 20 + s.velocity.y * 3.0f - 9.81f * 0.36f * 0.1f * 0.6f, 1e-4);
    const float f = 0.6f / s.lifetime;
    EXPECT_NEAR(s.colour.x, (1 - f) * (s.startColour.x + f * (s.endColour.x - s.startColour.x)), 1e-6);
    EXPECT_FALSE(rocket.finished);
    for (int i = 0; i < 400 && !rocket.finished; ++i)
        rocket.step(0.1f, false);
    EXPECT_TRUE(rocket.finished);
}

TEST(FireworkBurst, ConstructionLaunchesEightyRocketsAndPlacesTheFlashes) {
    const unsigned before = Firework::burstCounter;
    Layer_Fireworks layer;
    EXPECT_EQ(Firework::burstCounter, before + 80);
    for (int i = 1; i < Layer_Fireworks::kRockets; ++i)
        EXPECT_EQ(layer.rockets[i].serial, layer.rockets[0].serial + i);
    for (const Firework& r : layer.rockets) {
        EXPECT_TRUE(r.countdown >= 0 && r.countdown < 30) << r.countdown;
        EXPECT_FALSE(r.sparks.empty());
        EXPECT_TRUE(r.sparks[0].position.z >= -70 && r.sparks[0].position.z < -50);
    }
    EXPECT_FLOAT_EQ(layer.flashTimer[2], 4.0f / 3.0f);
    EXPECT_TRUE(std::fabs(layer.flashX[1]) <= 30.0f);
    EXPECT_EQ(layer.flashStrength[0], 0.0f);
}

TEST_F(Fireworks, InitPublishesBothTargetsAndLooksUpTheControllersInOrder) {
    EXPECT_EQ(textures.getTexture("fireworks"), &layer->outputTarget);
    EXPECT_EQ(textures.getTexture("blurFireworks"), &layer->blurTarget);
    EXPECT_EQ(layer->outputTarget.width, 1024);
    EXPECT_EQ(layer->blurTarget.height, 32);
    const char* names[] = {"Fireworks: SuperGAU", "Fireworks: gau",   "Fireworks: Intensity", "Houses: Cam Down",
                           "Title: Control",      "Title: Animation", "Title: Fadeout",       "Fireworks: Zoom In"};
    ASSERT_EQ(sync.count(), 8u);
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(sync.at(i)->name(), names[i]);
    EXPECT_EQ(layer->camDown, sync.find("Houses: Cam Down"));
}

TEST_F(Fireworks, ASuperGauTriggerBurstsTheEvenSerialsAndFlaresTheFlashes) {
    for (Firework& r : layer->rockets)
        r.countdown = 100;
    SyncController* gau = layer->superGau;
    gau->addKey(10, 0);
    gau->addKey(20, 1);
    layer->camDown->value = 0.5f;
    gau->evaluate(15);
    gau->evaluate(15); // settled inside the first key interval
    ASSERT_FALSE(gau->changed);
    step(15, 0.02f);
    EXPECT_TRUE(trace.records().empty());
    gau->evaluate(21); // into the next key interval: a trigger
    ASSERT_TRUE(gau->changed);
    step(21, 0.02f);
    for (const Firework& r : layer->rockets) {
        if (r.serial % 2 == 0) {
            EXPECT_FLOAT_EQ(r.countdown, -0.02f);
            EXPECT_FLOAT_EQ(r.sparks[0].age, 0.02f);
        } else {
            EXPECT_FLOAT_EQ(r.countdown, 99.96f);
            EXPECT_EQ(r.sparks[0].age, 0.0f);
        }
    }
    // (1 - (1 - 0.5)^4) x 0.3 + 0.5, doubled.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(layer->flashAge[i], 10.0f);
        EXPECT_FLOAT_EQ(layer->flashStrength[i], 1.5625f);
        EXPECT_TRUE(layer->flashTimer[i] >= 4.0f && layer->flashTimer[i] < 12.0f);
    }
    EXPECT_EQ(layer->flare, 1.9f);
    std::vector<std::string> records = trace.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], "INFO (supergau): triggered");

    gau->evaluate(22);
    step(22, 0.02f);
    EXPECT_EQ(trace.records().size(), 1u);
    const Firework& odd = layer->rockets[layer->rockets[0].serial % 2 == 0 ? 1 : 0];
    EXPECT_FLOAT_EQ(odd.countdown, 99.94f);
    // The flare keeps the flashes bright: they fade at (2 - flare) of their usual rate.
    EXPECT_NEAR(layer->flashStrength[0], 1.5625f * (1 - (2 - 1.9f) * 0.02f), 1e-4);
}

TEST_F(Fireworks, WaitingRocketsDrawNothingAndBurstOnesShowInTheOutput) {
    for (Firework& r : layer->rockets)
        r.countdown = 5;
    layer->gain = 1;
    qmtest::Picture waiting = output();
    EXPECT_EQ(waiting.count(0, 0, 0, 0), 1024 * 1024);

    // One rocket burst a second ago: its sparks are a bright cluster up in the sky.
    Firework& r = layer->rockets[7];
    r.burst(Vector3{0, 20, -60}, 0);
    for (int i = 0; i < 10; ++i)
        r.step(0.1f, false);
    qmtest::Picture burst = output();
    burst.save("fireworks-one-rocket");
    int lit = 0, litHigh = 0, peak = 0;
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x) {
            const unsigned char* p = burst.at(x, y);
            int v = std::max({p[0], p[1], p[2]});
            if (v > 8) {
                ++lit;
                litHigh += y > 512; // row 0 is at the bottom
            }
            peak = std::max(peak, v);
        }
    EXPECT_GT(lit, 200);
    EXPECT_GT(litHigh, lit * 9 / 10);
    EXPECT_GT(peak, 200);

    // The output pass scales the picture by the gain.
    layer->gain = 0.5f;
    qmtest::Picture dim = output();
    int dimPeak = 0;
    for (unsigned char v : dim.rgb)
        dimPeak = std::max(dimPeak, static_cast<int>(v));
    EXPECT_NEAR(dimPeak, peak / 2, 8);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Fireworks, AFreshEntryRelaunchesEveryRocket) {
    step(1, 0.1f);
    const unsigned before = Firework::burstCounter;
    FrameInfo frame;
    frame.justStarted = true;
    frame.delta = 0.1f;
    layer->update(frame);
    EXPECT_GE(Firework::burstCounter, before + 80);
}

TEST(FireworksSchedule, StartUpRegistersTheFireworksUnderTheirName) {
    Timeline& timeline = Timeline::instance();
    timeline.reset();
    registerProductionLayers(timeline);
    EXPECT_NE(dynamic_cast<Layer_Fireworks*>(timeline.findLayer("IM-fireworks")), nullptr);
    timeline.reset();
}

namespace {

// The picture as the city's sky shows it: seen from behind, so left and right swap back.
qmtest::Picture asShownInTheSky(const qmtest::Picture& p) {
    qmtest::Picture m = p;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            std::memcpy(&m.rgb[(static_cast<size_t>(y) * p.width + x) * 3], p.at(p.width - 1 - x, y), 3);
    return m;
}

// Mean brightness of a band of rows (row 0 at the bottom), 0 to 255.
double bandBrightness(const qmtest::Picture& p, int y0, int y1) {
    double sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < p.width; ++x)
            sum += (p.at(x, y)[0] + p.at(x, y)[1] + p.at(x, y)[2]) / 3.0;
    return sum / ((y1 - y0) * p.width);
}

// Pixels whose colour differs clearly between two pictures.
int changedPixels(const qmtest::Picture& a, const qmtest::Picture& b) {
    int n = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3)
        n += std::abs(a.rgb[i] - b.rgb[i]) > 40 || std::abs(a.rgb[i + 1] - b.rgb[i + 1]) > 40 ||
             std::abs(a.rgb[i + 2] - b.rgb[i + 2]) > 40;
    return n;
}

} // namespace

// The real pictures and choreography, played like the frame loop does at 30 frames a
// second; with QM_FRAME_DIR set, the moments are saved to look at.
TEST(FireworksNight, TheOpeningAndTheFinaleWithTheirPicturesAndChoreography) {
    qmtest::GLContext gl;
    ASSERT_TRUE(gl.ok());
    InFolder folder;
    std::string out;
    ASSERT_EQ(qmtest::runCommand(std::string(QM_BIN_DIR) + "/quillmont-forge . --only particle --only skyline "
                                 "--only logo --only logo-glow --only title --only choreography",
                                 out),
              0)
        << out;
    GL_TextureManager textures;
    SyncData sync;
    Layer_Fireworks layer;
    ASSERT_TRUE(layer.init(&textures, &sync));
    ASSERT_EQ(readSyncFile("data\\demosynch.dat", sync), SyncReadResult::read);

    struct Moment {
        float time;
        float camDown; // the city's, set here by hand
        const char* name;
    };
    const Moment moments[] = {{9, 0, "09-logo"},       {25, 0, "25-title-in"},      {32.1f, 0, "32-supergau"},
                              {38, 0.75f, "38-skyline"}, {52, 0, "52-zoom"},        {222, 0, "222-finale"},
                              {240.1f, 0.4f, "240-gau"}, {256, 0, "256-fade"}};
    std::vector<double> top;
    std::vector<int> titleLight;
    float t = 0;
    FrameInfo frame;
    frame.delta = 1.0f / 30.0f;
    for (const Moment& m : moments) {
        frame.justStarted = m.time > 200 && t < 200;
        if (frame.justStarted)
            t = 210;
        for (; t < m.time; t += frame.delta) {
            sync.evaluateAll(t);
            frame.time = t;
            layer.update(frame);
            frame.justStarted = false;
        }
        layer.camDown->value = m.camDown;
        glClearColor(0, 0, 0, 1);
        layer.render();
        qmtest::Picture p = asShownInTheSky(qmtest::readTexture(layer.outputTarget.textureName));
        p.save(std::string("fireworks-") + m.name);
        top.push_back(bandBrightness(p, 512, 1024));
        // What the title adds: the same picture drawn again with the title faded out.
        const float fadeout = layer.titleFadeout->value;
        layer.titleFadeout->value = 1;
        layer.render();
        titleLight.push_back(changedPixels(p, asShownInTheSky(qmtest::readTexture(layer.outputTarget.textureName))));
        layer.titleFadeout->value = fadeout;
        std::printf("%s: sky %.2f, title %d\n", m.name, top.back(), titleLight.back());
    }
    for (GL_FBOTexture* target : {&layer.sceneTarget, &layer.blurTarget, &layer.outputTarget})
        target->release();
    // Rockets light the upper sky throughout; the title shows while it is in, and not
    // while the logo is up or the camera is among the rockets.
    for (double b : top)
        EXPECT_GT(b, 0.3);
    for (int i : {1, 3, 6})
        EXPECT_GT(titleLight[i], 3000) << moments[i].name;
    for (int i : {0, 4, 5})
        EXPECT_LT(titleLight[i], 500) << moments[i].name;
}
