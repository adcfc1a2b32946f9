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
    using Layer_PP::sceneTarget;
};

class PostProcessorLayer : public qmtest::PostLayers {
protected:
    void SetUp() override {
        PostLayers::SetUp();
        provide("data/textures/distortion.png", [](float x, float y) {
            return std::array<float, 4>{0.5f + 0.3f * std::sin(x * 6.28f), 0.5f + 0.3f * std::cos(y * 6.28f), 0.5f, 1};
        });
        ASSERT_TRUE(layer->init(&textures, &sync));
    }
    void TearDown() override {
        layer.reset();
        PostLayers::TearDown();
    }
    Picture play(const std::function<void()>& scene = drawRamp) {
        return frame([&] { layer->render(); }, scene, [&] { layer->render(); });
    }

    std::unique_ptr<PostProcessor> layer = std::make_unique<PostProcessor>();
};

} // namespace

TEST_F(PostProcessorLayer, WithEveryControllerAtZeroTheFramePassesUnchanged) {
    // No warning but the names the empty sync data does not hold.
    for (const std::string& record : trace.records())
        EXPECT_TRUE(record.rfind("WARNING", 0) != 0 || record.rfind("WARNING (syncData)", 0) == 0) << record;
    EXPECT_EQ(sync.count(), 18u);

    Picture out = play();
    out.save("pp-neutral");
    EXPECT_LE(qmtest::largestDifference(out, qmtest::readTexture(layer->sceneTarget->textureName)), 1);
    EXPECT_TRUE(out.is(2, 2, 13, 26, 51, 3)); // the ramp itself
    EXPECT_TRUE(out.is(1277, 717, 242, 230, 204, 3));
    EXPECT_EQ(FboStack::size(), 0u); // both calls nest inside the outer target
}

TEST_F(PostProcessorLayer, FadesAndGradingDoWhatTheirNamesSay) {
    Picture ramp = play();
    set("Postprocessor: fade to black", 1);
    EXPECT_EQ(play().count(0, 0, 0, 0), 1280 * 720);
    set("Postprocessor: fade to white", 1);
    EXPECT_EQ(play().count(255, 255, 255, 0), 1280 * 720);
    set("Postprocessor: fade to white", 0);
    set("Postprocessor: fade to black", 0);

    // Desaturation wins over any saturation.
    set("Postprocessor: saturation", 0.7f);
    set("Postprocessor: desaturation", 1);
    Picture grey = play();
    grey.save("pp-desaturated");
    for (int i = 0; i < 1280 * 720; i += 7) {
        ASSERT_NEAR(grey.rgb[i * 3], grey.rgb[i * 3 + 1], 1) << "pixel " << i;
        ASSERT_NEAR(grey.rgb[i * 3 + 1], grey.rgb[i * 3 + 2], 1) << "pixel " << i;
    }
    EXPECT_GT(std::abs(grey.at(5, 5)[0] - grey.at(1275, 715)[0]), 100); // still a picture
    set("Postprocessor: desaturation", 0);
    set("Postprocessor: saturation", 0);

    set("Postprocessor: green color modulation", 1);
    const unsigned char* c = ramp.at(640, 360);
    EXPECT_TRUE(play().is(640, 360, c[0], 0, c[2], 1));
    set("Postprocessor: green color modulation", 0);

    // One control at a time on a flat colour.
    struct Grade {
        const char* controller;
        float value, in[3];
        int out[3];
    } grades[] = {
        {"Postprocessor: brightness", 0.1f, {0.2f, 0.4f, 0.2f}, {102, 204, 102}},    // times 2
        {"Postprocessor: darkness", 0.1f, {0.6f, 0.8f, 0.8f}, {51, 153, 153}},       // twice as far from white
        {"Postprocessor: contrast", 0.2f, {0.4f, 0.6f, 0.8f}, {51, 204, 255}},       // three times as far from grey
        {"Postprocessor: saturation", 0.1f, {0.6f, 0.4f, 0.4f}, {233, 80, 80}},      // three times as far from its grey
        {"Postprocessor: invert colors", 1, {0.2f, 0.4f, 0.6f}, {204, 153, 102}},
        {"Postprocessor: red color modulation", 1, {0.2f, 0.4f, 0.6f}, {0, 102, 153}},
        {"Postprocessor: lowpixel post", 1, {0.2f, 0.4f, 0.2f}, {102, 204, 102}},    // plus its 64 x 64 copy
    };
    for (const Grade& g : grades) {
        set(g.controller, g.value);
        Picture out = play([&] { drawRect(0, 0, 1, 1, g.in[0], g.in[1], g.in[2]); });
        EXPECT_TRUE(out.is(640, 360, g.out[0], g.out[1], g.out[2], 2))
            << g.controller << ": " << int(out.at(640, 360)[0]) << " " << int(out.at(640, 360)[1]) << " "
            << int(out.at(640, 360)[2]);
        set(g.controller, 0);
    }
    // After the post fadeout only the ungraded frame is added back.
    set("Postprocessor: post fadeout", 1);
    set("Postprocessor: brightness", 1);
    set("Postprocessor: base fadein", 1);
    EXPECT_LE(qmtest::largestDifference(play(), ramp), 1);
}

TEST_F(PostProcessorLayer, OnlyAPositiveBlurFactorUsesTheBlurTargetsAndTheLayerReleasesThem) {
    glClearColor(1, 0, 1, 1);
    for (GL_FBOTexture* target : {layer->blurSource, layer->blurResult}) {
        target->beginCapture();
        target->endCapture();
    }
    auto flat = [] { drawRect(0, 0, 1, 1, 0.2f, 0.6f, 0.4f); };
    for (float blur : {0.0f, 1e-6f}) {
        set("Postprocessor: blur factor", blur);
        EXPECT_EQ(play(flat).count(51, 153, 102, 1), 1280 * 720);
        const int r = blur > 0 ? 51 : 255, g = blur > 0 ? 153 : 0, b = blur > 0 ? 102 : 255; // else untouched
        for (GL_FBOTexture* target : {layer->blurSource, layer->blurResult})
            EXPECT_EQ(qmtest::readTexture(target->textureName).count(r, g, b, 1), 512 * 512) << blur;
    }

    std::vector<GLuint> names;
    for (GL_FBOTexture* t : {layer->sceneTarget, layer->lowResTarget, layer->blurSource, layer->blurResult})
        names.insert(names.end(), {t->textureName, t->framebufferName});
    layer.reset();
    for (size_t i = 0; i < names.size(); i += 2) {
        EXPECT_FALSE(glIsTexture(names[i])) << "target " << i / 2;
        EXPECT_FALSE(glIsFramebuffer(names[i + 1])) << "target " << i / 2;
    }
}
