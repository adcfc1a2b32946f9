#include "gl/FullscreenQuad.h"
#include "gl/GL_FBOTexture.h"
#include "gl/GL_TextureManager.h"
#include "support/GLTest.h"

#include <cstdio>

using namespace qelFramework;
using Records = std::vector<std::string>;

namespace {

class Textures : public qmtest::GLTest {
protected:

    std::string writeRgbPng(const std::string& name, int width, int height, std::vector<unsigned char> rgb = {}) {
        rgb.resize(static_cast<size_t>(width * height * 3), 77);
        qmtest::writePng(dir.file(name), width, height, PNG_COLOR_TYPE_RGB, 8, rgb);
        return dir.file(name);
    }

    qmtest::TempFolder dir;
};

} // namespace

TEST_F(Textures, OnePathIsDecodedOnceHoweverItsSlashesAreSpelt) {
    std::string path = writeRgbPng("a.png", 8, 4);
    GL_TextureManager cache;
    GL_Texture* first = cache.getTexture(path.c_str());
    EXPECT_NE(first->textureName, 0u);
    EXPECT_EQ(std::make_pair(first->width, first->height), std::make_pair(8, 4));
    EXPECT_EQ(trace.records(), Records{"INFO (wicImageLoader): " + path + " successfully loaded"});

    std::remove(path.c_str()); // served from the cache, not loaded again
    EXPECT_EQ(cache.getTexture(path.c_str()), first);
    EXPECT_EQ(trace.records().size(), 1u);

    // Backslashes and doubled slashes name the same file, and the same texture.
    EXPECT_EQ(cache.getTexture((dir.path() + "//a.png").c_str()), first);
    EXPECT_EQ(cache.getTexture((dir.path() + "\\a.png").c_str()), first);
    writeRgbPng("b.png", 8, 4);
    GL_Texture* second = cache.getTexture((dir.path() + "\\b.png").c_str());
    EXPECT_NE(second, first);
    EXPECT_EQ(trace.records().back(), "INFO (wicImageLoader): " + dir.file("b.png") + " successfully loaded");
    EXPECT_EQ(trace.records().size(), 2u);

    // Published render targets: the first one stored under a name stays.
    GL_FBOTexture published, other;
    EXPECT_FALSE(cache.addTexture("fireworks", &published));
    EXPECT_TRUE(cache.addTexture("fireworks", &other));
    EXPECT_TRUE(cache.addTexture(path.c_str(), &other));
    EXPECT_EQ(cache.getTexture("fireworks"), &published);
    EXPECT_EQ(cache.getTexture(path.c_str()), first);
    EXPECT_EQ(trace.records().size(), 2u);
}

TEST_F(Textures, AnUnloadableFileGivesACachedTextureWithoutImageThatBindsNothing) {
    ASSERT_TRUE(qmtest::writePng(dir.file("palette.png"), 4, 4, PNG_COLOR_TYPE_PALETTE, 8, std::vector<unsigned char>(16)));
    GL_TextureManager cache;
    // The record carries the decoder's reason (the decoder's refusals have tests of their own).
    const std::pair<std::string, std::string> failures[] = {
        {dir.file("palette.png"), "unsupported pixel format (PNG bit depth 8, colour type 3)"},
        {dir.file("missing.png"), "cannot open the file: No such file or directory"}};
    for (const auto& [path, reason] : failures) {
        trace.clear();
        GL_Texture* t = cache.getTexture(path.c_str());
        EXPECT_EQ(cache.getTexture(path.c_str()), t);
        EXPECT_EQ(std::make_pair(t->width, t->height), std::make_pair(32, 32));
        EXPECT_EQ(t->textureName, 0u);
        EXPECT_EQ(trace.records(), Records{"ERROR (wicImageLoader): could not load " + path + ": " + reason});
    }

    // Bound over a black texture, it unbinds that one: drawing comes out untextured.
    GL_FBOTexture black, target;
    ASSERT_TRUE(black.create(4, 4, 0));
    ASSERT_TRUE(target.create(16, 16, 0));
    glClearColor(0, 0, 0, 1);
    black.beginCapture();
    black.endCapture();
    black.bind(GL_TEXTURE0);
    cache.getTexture(dir.file("palette.png").c_str())->bind(GL_TEXTURE0);
    EXPECT_EQ(qmtest::integer(GL_TEXTURE_BINDING_2D), 0);
    target.beginCapture();
    glColor3f(0.2f, 0.6f, 1.0f);
    drawFullscreenQuad(false);
    EXPECT_EQ(qmtest::readFramebuffer(16, 16).count(51, 153, 255), 256);
    target.endCapture();
    black.release();
    target.release();
}

TEST_F(Textures, UploadKeepsRowsOfAnyLengthAndBuildsTheMipmapChain) {
    // Rows of 6 RGB pixels (18 bytes), one colour each: scaled to 8 x 4, halved to 1 x 1.
    const int rows[4][3] = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {90, 90, 90}};
    std::vector<unsigned char> rgb;
    for (int i = 0; i < 24; ++i)
        rgb.insert(rgb.end(), rows[i / 6], rows[i / 6] + 3);
    GL_TextureManager cache;
    GL_Texture* t = cache.getTexture(writeRgbPng("rows.png", 6, 4, rgb).c_str());
    EXPECT_EQ(t->width, 6);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    qmtest::Picture level0 = qmtest::readTexture(t->textureName);
    ASSERT_EQ(std::make_pair(level0.width, level0.height), std::make_pair(8, 4));
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(level0.count(rows[y][0], rows[y][1], rows[y][2], 0), 8) << "row " << y;
    glBindTexture(GL_TEXTURE_2D, t->textureName);
    GLint minFilter = 0, last[3] = {};
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_NEAREST);
    glGetTexImage(GL_TEXTURE_2D, 3, GL_RGB, GL_UNSIGNED_BYTE, last); // 1 x 1: the average
    EXPECT_NEAR(reinterpret_cast<unsigned char*>(last)[2], (200 + 90) / 4, 1);
    t->release();
    EXPECT_EQ(t->textureName, 0u);
}
