#include "layers/post/Layer_Border.h"
#include "layers/post/Layer_Overlay.h"
#include "layers/post/PostTestSupport.h"

using namespace qelFramework;
using qmtest::Picture;

namespace {

// Opaque red in the upper quarter of the file, clear elsewhere.
qmtest::Rgba topBand(float, float y) { return y < 0.25f ? qmtest::Rgba{1, 0, 0, 1} : qmtest::Rgba{1, 0, 0, 0}; }

class Framing : public qmtest::PostLayers {
protected:
    static void drawGreen() { drawRect(0, 0, 1, 1, 0, 1, 0); }
};

} // namespace

TEST_F(Framing, TheBorderBlendsWithoutWritingDepthAndKeepsTheDepthTest) {
    provide("data//textures//border.png", 64, 64, topBand);
    Layer_Border border;
    ASSERT_TRUE(border.init(&textures, &sync));
    for (bool depthTest : {true, false}) {
        Picture out = frame([] {}, drawGreen, [&] {
            glClearDepth(1.0);
            glClear(GL_DEPTH_BUFFER_BIT);
            depthTest ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
            glDepthFunc(GL_ALWAYS);
            border.render();
            EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), depthTest ? GL_TRUE : GL_FALSE);
            EXPECT_EQ(qmtest::integer(GL_DEPTH_WRITEMASK), GL_TRUE);
            float depth = 0;
            glReadPixels(640, 360, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
            EXPECT_EQ(depth, 1.0f);
            glDepthFunc(GL_LESS);
            glDisable(GL_DEPTH_TEST);
        });
        out.save("border");
        // Drawn unflipped: the file's first rows land at the bottom.
        EXPECT_TRUE(out.is(640, 10, 255, 0, 0, 1) && out.is(640, 160, 255, 0, 0, 1));
        EXPECT_TRUE(out.is(640, 200, 0, 255, 0, 1) && out.is(640, 710, 0, 255, 0, 1));
    }
}

TEST_F(Framing, TheOverlayFadesTheLogoInOverTheFrame) {
    provide("data\\textures\\vorlix-overlay.png", 64, 64, topBand);
    Layer_Overlay overlay;
    ASSERT_TRUE(overlay.init(&textures, &sync));
    ASSERT_EQ(sync.count(), 1u);
    EXPECT_EQ(sync.at(0)->name(), "Overlay: Fader");
    auto draw = [&] { overlay.render(); };

    Picture out = frame([] {}, drawGreen, draw);
    EXPECT_EQ(out.count(0, 255, 0, 0), 1280 * 720);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    glDisable(GL_DEPTH_TEST);

    set("Overlay: Fader", 0.5f);
    out = frame([] {}, drawGreen, draw);
    EXPECT_TRUE(out.is(640, 700, 128, 128, 0, 2) && out.is(640, 300, 0, 255, 0, 1));
    set("Overlay: Fader", 1.0f);
    out = frame([] {}, drawGreen, draw);
    out.save("overlay");
    // Upright: the file's first rows at the top.
    EXPECT_TRUE(out.is(640, 710, 255, 0, 0, 1) && out.is(640, 10, 0, 255, 0, 1));
    glDisable(GL_DEPTH_TEST);
}
