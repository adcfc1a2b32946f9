#pragma once
// Encodes raw frames into an H.264 video with a soundtrack muxed in, through the ffmpeg
// program reading the frames from a pipe.
#include <cstdint>
#include <cstdio>
#include <string>

namespace qelFramework::platform {

class VideoPipe {
public:
    VideoPipe() = default;
    ~VideoPipe();
    VideoPipe(const VideoPipe&) = delete;
    VideoPipe& operator=(const VideoPipe&) = delete;

    // Starts the encoder for RGB frames of width x height at fps. When audioPath names a
    // readable file, its part from audioStart for the video's length is muxed in.
    bool open(const std::string& path, int width, int height, int fps, const std::string& audioPath,
              double audioStart, std::string& error);
    // One frame: rows top first, 3 bytes a pixel.
    bool write(const std::uint8_t* rgb);
    // Waits for the encoder; true when it finished without error.
    bool close();

private:
    std::FILE* pipe = nullptr;
    std::size_t frameBytes = 0;
};

// Makes the program work without a display (rendering through EGL) and without a sound
// device. Must be called before the first window or sound call.
void useHeadlessDevices(bool noDisplay);
// True when a window system display is reachable.
bool displayAvailable();

} // namespace qelFramework::platform
