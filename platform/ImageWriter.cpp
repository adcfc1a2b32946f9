#include "platform/ImageWriter.h"
#include "platform/Paths.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

namespace qelFramework::platform {

namespace {

bool checkSize(int width, int height, int channels, size_t bytes, std::string& error) {
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) {
        error = "picture size out of range";
        return false;
    }
    if (bytes != static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(channels)) {
        error = "pixel data does not match the picture size";
        return false;
    }
    return true;
}

// ---- PNG ----

struct PngSink {
    std::vector<unsigned char>* bytes;
    bool failed;
};

void pngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    try {
        sink->bytes->insert(sink->bytes->end(), data, data + length);
    } catch (...) {
        sink->failed = true;
        png_error(png, "out of memory");
    }
}

void pngFlush(png_structp) {}

// Only plain data lives in this frame: libpng leaves it by longjmp on errors.
bool encodePng(int width, int height, int channels, const unsigned char* pixels, PngCompression compression,
               PngSink* sink) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, sink, pngWrite, pngFlush);
    if (compression == PngCompression::Fast) {
        // Run-length matching after the left-neighbour filter: rendered frames have long
        // runs of equal differences, and this is the cheapest search that finds them.
        png_set_compression_level(png, 1);
        png_set_compression_strategy(png, Z_RLE);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(channels);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(pixels + stride * static_cast<size_t>(y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return !sink->failed;
}

// ---- JPEG ----

struct JpegError {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void jpegFail(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }
void jpegQuiet(j_common_ptr, int) {}

bool encodeJpeg(int width, int height, int quality, const unsigned char* pixels, unsigned char** out,
                unsigned long* outSize) {
    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = jpegFail;
    err.base.emit_message = jpegQuiet;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.optimize_coding = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    const size_t stride = static_cast<size_t>(width) * 3;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + stride * cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

bool writePng(const std::string& path, int width, int height, int channels, const std::vector<std::uint8_t>& pixels,
              std::string& error, PngCompression compression) {
    if (channels != 3 && channels != 4) {
        error = "PNG pictures are written with 3 or 4 channels";
        return false;
    }
    if (!checkSize(width, height, channels, pixels.size(), error))
        return false;
    std::vector<unsigned char> bytes;
    PngSink sink{&bytes, false};
    if (!encodePng(width, height, channels, pixels.data(), compression, &sink)) {
        error = "PNG encoding failed";
        return false;
    }
    return writeWholeFile(path, bytes, error);
}

bool writeJpeg(const std::string& path, int width, int height, const std::vector<std::uint8_t>& pixels, int quality,
               std::string& error) {
    if (quality < 1 || quality > 100) {
        error = "JPEG quality out of range";
        return false;
    }
    if (!checkSize(width, height, 3, pixels.size(), error))
        return false;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    bool ok = encodeJpeg(width, height, quality, pixels.data(), &out, &outSize);
    std::vector<unsigned char> bytes;
    if (ok && out)
        bytes.assign(out, out + outSize);
    std::free(out);
    if (!ok || bytes.empty()) {
        error = "JPEG encoding failed";
        return false;
    }
    return writeWholeFile(path, bytes, error);
}

} // namespace qelFramework::platform
