// The sky scene's content and the lit particles' atlas from the forge, read back the way
// the production reads them.
#include "forge/Products.h"
#include "gl/ImageLoader.h"
#include "models/RawModel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace qelFramework;

namespace {

struct Image {
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<unsigned char[]> pixels;
    int at(int x, int y, int c) const { return pixels[(static_cast<size_t>(y) * width + x) * channels + c]; }
};

// Makes one product into the folder and decodes it with the production's loader.
Image forgePicture(bool (*make)(const std::string&, std::string&, std::string&), const qmtest::TempFolder& dir,
                   const char* name) {
    std::string note, error;
    EXPECT_TRUE(make(dir.file(name), note, error)) << error;
    Image image;
    EXPECT_TRUE(loadImageFile(dir.file(name).c_str(), image.pixels, image.width, image.height, image.channels));
    return image;
}

} // namespace

TEST(ForgeSky, TheFlareIsWideSoftAndBlackAtItsEdges) {
    qmtest::TempFolder dir;
    Image glow = forgePicture(forge::makeSuperGlow, dir, "superGlow.jpg");
    ASSERT_EQ(glow.channels, 3);
    ASSERT_EQ(glow.width, 2 * glow.height);
    const int w = glow.width, h = glow.height;
    for (int c = 0; c < 3; ++c)
        EXPECT_GE(glow.at(w / 2, h / 2, c), 230);
    for (int i = 0; i < w; i += 7)
        for (int c = 0; c < 3; ++c) {
            EXPECT_LE(glow.at(i, 0, c), 4);
            EXPECT_LE(glow.at(i, h - 1, c), 4);
        }
    for (int y = 0; y < h; y += 7)
        EXPECT_LE(glow.at(0, y, 1), 4);
    // The streak reaches far sideways, the halo not far up.
    EXPECT_GT(glow.at(w / 4, h / 2, 1), 25);
    EXPECT_LT(glow.at(w / 2, h / 8, 1), 25);
}

TEST(ForgeSky, TheParticleSpriteIsASoftDiscInRedAndASharpPointInGreen) {
    qmtest::TempFolder dir;
    Image sprite = forgePicture(forge::makeParticleDepth, dir, "particleDepth.jpg");
    ASSERT_EQ(sprite.channels, 3);
    const int s = sprite.width, mid = s / 2;
    ASSERT_EQ(sprite.height, s);
    EXPECT_GE(sprite.at(mid, mid, 1), 230);                // far: bright point
    EXPECT_LT(sprite.at(mid + s * 3 / 10, mid, 1), 30);    // that stays small
    EXPECT_GT(sprite.at(mid + s * 3 / 10, mid, 0), 110);   // near: a wide disc
    EXPECT_LT(sprite.at(mid + s * 9 / 20 + 4, mid, 0), 40); // with an edge
    for (int c = 0; c < 3; ++c)
        EXPECT_LE(sprite.at(1, 1, c), 4);
}

TEST(ForgeSky, TheFeatherFillsItsOutlineAndKeepsItsEdgeColourOutside) {
    qmtest::TempFolder dir;
    Image feather = forgePicture(forge::makeWingPart, dir, "wingPart.png");
    ASSERT_EQ(feather.channels, 4);
    const int w = feather.width, h = feather.height;
    EXPECT_EQ(feather.at(w / 2, h / 2, 3), 255);
    EXPECT_EQ(feather.at(w / 2, 1, 3), 0);
    EXPECT_EQ(feather.at(w - 1, 1, 3), 0);
    // Drawn without blending: what lies outside the vane shows as a dark rim, not black.
    EXPECT_GT(feather.at(w / 2, 1, 2), 10);
    EXPECT_LT(feather.at(w / 2, 1, 2), 80);
    // One side of the vane is narrower than the other.
    int top = 0, bottom = 0;
    for (int y = 0; y < h / 2; ++y) {
        top += feather.at(w * 4 / 10, y, 3) > 128;
        bottom += feather.at(w * 4 / 10, h - 1 - y, 3) > 128;
    }
    EXPECT_LT(top * 10, bottom * 8);
}

TEST(ForgeSky, EightGreetingCardsOnePerEighthWhiteTypeOnAnInkVeilWithClearMargins) {
    qmtest::TempFolder dir;
    Image cards = forgePicture(forge::makeGreetingCards, dir, "greetings.png");
    ASSERT_EQ(cards.channels, 4);
    ASSERT_EQ(cards.height, 4 * cards.width);
    const int w = cards.width, cardHeight = cards.height / 8;
    for (int card = 0; card < 8; ++card) {
        int type = 0, margin = 0, tinted = 0;
        for (int y = 0; y < cardHeight; ++y)
            for (int x = 0; x < w; x += 2) {
                const int row = card * cardHeight + y;
                const int r = cards.at(x, row, 0), g = cards.at(x, row, 1), b = cards.at(x, row, 2);
                // Between white and the ink's slight blue: the scene's colour shows true.
                tinted += std::abs(r - g) > 3 || b + 1 < r;
                type += r == 255 && g == 255 && b == 255 && cards.at(x, row, 3) > 240;
                // Nothing near the card's top and bottom, so filtering never reaches
                // into the neighbouring card.
                if (y < cardHeight / 8 || y >= cardHeight - cardHeight / 16 || x < w / 20 || x >= w - w / 20)
                    margin += cards.at(x, row, 3) > 0;
            }
        EXPECT_GT(type, w * cardHeight / 400) << card;
        EXPECT_EQ(tinted, 0) << card;
        EXPECT_EQ(margin, 0) << card;
        // The veil: dark and mostly opaque between "greetings to" and the name.
        const int row = card * cardHeight + cardHeight * 36 / 100;
        EXPECT_LT(cards.at(w / 2, row, 0), 16) << card;
        EXPECT_NEAR(cards.at(w / 2, row, 3), 204, 3) << card;
    }
}

