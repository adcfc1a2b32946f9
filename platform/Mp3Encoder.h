#pragma once
// Encodes 16-bit stereo PCM into an MP3 file (the content tools make the soundtrack
// with it; tests make short test files).
#include <cstdint>
#include <string>
#include <vector>

namespace qelFramework::platform {

// samples: interleaved left/right, frames = samples.size() / 2. Constant bit rate in
// kbit/s. The file carries an encoder-delay tag so decoders that honour it play the
// first sample at time 0. The file is written whole or not at all (written beside the
// target and renamed over it). False with a message in error on failure.
bool encodeMp3File(const std::string& path, const std::vector<std::int16_t>& samples, int framesPerSecond,
                   int kilobitsPerSecond, std::string& error);

} // namespace qelFramework::platform
