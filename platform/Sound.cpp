#include "platform/Sound.h"
#include "platform/Mp3Decoder.h"

namespace qelFramework::platform {

namespace {
std::string lastError;
} // namespace

bool decodeSoundFile(const std::string& path, std::vector<std::int16_t>& samples, std::uint32_t& frames,
                     std::uint32_t& framesPerSecond) {
    samples.clear();
    frames = framesPerSecond = 0;
    Mp3Decoder decoder;
    std::string error;
    if (!decoder.open(path, 0, error)) {
        lastError = error;
        return false;
    }
    // The length comes from the frames actually found in the file, so it is bounded
    // by the file's size; more than 32-bit frame counts are refused.
    const std::int64_t expected = decoder.lengthFrames();
    if (expected > static_cast<std::int64_t>(UINT32_MAX)) {
        lastError = path + " is too long";
        return false;
    }
    samples.resize(static_cast<std::size_t>(expected) * 2);
    std::size_t got = decoder.read(samples.data(), static_cast<std::size_t>(expected));
    // A decoder that delivers more than it announced still gets heard out, in blocks.
    constexpr std::size_t kBlock = 4096;
    while (!decoder.ended() && got < UINT32_MAX - kBlock) {
        samples.resize((got + kBlock) * 2);
        const std::size_t n = decoder.read(samples.data() + got * 2, kBlock);
        got += n;
        if (n == 0)
            break;
    }
    samples.resize(got * 2);
    frames = static_cast<std::uint32_t>(got);
    framesPerSecond = static_cast<std::uint32_t>(decoder.rate());
    return true;
}

std::string soundError() { return lastError; }

} // namespace qelFramework::platform