TEST(ForgeSky, TheFeatherModelLoadsWithNormalsAcrossItsTriangles) {
    qmtest::GLContext gl;
    ASSERT_TRUE(gl.ok());
    qmtest::TempFolder dir;
    std::string note, error;
    ASSERT_TRUE(forge::makeWingModel(dir.file("wingpart.txt"), note, error)) << error;
    RawModel model;
    model.load(dir.file("wingpart.txt").c_str());
    ASSERT_GT(model.vertexCount, 0);
    ASSERT_EQ(model.vertexCount % 3, 0);
    EXPECT_NE(model.positionBuffer, 0u);
    for (int v = 0; v < model.vertexCount; ++v) {
        const float* p = &model.positions[static_cast<size_t>(v) * 3];
        EXPECT_LE(p[1], 0.5f);
        EXPECT_GE(p[1], -10.0f);
        EXPECT_LE(std::fabs(p[0]), 2.0f);
    }
    // After the loader's turn, each stored normal faces -z and stands on its triangle:
    // the file holds them turned the other way.
    for (int tri = 0; tri < model.vertexCount / 3; ++tri) {
        const float* a = &model.positions[static_cast<size_t>(tri) * 9];
        const float e1[3] = {a[3] - a[0], a[4] - a[1], a[5] - a[2]};
        const float e2[3] = {a[6] - a[0], a[7] - a[1], a[8] - a[2]};
        float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length < 1e-4f)
            continue; // the tip closes to a point
        for (int corner = 0; corner < 3; ++corner) {
            const float* stored = &model.normals[static_cast<size_t>(tri * 3 + corner) * 3];
            const float* along = &model.tangents[static_cast<size_t>(tri * 3 + corner) * 3];
            EXPECT_LT(stored[2], 0.0f);
            EXPECT_NEAR(stored[0] * stored[0] + stored[1] * stored[1] + stored[2] * stored[2], 1.0f, 1e-3f);
            EXPECT_GT(std::fabs(stored[0] * n[0] + stored[1] * n[1] + stored[2] * n[2]) / length, 0.9f) << tri;
            EXPECT_LT(along[1], -0.9f); // the shaft runs towards the tip
        }
    }
}

// Hundreds of atlas tiles lie over one another in a trail or a column of smoke: each tile
// must thin out smoothly towards its edge and never cover fully, or they add up to solid
// ropes and bubbles.
TEST(ForgeParticleAtlas, EveryTileIsASoftLumpThatNeverCoversFully) {
    qmtest::TempFolder dir;
    Image atlas = forgePicture(forge::makeParticleAtlas, dir, "gazer.png");
    ASSERT_EQ(atlas.channels, 4);
    ASSERT_EQ(atlas.width, atlas.height);
    const int tile = atlas.width / 4;
    for (int t = 0; t < 16; ++t) {
        const int cx = (t % 4) * tile + tile / 2, cy = (t / 4) * tile + tile / 2;
        // Mean alpha on rings around the tile's middle.
        auto ring = [&](float from, float to) {
            double sum = 0;
            int n = 0;
            for (int y = -tile / 2; y < tile / 2; ++y)
                for (int x = -tile / 2; x < tile / 2; ++x) {
                    const float r = std::hypot(x + 0.5f, y + 0.5f) / (tile / 2.f);
                    if (r >= from && r < to) {
                        sum += atlas.at(cx + x, cy + y, 3);
                        ++n;
                    }
                }
            return sum / n;
        };
        const double middle = ring(0.f, 0.15f), inner = ring(0.3f, 0.4f), outer = ring(0.55f, 0.65f);
        EXPECT_GT(middle, 40) << "tile " << t;
        EXPECT_GT(middle, inner) << "tile " << t;
        EXPECT_GT(inner, outer) << "tile " << t;
        EXPECT_LT(outer, middle * 0.6) << "tile " << t;
        EXPECT_EQ(ring(0.98f, 1.5f), 0) << "tile " << t;
        for (int y = 0; y < tile; ++y)
            for (int x = 0; x < tile; ++x)
                ASSERT_LE(atlas.at((t % 4) * tile + x, (t / 4) * tile + y, 3), 128) << "tile " << t;
    }
}
