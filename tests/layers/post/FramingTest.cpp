#include "layers/post/Layer_Border.h"
#include "layers/post/Layer_Overlay.h"
#include "layers/post/PostTestSupport.h"

using namespace qelFramework;
using qmtest::Picture;

namespace {

class Framing : public qmtest::PostLayers {
protected:
    // Opaque red in the upper quarter of the file, clear elsewhere.
    void provideBand(const char* path) {
        provide(path, [](float, float y) { return std::array<float, 4>{1, 0, 0, y < 0.25f ? 1.0f : 0.0f}; });
    }
    static void green() { drawRect(0, 0, 1, 1, 0, 1, 0); }
};

} // namespace

TEST_F(Framing, TheBorderBlendsWithoutWritingDepthAndKeepsTheDepthTest) {
    provideBand("data/textures/border.png");
    Layer_Border border;
    ASSERT_TRUE(border.init(&textures, &sync));
    for (bool depthTest : {true, false}) {
        float depth = 0;
        Picture out = frame([] {}, green, [&] {
            depthTest ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
            glDepthFunc(GL_ALWAYS);
            border.render();
            EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), depthTest ? GL_TRUE : GL_FALSE);
            EXPECT_EQ(qmtest::integer(GL_DEPTH_WRITEMASK), GL_TRUE);
            glReadPixels(640, 360, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
            glDepthFunc(GL_LESS);
            glDisable(GL_DEPTH_TEST);
        });
        EXPECT_EQ(depth, 1.0f);
        // Drawn unflipped: the file's first rows land at the bottom.
        EXPECT_TRUE(out.is(640, 10, 255, 0, 0, 1));
        EXPECT_TRUE(out.is(640, 160, 255, 0, 0, 1));
        EXPECT_TRUE(out.is(640, 200, 0, 255, 0, 1));
        EXPECT_TRUE(out.is(640, 710, 0, 255, 0, 1));
    }
}

TEST_F(Framing, TheOverlayFadesTheLogoInOverTheFrame) {
    provideBand("data/textures/vorlix-overlay.png");
    Layer_Overlay overlay;
    ASSERT_TRUE(overlay.init(&textures, &sync));
    ASSERT_EQ(sync.count(), 1u);
    auto draw = [&] { overlay.render(); };
    EXPECT_EQ(frame([] {}, green, draw).count(0, 255, 0, 0), 1280 * 720);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    set("Overlay: Fader", 0.5f);
    EXPECT_TRUE(frame([] {}, green, draw).is(640, 700, 128, 128, 0, 2));
    set("Overlay: Fader", 1.0f);
    Picture out = frame([] {}, green, draw);
    out.save("overlay");
    // Upright: the file's first rows at the top.
    EXPECT_TRUE(out.is(640, 710, 255, 0, 0, 1));
    EXPECT_TRUE(out.is(640, 10, 0, 255, 0, 1));
    glDisable(GL_DEPTH_TEST);
}
