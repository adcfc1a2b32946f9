// Reading frames back through pixel buffer objects, oldest first, and turning them into
// the rows the picture files want.
#include "gl/FullscreenQuad.h"
#include "gl/PixelReadback.h"
#include "support/GLTest.h"

using namespace qelFramework;

namespace {
class Readback : public qmtest::GLTest {
protected:
    Readback() : GLTest(6, 4) {}

    // Clears the target to one colour, paints its bottom row another and starts a read.
    bool drawAndStart(PixelReadback& readback, const float clear[3], const float bottom[3]) {
        glClearColor(clear[0], clear[1], clear[2], 1.0f);
        target.beginCapture();
        identityMatrices();
        glViewport(0, 0, 6, 1);
        glColor3fv(bottom);
        drawFullscreenQuad(false);
        const bool started = readback.start();
        target.endCapture();
        return started;
    }
};

const float kRed[3] = {1, 0, 0}, kGreen[3] = {0, 1, 0}, kBlue[3] = {0, 0, 1}, kWhite[3] = {1, 1, 1};
} // namespace

TEST_F(Readback, FramesComeBackOldestFirstAsBlueGreenRedAlphaFromTheBottomRow) {
    PixelReadback readback;
    ASSERT_TRUE(readback.create(6, 4, 2));
    ASSERT_TRUE(drawAndStart(readback, kRed, kGreen));
    ASSERT_TRUE(drawAndStart(readback, kBlue, kWhite));
    EXPECT_TRUE(readback.full());
    EXPECT_FALSE(drawAndStart(readback, kGreen, kGreen)) << "both buffers hold a frame";
    EXPECT_EQ(readback.pending(), 2);

    std::vector<std::uint8_t> bgra;
    ASSERT_TRUE(readback.collect(bgra));
    ASSERT_EQ(bgra.size(), 6u * 4u * 4u);
    // Row 0 is the bottom: green; the rows above it red.
    EXPECT_EQ(std::vector<std::uint8_t>(bgra.begin(), bgra.begin() + 3), (std::vector<std::uint8_t>{0, 255, 0}));
    EXPECT_EQ(std::vector<std::uint8_t>(bgra.end() - 4, bgra.end() - 1), (std::vector<std::uint8_t>{0, 0, 255}));

    std::vector<std::uint8_t> rgb;
    readbackToRgb(bgra, 6, 4, rgb);
    ASSERT_EQ(rgb.size(), 6u * 4u * 3u);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const std::uint8_t* p = &rgb[static_cast<size_t>((y * 6 + x) * 3)];
            const std::vector<std::uint8_t> expected = y == 3 ? std::vector<std::uint8_t>{0, 255, 0}
                                                              : std::vector<std::uint8_t>{255, 0, 0};
            EXPECT_EQ(std::vector<std::uint8_t>(p, p + 3), expected) << x << "," << y << ": top row first";
        }

    // The second frame, and a free buffer again for the next.
    ASSERT_TRUE(drawAndStart(readback, kGreen, kRed));
    ASSERT_TRUE(readback.collect(bgra));
    readbackToRgb(bgra, 6, 4, rgb);
    EXPECT_EQ(std::vector<std::uint8_t>(rgb.begin(), rgb.begin() + 3), (std::vector<std::uint8_t>{0, 0, 255}));
    EXPECT_EQ(std::vector<std::uint8_t>(rgb.end() - 3, rgb.end()), (std::vector<std::uint8_t>{255, 255, 255}));
    ASSERT_TRUE(readback.collect(bgra));
    EXPECT_EQ(std::vector<std::uint8_t>(bgra.begin(), bgra.begin() + 3), (std::vector<std::uint8_t>{0, 0, 255}));
    EXPECT_FALSE(readback.collect(bgra)) << "nothing pending";
    readback.release();
    EXPECT_FALSE(readback.start()) << "released";
}

TEST_F(Readback, RefusesSizesItCannotHold) {
    PixelReadback readback;
    EXPECT_FALSE(readback.create(0, 4));
    EXPECT_FALSE(readback.create(6, -1));
    EXPECT_FALSE(readback.start());
    std::vector<std::uint8_t> bgra;
    EXPECT_FALSE(readback.collect(bgra));
}
