#include "gl/Billboards.h"
#include "gl/DrawPacing.h"
#include "gl/FullscreenQuad.h"
#include "gl/GL_Camera.h"
#include "gl/GL_MemTexture.h"
#include "gl/Random.h"
#include "gl/RandomVector.h"
#include "support/GLTest.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qelFramework;

namespace {

// A 2 x 2 image, rows top to bottom as files give them: red green / blue white.
const unsigned char kQuadrants[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};

class Primitives : public qmtest::GLTest {
protected:
    Primitives() : GLTest(kSize, kSize) {}
    void SetUp() override {
        GLTest::SetUp();
        image.upload(kQuadrants, 2, 2, GL_RGB);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        camera.set(60, 1, 0.1f, 100, 6, 4, 7, 0, 0, 0, 0.3f, 1, 0);
    }
    void TearDown() override {
        image.release();
        GLTest::TearDown();
    }

    // Draws the image with `draw` into the target over black and reads it back; `lit` is
    // the bounding box of what was drawn.
    qmtest::Picture render(const std::function<void()>& draw, const std::string& name) {
        glClearColor(0, 0, 0, 1);
        qmtest::Picture p = capture([&] {
            image.bind(GL_TEXTURE0);
            draw();
            image.unbind();
        });
        p.save(name);
        x0 = y0 = kSize;
        x1 = y1 = -1;
        lit = 0;
        for (int i = 0; i < kSize * kSize; ++i)
            if (!p.nearColour(i % kSize, i / kSize, 0, 0, 0, 0)) {
                x0 = std::min(x0, i % kSize), x1 = std::max(x1, i % kSize);
                y0 = std::min(y0, i / kSize), y1 = std::max(y1, i / kSize);
                ++lit;
            }
        return p;
    }
    double filled() const { return lit / double((x1 - x0 + 1) * (y1 - y0 + 1)); }

    // Red top left, green top right, blue bottom left, white bottom right of the lit box.
    ::testing::AssertionResult upright(const qmtest::Picture& p) const {
        int l = x0 + (x1 - x0) / 4, r = x1 - (x1 - x0) / 4, t = y1 - (y1 - y0) / 4, b = y0 + (y1 - y0) / 4;
        for (auto result : {p.is(l, t, 255, 0, 0), p.is(r, t, 0, 255, 0), p.is(l, b, 0, 0, 255), p.is(r, b, 255, 255, 255)})
            if (!result)
                return result;
        return ::testing::AssertionSuccess() << "the four corners are red, green, blue and white";
    }

    static constexpr int kSize = 128;
    GL_MemTexture image;
    GL_Camera camera;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0, lit = 0;
};

} // namespace

TEST(Random, TheClassicCLibrarySequenceAndTheVectorsDrawnFromIt) {
    qelFramework::srand(1);
    for (int v : {41, 18467, 6334, 26500, 19169, 15724})
        EXPECT_EQ(qelFramework::rand(), v);
    qelFramework::srand(1);
    Vector3 v = randomVector(2, 3, 4);
    EXPECT_FLOAT_EQ(v.x, -0.959f * 2);
    EXPECT_FLOAT_EQ(v.y, -0.533f * 3);
    EXPECT_FLOAT_EQ(v.z, -0.666f * 4);
    Vector3 d{3, 0, 4};
    jitterDirection(d, 1, 1, 1); // adds (-0.5, 0.169, 0.724), then back to length 5
    EXPECT_NEAR(vectorLength(d), 5.0f, 1e-5f);
    EXPECT_NEAR(d.x / d.z, 2.5f / 4.724f, 1e-5f);
    EXPECT_NEAR(d.y / d.z, 0.169f / 4.724f, 1e-5f);
}

TEST(Camera, SetNormalisesUpAndInterpolateBlendsWithAClampedWeight) {
    GL_Camera a, b, c;
    a.set(30, 2, 1, 50, 1, 2, 3, 4, 5, 6, 0, 2, 0); // eye (1, 2, 3), centre (4, 5, 6)
    b.set(90, 1, 2, 100, -1, -2, -3, 0, 0, 0, 3, 0, 0);
    using F = std::vector<float>;
    EXPECT_EQ(F({a.eyeX, a.centerX, a.upY}), F({1, 4, 1}));
    c.interpolate(a, b, 1.5f);
    EXPECT_EQ(F({c.fovY, c.eyeZ, c.upY}), F({30, 3, 1}));
    c.interpolate(a, b, -0.2f);
    EXPECT_EQ(F({c.fovY, c.eyeZ, c.upX}), F({90, -3, 1}));
    c.interpolate(a, b, 0.25f); // up blends to (0.75, 0.25, 0), then unit length
    EXPECT_EQ(F({c.fovY, c.zFar, c.eyeY, c.upX / c.upY}), F({75, 87.5f, -1, 3}));
}

