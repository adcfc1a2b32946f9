#include "platform/ImageDecoder.h"
#include "platform/ImageWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace qelFramework::platform;

namespace {

std::vector<std::uint8_t> pattern(int w, int h, int channels) {
    std::vector<std::uint8_t> p(static_cast<size_t>(w * h * channels));
    for (size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<std::uint8_t>((i * 37 + 11) & 255);
    return p;
}

// Reads a written file back with the production's decoder.
DecodedImage readBack(const std::string& path) {
    DecodedImage image;
    EXPECT_TRUE(decodeImageFile(path, image)) << image.error;
    return image;
}

} // namespace

TEST(ImageWriter, PngRoundTripKeepsEveryByteInBothLayoutsAndAtBothCompressions) {
    qmtest::TempFolder dir;
    for (PngCompression compression : {PngCompression::Small, PngCompression::Fast})
        for (int channels : {3, 4}) {
            const auto pixels = pattern(7, 5, channels);
            std::string error;
            const std::string path = dir.file("p" + std::to_string(channels) + ".png");
            ASSERT_TRUE(writePng(path, 7, 5, channels, pixels, error, compression)) << error;
            const DecodedImage back = readBack(path);
            ASSERT_EQ(std::vector<int>({back.width, back.height, back.channels}), std::vector<int>({7, 5, channels}));
            EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), back.pixels.get()));
        }
}

TEST(ImageWriter, JpegRoundTripIsCloseAndColour) {
    qmtest::TempFolder dir;
    const int w = 64, h = 48;
    std::vector<std::uint8_t> pixels(static_cast<size_t>(w * h * 3));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = &pixels[static_cast<size_t>((y * w + x) * 3)];
            p[0] = static_cast<std::uint8_t>(x * 4);
            p[1] = static_cast<std::uint8_t>(y * 5);
            p[2] = 200;
        }
    std::string error;
    ASSERT_TRUE(writeJpeg(dir.file("g.jpg"), w, h, pixels, 92, error)) << error;
    const DecodedImage back = readBack(dir.file("g.jpg"));
    ASSERT_EQ(std::vector<int>({back.width, back.height, back.channels}), std::vector<int>({w, h, 3}));
    int worst = 0;
    for (size_t i = 0; i < pixels.size(); ++i)
        worst = std::max(worst, std::abs(static_cast<int>(back.pixels[i]) - pixels[i]));
    EXPECT_LE(worst, 12);
}

TEST(ImageWriter, ReplacesWholeFilesAndRefusesBadInputLeavingNoPartBehind) {
    qmtest::TempFolder dir;
    const std::string path = dir.file("x.png");
    qmtest::writeFile(path, "old");
    std::string error;
    ASSERT_TRUE(writePng(path, 2, 2, 3, pattern(2, 2, 3), error));
    const std::string first = qmtest::readFile(path);
    EXPECT_EQ(first.substr(1, 3), "PNG");

    // Same input, same bytes.
    ASSERT_TRUE(writePng(path, 2, 2, 3, pattern(2, 2, 3), error));
    EXPECT_EQ(qmtest::readFile(path), first);

    // A folder that does not exist: failure with a message, nothing left behind.
    error.clear();
    EXPECT_FALSE(writePng(dir.file("missing/x.png"), 2, 2, 3, pattern(2, 2, 3), error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    EXPECT_FALSE(writeJpeg(dir.file("missing/x.jpg"), 2, 2, pattern(2, 2, 3), 90, error));

    // Inconsistent input is refused; no part or temporary file of any write is left.
    const std::string bad = dir.file("bad.png");
    EXPECT_FALSE(writePng(bad, 4, 4, 2, pattern(4, 4, 2), error));
    EXPECT_FALSE(writePng(bad, 4, 4, 4, pattern(4, 3, 4), error)); // too few bytes
    EXPECT_FALSE(writePng(bad, 0, 4, 3, {}, error));
    EXPECT_FALSE(writePng(bad, -2, 4, 3, pattern(2, 4, 3), error));
    EXPECT_FALSE(writePng(bad, kMaxImageSide + 1, 1, 3, {}, error));
    EXPECT_FALSE(writeJpeg(dir.file("bad.jpg"), 4, 4, pattern(4, 4, 3), 0, error));
    EXPECT_FALSE(writeJpeg(dir.file("bad.jpg"), 4, 4, pattern(4, 4, 4), 90, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(qmtest::listFolder(dir.path()), std::vector<std::string>{"x.png"});
}
