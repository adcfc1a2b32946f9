#pragma once
// The ground of the tests that render: the trace captured at up to INFO, a hidden GL
// context, when given a size a render target to draw into and read back, and for the
// layers a texture cache, sync controllers and made-up content.
#include "base/Trace.h"
#include "gl/GLTestHelpers.h"
#include "gl/GL_FBOTexture.h"
#include "gl/GL_TextureManager.h"
#include "support/FakeContent.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"

#include <gtest/gtest.h>

#include <functional>

namespace qmtest {

class GLTest : public ::testing::Test {
protected:
    explicit GLTest(int targetWidth = 0, int targetHeight = 0, int contextWidth = 256, int contextHeight = 256)
        : gl(contextWidth, contextHeight), targetWidth(targetWidth), targetHeight(targetHeight) {}

    void SetUp() override {
        qelFramework::Trace::setHighestLevel(qelFramework::Trace::Info);
        ASSERT_TRUE(gl.ok());
        if (targetWidth > 0) {
            ASSERT_TRUE(target.create(targetWidth, targetHeight, 0)) << targetWidth << " x " << targetHeight;
        }
    }
    void TearDown() override {
        if (targetWidth > 0)
            target.release();
        qelFramework::Trace::reset();
    }

    // Both matrices the identity, the modelview current.
    static void identityMatrices() {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    // Runs draw inside the target (cleared to the clear colour) and reads it back.
    Picture capture(const std::function<void()>& draw) {
        target.beginCapture();
        draw();
        Picture p = readFramebuffer(targetWidth, targetHeight);
        target.endCapture();
        return p;
    }

    // Sets a controller's value as a frame's evaluation would.
    void set(const char* controller, float value) { sync.getController(controller)->value = value; }

    TraceCapture trace;
    GLContext gl;
    qelFramework::GL_FBOTexture target;
    qelFramework::GL_TextureManager textures;
    qelFramework::SyncData sync;
    FakeContent content;

private:
    int targetWidth, targetHeight;
};

} // namespace qmtest
