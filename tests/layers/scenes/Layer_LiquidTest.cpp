#include "gl/GL_TextureManager.h"
#include "gl/Random.h"
#include "layers/scenes/Layer_Liquid.h"
#include "layers/scenes/MotionFrames.h"
#include "support/GLTest.h"
#include "sync/SyncData.h"

#include <cmath>
#include <cstdint>
#include <filesystem>

using namespace qelFramework;

namespace {

std::string frameBytes(const std::vector<MotionPoint>& points) {
    std::string bytes(4, '\0');
    auto count = static_cast<std::uint32_t>(points.size());
    for (int b = 0; b < 4; ++b)
        bytes[b] = static_cast<char>(count >> (8 * b));
    bytes.append(reinterpret_cast<const char*>(points.data()), points.size() * sizeof(MotionPoint));
    return bytes;
}

// A flat upright patch of points facing the sensor, all lit from +x (warm).
std::vector<MotionPoint> patch(float x0, float x1, float y0, float y1, float z) {
    std::vector<MotionPoint> points;
    for (float y = y0; y <= y1; y += 0.01f)
        for (float x = x0; x <= x1; x += 0.01f)
            points.push_back({x, y, z, 1, 0, 0});
    return points;
}

// The layer's controllers in the order it registers them (the look test sets them by index).
const char* const kControllers[] = {"Kinect: Play Animation", "Cloth: Simulate Down", "Cloth: BurnOut",
                                    "Cloth: Fire Intensity",  "Cloth: Down",          "Cloth: Burn Blue"};

struct Counts {
    int warm = 0, fabric = 0, rim = 0, blue = 0, lit = 0, litLeft = 0;
};

Counts count(const qmtest::Picture& p) {
    Counts c;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const unsigned char* q = p.at(x, y);
            int r = q[0], g = q[1], b = q[2];
            c.warm += r > 40 && b * 3 < r && g < r;
            c.fabric += r > 90 && g > 90 && b > 90;
            c.rim += r >= 8 && r <= 40 && b <= 4 && g <= r;
            c.blue += b > 20 && b > 2 * r;
            bool lit = r + g + b > 30;
            c.lit += lit;
            c.litLeft += lit && x < p.width / 2;
        }
    return c;
}

// The layer on its own, in a folder of small made-up content.
class ClothLayer : public qmtest::GLTest {
protected:
    ClothLayer() : GLTest(320, 180) {}
    void SetUp() override {
        GLTest::SetUp();
        std::filesystem::create_directories("data/kinect");

        // Frame 0: a patch to the sensor's left (drawn on the left). Frame 538: an upright
        // patch in front of the sensor that the last turn lays flat, for the cloth.
        // The frames between hold no points.
        for (int f = 0; f < kMotionFrameCount; ++f) {
            std::vector<MotionPoint> points;
            if (f == 0)
                points = patch(0.3f, 0.6f, -0.2f, 0.6f, 2.563f);
            if (f == 538)
                points = patch(-0.4f, 0.1f, -0.25f, 0.65f, 2.51f);
            qmtest::writeFile(dir.path() + "/data/kinect/" + motionFrameName(f).substr(12), frameBytes(points));
        }
        writeFabric(255);
        qmtest::FakeContent::picture("data/textures/particle-alpha.png", {255, 255, 255, 255}, 8);
        qmtest::FakeContent::picture("data/textures/fire.jpg", {255, 255, 255, 255}, 8);
    }

    static void writeFabric(int alpha) {
        qmtest::FakeContent::picture("data/textures/fabric.png", {255, 255, 255, static_cast<unsigned char>(alpha)}, 16);
    }

    // Sets the six controllers, renders one frame at `time` and reads it back.
    qmtest::Picture draw(Layer_Liquid& layer, float play, float simulate, float burn, float fire, float down,
                         float blue, float time = 1.0f) {
        float values[] = {play, simulate, burn, fire, down, blue};
        for (int i = 0; i < 6; ++i)
            set(kControllers[i], values[i]);
        FrameInfo frame;
        frame.time = time;
        layer.update(frame);
        qmtest::Picture picture = capture([&] {
            identityMatrices();
            layer.render();
        });
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        picture.save(std::string("liquid-") + test->name() + "-" + std::to_string(drawn++));
        return picture;
    }

    qmtest::WorkingFolder dir;
    int drawn = 0;
};

} // namespace

