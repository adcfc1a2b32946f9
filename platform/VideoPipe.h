#pragma once
// Encodes raw frames into an H.264 video, optionally with a soundtrack muxed in, through
// the ffmpeg program reading the frames from a pipe. The video is written whole or not at
// all: ffmpeg writes a temporary file beside the target, which replaces the target only
// when the encoder finished without error.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qelFramework::platform {

struct VideoSettings {
    int width = 0;
    int height = 0;
    int fps = 30;
    // A key frame every this many frames, from the first on, and nowhere else: videos of
    // consecutive ranges that start on key frames join into the video of the whole range.
    int keyframeInterval = 60;
    // The soundtrack muxed in from audioStart seconds for the video's length; none when
    // empty or when the file cannot be found.
    std::string audioPath;
    double audioStart = 0.0;
    // The soundtrack ends before the video: muxed in whole, the video keeping every frame
    // (otherwise the audio is cut at the video's end).
    bool audioEndsFirst = false;
};

class VideoPipe {
public:
    // The x264 speed preset: about half the work of "medium" per frame at the same
    // quality; the faster presets give up a lot of compression.
    static constexpr const char* kPreset = "veryfast";
    // A constant quantizer rather than a constant rate factor: rate control carries state
    // from frame to frame across key frames, a constant quantizer none, so a key-frame
    // group encodes to the same bytes wherever the encoding started. 16 gives the picture
    // quality that "medium" gave at rate factor 18 (the same PSNR within 0.1 dB on the
    // production's frames; files about a quarter larger).
    static constexpr int kQuantizer = 16;

    VideoPipe() = default;
    // Discards an unfinished video.
    ~VideoPipe();
    VideoPipe(const VideoPipe&) = delete;
    VideoPipe& operator=(const VideoPipe&) = delete;

    // Starts the encoder for RGB frames. False with the reason in error when ffmpeg is
    // missing or cannot be started.
    bool open(const std::string& path, const VideoSettings& settings, std::string& error);
    // One frame: rows top first, 3 bytes a pixel. False with the reason in error when the
    // encoder has stopped taking frames.
    bool write(const std::uint8_t* rgb, std::string& error);
    // Waits for the encoder. With keep, the video replaces the target when the encoder
    // finished without error and the video holds every frame written (checked with
    // ffprobe where it is installed; without it, that the file is not empty); otherwise
    // (or on error) it is removed. False with the reason in error when a kept video could
    // not be finished, or when the encoder that stopped taking frames ended with a failure
    // (its status says why the frames stopped).
    bool close(bool keep, std::string& error);
    bool isOpen() const { return pipe != nullptr; }

    // What ffmpeg is given after its name: raw frames on its input, the soundtrack from
    // audio (none when empty), the video written to output.
    static std::vector<std::string> encoderArguments(const VideoSettings& settings, const std::string& output,
                                                     const std::string& audio);

private:
    std::FILE* pipe = nullptr;
    void* process = nullptr; // the encoder's process where the system names it by a handle
    std::size_t frameBytes = 0;
    std::int64_t framesWritten = 0;
    bool encoderGone = false; // a write found the encoder no longer taking frames
    std::string target;
    std::string temporary;
};

// Makes the program work without a display (rendering through EGL) and without a sound
// device. Must be called before the first window or sound call. On Windows there is
// always a display.
void useHeadlessDevices(bool noDisplay);
// Keeps every library loaded now (the GL driver the window's context brought in) loaded
// until the process ends. Off screen, the window toolkit unloads the driver when it quits,
// unmapping the driver's globals while blocks they point to live on: the leak checker
// then reports them, with stacks it cannot name.
void keepLibrariesLoaded();
// True when a window system display is reachable (always on Windows).
bool displayAvailable();

} // namespace qelFramework::platform
