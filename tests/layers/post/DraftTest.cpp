// The picture-sized passes at a draft level: half size looks like the full picture, and
// full size again gives the full picture byte for byte.
#include "layers/post/Layer_PP.h"
#include "layers/post/Layer_TiltShift.h"
#include "layers/post/PostTestSupport.h"

#include <memory>

using namespace qelFramework;
using qmtest::Picture;

namespace {

class DraftPicture : public qmtest::PostLayers {
protected:
    void SetUp() override {
        PostLayers::SetUp();
        provide("data/textures/noise.png", [](float, float) { return std::array<float, 4>{0.4f, 0.4f, 0.4f, 1}; });
        provide("data/textures/distortion.png", [](float, float) { return std::array<float, 4>{0.5f, 0.5f, 0, 1}; });
    }
    // Red left, green right, a ramp in the middle band; notes the width it was drawn at.
    Picture play(Layer_Base& layer, int& sceneWidth) {
        return frame([&] { layer.render(); },
                     [&] {
                         GLint v[4];
                         glGetIntegerv(GL_VIEWPORT, v);
                         sceneWidth = v[2];
                         drawRect(0, 0, 0.5f, 1, 1, 0, 0);
                         drawRect(0.5f, 0, 1, 1, 0, 1, 0);
                         drawRect(0.3f, 0.4f, 0.7f, 0.6f, -1, 0, 0);
                     },
                     [&] { layer.render(); });
    }
    void checkDraft(Layer_Base& layer, int tolerance) {
        ASSERT_TRUE(layer.init(&textures, &sync));
        int width = 0;
        const Picture full = play(layer, width);
        EXPECT_EQ(width, 1280);

        layer.setDraft(2);
        ASSERT_TRUE(resizeTarget(screen, 640, 360, 0));
        const Picture half = play(layer, width);
        EXPECT_EQ(width, 640);
        ASSERT_EQ(half.width, 640);
        for (int y = 20; y < 360; y += 40)
            for (int x = 20; x < 640; x += 60) {
                const unsigned char* h = half.at(x, y);
                const unsigned char* f = full.at(2 * x, 2 * y);
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(h[c], f[c], tolerance) << "at " << x << ", " << y;
            }

        layer.setDraft(1);
        ASSERT_TRUE(resizeTarget(screen, 1280, 720, 0));
        EXPECT_EQ(qmtest::largestDifference(play(layer, width), full), 0);
        EXPECT_EQ(width, 1280);
        layer.unload();
    }
};

} // namespace

TEST_F(DraftPicture, ThePostProcessorRendersAtHalfSize) {
    Layer_PP layer;
    checkDraft(layer, 3);
}

TEST_F(DraftPicture, TheTiltShiftRendersAtHalfSize) {
    set("Tiltshift: Position", 0.5f);
    Layer_TiltShift layer;
    checkDraft(layer, 24); // the blur outside the band reaches a little further at half size
}
