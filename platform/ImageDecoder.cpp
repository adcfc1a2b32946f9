#include "platform/ImageDecoder.h"

#include "platform/Paths.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

namespace qelFramework::platform {

namespace {

// A progressive JPEG may hold any number of scans, each of which redoes the whole image;
// a damaged or hostile file would keep the decoder busy for a very long time.
constexpr int kMaxJpegScans = 500;

// Both libraries report fatal errors through a callback that must not return; the
// callbacks below jump back into the function that started the decode. The functions
// between the jump and its target hold only trivially destructible locals.

bool sizeAllowed(long width, long height, DecodedImage& image) {
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        width * height > kMaxImagePixels) {
        image.error = "image size " + std::to_string(width) + " x " + std::to_string(height) + " refused";
        return false;
    }
    return true;
}

bool allocatePixels(DecodedImage& image) {
    size_t bytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) *
                   static_cast<size_t>(image.channels);
    image.pixels.reset(new (std::nothrow) unsigned char[bytes]);
    if (!image.pixels) {
        image.error = "out of memory";
        return false;
    }
    return true;
}

// ---- PNG ----

struct PngFailure {
    std::jmp_buf jump;
    char message[256];
};

[[noreturn]] void pngError(png_structp png, png_const_charp message) {
    PngFailure* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof(failure->message), "%s", message ? message : "");
    std::longjmp(failure->jump, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// The libpng steps proper; a libpng error jumps out of here.
bool readPng(png_structp png, png_infop info, std::FILE* file, std::vector<png_bytep>& rows, DecodedImage& image) {
    png_init_io(png, file);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    if (bitDepth != 8 || (colorType != PNG_COLOR_TYPE_RGB && colorType != PNG_COLOR_TYPE_RGB_ALPHA)) {
        image.error = "unsupported pixel format (PNG bit depth " + std::to_string(bitDepth) + ", colour type " +
                      std::to_string(colorType) + ")";
        return false;
    }
    if (!sizeAllowed(width, height, image))
        return false;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.channels = colorType == PNG_COLOR_TYPE_RGB ? 3 : 4;

    if (interlace != PNG_INTERLACE_NONE)
        png_set_interlace_handling(png);
    png_read_update_info(png, info);
    size_t stride = static_cast<size_t>(image.width) * static_cast<size_t>(image.channels);
    if (png_get_rowbytes(png, info) != stride) {
        image.error = "unexpected PNG row size";
        return false;
    }
    if (!allocatePixels(image))
        return false;
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = image.pixels.get() + y * stride;
    png_read_image(png, rows.data());
    // Reading up to the end chunk makes a file cut after its image data fail too.
    png_read_end(png, nullptr);
    return true;
}

bool decodePng(std::FILE* file, DecodedImage& image) {
    PngFailure failure{};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(png ? &png : nullptr, nullptr, nullptr);
        image.error = "out of memory";
        return false;
    }
    std::vector<png_bytep> rows;
    bool ok = false;
    if (setjmp(failure.jump) == 0) {
        ok = readPng(png, info, file, rows, image);
    } else {
        image.error = std::string("damaged PNG file: ") + failure.message;
        ok = false;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

// ---- JPEG ----

struct JpegFailure {
    jpeg_error_mgr manager; // first, so the library's error pointer is this object
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int scans;
};

[[noreturn]] void jpegErrorExit(j_common_ptr info) {
    JpegFailure* failure = reinterpret_cast<JpegFailure*>(info->err);
    (*info->err->format_message)(info, failure->message);
    std::longjmp(failure->jump, 1);
}

// Warnings (negative level) mean corrupt data, a premature end of file included: they
// fail the decode like errors. Trace messages count the scans.
void jpegMessage(j_common_ptr info, int level) {
    JpegFailure* failure = reinterpret_cast<JpegFailure*>(info->err);
    if (level < 0)
        jpegErrorExit(info);
    if (info->err->msg_code == JTRC_SOS && ++failure->scans > kMaxJpegScans) {
        std::snprintf(failure->message, sizeof(failure->message), "more than %d scans", kMaxJpegScans);
        std::longjmp(failure->jump, 1);
    }
}

bool readJpeg(jpeg_decompress_struct& info, std::FILE* file, DecodedImage& image) {
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        image.error = "JPEG file holds no image";
        return false;
    }
    if (info.num_components != 3 || (info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_RGB)) {
        image.error = "unsupported pixel format (JPEG with " + std::to_string(info.num_components) +
                      " components, colour space " + std::to_string(info.jpeg_color_space) + ")";
        return false;
    }
    if (!sizeAllowed(info.image_width, info.image_height, image))
        return false;
    info.out_color_space = JCS_RGB;
    info.mem->max_memory_to_use = 1024L * 1024 * 1024;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || info.output_width != info.image_width ||
        info.output_height != info.image_height) {
        image.error = "unexpected JPEG output format";
        return false;
    }
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.channels = 3;
    if (!allocatePixels(image))
        return false;
    size_t stride = static_cast<size_t>(image.width) * 3;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.pixels.get() + info.output_scanline * stride;
        if (jpeg_read_scanlines(&info, &row, 1) != 1) {
            image.error = "JPEG data ended early";
            return false;
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

bool decodeJpeg(std::FILE* file, DecodedImage& image) {
    jpeg_decompress_struct info{};
    JpegFailure failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = jpegErrorExit;
    failure.manager.emit_message = jpegMessage;
    bool ok = false;
    if (setjmp(failure.jump) == 0) {
        ok = readJpeg(info, file, image);
    } else {
        image.error = std::string("damaged JPEG file: ") + failure.message;
        ok = false;
    }
    jpeg_destroy_decompress(&info);
    return ok;
}

} // namespace

bool decodeImageFile(const std::string& path, DecodedImage& image) {
    image = DecodedImage();
    std::FILE* file = openFile(path, "rb");
    if (!file) {
        image.error = std::string("cannot open the file: ") + std::strerror(errno);
        return false;
    }
    unsigned char head[8] = {};
    size_t got = std::fread(head, 1, sizeof(head), file);
    std::rewind(file);

    static const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    bool ok = false;
    if (got == 8 && std::memcmp(head, kPngSignature, 8) == 0)
        ok = decodePng(file, image);
    else if (got >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
        ok = decodeJpeg(file, image);
    else
        image.error = "neither a PNG nor a JPEG file";
    std::fclose(file);

    if (!ok) {
        image.pixels.reset();
        image.width = image.height = image.channels = 0;
    }
    return ok;
}

} // namespace qelFramework::platform
