#include "layers/post/Layer_PP.h"
#include "layers/post/PostTestSupport.h"

#include "gl/FboStack.h"

#include <cmath>

using namespace qelFramework;
using qmtest::Picture;

namespace {

struct PostProcessor : Layer_PP {
    using Layer_PP::blurResult;
    using Layer_PP::blurSource;
    using Layer_PP::lowResTarget;
    using Layer_PP::phase;
    using Layer_PP::sceneTarget;
};

class PostProcessorLayer : public qmtest::PostLayers {
protected:
    void SetUp() override {
        PostLayers::SetUp();
        // A gentle, repeating distortion field, as the real one.
        provide("data\\textures\\distortion.png", 64, 64, [](float x, float y) {
            return qmtest::Rgba{0.5f + 0.3f * std::sin(x * 6.28f), 0.5f + 0.3f * std::cos(y * 6.28f), 0.5f, 1};
        });
        layer = std::make_unique<PostProcessor>();
        ASSERT_TRUE(layer->init(&textures, &sync));
    }
    void TearDown() override {
        layer.reset();
        PostLayers::TearDown();
    }
    Picture play(const std::function<void()>& scene = drawRamp) {
        return frame([&] { layer->render(); }, scene, [&] { layer->render(); });
    }
    Picture captured() { return qmtest::readTexture(layer->sceneTarget->textureName); }

    std::unique_ptr<PostProcessor> layer;
};

} // namespace

TEST_F(PostProcessorLayer, WithEveryControllerAtZeroTheFramePassesUnchanged) {
    EXPECT_FALSE(trace.contains("WARNING")) << trace.text();
    ASSERT_EQ(sync.count(), 18u);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(sync.at(i)->name(), Layer_PP::kControllerNames[i]);

    Picture out = play();
    out.save("pp-neutral");
    EXPECT_LE(qmtest::largestDifference(out, captured()), 1);
    EXPECT_TRUE(out.is(2, 2, 15, 28, 54, 6) && out.is(1277, 717, 241, 228, 203, 6)); // the ramp itself
    // The two calls nest inside the outer target and leave it bound.
    EXPECT_EQ(layer->phase, 0);
    EXPECT_EQ(FboStack::size(), 0u);
}

TEST_F(PostProcessorLayer, FadesAndGradingDoWhatTheirNamesSay) {
    play();
    Picture ramp = captured();
    set("Postprocessor: fade to black", 1);
    EXPECT_EQ(play().count(0, 0, 0, 0), 1280 * 720);
    set("Postprocessor: fade to white", 1);
    EXPECT_EQ(play().count(255, 255, 255, 0), 1280 * 720);
    set("Postprocessor: fade to white", 0);
    set("Postprocessor: fade to black", 0.5f);
    EXPECT_TRUE(play().is(640, 360, ramp.at(640, 360)[0] / 2, ramp.at(640, 360)[1] / 2, ramp.at(640, 360)[2] / 2, 2));
    set("Postprocessor: fade to black", 0);

    // Desaturation wins over any saturation.
    set("Postprocessor: saturation", 0.7f);
    set("Postprocessor: desaturation", 1);
    Picture grey = play();
    grey.save("pp-desaturated");
    int coloured = 0;
    for (int i = 0; i < 1280 * 720; ++i) {
        const unsigned char* p = &grey.rgb[i * 3];
        coloured += std::abs(p[0] - p[1]) > 1 || std::abs(p[1] - p[2]) > 1;
    }
    EXPECT_EQ(coloured, 0);
    EXPECT_GT(std::abs(grey.at(5, 5)[0] - grey.at(1275, 715)[0]), 100); // still a picture
    set("Postprocessor: saturation", 0);
    set("Postprocessor: desaturation", 0);

    // Each modulation takes its own channel away; inversion mirrors the frame.
    set("Postprocessor: green color modulation", 1);
    Picture noGreen = play();
    EXPECT_TRUE(noGreen.is(640, 360, ramp.at(640, 360)[0], 0, ramp.at(640, 360)[2], 1));
    set("Postprocessor: green color modulation", 0);
    set("Postprocessor: invert colors", 1);
    const unsigned char* c = ramp.at(100, 600);
    EXPECT_TRUE(play().is(100, 600, 255 - c[0], 255 - c[1], 255 - c[2], 1));
    set("Postprocessor: invert colors", 0);

    // After the post fadeout only the ungraded frame and its 64 x 64 copy are added.
    set("Postprocessor: post fadeout", 1);
    set("Postprocessor: brightness", 1);
    set("Postprocessor: base fadein", 1);
    EXPECT_LE(qmtest::largestDifference(play(), ramp), 1);
    set("Postprocessor: base fadein", 0);
    set("Postprocessor: lowpixel post", 1);
    Picture blocky = play([] { drawRect(0.5f, 0, 1, 1, 1, 1, 1); });
    blocky.save("pp-lowpixel");
    EXPECT_TRUE(blocky.is(100, 360, 0, 0, 0, 1) && blocky.is(1180, 360, 255, 255, 255, 1));
    EXPECT_GT(blocky.at(640, 360)[0], 20); // the copy is only 64 pixels across
    EXPECT_LT(blocky.at(640, 360)[0], 235);
}

TEST_F(PostProcessorLayer, OnlyAPositiveBlurFactorRoutesTheFrameThroughTheBlurTargets) {
    glClearColor(1, 0, 1, 1);
    for (GL_FBOTexture* target : {layer->blurSource, layer->blurResult}) {
        target->beginCapture();
        target->endCapture();
    }
    auto flat = [] { drawRect(0, 0, 1, 1, 0.2f, 0.6f, 0.4f); };
    play(flat);
    EXPECT_EQ(qmtest::readTexture(layer->blurSource->textureName).count(255, 0, 255, 0), 512 * 512);
    EXPECT_EQ(qmtest::readTexture(layer->blurResult->textureName).count(255, 0, 255, 0), 512 * 512);

    set("Postprocessor: blur factor", 1e-6f);
    Picture out = play(flat);
    EXPECT_EQ(qmtest::readTexture(layer->blurSource->textureName).count(51, 153, 102, 1), 512 * 512);
    EXPECT_EQ(qmtest::readTexture(layer->blurResult->textureName).count(51, 153, 102, 1), 512 * 512);
    EXPECT_EQ(out.count(51, 153, 102, 1), 1280 * 720);

    // A strong blur spreads a sharp edge.
    set("Postprocessor: blur factor", 0.5f);
    out = play([] { drawRect(0.5f, 0, 1, 1, 1, 1, 1); });
    out.save("pp-blurred");
    EXPECT_TRUE(out.is(100, 360, 0, 0, 0, 2) && out.is(1180, 360, 255, 255, 255, 2));
    EXPECT_GT(out.at(630, 360)[0], 20);
    EXPECT_LT(out.at(650, 360)[0], 235);
}

TEST_F(PostProcessorLayer, TheDestructorReleasesEveryTargetItMade) {
    std::vector<GLuint> textures, framebuffers;
    for (GL_FBOTexture* t : {layer->sceneTarget, layer->lowResTarget, layer->blurSource, layer->blurResult}) {
        textures.push_back(t->textureName);
        framebuffers.push_back(t->framebufferName);
    }
    layer.reset();
    for (size_t i = 0; i < textures.size(); ++i)
        EXPECT_FALSE(glIsTexture(textures[i]) || glIsFramebuffer(framebuffers[i])) << i;
}
