#pragma once
// Sizes beyond which pictures are refused before any pixel memory is allocated.

namespace qelFramework::platform {

constexpr int kMaxImageSide = 16384;
constexpr long kMaxImagePixels = 64L * 1024 * 1024;

} // namespace qelFramework::platform
