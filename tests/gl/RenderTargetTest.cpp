#include "gl/FboStack.h"
#include "gl/FullscreenQuad.h"
#include "support/GLTest.h"

using namespace qelFramework;
using qmtest::integer;
using qmtest::viewport;
using Records = std::vector<std::string>;
using Rect = std::vector<GLint>;

namespace {

class RenderTargets : public qmtest::GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        glViewport(3, 4, 100, 90);
    }

    // Clears the target to a colour, optionally drawing another over its lower half.
    static void paint(GL_FBOTexture& target, float r, float g, float b, const float* lower = nullptr) {
        glClearColor(r, g, b, 1.0f);
        target.beginCapture();
        if (lower) {
            glViewport(0, 0, target.width, target.height / 2);
            glColor3fv(lower);
            drawFullscreenQuad(false);
        }
        target.endCapture();
    }
};

} // namespace

TEST_F(RenderTargets, PlainAndMultisampledTargetsAreCompleteAndReleaseEverything) {
    for (int samples : {0, 1, 2}) {
        trace.clear();
        GL_FBOTexture target;
        ASSERT_TRUE(target.create(40, 24, samples));
        EXPECT_EQ(trace.records(), Records{"INFO (fboCreator): FBO successfully created (40 * 24)"});
        EXPECT_EQ(target.isMultisampled(), samples > 1);
        EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), 0);
        paint(target, 0, 1, 0);
        EXPECT_EQ(qmtest::readTexture(target.textureName).count(0, 255, 0), 40 * 24) << samples;

        GLuint names[] = {target.textureName, target.framebufferName, target.depthStencilRenderbuffer,
                          target.colorRenderbuffer, target.resolveFramebuffer};
        target.release();
        EXPECT_EQ((std::vector<int>{glIsTexture(names[0]), glIsFramebuffer(names[1]), glIsRenderbuffer(names[2]),
                                    glIsRenderbuffer(names[3]), glIsFramebuffer(names[4])}),
                  std::vector<int>(5, GL_FALSE)) << "still alive: texture, framebuffer, renderbuffers, resolve";
    }
    FboStack::pop();
    EXPECT_EQ(trace.records().back(), "CRITICAL (fboStack): destroyed!");
}

TEST_F(RenderTargets, NestedCapturesRestoreTheOuterTargetAndAMultisampledOneResolvesAtTheEnd) {
    GL_FBOTexture outer, inner;
    ASSERT_TRUE(outer.create(64, 48, 0));
    ASSERT_TRUE(inner.create(16, 16, 2));
    glClearColor(0, 0, 1, 1);
    outer.beginCapture();
    glClearColor(1, 0, 0, 1);
    inner.beginCapture();
    EXPECT_EQ(viewport(), (Rect{0, 0, 16, 16}));
    EXPECT_EQ(FboStack::size(), 2u);
    // Multisampled: the texture shows the drawing only once the capture ends.
    EXPECT_EQ(qmtest::readTexture(inner.textureName).count(255, 0, 0), 0);
    inner.endCapture();
    EXPECT_EQ(qmtest::readTexture(inner.textureName).count(255, 0, 0), 16 * 16);
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), static_cast<GLint>(outer.framebufferName));
    EXPECT_EQ(viewport(), (Rect{0, 0, 64, 48}));

    // Drawing continues in the outer target: the inner picture over its lower left quarter.
    inner.bind(GL_TEXTURE0);
    glViewport(0, 0, 32, 24);
    glColor3f(1, 1, 1);
    drawFullscreenQuad(false);
    inner.unbind();
    outer.endCapture();
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(viewport(), (Rect{3, 4, 100, 90}));
    EXPECT_EQ(FboStack::size(), 0u);
    qmtest::Picture p = qmtest::readTexture(outer.textureName);
    p.save("nested-captures");
    EXPECT_TRUE(p.is(0, 0, 255, 0, 0));
    EXPECT_TRUE(p.is(31, 23, 255, 0, 0));
    EXPECT_TRUE(p.is(32, 23, 0, 0, 255));
    EXPECT_EQ(p.count(255, 0, 0), 32 * 24);
    outer.release();
    inner.release();
}

TEST_F(RenderTargets, CopyTextureScalesTheSourceUprightAndOntoItselfDoesNothing) {
    GL_FBOTexture source, target, outer;
    ASSERT_TRUE(source.create(8, 8, 0));
    ASSERT_TRUE(target.create(50, 30, 1));
    ASSERT_TRUE(outer.create(4, 4, 0));
    const float red[3] = {1, 0, 0};
    paint(source, 0, 0, 1, red);
    copyTexture(target, source);
    qmtest::Picture p = qmtest::readTexture(target.textureName);
    p.save("copy-texture");
    EXPECT_TRUE(p.is(0, 0, 255, 0, 0));
    EXPECT_TRUE(p.is(49, 10, 255, 0, 0));
    EXPECT_TRUE(p.is(0, 20, 0, 0, 255));
    EXPECT_TRUE(p.is(49, 29, 0, 0, 255));
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(viewport(), (Rect{3, 4, 100, 90}));

    glClearColor(0, 1, 0, 1);
    outer.beginCapture();
    copyTexture(source, source);
    EXPECT_EQ(FboStack::size(), 1u);
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), static_cast<GLint>(outer.framebufferName));
    outer.endCapture();
    EXPECT_EQ(qmtest::readTexture(source.textureName).count(255, 0, 0), 4 * 8);
    source.release();
    target.release();
    outer.release();
}
