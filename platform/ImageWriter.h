#pragma once
// Writes 8-bit pictures: PNG (RGB or RGBA) and colour JPEG. Each file is written whole
// or not at all: the bytes go to a file beside the target, which is then renamed over it.
#include "platform/ImageLimits.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qelFramework::platform {


// How hard PNG compression works: Small for content that is made once and read often,
// Fast for captured frames (run-length matching after one cheap row filter: about ten
// times faster on rendered frames, files about a tenth larger).
enum class PngCompression { Small, Fast };

// pixels: rows top first, channels (3 or 4) interleaved, width x height x channels bytes.
bool writePng(const std::string& path, int width, int height, int channels, const std::vector<std::uint8_t>& pixels,
              std::string& error, PngCompression compression = PngCompression::Small);

// pixels: RGB rows top first. quality 1 to 100.
bool writeJpeg(const std::string& path, int width, int height, const std::vector<std::uint8_t>& pixels, int quality,
               std::string& error);

} // namespace qelFramework::platform
