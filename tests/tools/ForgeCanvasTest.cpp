// The forge's drawing parts: canvas, noise, random numbers, type.
#include "forge/Canvas.h"
#include "forge/Noise.h"
#include "forge/Rng.h"
#include "forge/Text.h"
#include "forge/ArtDirection.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qelFramework::forge;

namespace {
double total(const Canvas& c, int channel) {
    double s = 0;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            s += c.pixel(x, y)[channel];
    return s;
}
} // namespace

TEST(ForgeCanvas, BlendsOverAndWritesStraightAlpha) {
    Canvas c(2, 1);
    c.blendOver(0, 0, Color{1, 0, 0, 0.5f}, 1.f);
    c.blendOver(1, 0, Color{1, 0, 0, 1}, 1.f);
    c.blendOver(1, 0, Color{0, 0, 1, 1}, 0.25f); // a quarter of blue over red
    c.blendOver(5, 0, Color{1, 1, 1, 1}, 1.f);   // outside: ignored
    auto rgba = c.toBytes(4, 0);
    EXPECT_EQ(rgba[0], 255); // half-transparent red stays pure red...
    EXPECT_EQ(rgba[3], 128); // ...with half alpha
    EXPECT_EQ(rgba[4], 191);
    EXPECT_EQ(rgba[6], 64);
    EXPECT_EQ(rgba[7], 255);
    auto rgb = c.toBytes(3, 0); // over black
    EXPECT_EQ(rgb[0], 128);
    EXPECT_EQ(rgb.size(), 6u);
    // Dither moves values by at most one step and is the same every time.
    Canvas grey(16, 16);
    grey.fill(Color{0.3f, 0.3f, 0.3f, 1});
    auto a = grey.toBytes(3, 9), b = grey.toBytes(3, 9);
    EXPECT_EQ(a, b);
    for (auto v : a)
        EXPECT_NEAR(v, 76.5, 1.0);
}

TEST(ForgeCanvas, BlurKeepsTheLightAndWrapsWhenAsked) {
    for (float sigma : {1.f, 4.f}) { // the small-kernel and the box-pass paths
        Canvas wrap(32, 32), clamp(32, 32);
        wrap.pixel(0, 0)[3] = 100.f;
        clamp.pixel(16, 16)[3] = 100.f;
        wrap.blur(sigma, true);
        clamp.blur(sigma, false);
        EXPECT_NEAR(total(wrap, 3), 100.0, 0.5) << sigma;
        EXPECT_NEAR(total(clamp, 3), 100.0, 0.5) << sigma;
        EXPECT_NEAR(wrap.pixel(1, 0)[3], wrap.pixel(31, 0)[3], 1e-3) << sigma;
        EXPECT_GT(wrap.pixel(31, 31)[3], 0.f) << sigma;
        EXPECT_NEAR(clamp.pixel(15, 16)[3], clamp.pixel(17, 16)[3], 1e-3) << sigma;
        EXPECT_EQ(clamp.pixel(0, 0)[3], 0.f) << sigma;
    }
}

TEST(ForgeCanvas, DiscsAndLinesCoverWhatTheySay) {
    Canvas c(64, 64);
    c.softDisc(32, 32, 10, 1, Color{1, 1, 1, 1});
    EXPECT_FLOAT_EQ(c.pixel(32, 32)[3], 1.f);
    EXPECT_FLOAT_EQ(c.pixel(32, 20)[3], 0.f);
    EXPECT_NEAR(total(c, 3), 3.14159 * 100, 15.0);

    Canvas l(64, 16);
    l.line(4, 8, 60, 8, 3, Color{1, 1, 1, 1});
    EXPECT_FLOAT_EQ(l.pixel(30, 7)[3], 1.f);
    EXPECT_FLOAT_EQ(l.pixel(30, 12)[3], 0.f);
    EXPECT_NEAR(total(l, 3), 56 * 3 + 3.14159 * 2.25, 8.0); // the body plus round caps
    // A hairline thinner than a pixel fades instead of vanishing.
    Canvas thin(16, 16);
    thin.line(0, 8, 16, 8, 0.5f, Color{1, 1, 1, 1});
    EXPECT_NEAR(total(thin, 3), 16 * 0.5, 2.0);
}

TEST(ForgeNoise, RepeatsWithItsPeriodAndVaries) {
    TileNoise n(5);
    float lo = 1e9f, hi = -1e9f;
    for (float y = 0; y < 4; y += 0.37f)
        for (float x = 0; x < 4; x += 0.29f) {
            float v = n.fractal(x, y, 4, 4, 3, 0.5f);
            EXPECT_NEAR(v, n.fractal(x + 4, y, 4, 4, 3, 0.5f), 1e-4f);
            EXPECT_NEAR(v, n.fractal(x, y - 4, 4, 4, 3, 0.5f), 1e-4f);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    EXPECT_GT(hi - lo, 0.5f);
    EXPECT_LT(hi, 1.5f);
    EXPECT_GT(lo, -1.5f);
    EXPECT_NE(TileNoise(6).at(1.5f, 2.5f, 8, 8), n.at(1.5f, 2.5f, 8, 8));
}

TEST(ForgeRng, IsRepeatableAndWellSpread) {
    Rng a(42), b(42), c(43);
    bool differs = false;
    for (int i = 0; i < 100; ++i) {
        auto x = a.next();
        EXPECT_EQ(x, b.next());
        differs = differs || x != c.next();
    }
    EXPECT_TRUE(differs);
    double sum = 0, sum2 = 0;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        double u = a.uniform();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        int k = a.below(7);
        ASSERT_TRUE(k >= 0 && k < 7) << k;
        double g = a.gaussian();
        sum += g;
        sum2 += g * g;
    }
    EXPECT_NEAR(sum / n, 0.0, 0.05);
    EXPECT_NEAR(std::sqrt(sum2 / n), 1.0, 0.05);
}

TEST(ForgeText, AnchorsPlaceTheInkAndMissingFontsFail) {
    TextStyle style{art::kTextFont, 32, 0.f};
    for (Anchor anchor : {Anchor::Left, Anchor::Centre, Anchor::Right}) {
        Canvas c(400, 80);
        std::string error;
        ASSERT_TRUE(drawText(c, style, "quillmont", 200, 50, anchor, Color{1, 1, 1, 1}, error)) << error;
        int left = 400, right = -1, top = 80, bottom = -1;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 400; ++x)
                if (c.pixel(x, y)[3] > 0.5f) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        ASSERT_GE(right, 0);
        const double expected = anchor == Anchor::Left ? left : anchor == Anchor::Right ? right : (left + right) / 2.0;
        EXPECT_NEAR(expected, 200, 4);
        EXPECT_LT(top, 50);   // letters stand on the baseline...
        EXPECT_GT(bottom, 52); // ...and the q hangs below it
    }
    TextBox plain, tracked;
    std::string error;
    ASSERT_TRUE(measureText(style, "vorlix", plain, error));
    ASSERT_TRUE(measureText(TextStyle{art::kTextFont, 32, 0.25f}, "vorlix", tracked, error));
    EXPECT_NEAR(tracked.advance - plain.advance, 5 * 8.f, 1.f);

    Canvas c(10, 10);
    EXPECT_FALSE(drawText(c, TextStyle{"NoSuchFont.ttf", 12, 0}, "x", 0, 5, Anchor::Left, Color{}, error));
    EXPECT_FALSE(error.empty());
}
