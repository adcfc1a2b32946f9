#include "gl/GL_MemTexture.h"
#include "gl/GL_TextureManager.h"
#include "gl/Random.h"
#include "layers/scenes/Layer_CityScene.h"
#include "support/GLTest.h"
#include "sync/SyncData.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

using namespace qelFramework;

namespace {

constexpr int kW = 160, kH = 90;

// Stands in for the performer and cloth: counts its calls and draws a magenta square
// around the origin of the transform the city gives it.
class RecordingCloth : public Layer_KeepsTime {
public:
    bool init(GL_TextureManager*, SyncData*) override {
        ++inits;
        return true;
    }
    void update(const FrameInfo& frame) override {
        Layer_KeepsTime::update(frame);
        ++updates;
    }
    void render() override {
        ++renders;
        glDisable(GL_TEXTURE_2D);
        glColor3f(1, 0, 1);
        glBegin(GL_QUADS);
        glVertex3f(-6, -6, 0);
        glVertex3f(6, -6, 0);
        glVertex3f(6, 6, 0);
        glVertex3f(-6, 6, 0);
        glEnd();
    }
    int inits = 0, updates = 0, renders = 0;
};

using qmtest::Corners;
using qmtest::FakeContent;

// A model file of one quad, x mirrored as the city's shader mirrors it back.
void writeQuad(const std::string& path, const Corners& c) { FakeContent::quads(path, {c}, true); }

const char* const kParts[17] = {"1stdoor",     "2nddoor",          "bottom-windows-left", "direction-sign",
                                "hangingsign", "left-house",       "littlewall",          "right-house",
                                "sign-advert", "street",           "top-windows-left",    "walkway",
                                "windows-right", "wimpel",         "chimney",             "left-roof",
                                "rooflip"};

// A distinct colour per house part.
std::array<unsigned char, 3> partColour(int i) {
    static const unsigned char levels[3] = {0, 128, 255};
    int code = i + 1; // skip black
    return {levels[code % 3], levels[(code / 3) % 3], levels[(code / 9) % 3]};
}

class City : public qmtest::GLTest {
protected:
    City() : GLTest(kW, kH) {}
    void SetUp() override {
        GLTest::SetUp();
        for (int i = 0; i < 17; ++i) {
            auto c = partColour(i);
            FakeContent::picture(std::string("data/housemodel/") + (i == 11 ? "ao-" : "diff-") + "final-" + kParts[i] +
                                     ".png", {c[0], c[1], c[2], 255}, 4, false);
        }
        FakeContent::picture("data/housemodel/diff-final-tower.png", {0, 0, 255, 255}, 4, false);
        // The tower: a cube far larger than the scene, so that any camera inside it sees it.
        const float s = 400;
        FakeContent::quads("data/housemodel/mdl-final-tower.txt",
                           {{Vector3{-s, -s, s}, {s, -s, s}, {s, s, s}, {-s, s, s}},
                            {Vector3{-s, -s, -s}, {s, -s, -s}, {s, s, -s}, {-s, s, -s}},
                            {Vector3{s, -s, -s}, {s, s, -s}, {s, s, s}, {s, -s, s}},
                            {Vector3{-s, -s, -s}, {-s, s, -s}, {-s, s, s}, {-s, -s, s}},
                            {Vector3{-s, s, -s}, {s, s, -s}, {s, s, s}, {-s, s, s}},
                            {Vector3{-s, -s, -s}, {s, -s, -s}, {s, -s, s}, {-s, -s, s}}},
                           true);
        for (const char* name : {"flyingBird", "backlight", "particle"})
            FakeContent::picture(std::string("data/textures/") + name + ".jpg", {255, 255, 255, 255});
        FakeContent::picture("data/textures/gazer.png", {128, 128, 255, 255});
        content.texture(textures, "fireworks", {0, 0, 0, 255}, 1);
        trace.clear();
    }
    void TearDown() override {
        LitParticleBatch::releaseSharedProgram();
        GLTest::TearDown();
    }

    // Writes the house parts: part i gets the quad `at(i)`, or nothing when it is empty.
    void writeParts(const std::function<Corners(int)>& at) {
        for (int i = 0; i < 17; ++i)
            writeQuad(std::string("data/housemodel/mdl-final-") + kParts[i] + ".txt", at(i));
    }
    // Seventeen upright strips side by side in front of the Kinect camera.
    static Corners strip(int i) {
        float x = 112.0f + 3.4f * i;
        return {Vector3{x, 250, -5}, {x + 3, 250, -5}, {x + 3, 272, -5}, {x, 272, -5}};
    }

