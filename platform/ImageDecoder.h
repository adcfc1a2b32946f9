#pragma once
// Decoding of PNG and JPEG files into tightly packed 8-bit rows, top row first.
#include "platform/ImageLimits.h"

#include <memory>
#include <string>

namespace qelFramework::platform {

struct DecodedImage {
    std::unique_ptr<unsigned char[]> pixels; // width * height * channels bytes, no row padding
    int width = 0;
    int height = 0;
    int channels = 0;  // 3 (R, G, B) or 4 (R, G, B, A)
    std::string error; // why decoding failed, for diagnostics
};


// Decodes the file named `path` (opened through openFile, so "data\x.png" works).
// The kind is recognised from the file's first bytes. Only 8-bit RGB and 8-bit RGBA
// sources are accepted: PNG colour types RGB and RGBA, interlaced or not, and JPEGs with
// three colour components. Palette, grey, grey with alpha, 16-bit, CMYK, damaged and
// truncated files fail; `image` then holds no pixels and `error` says why.
bool decodeImageFile(const std::string& path, DecodedImage& image);

} // namespace qelFramework::platform