TEST_F(ClothLayer, InitLoadsEveryFrameSimulateDownShowsTheFigureTheClothOrBothAndPlayPicksTheFrame) {
    Layer_Liquid layer;
    ASSERT_TRUE(layer.init(&textures, &sync));
    ASSERT_EQ(sync.count(), 6u);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(sync.at(i)->name(), kControllers[i]);
    ASSERT_EQ(layer.frames().size(), 539u);
    EXPECT_EQ(layer.frames()[0].size(), patch(0.3f, 0.6f, -0.2f, 0.6f, 2.563f).size());
    EXPECT_EQ(layer.cloth().frames.size(), 30u);
    // No warning but the names the empty sync data does not hold.
    for (const std::string& record : trace.records())
        EXPECT_TRUE(record.rfind("WARNING", 0) != 0 || record.rfind("WARNING (syncData)", 0) == 0) << record;

    Counts figure = count(draw(layer, 0, 0, 0, 0, 1, 0));
    EXPECT_GT(figure.warm, 100);
    EXPECT_EQ(figure.fabric, 0);
    EXPECT_EQ(figure.lit, figure.litLeft); // frame 0 lies to the sensor's left

    Counts cloth = count(draw(layer, 0, 0.95f, 0, 0, 1, 0));
    EXPECT_EQ(cloth.warm, 0);
    EXPECT_GT(cloth.fabric, 2000);

    Counts both = count(draw(layer, 0, 0.5f, 0, 0, 1, 0));
    EXPECT_GT(both.warm, 50);
    EXPECT_GT(both.fabric, 2000);
    EXPECT_EQ(count(draw(layer, 0, 0.9f, 0, 0, 1, 0)).warm, 0); // the figure only below 0.9

    // Frames 1 to 537 are empty; 1 picks the last one.
    EXPECT_EQ(count(draw(layer, 0.999f, 0, 0, 0, 1, 0)).lit, 0);
    EXPECT_EQ(layer.currentFrame(), 537);
    EXPECT_GT(count(draw(layer, 1, 0, 0, 0, 1, 0)).warm, 100);
    EXPECT_EQ(layer.currentFrame(), 538);
    // A curve value that is not a number (the sync file may hold one) picks frame 0.
    EXPECT_EQ(count(draw(layer, std::nanf(""), std::nanf(""), 0, 0, 1, 0)).lit, 0);
    EXPECT_EQ(layer.currentFrame(), 0);
}

TEST_F(ClothLayer, TheBurnEatsFabricWhoseAlphaIsBelowItWithAGlowingRimAtTheFront) {
    // BurnOut 0.5 burns everything below alpha 0.75.
    struct Case {
        int alpha;
        bool fabric, rim;
    } cases[] = {{178, false, false}, {240, true, false}, {194, false, true}};
    for (const Case& c : cases) {
        writeFabric(c.alpha);
        GL_TextureManager fresh;
        Layer_Liquid layer;
        ASSERT_TRUE(layer.init(&fresh, &sync));
        Counts burnt = count(draw(layer, 0, 1, 0.5f, 0, 1, 0));
        EXPECT_EQ(burnt.fabric > 1000, c.fabric) << c.alpha;
        EXPECT_EQ(burnt.rim > 1000, c.rim) << c.alpha;
        if (!c.fabric && !c.rim) {
            EXPECT_EQ(burnt.lit, 0) << c.alpha;
        }
    }
}

TEST_F(ClothLayer, FlamesRepeatExactlyAndTurnBlue) {
    Layer_Liquid layer;
    ASSERT_TRUE(layer.init(&textures, &sync));
    // The flames reseed the generator, so they repeat whatever drew from it in between.
    qmtest::Picture fire = draw(layer, 0, 1, 0.2f, 1, 1, 0, 3.0f);
    qelFramework::srand(99);
    EXPECT_EQ(fire.rgb, draw(layer, 0, 1, 0.2f, 1, 1, 0, 3.0f).rgb);
    // Burnt out beyond every emitter: only the frame's own seed is left for what follows.
    draw(layer, 0, 1, 0.95f, 1, 1, 0, 3.0f);
    const int next = qelFramework::rand();
    qelFramework::srand(10);
    EXPECT_EQ(next, qelFramework::rand());

    // The cloth hidden (burn at 0.8), the flames alone: white-yellow, or blue.
    Counts flames = count(draw(layer, 0, 1, 0.8f, 1, 1, 0, 3.0f));
    Counts blueFlames = count(draw(layer, 0, 1, 0.8f, 1, 1, 1, 3.0f));
    EXPECT_GT(flames.lit, 20);
    EXPECT_EQ(flames.blue, 0);
    EXPECT_GT(blueFlames.blue, 20);
    EXPECT_EQ(count(draw(layer, 0, 1, 0.8f, 0, 1, 0, 3.0f)).lit, 0); // no fire intensity, no flames
}

TEST_F(ClothLayer, EmbeddedItDrawsWithTheHostsCameraAndRestoresItsMatricesAndState) {
    Layer_Liquid layer(true, 25.0f);
    EXPECT_TRUE(layer.isEmbedded());
    EXPECT_EQ(layer.scale(), 25.0f);
    ASSERT_TRUE(layer.init(&textures, &sync));
    for (const char* name : {"Cloth: Simulate Down", "Cloth: Down", "Cloth: Fire Intensity"})
        set(name, 1);
    set("Cloth: BurnOut", 0.3f);

    target.beginCapture();
    // The host's camera, looking at the spot where it places the layer.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 320.0 / 180.0, 1, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 60, 80, 0, 20, 0, 0, 1, 0);
    GLfloat projection[16], modelview[16], after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    layer.render();
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(std::vector<GLfloat>(after, after + 16), std::vector<GLfloat>(projection, projection + 16));
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(std::vector<GLfloat>(after, after + 16), std::vector<GLfloat>(modelview, modelview + 16));
    EXPECT_EQ(qmtest::integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(qmtest::integer(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_EQ(qmtest::integer(GL_CURRENT_PROGRAM), 0);
    Counts seen = count(qmtest::readFramebuffer(320, 180));
    target.endCapture();
    EXPECT_GT(seen.fabric, 500);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
