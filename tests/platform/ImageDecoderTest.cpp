#include "platform/ImageDecoder.h"
#include "support/TestImages.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using qelFramework::platform::DecodedImage;
using qelFramework::platform::decodeImageFile;

namespace {

// Every byte different, so that a skewed row or a swapped channel shows.
std::vector<unsigned char> pattern(size_t bytes) {
    std::vector<unsigned char> p(bytes);
    for (size_t i = 0; i < bytes; ++i)
        p[i] = static_cast<unsigned char>(i * 7 + 3);
    return p;
}

void expectFailure(const std::string& path, const char* why) {
    DecodedImage image;
    EXPECT_FALSE(decodeImageFile(path, image)) << path;
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_NE(image.error.find(why), std::string::npos) << path << ": " << image.error;
}

} // namespace

TEST(ImageDecoder, EightBitRgbAndRgbaDecodeTopRowFirst) {
    qmtest::TempFolder dir;
    // 5 pixels wide: RGB rows of 15 bytes are not a multiple of 4. Opened by a backslash path.
    for (int channels : {3, 4})
        for (bool interlaced : {false, true}) {
            std::vector<unsigned char> src = pattern(5 * 9 * channels);
            int type = channels == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA;
            ASSERT_TRUE(qmtest::writePng(dir.file("a.png"), 5, 9, type, 8, src, interlaced));
            DecodedImage image;
            ASSERT_TRUE(decodeImageFile(dir.path() + "\\a.png", image)) << image.error;
            EXPECT_EQ(std::make_pair(image.width, image.height), std::make_pair(5, 9));
            EXPECT_EQ(image.channels, channels);
            EXPECT_EQ(0, std::memcmp(image.pixels.get(), src.data(), src.size())) << channels << interlaced;
        }

    // JPEG, baseline and progressive: red top half, blue bottom half.
    std::vector<int> bands;
    for (int i = 0; i < 24 * 32; ++i)
        bands.insert(bands.end(), {i < 24 * 16 ? 250 : 10, 10, i < 24 * 16 ? 10 : 240});
    for (bool progressive : {false, true}) {
        ASSERT_TRUE(qmtest::writeJpeg(dir.file("b.jpg"), 24, 32, 3, {bands.begin(), bands.end()}, 100, progressive));
        DecodedImage image;
        ASSERT_TRUE(decodeImageFile(dir.file("b.jpg"), image)) << image.error;
        ASSERT_EQ(std::vector<int>({image.width, image.height, image.channels}), std::vector<int>({24, 32, 3}));
        for (int y : {0, 5, 26, 31})
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(image.pixels[(y * 24 + 11) * 3 + c], bands[(y * 24 + 11) * 3 + c], 12) << y;
    }
}

TEST(ImageDecoder, PaletteGreySixteenBitAndCmykSourcesAreRefused) {
    qmtest::TempFolder dir;
    struct Png {
        int type, depth, channels;
    } pngs[] = {{PNG_COLOR_TYPE_PALETTE, 8, 1},    {PNG_COLOR_TYPE_GRAY, 8, 1}, {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2},
                {PNG_COLOR_TYPE_RGB, 16, 6},       {PNG_COLOR_TYPE_RGB_ALPHA, 16, 8}};
    for (const Png& p : pngs) {
        ASSERT_TRUE(qmtest::writePng(dir.file("x.png"), 8, 4, p.type, p.depth, pattern(8 * 4 * p.channels)));
        expectFailure(dir.file("x.png"), "unsupported");
    }
    for (int components : {1, 4}) {
        ASSERT_TRUE(qmtest::writeJpeg(dir.file("x.jpg"), 16, 16, components, pattern(16 * 16 * components)));
        expectFailure(dir.file("x.jpg"), "unsupported");
    }
    expectFailure(dir.file("missing.png"), "cannot open");
    qmtest::writeFile(dir.file("text.png"), "not an image");
    expectFailure(dir.file("text.png"), "neither");
}

TEST(ImageDecoder, TruncatedDamagedAndOversizedFilesFailWithoutHarm) {
    qmtest::TempFolder dir;
    ASSERT_TRUE(qmtest::writePng(dir.file("a.png"), 16, 16, PNG_COLOR_TYPE_RGB_ALPHA, 8, pattern(1024)));
    ASSERT_TRUE(qmtest::writePng(dir.file("i.png"), 16, 16, PNG_COLOR_TYPE_RGB, 8, pattern(768), true));
    ASSERT_TRUE(qmtest::writeJpeg(dir.file("a.jpg"), 16, 16, 3, pattern(768)));
    ASSERT_TRUE(qmtest::writeJpeg(dir.file("p.jpg"), 16, 16, 3, pattern(768), 90, true));
    unsigned seed = 7;
    for (const char* name : {"a.png", "i.png", "a.jpg", "p.jpg"}) {
        std::string whole = qmtest::readFile(dir.file(name));
        // Every cut fails (a JPEG cut inside its end marker excepted).
        for (size_t length = 0; length + 1 < whole.size(); ++length) {
            qmtest::writeFile(dir.file("cut"), whole.substr(0, length));
            DecodedImage image;
            EXPECT_FALSE(decodeImageFile(dir.file("cut"), image)) << name << " cut at " << length;
        }
        // Any byte overwritten: never a crash (a JPEG has no checksums and may still decode).
        for (size_t at = 0; at < whole.size(); ++at) {
            seed = seed * 1103515245u + 12345u;
            std::string bad = whole;
            bad[at] = static_cast<char>(at % 2 ? ~bad[at] : seed >> 16);
            qmtest::writeFile(dir.file("bad"), bad);
            DecodedImage image;
            bool decoded = decodeImageFile(dir.file("bad"), image);
            EXPECT_EQ(decoded, image.pixels && image.width > 0 && image.height > 0);
        }
    }

    // A changed byte in the PNG's image data breaks its checksum.
    std::string png = qmtest::readFile(dir.file("a.png"));
    png[png.find("IDAT") + 10] ^= 0x55;
    qmtest::writeFile(dir.file("crc.png"), png);
    expectFailure(dir.file("crc.png"), "damaged");

    // A header claiming an enormous size over a few bytes of data is refused before allocating.
    std::string jpg = qmtest::readFile(dir.file("a.jpg"));
    size_t sof = jpg.find("\xFF\xC0");
    jpg[sof + 5] = jpg[sof + 7] = static_cast<char>(0x7F); // 32528 x 32528
    qmtest::writeFile(dir.file("big.jpg"), jpg);
    expectFailure(dir.file("big.jpg"), "refused");
}
