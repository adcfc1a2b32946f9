#pragma once
// Decodes an MP3 file held in memory to 16-bit stereo PCM (interleaved left, right).
// The whole file is read at open, so decoding and seeking afterwards do no file
// input and allocate nothing; the audio thread decodes the soundtrack this way.
#include <cstddef>
#include <cstdint>
#include <string>

namespace qelFramework::platform {

class Mp3Decoder {
public:
    Mp3Decoder() = default;
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Files larger than this are refused rather than read into memory.
    static constexpr std::size_t kMaxFileBytes = std::size_t(1) << 30;

    // Reads the file (named as the program names files) and prepares decoding.
    // outputRate 0 keeps the file's own rate; another rate is resampled to. Mono
    // files come out as two equal channels. The file is scanned whole, so the
    // length is exact and seeking is sample-accurate. False with a message in
    // error when the file cannot be read or holds no decodable MP3 audio.
    bool open(const std::string& path, int outputRate, std::string& error);
    bool isOpen() const { return state != nullptr; }

    int rate() const { return framesPerSecond; }
    // Frames in the whole file at the output rate, encoder delay and padding removed.
    std::int64_t lengthFrames() const { return length; }

    // Decodes up to frames frames into out (2 x frames samples). Returns the frames
    // written; fewer than asked only at the end of the data, which sets ended.
    std::size_t read(std::int16_t* out, std::size_t frames);
    bool ended() const { return atEnd; }

    // Moves to a frame position (clamped to 0 .. length). True on success.
    bool seek(std::int64_t frame);

    void close();

    struct State; // the decoder handle and the file's bytes (opaque)

private:
    State* state = nullptr;
    int framesPerSecond = 0;
    std::int64_t length = 0;
    bool atEnd = false;
};

} // namespace qelFramework::platform
