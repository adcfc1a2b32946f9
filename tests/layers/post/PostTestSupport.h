#pragma once
// A small production around the framing layers: a GL context, a texture cache holding
// made-up pictures under the layers' file names, the sync controllers, and a 1280 x 720
// target standing in for the window, read back after each frame.
#include "gl/BlurPass.h"
#include "gl/FullscreenQuad.h"
#include "support/GLTest.h"

#include <array>
#include <functional>

namespace qmtest {

class PostLayers : public GLTest {
protected:
    PostLayers() : GLTest(1280, 720, 64, 64) {}
    void SetUp() override {
        GLTest::SetUp();
        ASSERT_TRUE(qelFramework::initBlurPass());
    }
    void TearDown() override {
        qelFramework::releaseBlurPass();
        GLTest::TearDown();
    }

    // A 64 x 64 picture made by `shade(x, y)` (0..1 from the top left) under `path` in the cache.
    void provide(const char* path, const std::function<std::array<float, 4>(float, float)>& shade) {
        content.texture(textures, path, shade, 64);
    }

    // Fills (x0, y0)-(x1, y1) of the bound target (0..1, y up) with a colour, or with a
    // ramp of all three channels when r is negative.
    static void drawRect(float x0, float y0, float x1, float y1, float r, float g, float b) {
        glUseProgram(0);
        glActiveTexture(GL_TEXTURE0);
        glDisable(GL_TEXTURE_2D);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0, 1, 0, 1);
        glBegin(GL_QUADS);
        for (auto [x, y] : {std::pair{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}) {
            r < 0 ? glColor3f(0.05f + 0.9f * x, 0.1f + 0.8f * y, 0.2f + 0.3f * (x + y)) : glColor3f(r, g, b);
            glVertex2f(x, y);
        }
        glEnd();
        glLoadIdentity();
        glColor3f(1, 1, 1);
    }
    static void drawRamp() { drawRect(0, 0, 1, 1, -1, 0, 0); }

    // One frame in the stand-in window: the layer's first call, the scene, the second call.
    using Step = std::function<void()>;
    Picture frame(const Step& first, const Step& scene, const Step& second) {
        glClearColor(0, 0, 0, 0);
        screen.beginCapture();
        for (const Step* step : {&first, &scene, &second})
            (*step)();
        screen.endCapture();
        return readTexture(screen.textureName);
    }

    qelFramework::GL_FBOTexture& screen = target; // stands in for the window
};

// Largest difference of any channel between two pictures of the same size.
inline int largestDifference(const Picture& a, const Picture& b) {
    int worst = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i)
        worst = std::max(worst, std::abs(a.rgb[i] - b.rgb.at(i)));
    return worst;
}

} // namespace qmtest
