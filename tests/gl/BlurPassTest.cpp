#include "gl/BlurPass.h"
#include "gl/FboStack.h"
#include "gl/FullscreenQuad.h"
#include "gl/GL_Shader.h"
#include "support/GLTest.h"

using namespace qelFramework;

namespace {

class Blur : public qmtest::GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        ASSERT_TRUE(initBlurPass());
    }
    void TearDown() override {
        releaseBlurPass();
        GLTest::TearDown();
    }

    // The given grey, optionally white on the right half.
    static void paint(GL_FBOTexture& target, float r, float g, float b, bool whiteRight = false) {
        glClearColor(r, g, b, 1);
        target.beginCapture();
        glDisable(GL_TEXTURE_2D);
        glViewport(target.width / 2, 0, whiteRight ? target.width / 2 : 0, target.height);
        glColor3f(1, 1, 1);
        drawFullscreenQuad(false);
        target.endCapture();
    }
};

} // namespace

TEST_F(Blur, AUniformImageStaysUniformAndFillsDestinationsOfAnySize) {
    std::vector<std::string> records = trace.records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1], "INFO (fboCreator): FBO successfully created (512 * 512)");
    EXPECT_EQ(records[2].rfind("INFO (shaderCompiler): (gltkBlurShader) - shader created! (Log: ", 0), 0u);

    GL_FBOTexture source;
    ASSERT_TRUE(source.create(300, 200, 0));
    paint(source, 0.2f, 0.6f, 0.4f);
    for (int size : {0, 1}) {
        GL_FBOTexture destination;
        int w = size ? 700 : 37, h = size ? 600 : 23;
        ASSERT_TRUE(destination.create(w, h, size));
        for (float intensity : {0.0f, 0.5f, 1.0f}) {
            paint(destination, 1, 0, 1);
            blurInto(source, intensity, destination);
            EXPECT_EQ(qmtest::readTexture(destination.textureName).count(51, 153, 102, 1), w * h) << w << " " << intensity;
        }
        destination.release();
    }
    source.release();
}

TEST_F(Blur, IntensityTimesTwentyPlusOnePassesEachAFullScreenDraw) {
    GL_FBOTexture source, destination;
    ASSERT_TRUE(source.create(64, 64, 0));
    ASSERT_TRUE(destination.create(100, 50, 0));
    auto primitives = [&](float intensity) {
        GLuint query = 0;
        glGenQueries(1, &query);
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        blurInto(source, intensity, destination);
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLuint n = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &n);
        glDeleteQueries(1, &query);
        return static_cast<int>(n);
    };
    // Intensity 0 draws three quads: the copy in, one pass, the copy out.
    const int quad = primitives(0.0f) / 3;
    ASSERT_GT(quad, 0);
    const std::pair<float, int> passes[] = {{0.0f, 1}, {0.04f, 1}, {0.05f, 2}, {0.5f, 11}, {1.0f, 21}};
    for (auto [intensity, n] : passes)
        EXPECT_EQ(primitives(intensity), (n + 2) * quad) << intensity;
    source.release();
    destination.release();
}

TEST_F(Blur, TheSpreadGrowsWithTheIntensity) {
    GL_FBOTexture source, destination;
    ASSERT_TRUE(source.create(512, 512, 0));
    ASSERT_TRUE(destination.create(512, 512, 0));
    paint(source, 0, 0, 0, true);
    std::vector<int> ramps; // grey pixels across the edge, along the middle row
    for (float intensity : {0.0f, 0.04f, 0.5f, 1.0f}) {
        blurInto(source, intensity, destination);
        qmtest::Picture p = qmtest::readTexture(destination.textureName);
        p.save("blur-" + std::to_string(intensity));
        EXPECT_TRUE(p.is(5, 256, 0, 0, 0, 8));
        EXPECT_TRUE(p.is(506, 256, 255, 255, 255, 8));
        ramps.push_back(0);
        for (int x = 0; x < 512; ++x)
            ramps.back() += p.at(x, 256)[0] > 8 && p.at(x, 256)[0] < 247;
    }
    EXPECT_EQ(ramps[0], 0);
    EXPECT_GT(ramps[1], 0); // one short pass: the result is the second target's, already soft
    EXPECT_GT(ramps[2], 20);
    EXPECT_GT(ramps[3], 2 * ramps[2]);
    source.release();
    destination.release();
}

TEST_F(Blur, AfterwardsNoProgramIsCurrentAndTheOuterCaptureContinues) {
    GL_FBOTexture source, destination, outer;
    ASSERT_TRUE(source.create(64, 64, 0));
    ASSERT_TRUE(destination.create(128, 72, 1));
    ASSERT_TRUE(outer.create(96, 96, 2));
    paint(source, 0, 0, 1);
    GL_Shader white;
    white.build("white", nullptr, "void main() { gl_FragColor = vec4(1.0); }");
    glClearColor(0, 1, 0, 1);
    outer.beginCapture();
    glViewport(5, 6, 50, 40);
    glUseProgram(white.programName);
    blurInto(source, 0.5f, destination);
    EXPECT_EQ(qmtest::integer(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(qmtest::integer(GL_FRAMEBUFFER_BINDING), static_cast<GLint>(outer.framebufferName));
    EXPECT_EQ(qmtest::viewport(), (std::vector<GLint>{5, 6, 50, 40}));
    EXPECT_EQ(FboStack::size(), 1u);
    outer.endCapture();
    // The first copy ran through the program that was current: white, then blurred.
    EXPECT_EQ(qmtest::readTexture(destination.textureName).count(255, 255, 255, 1), 128 * 72);
    EXPECT_EQ(qmtest::readTexture(outer.textureName).count(0, 255, 0), 96 * 96);

    releaseBlurPass();
    blurInto(source, 0.5f, destination); // released: nothing happens
    source.release();
    destination.release();
    outer.release();
}