    void start() {
        city = std::make_unique<Layer_CityScene>(std::unique_ptr<Layer_Base>(cloth = new RecordingCloth));
        ASSERT_TRUE(city->init(&textures, &sync));
        set("Houses: Cam Down", 1);
        set("Houses: Fog Distance", -10); // no fog in the way
    }
    // The Kinect camera alone: a fixed view towards (140, 260, 0) from above the stage.
    void kinectView() {
        set("Kinect: Move Camera", 1);
        set("Houses: CamToPodest", 0.3f); // no smoke
    }

    qmtest::Picture frame(float time = 0) {
        FrameInfo info;
        info.time = time;
        info.delta = 1.0f / 60;
        city->update(info);
        glClearColor(0, 0, 0, 1);
        return capture([&] {
            identityMatrices();
            city->render();
        });
    }
    static int lit(const qmtest::Picture& p) { return p.width * p.height - p.count(0, 0, 0, 3); }

    qmtest::WorkingFolder folder;
    RecordingCloth* cloth = nullptr;
    std::unique_ptr<Layer_CityScene> city;
};

} // namespace

TEST_F(City, InitLoadsEverythingGrowMainKeepsOnlyTheRoofsAndBlowingSmokeHidesEveryPart) {
    writeParts(strip);
    start();
    EXPECT_EQ(city->parts.size(), 17u);
    EXPECT_EQ(city->tower.vertexCount, 36);
    unsigned total = 0;
    for (unsigned n : city->trailCount)
        total += n;
    EXPECT_EQ(static_cast<unsigned>(city->trailBatch.count()), total);
    EXPECT_EQ(cloth->inits, 1);
    // Nothing was missing and every uniform was found.
    EXPECT_FALSE(trace.contains("ERROR")) << trace.text();
    EXPECT_FALSE(trace.contains("shaderAccess")) << trace.text();
    kinectView();
    auto shown = [&](const qmtest::Picture& p) {
        std::vector<bool> out;
        for (int i = 0; i < 17; ++i) {
            auto c = partColour(i);
            out.push_back(p.count(c[0], c[1], c[2], 12) > 5);
        }
        return out;
    };
    set("Houses: Grow Main", 0.89f);
    qmtest::Picture all = frame();
    all.save("city-parts-all");
    for (bool b : shown(all))
        EXPECT_TRUE(b);
    set("Houses: Grow Main", 0.9f);
    qmtest::Picture roofs = frame();
    roofs.save("city-parts-roofs");
    std::vector<bool> r = shown(roofs);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(r[static_cast<size_t>(i)], i >= 14) << "part " << i;

    set("Houses: Grow Main", 0);
    set("Smoke: Blow", 0.19f);
    for (bool b : shown(frame()))
        EXPECT_TRUE(b);
    set("Smoke: Blow", 0.2f);
    EXPECT_EQ(lit(frame()), 0);
    EXPECT_EQ(cloth->updates, 4); // the cloth is updated every frame, drawn or not
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(City, FogDimsAPartByItsDistanceFromTheEye) {
    // The street view alone, and a small square of part 0 (red 128) 100 units out along
    // its line of sight; the other parts lie behind the eye.
    const float n = std::sqrt(3.0f * 3.0f + 0.5f * 0.5f + 7.0f * 7.0f);
    const Vector3 c{100 * 3 / n, 1 + 100 * 0.5f / n, -1 + 100 * 7 / n};
    writeParts([&](int i) {
        return i == 0 ? Corners{Vector3{c.x - 1, c.y - 1, c.z}, {c.x + 1, c.y - 1, c.z}, {c.x + 1, c.y + 1, c.z},
                                {c.x - 1, c.y + 1, c.z}}
                      : strip(i);
    });
    start();
    // Fog distance (1 - value) x 250: the part keeps 1 - 100 / (distance + 1) of its colour.
    for (auto [fog, red] : {std::pair{0.2f, 64}, {0.5f, 26}}) {
        set("Houses: Fog Distance", fog);
        EXPECT_NEAR(frame().at(kW / 2, kH / 2)[0], red, 3) << fog;
    }
}

TEST_F(City, AtCamDownOfTwoHundredthsOnlyTrailsAndTheSkyAreDrawn) {
    // A house part across the whole sky view, the tower around everything.
    writeParts([](int i) {
        return i == 0 ? Corners{Vector3{-150, 0, 80}, {150, 0, 80}, {150, 250, 80}, {-150, 250, 80}} : strip(i);
    });
    start();
    auto drawn = [&](float camDown, const char* what) {
        set("Houses: Cam Down", camDown);
        qmtest::Picture p = frame(2.0f);
        p.save(std::string("city-camdown-") + what + (camDown > 0.02f ? "-on" : "-off"));
        return lit(p);
    };
    EXPECT_EQ(drawn(0.02f, "houses"), 0);
    EXPECT_GT(drawn(0.03f, "houses"), kW * kH / 2);

    // Birds and backlight seen from the podium camera.
    set("Houses: CamToPodest", 1);
    set("Birds: Flocking Out", 0.3f);
    EXPECT_EQ(drawn(0.02f, "birds"), 0);
    EXPECT_GT(drawn(0.03f, "birds"), 20);
    // Only strictly between 0.01 and 0.95: at either bound the flock's seeded draws leave
    // the generator where it was.
    for (float v : {0.01f, 0.95f}) {
        set("Birds: Flocking Out", v);
        qelFramework::srand(777);
        const int next = qelFramework::rand();
        qelFramework::srand(777);
        drawn(0.03f, "birds-bound");
        EXPECT_EQ(qelFramework::rand(), next) << v;
    }
    set("Birds: Flocking Out", 0);
    set("Houses: Backlight", 1);
    EXPECT_EQ(drawn(0.02f, "backlight"), 0);
    EXPECT_GT(drawn(0.03f, "backlight"), kW * kH / 2);
    set("Houses: Backlight", 0);

    // Tower and cloth from the Kinect camera.
    kinectView();
    set("Houses: Chase Smoke", 0.5f);
    EXPECT_EQ(drawn(0.02f, "tower"), 0);
    EXPECT_EQ(cloth->renders, 0);
    set("Houses: Cam Down", 0.03f);
    qmtest::Picture p = frame(2.0f);
    p.save("city-camdown-tower-on");
    int tower = 0; // blue, darkened a little by the distance
    for (int i = 0; i < kW * kH; ++i)
        tower += p.rgb[i * 3] < 20 && p.rgb[i * 3 + 1] < 20 && p.rgb[i * 3 + 2] > 120;
    EXPECT_GT(tower, kW * kH / 4);
    EXPECT_GT(p.count(255, 0, 255, 2), 20); // the cloth, drawn in the city's transform
    EXPECT_EQ(cloth->renders, 1);
}

TEST_F(City, TheFlockAndTheSmokeRepeatForTheSameTimeAndValues) {
    writeParts(strip);
    start();
    set("Houses: CamToPodest", 1);
    set("Birds: Flocking Out", 0.4f);
    qmtest::Picture first = frame(3.0f);
    first.save("city-birds");
    qelFramework::srand(12345);
    for (int i = 0; i < 777; ++i)
        qelFramework::rand();
    qmtest::Picture again = frame(3.0f);
    EXPECT_EQ(first.rgb, again.rgb);
    EXPECT_NE(first.rgb, frame(3.05f).rgb); // the wings beat

    set("Houses: CamToPodest", 0);
    set("Birds: Flocking Out", 0);
    set("Houses: Grow Main", 0.85f); // smoke only above this: the batch stays unset
    frame(7.0f);
    for (const LitParticle& p : city->smokeBatch.particles)
        ASSERT_EQ(p.size, 0.0f);
    set("Houses: Grow Main", 0.95f);
    set("Smoke: Blow", 0.3f);
    // Its 200 particles jitter with three draws each from seed 109, and nothing after the
    // smoke draws from the generator.
    qelFramework::srand(109);
    for (int i = 0; i < 200 * 3; ++i)
        qelFramework::rand();
    const int next = qelFramework::rand();
    frame(7.0f);
    EXPECT_EQ(qelFramework::rand(), next);
    std::vector<LitParticle> smoke = city->smokeBatch.particles;
    qelFramework::srand(4321);
    frame(7.0f);
    ASSERT_EQ(smoke.size(), city->smokeBatch.particles.size());
    EXPECT_EQ(std::memcmp(smoke.data(), city->smokeBatch.particles.data(), smoke.size() * sizeof(LitParticle)), 0);
    // The emitter's column: young particles near the chimney, the old ones blown east.
    EXPECT_GT(smoke[0].size, 0.0f);
    frame(8.0f);
    EXPECT_NE(smoke[10].position.x, city->smokeBatch.particles[10].position.x);
}

TEST_F(City, TrailsGrowPathByPathAndTheMainTrailFraysAtItsEnd) {
    writeParts(strip);
    start();
    kinectView();
    // Particles of a path drawn smaller than `below`.
    auto sized = [&](int path, float below) {
        size_t first = 0;
        for (int k = 0; k < path; ++k)
            first += city->trailCount[k];
        int n = 0;
        for (unsigned j = 0; j < city->trailCount[path]; ++j)
            n += city->trailBatch.particles[first + j].size > 0 && city->trailBatch.particles[first + j].size < below;
        return n;
    };
    auto visible = [&](int path) { return sized(path, INFINITY); };
    // The first frame does not show the seeding's sizes.
    set("Houses: Grow Ground", 0.5f);
    set("Houses: Grow Main", 0.2f);
    frame(1.0f);
    for (const LitParticle& p : city->trailBatch.drawList)
        EXPECT_LE(p.size, 0.5f);
    for (int k : {0, 1, 2, 3, 4, 6})
        EXPECT_EQ(visible(k), static_cast<int>(city->trailCount[k] * 0.5f)) << "path " << k;
    EXPECT_EQ(visible(5), 0);
    EXPECT_EQ(visible(7), 0);
    EXPECT_EQ(visible(8), static_cast<int>(city->trailCount[8] * 0.2f));
    // Ground trails give way when the main trail is half grown, the main one to the chase.
    set("Houses: Grow Main", 0.5f);
    set("Houses: Grow Outer", 1);
    frame(1.0f);
    EXPECT_EQ(visible(0), 0);
    EXPECT_EQ(visible(5), static_cast<int>(city->trailCount[5]));
    EXPECT_EQ(sized(5, 0.5f), 39); // the head fades in: 39 smaller, the 40th back full size
    set("Houses: Chase Smoke", 0.2f);
    frame(1.0f);
    EXPECT_EQ(visible(8), 0);
    EXPECT_GT(visible(7), 0);
    // The outer trails give way when the main one is nine tenths grown; from a Chase
    // Smoke of 0.5 no trail is drawn, so the sizes stay as they were.
    set("Houses: Grow Main", 0.9f);
    frame(1.0f);
    EXPECT_EQ(visible(5) + visible(7), 0);
    set("Houses: Grow Main", 0.5f);
    set("Houses: Chase Smoke", 0.5f);
    frame(1.0f);
    EXPECT_EQ(visible(5), 0);

    // Fully grown: the last 300 particles of the main trail fray out.
    set("Houses: Chase Smoke", 0);
    set("Houses: Grow Main", 1);
    const float t = 4.0f;
    frame(t);
    size_t first = 0;
    for (int k = 0; k < 8; ++k)
        first += city->trailCount[k];
    const int n = static_cast<int>(city->trailCount[8]);
    ASSERT_GT(n, 300);
    for (int j = 0; j < n; ++j) {
        const LitParticle& p = city->trailBatch.particles[first + static_cast<size_t>(j)];
        if (n - j >= 300) {
            EXPECT_EQ(p.offset.x, 0.0f);
            if (n - j > 340) {
                EXPECT_FLOAT_EQ(p.size, 0.5f);
            }
            continue;
        }
        const float q = 1.0f - static_cast<float>(n - j) / 300.0f;
        if (n - j == 299) {
            EXPECT_LT(p.size, 0.5f); // the first frayed one is already smaller than the trail
        }
        EXPECT_EQ(p.offset.y, 0.0f);
        EXPECT_LE(std::fabs(p.offset.x), 20 * q * q + q + 1e-4f);
        EXPECT_LE(std::fabs(p.offset.z), 20 * q * q + 1e-4f);
    }
    // Other trails never move off their path.
    for (size_t i = 0; i < first; ++i)
        EXPECT_EQ(city->trailBatch.particles[i].offset.x, 0.0f);
}
