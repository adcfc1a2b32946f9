#include "platform/ImageWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <png.h>

using namespace qelFramework::platform;

namespace {

std::vector<std::uint8_t> pattern(int w, int h, int channels) {
    std::vector<std::uint8_t> p(static_cast<size_t>(w * h * channels));
    for (size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<std::uint8_t>((i * 37 + 11) & 255);
    return p;
}

// Reads a PNG back in its own channel layout.
bool readPng(const std::string& path, int& w, int& h, int& channels, std::vector<std::uint8_t>& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    channels = PNG_IMAGE_SAMPLE_CHANNELS(image.format);
    image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    channels = channels == 4 ? 4 : 3;
    w = static_cast<int>(image.width);
    h = static_cast<int>(image.height);
    pixels.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
}

struct JpegFail {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

bool readJpeg(const std::string& bytes, int& w, int& h, int& components, std::vector<std::uint8_t>& pixels) {
    jpeg_decompress_struct cinfo;
    JpegFail err;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JpegFail*>(c->err)->jump, 1); };
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    components = cinfo.num_components;
    jpeg_start_decompress(&cinfo);
    w = static_cast<int>(cinfo.output_width);
    h = static_cast<int>(cinfo.output_height);
    pixels.resize(static_cast<size_t>(w) * h * cinfo.output_components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.data() + static_cast<size_t>(cinfo.output_scanline) * w * cinfo.output_components;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

TEST(ImageWriter, PngRoundTripKeepsEveryByteInBothLayouts) {
    qmtest::TempFolder dir;
    for (int channels : {3, 4}) {
        const auto pixels = pattern(7, 5, channels);
        std::string error;
        const std::string path = dir.file("p" + std::to_string(channels) + ".png");
        ASSERT_TRUE(writePng(path, 7, 5, channels, pixels, error)) << error;
        int w = 0, h = 0, c = 0;
        std::vector<std::uint8_t> back;
        ASSERT_TRUE(readPng(path, w, h, c, back));
        EXPECT_EQ(w, 7);
        EXPECT_EQ(h, 5);
        EXPECT_EQ(c, channels);
        EXPECT_EQ(back, pixels);
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
    int rw = 0, rh = 0, components = 0;
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(readJpeg(qmtest::readFile(dir.file("g.jpg")), rw, rh, components, back));
    EXPECT_EQ(rw, w);
    EXPECT_EQ(rh, h);
    EXPECT_EQ(components, 3);
    int worst = 0;
    for (size_t i = 0; i < pixels.size(); ++i)
        worst = std::max(worst, std::abs(static_cast<int>(back[i]) - pixels[i]));
    EXPECT_LE(worst, 12);
}

TEST(ImageWriter, RefusesInconsistentInputAndWritesNothing) {
    qmtest::TempFolder dir;
    const std::string path = dir.file("bad.png");
    std::string error;
    EXPECT_FALSE(writePng(path, 4, 4, 2, pattern(4, 4, 2), error));
    EXPECT_FALSE(writePng(path, 4, 4, 4, pattern(4, 3, 4), error)); // too few bytes
    EXPECT_FALSE(writePng(path, 0, 4, 3, {}, error));
    EXPECT_FALSE(writePng(path, -2, 4, 3, pattern(2, 4, 3), error));
    EXPECT_FALSE(writePng(path, kMaxImageSide + 1, 1, 3, {}, error));
    EXPECT_FALSE(writeJpeg(dir.file("bad.jpg"), 4, 4, pattern(4, 4, 3), 0, error));
    EXPECT_FALSE(writeJpeg(dir.file("bad.jpg"), 4, 4, pattern(4, 4, 4), 90, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(qmtest::runCommand("test -e " + path, error) == 0);
    EXPECT_FALSE(qmtest::runCommand("test -e " + dir.file("bad.jpg"), error) == 0);
}

TEST(ImageWriter, ReplacesWholeFilesAndLeavesNoPartOnFailure) {
    qmtest::TempFolder dir;
    const std::string path = dir.file("x.png");
    qmtest::writeFile(path, "old");
    std::string error;
    ASSERT_TRUE(writePng(path, 2, 2, 3, pattern(2, 2, 3), error));
    const std::string first = qmtest::readFile(path);
    EXPECT_EQ(first.substr(1, 3), "PNG");
    EXPECT_NE(qmtest::runCommand("test -e " + path + ".partial", error), 0);

    // Same input, same bytes.
    ASSERT_TRUE(writePng(path, 2, 2, 3, pattern(2, 2, 3), error));
    EXPECT_EQ(qmtest::readFile(path), first);

    // A folder that does not exist: failure with a message, nothing left behind.
    error.clear();
    EXPECT_FALSE(writePng(dir.file("missing/x.png"), 2, 2, 3, pattern(2, 2, 3), error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    EXPECT_FALSE(writeJpeg(dir.file("missing/x.jpg"), 2, 2, pattern(2, 2, 3), 90, error));
}