TEST_F(Primitives, TheFullscreenQuadFillsTheViewportFlippedForFilesUnflippedForTargets) {
    qmtest::Picture file = render([] {
        glViewport(0, 0, 100, 60);
        drawFullscreenQuad(true);
    }, "quad-file");
    EXPECT_EQ(std::vector<int>({x0, y0, x1, y1, lit}), std::vector<int>({0, 0, 99, 59, 6000}));
    EXPECT_TRUE(upright(file));

    // A target holding the picture upright shows it upright without flip, upside down with.
    GL_FBOTexture picture;
    ASSERT_TRUE(picture.create(16, 16, 0));
    picture.beginCapture();
    image.bind(GL_TEXTURE0);
    drawFullscreenQuad(true);
    picture.endCapture();
    glMatrixMode(GL_PROJECTION);
    glTranslatef(0.5f, 0, 0);
    for (bool flip : {false, true}) {
        target.beginCapture();
        picture.bind(GL_TEXTURE0);
        drawFullscreenQuad(flip);
        qmtest::Picture p = qmtest::readFramebuffer(kSize, kSize);
        target.endCapture();
        EXPECT_TRUE(p.is(10, flip ? 10 : kSize - 10, 255, 0, 0));
        EXPECT_TRUE(p.is(kSize - 10, flip ? kSize - 10 : 10, 255, 255, 255));
        GLfloat m[16];
        glGetFloatv(GL_PROJECTION_MATRIX, m);
        EXPECT_EQ(m[12], 0.5f); // the caller's matrices come back
        EXPECT_EQ(qmtest::integer(GL_MATRIX_MODE), GL_MODELVIEW);
    }
    picture.release();
}

TEST_F(Primitives, BillboardsFaceTheCameraUpright) {
    struct {
        const char* name;
        std::function<void()> draw;
        double aspect;
    } cases[] = {{"billboard", [] { drawBillboard(0, 0, 0, 3, true); }, 1.0},
                 {"rect", [] { drawBillboardRect(0, 0, 0, 4, 2); }, 2.0},
                 {"tile", [] { drawBillboardTile(0, 0, 0, 3, true, 0, 0, 1); }, 1.0},
                 {"rect-tile", [] { drawBillboardRectTile(0, 0, 0, 1.5f, 3, 0, 0, 1, 1); }, 0.5}};
    for (const auto& k : cases) {
        qmtest::Picture p = render([&] { camera.apply(); k.draw(); }, std::string("billboard-") + k.name);
        // An upright rectangle on the screen fills its bounding box.
        EXPECT_GT(filled(), 0.97) << k.name;
        EXPECT_NEAR((x1 - x0 + 1.0) / (y1 - y0 + 1), k.aspect, 0.05) << k.name;
        EXPECT_NEAR((x0 + x1) / 2.0, kSize / 2.0, 1.5) << k.name;
        EXPECT_TRUE(upright(p)) << k.name;
    }
    // A tile picks one cell of the atlas: here the white lower right one.
    qmtest::Picture cell = render([&] { camera.apply(); drawBillboardTile(0, 0, 0, 3, true, 0.5f, 0.5f, 0.5f); }, "tile");
    EXPECT_EQ(cell.count(255, 255, 255), lit);

    // Without refresh the basis read last is used: after rolling the view by 45 degrees the
    // quad shows as a diamond, while a refreshed one stays square-on.
    auto rolled = [&](bool refresh) {
        camera.apply();
        drawBillboard(0, 0, 0, 3, true);
        glLoadIdentity();
        glRotatef(45, 0, 0, 1);
        gluLookAt(6, 4, 7, 0, 0, 0, camera.upX, camera.upY, camera.upZ);
        glClear(GL_COLOR_BUFFER_BIT);
        drawBillboard(0, 0, 0, 3, refresh);
    };
    render([&] { rolled(false); }, "billboard-stale");
    EXPECT_NEAR(filled(), 0.5, 0.05);
    render([&] { rolled(true); }, "billboard-refreshed");
    EXPECT_GT(filled(), 0.97);
}

TEST_F(Primitives, PacingIsOnForTheSoftwareRendererAndChangesNoPixel) {
    choosePacingForRenderer();
    EXPECT_TRUE(smallDrawPacing()) << "the tests render on Mesa's llvmpipe";
    auto many = [&] {
        camera.apply();
        for (int i = 0; i < 3 * kSmallDrawsBetweenFinishes + 5; ++i)
            drawBillboard(0.02f * static_cast<float>(i) - 2.0f, 0, 0, 0.2f + 0.01f * static_cast<float>(i), true);
    };
    const qmtest::Picture paced = render(many, "paced");
    setSmallDrawPacing(false);
    const qmtest::Picture unpaced = render(many, "unpaced");
    EXPECT_EQ(paced.rgb, unpaced.rgb);
    EXPECT_GT(lit, 0);
}
