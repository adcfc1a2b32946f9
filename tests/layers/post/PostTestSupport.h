#pragma once
// A small production around the framing layers: a GL context, a texture cache holding
// made-up pictures under the layers' file names, the sync controllers, and a 1280 x 720
// target standing in for the window, read back after each frame.
#include "app/Trace.h"
#include "gl/BlurPass.h"
#include "gl/FullscreenQuad.h"
#include "gl/GLTestHelpers.h"
#include "gl/GL_FBOTexture.h"
#include "gl/GL_TextureManager.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace qmtest {

struct Rgba {
    float r, g, b, a;
};

class PostLayers : public ::testing::Test {
protected:
    void SetUp() override {
        qelFramework::Trace::setHighestLevel(qelFramework::Trace::INFO);
        ASSERT_TRUE(gl.ok());
        ASSERT_TRUE(qelFramework::initBlurPass());
        ASSERT_TRUE(screen.create(1280, 720, 0));
    }
    void TearDown() override {
        screen.release();
        qelFramework::releaseBlurPass();
        qelFramework::Trace::reset();
    }

    // Stores a picture made by `shade` (x, y from the top left, 0..1) under `path`.
    void provide(const char* path, int w, int h, const std::function<Rgba(float, float)>& shade) {
        std::vector<unsigned char> rgba;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                Rgba c = shade((x + 0.5f) / w, (y + 0.5f) / h);
                for (float v : {c.r, c.g, c.b, c.a})
                    rgba.push_back(static_cast<unsigned char>(v * 255.0f + 0.5f));
            }
        pictures.push_back(std::make_unique<qelFramework::GL_MemTexture>());
        pictures.back()->upload(rgba.data(), w, h, GL_RGBA);
        textures.addTexture(path, pictures.back().get());
    }

    void set(const char* controller, float value) { sync.getController(controller)->value = value; }

    // Fills the bound target with a colour ramp: red across, green up, blue from the
    // lower left to the upper right.
    static void drawRamp() {
        untextured();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glBegin(GL_QUADS);
        glColor3f(0.05f, 0.1f, 0.2f);
        glVertex2f(-1, -1);
        glColor3f(0.95f, 0.1f, 0.5f);
        glVertex2f(1, -1);
        glColor3f(0.95f, 0.9f, 0.8f);
        glVertex2f(1, 1);
        glColor3f(0.05f, 0.9f, 0.5f);
        glVertex2f(-1, 1);
        glEnd();
    }
    // Fills the rectangle (x0, y0)-(x1, y1) of the bound target (0..1, y up) with a colour.
    static void drawRect(float x0, float y0, float x1, float y1, float r, float g, float b) {
        untextured();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0, 1, 0, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor3f(r, g, b);
        glRectf(x0, y0, x1, y1);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glColor3f(1, 1, 1);
    }
    static void untextured() {
        glUseProgram(0);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
    }

    // Runs one frame: `first` and `second` are the layer's two calls with `scene` drawn
    // between them, all inside the stand-in window, which is then read back.
    Picture frame(const std::function<void()>& first, const std::function<void()>& scene,
                  const std::function<void()>& second) {
        glClearColor(0, 0, 0, 0);
        screen.beginCapture();
        first();
        scene();
        second();
        screen.endCapture();
        return readTexture(screen.textureName);
    }

    GLContext gl{64, 64};
    TraceCapture trace;
    qelFramework::GL_TextureManager textures;
    qelFramework::SyncData sync;
    qelFramework::GL_FBOTexture screen;
    std::vector<std::unique_ptr<qelFramework::GL_MemTexture>> pictures;
};

// Largest difference of any channel between two pictures of the same size.
inline int largestDifference(const Picture& a, const Picture& b) {
    int worst = 0;
    for (size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); ++i)
        worst = std::max(worst, std::abs(a.rgb[i] - b.rgb[i]));
    return a.rgb.size() == b.rgb.size() ? worst : 256;
}

} // namespace qmtest
