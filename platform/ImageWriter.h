#pragma once
// Writes 8-bit pictures: PNG (RGB or RGBA) and colour JPEG. Each file is written whole
// or not at all: the bytes go to a file beside the target, which is then renamed over it.
#include <cstdint>
#include <string>
#include <vector>

namespace qelFramework::platform {

// Largest width or height accepted, so a wrong size cannot ask for unbounded memory.
constexpr int kMaxImageSide = 16384;

// pixels: rows top first, channels (3 or 4) interleaved, width x height x channels bytes.
bool writePng(const std::string& path, int width, int height, int channels, const std::vector<std::uint8_t>& pixels,
              std::string& error);

// pixels: RGB rows top first. quality 1 to 100.
bool writeJpeg(const std::string& path, int width, int height, const std::vector<std::uint8_t>& pixels, int quality,
               std::string& error);

} // namespace qelFramework::platform
