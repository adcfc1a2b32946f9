#pragma once
// Small PNG and JPEG writers for tests and benchmarks that need image files of a given
// kind (colour type, bit depth, interlacing, JPEG colour space).
#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace qmtest {

// `pixels`: rows top to bottom in the PNG's own layout. Palette images get a grey palette.
inline bool writePng(const std::string& path, int width, int height, int colorType, int bitDepth,
                     const std::vector<unsigned char>& pixels, bool interlaced = false) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    for (int y = 0; y < height; ++y)
        rows.push_back(const_cast<png_bytep>(pixels.data()) + y * (pixels.size() / height));
    volatile bool ok = file != nullptr;
    if (ok && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, width, height, bitDepth, colorType, interlaced ? PNG_INTERLACE_ADAM7 : 0, 0, 0);
        png_color palette[256];
        for (int i = 0; i < 256; ++i)
            palette[i].red = palette[i].green = palette[i].blue = static_cast<png_byte>(i);
        if (colorType == PNG_COLOR_TYPE_PALETTE)
            png_set_PLTE(png, info, palette, 1 << bitDepth);
        png_write_info(png, info);
        png_write_image(png, rows.data());
        png_write_end(png, nullptr);
    } else {
        ok = false;
    }
    png_destroy_write_struct(&png, &info);
    if (file)
        std::fclose(file);
    return ok;
}

// `components` 3 (RGB), 1 (grey) or 4 (CMYK); rows top to bottom.
inline bool writeJpeg(const std::string& path, int width, int height, int components,
                      const std::vector<unsigned char>& pixels, int quality = 95, bool progressive = false) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 3 ? JCS_RGB : components == 1 ? JCS_GRAYSCALE : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data()) + info.next_scanline * width * components;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
    return true;
}

} // namespace qmtest
