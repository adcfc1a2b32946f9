#include "app/GL_Window.h"
#include "gl/GLHeaders.h"

#include <gtest/gtest.h>

using namespace qelFramework;

TEST(GL_Window, LetterboxForTheSixLauncherSizes) {
    struct Case {
        int w, h, vh, vy;
    } cases[] = {{800, 600, 451, 74},    {1280, 1024, 723, 150}, {1280, 720, 723, -1},
                 {1680, 1050, 949, 50}, {1920, 1080, 1084, -2}, {1920, 1200, 1084, 58}};
    for (const Case& c : cases) {
        GL_Window::Viewport v = GL_Window::letterbox(c.w, c.h, 1.77f);
        EXPECT_EQ(v.x, 0);
        EXPECT_EQ(v.width, c.w);
        EXPECT_EQ(v.height, c.vh) << c.w << "x" << c.h;
        EXPECT_EQ(v.y, c.vy) << c.w << "x" << c.h;
    }
}

TEST(GL_Window, CreateSetsViewportAndProjectionAndSecondCreateReplacesTheFirst) {
    GL_Window w;
    EXPECT_FALSE(w.destroy()); // nothing made yet
    ASSERT_TRUE(w.create(800, 600, 1.77f, 2, false, "vlx-quillmont"));
    ASSERT_NE(w.handle(), nullptr);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[0], 0);
    EXPECT_EQ(vp[1], 74);
    EXPECT_EQ(vp[2], 800);
    EXPECT_EQ(vp[3], 451);
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    // gluPerspective(45, 1.77, 0.1, 100): f = 1 / tan(22.5 deg)
    EXPECT_NEAR(p[5], 2.4142135f, 1e-4f);
    EXPECT_NEAR(p[0], 2.4142135f / 1.77f, 1e-4f);
    EXPECT_NEAR(p[11], -1.0f, 1e-6f);

    ASSERT_TRUE(w.create(1280, 720, 1.77f, 0, false, "second"));
    EXPECT_EQ(w.getTitle(), "second");
    EXPECT_EQ(w.viewport().y, -1);
    EXPECT_TRUE(w.destroy());
    EXPECT_FALSE(w.isCreated());
    EXPECT_EQ(w.getTitle(), "");
    EXPECT_FALSE(w.destroy());
}

TEST(GL_Window, FullscreenWithoutThatDisplayModeFallsBackToAWindowOfTheSameSize) {
    GL_Window w;
    // The virtual display offers no 1680x1050 mode: the window becomes a pop-up at (0, 0).
    ASSERT_TRUE(w.create(1680, 1050, 1.77f, 2, true, "vlx-quillmont"));
    EXPECT_FALSE(w.isFullscreen());
    EXPECT_EQ(w.getWidth(), 1680);
    EXPECT_EQ(w.viewport().height, 949);
    w.destroy();
}
