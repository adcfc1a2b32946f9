#pragma once
// Whole sound files decoded at once (the editor's waveform). Streaming playback is
// platform/Music.
#include <cstdint>
#include <string>
#include <vector>

namespace qelFramework::platform {

// Decodes a whole sound file to 16-bit stereo PCM (interleaved left, right).
// False when it cannot be opened or decoded; then the outputs are empty.
bool decodeSoundFile(const std::string& path, std::vector<std::int16_t>& samples, std::uint32_t& frames,
                     std::uint32_t& framesPerSecond);

// Why the last decodeSoundFile failed.
std::string soundError();

} // namespace qelFramework::platform
