#include "layers/post/Layer_TiltShift.h"
#include "layers/post/PostTestSupport.h"

using namespace qelFramework;
using qmtest::Picture;

namespace {

struct TiltShift : Layer_TiltShift {
    using Layer_TiltShift::blurTarget;
    using Layer_TiltShift::captureTarget;
    using Layer_TiltShift::maskTarget;
};

class TiltShiftLayer : public qmtest::PostLayers {
protected:
    void SetUp() override {
        PostLayers::SetUp();
        provide("data/textures/noise.png", [](float, float) { return std::array<float, 4>{0.4f, 0.4f, 0.4f, 1}; });
        ASSERT_TRUE(layer->init(&textures, &sync));
        set("Tiltshift: Position", 0.5f);
    }
    void TearDown() override {
        layer.reset();
        PostLayers::TearDown();
    }
    Picture play(const std::function<void()>& scene) {
        return frame([&] { layer->render(); }, scene, [&] { layer->render(); });
    }

    std::unique_ptr<TiltShift> layer = std::make_unique<TiltShift>();
};

} // namespace

TEST_F(TiltShiftLayer, TheMaskIsABandOfTheSizeAndTiltAsked) {
    // No warning but the names the empty sync data does not hold.
    for (const std::string& record : trace.records())
        EXPECT_TRUE(record.rfind("WARNING", 0) != 0 || record.rfind("WARNING (syncData)", 0) == 0) << record;
    ASSERT_EQ(sync.count(), 5u);
    // Size 0: up from 0 at 1 unit (of 5) to 1 at 2.5, down to 0 at 4, level across.
    play(drawRamp);
    Picture m = qmtest::readTexture(layer->maskTarget.textureName);
    m.save("tilt-mask-size0");
    for (auto [units, grey] : std::vector<std::pair<float, int>>{{0.5f, 0}, {1.75f, 128}, {2.49f, 253}, {3.25f, 128}, {4.5f, 0}})
        EXPECT_NEAR(m.at(128, static_cast<int>(units / 5 * 256))[0], grey, 4) << units;
    EXPECT_NEAR(m.at(3, 90)[0], m.at(252, 90)[0], 1);
    // Size 1: sharp from 1 to 4, with an edge one unit wide on either side.
    set("Tiltshift: Center Size", 1.0f);
    play(drawRamp);
    m = qmtest::readTexture(layer->maskTarget.textureName);
    for (auto [units, grey] : std::vector<std::pair<float, int>>{{0.5f, 128}, {2.5f, 255}, {4.5f, 128}})
        EXPECT_NEAR(m.at(128, static_cast<int>(units / 5 * 256))[0], grey, 4) << units;
    set("Tiltshift: Center Size", 0.0f);

    // A quarter turn stands the band upright about the left edge: 1 - x / 1.5 across.
    set("Tiltshift: Rotation", 0.5f);
    play(drawRamp);
    m = qmtest::readTexture(layer->maskTarget.textureName);
    EXPECT_NEAR(m.at(2, 30)[0], 253, 4);
    EXPECT_NEAR(m.at(128, 30)[0], 170, 4);
    EXPECT_NEAR(m.at(128, 30)[0], m.at(128, 220)[0], 1);
}

TEST_F(TiltShiftLayer, InsideTheBandTheCaptureOutsideItThreeTimesTheBlurLessGrain) {
    set("Tiltshift: Center Size", 1.0f); // sharp from 1 to 4 of 5 units: rows 144 to 576
    Picture out = play(drawRamp);
    out.save("tilt-band");
    Picture captured = qmtest::readTexture(layer->captureTarget.textureName);
    for (int y = 150; y < 570; y += 7)
        for (int x = 0; x < 1280; x += 7)
            ASSERT_TRUE(out.is(x, y, captured.at(x, y)[0], captured.at(x, y)[1], captured.at(x, y)[2], 1)) << x << "," << y;

    // Band moved out of view: flat 0.2, 0.1, 0.05 under grain 0.4 gives 3 x colour - 0.21.
    set("Tiltshift: Position", 0.0f);
    set("Tiltshift: Center Size", 0.0f);
    EXPECT_EQ(play([] { drawRect(0, 0, 1, 1, 0.2f, 0.1f, 0.05f); }).count(99, 23, 0, 3), 1280 * 720);

    // The layer releases its targets.
    GLuint names[] = {layer->maskTarget.framebufferName, layer->captureTarget.framebufferName};
    layer.reset();
    EXPECT_FALSE(glIsFramebuffer(names[0]));
    EXPECT_FALSE(glIsFramebuffer(names[1]));
}

TEST_F(TiltShiftLayer, TheGlowsStreakTheBlurAcrossAndUp) {
    set("Tiltshift: Center Size", 1.0f);
    auto spot = [] { drawRect(0.45f, 0.45f, 0.55f, 0.55f, 1, 1, 1); };
    set("City: Glow", 1.0f);
    Picture across = play(spot);
    set("City: Glow", 0.0f);
    set("City: Glow Vertical", 1.0f);
    Picture up = play(spot);
    up.save("tilt-glow-vertical");
    // Left of the spot on its row, and below it in its column (still in the band).
    EXPECT_TRUE(across.at(100, 360)[0] > 40 && up.at(100, 360)[0] < 5)
        << "at (100, 360): " << int(across.at(100, 360)[0]) << " across, " << int(up.at(100, 360)[0]) << " up";
    EXPECT_TRUE(up.at(640, 200)[0] > 40 && across.at(640, 200)[0] < 5)
        << "at (640, 200): " << int(up.at(640, 200)[0]) << " up, " << int(across.at(640, 200)[0]) << " across";
    // What the streaks stretch is the capture blurred at intensity 0.5.
    GL_FBOTexture blurred;
    ASSERT_TRUE(blurred.create(256, 256, 1));
    glDisable(GL_BLEND);
    blurInto(layer->captureTarget, 0.5f, blurred);
    EXPECT_EQ(qmtest::readTexture(blurred.textureName).rgb, qmtest::readTexture(layer->blurTarget.textureName).rgb);
    blurred.release();
}
