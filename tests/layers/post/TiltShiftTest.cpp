#include "layers/post/Layer_TiltShift.h"
#include "layers/post/PostTestSupport.h"

#include "gl/FboStack.h"

using namespace qelFramework;
using qmtest::Picture;

namespace {

struct TiltShift : Layer_TiltShift {
    using Layer_TiltShift::captureTarget;
    using Layer_TiltShift::maskTarget;
};

class TiltShiftLayer : public qmtest::PostLayers {
protected:
    void SetUp() override {
        PostLayers::SetUp();
        provide("data\\textures\\noise.png", 32, 32, [](float, float) { return qmtest::Rgba{0.4f, 0.4f, 0.4f, 1}; });
        layer = std::make_unique<TiltShift>();
        ASSERT_TRUE(layer->init(&textures, &sync));
    }
    void TearDown() override {
        layer.reset();
        PostLayers::TearDown();
    }
    Picture play(const std::function<void()>& scene) {
        return frame([&] { layer->render(); }, scene, [&] { layer->render(); });
    }
    // The focus mask's grey at a height of the 5-unit mask frame, in its middle column.
    int maskAt(const Picture& mask, float units) { return mask.at(128, static_cast<int>(units / 5 * 256))[0]; }

    std::unique_ptr<TiltShift> layer;
};

} // namespace

TEST_F(TiltShiftLayer, TheMaskIsABandOfTheSizePositionAndTiltAsked) {
    EXPECT_FALSE(trace.contains("WARNING")) << trace.text();
    ASSERT_EQ(sync.count(), 5u);
    EXPECT_EQ(sync.at(3)->name(), "City: Glow");

    auto mask = [&] {
        play(drawRamp);
        return qmtest::readTexture(layer->maskTarget.textureName);
    };
    set("Tiltshift: Position", 0.5f);
    // Size 0: up from 0 at 1 unit to 1 at 2.5, down to 0 at 4.
    Picture m = mask();
    m.save("tilt-mask-size0");
    for (auto [units, grey] : std::vector<std::pair<float, int>>{{0.5f, 0}, {1.75f, 128}, {2.49f, 253}, {3.25f, 128}, {4.5f, 0}})
        EXPECT_NEAR(maskAt(m, units), grey, 4) << units;
    EXPECT_NEAR(m.at(3, 140)[0], m.at(252, 140)[0], 1); // level across

    set("Tiltshift: Center Size", 0.5f); // sharp from 1.75 to 3.25
    m = mask();
    EXPECT_TRUE(maskAt(m, 1.8f) == 255 && maskAt(m, 3.2f) == 255 && maskAt(m, 0.4f) == 0 && maskAt(m, 4.6f) == 0);
    set("Tiltshift: Position", 0.0f); // 4 units up: only the lower soft edge, from 4.5, in view
    m = mask();
    EXPECT_EQ(maskAt(m, 4.4f), 0);
    EXPECT_NEAR(maskAt(m, 4.9f), 80, 4);

    // A quarter turn stands the band upright about the left edge.
    set("Tiltshift: Center Size", 0.0f);
    set("Tiltshift: Position", 0.5f);
    set("Tiltshift: Rotation", 0.5f);
    m = mask();
    m.save("tilt-mask-upright");
    EXPECT_NEAR(m.at(2, 30)[0], 253, 4);
    EXPECT_NEAR(m.at(128, 30)[0], 170, 4); // 1 - x / 1.5
    EXPECT_NEAR(m.at(128, 30)[0], m.at(128, 220)[0], 1);
}

TEST_F(TiltShiftLayer, InsideTheBandTheCaptureOutsideItThreeTimesTheBlurLessGrain) {
    set("Tiltshift: Position", 0.5f);
    set("Tiltshift: Center Size", 1.0f); // sharp from 1 to 4 of 5 units: rows 144 to 576
    Picture out = play(drawRamp);
    out.save("tilt-band");
    Picture captured = qmtest::readTexture(layer->captureTarget.textureName);
    int worst = 0;
    for (int y = 150; y < 570; y += 3)
        for (int x = 0; x < 1280; x += 3)
            for (int ch = 0; ch < 3; ++ch)
                worst = std::max(worst, std::abs(out.at(x, y)[ch] - captured.at(x, y)[ch]));
    EXPECT_LE(worst, 1);

    // Band out of view (position 0, size 0): a flat picture 0.2, 0.1, 0.05 under grain 0.4
    // gives 3 x colour - 0.15 - 0.06.
    set("Tiltshift: Position", 0.0f);
    set("Tiltshift: Center Size", 0.0f);
    out = play([] { drawRect(0, 0, 1, 1, 0.2f, 0.1f, 0.05f); });
    EXPECT_EQ(out.count(99, 23, 0, 3), 1280 * 720);
    EXPECT_EQ(FboStack::size(), 0u);
}

TEST_F(TiltShiftLayer, TheGlowsStreakTheBlurAcrossAndUp) {
    set("Tiltshift: Position", 0.5f);
    set("Tiltshift: Center Size", 1.0f);
    auto spot = [] { drawRect(0.45f, 0.45f, 0.55f, 0.55f, 1, 1, 1); };
    set("City: Glow", 1.0f);
    Picture across = play(spot);
    across.save("tilt-glow");
    set("City: Glow", 0.0f);
    set("City: Glow Vertical", 1.0f);
    Picture up = play(spot);
    up.save("tilt-glow-vertical");
    // Left of the spot, on its row: lit by the horizontal streak only.
    EXPECT_GT(across.at(100, 360)[0], 40);
    EXPECT_LT(up.at(100, 360)[0], 5);
    // Below the spot, in its column and still in the band: lit by the vertical streak only.
    EXPECT_GT(up.at(640, 200)[0], 40);
    EXPECT_LT(across.at(640, 200)[0], 5);
}

TEST_F(TiltShiftLayer, TheDestructorReleasesTheTargets) {
    GLuint names[] = {layer->maskTarget.framebufferName, layer->captureTarget.framebufferName};
    layer.reset();
    EXPECT_FALSE(glIsFramebuffer(names[0]) || glIsFramebuffer(names[1]));
}
