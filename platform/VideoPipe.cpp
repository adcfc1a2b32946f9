#include "platform/VideoPipe.h"
#include "platform/Kernel.h"
#include "platform/Paths.h"
#include "platform/SystemCalls.h"

#include <SDL.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace qelFramework::platform {

namespace {
// An encoder that exits 0 has not always written the video: the file must be there, not
// be empty, and (where ffprobe is installed) hold every frame given to the encoder.
bool holdsFrames(const std::string& path, std::int64_t frames, std::string& error) {
    FileStamp stamp;
    if (!fileStamp(path, stamp) || stamp.size <= 0) {
        error = "ffmpeg finished without writing the video " + path;
        return false;
    }
    const std::string ffprobe = findProgram("ffprobe");
    if (ffprobe.empty())
        return true;
    std::string out;
    long exitCode = 0;
    if (!runForOutput(ffprobe,
                      {"-v", "error", "-select_streams", "v:0", "-count_packets", "-show_entries",
                       "stream=nb_read_packets", "-of", "csv=p=0", path},
                      out, exitCode, error)) {
        error = "cannot start ffprobe to check the video: " + error;
        return false;
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    char* end = nullptr;
    const long long held = std::strtoll(out.c_str(), &end, 10);
    if (exitCode != 0 || out.empty() || *end != '\0') {
        error = "ffmpeg wrote a video that ffprobe cannot read" + (out.empty() ? std::string() : ": " + out);
        return false;
    }
    if (held != frames) {
        error = "ffmpeg wrote " + std::to_string(held) + " of the " + std::to_string(frames) +
                " frames it was given into the video";
        return false;
    }
    return true;
}
} // namespace

VideoPipe::~VideoPipe() {
    std::string ignored;
    close(false, ignored);
}

bool VideoPipe::open(const std::string& path, const VideoSettings& settings, std::string& error) {
    if (pipe) {
        error = "the video is already open";
        return false;
    }
    const std::string ffmpeg = findProgram("ffmpeg");
    if (ffmpeg.empty()) {
        error = "the ffmpeg program is not installed";
        return false;
    }
    if (settings.width % 2 != 0 || settings.height % 2 != 0) {
        error = "H.264 in 4:2:0 needs an even width and height, not " + std::to_string(settings.width) + "x" +
                std::to_string(settings.height);
        return false;
    }
    target = nativePath(path);
    temporary = temporaryPathOf(target);
    // Whatever keeps the video from its place is found now, not after every frame is rendered.
    if (isFolder(target)) {
        error = "cannot write the video " + target + ": a folder has that name";
        return false;
    }
    std::string why;
    if (!replaceable(target, why)) {
        error = "cannot replace the video " + target + ": " + why;
        return false;
    }
    std::FILE* probe = openFile(temporary, "wb");
    if (!probe) {
        error = "cannot create " + temporary + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(probe);
    const bool withAudio = !settings.audioPath.empty() && fileExists(settings.audioPath);
    const std::vector<std::string> args =
        encoderArguments(settings, temporary, withAudio ? nativePath(settings.audioPath) : "");
    if (!startWithInputPipe(ffmpeg, args, pipe, process, error)) {
        error = "cannot start ffmpeg: " + error;
        deleteFile(temporary.c_str());
        return false;
    }
    frameBytes = static_cast<std::size_t>(settings.width) * static_cast<std::size_t>(settings.height) * 3;
    framesWritten = 0;
    encoderGone = false;
    return true;
}

bool VideoPipe::write(const std::uint8_t* rgb, std::string& error) {
    if (!pipe) {
        error = "the video is not open";
        return false;
    }
    if (std::fwrite(rgb, 1, frameBytes, pipe) == frameBytes) {
        ++framesWritten;
        return true;
    }
    error = std::string("the video encoder stopped taking frames (") + std::strerror(errno) + ")";
    encoderGone = true;
    return false;
}

bool VideoPipe::close(bool keep, std::string& error) {
    if (!pipe)
        return true;
    const std::string ended = finishProcess("ffmpeg", pipe, process);
    pipe = nullptr;
    process = nullptr;
    if (keep && ended.empty() && holdsFrames(temporary, framesWritten, error))
        return commitWholeFile(temporary, target, error);
    if (!ended.empty() && (keep || encoderGone))
        error = ended;
    deleteFile(temporary.c_str());
    return !keep && !(encoderGone && !ended.empty());
}

std::vector<std::string> VideoPipe::encoderArguments(const VideoSettings& settings, const std::string& output,
                                                     const std::string& audio) {
    // -xerror: an error while finishing the file (a full disk as the index is written at
    // the end) ends ffmpeg with a failure instead of leaving a file without its index.
    std::vector<std::string> args = {"-loglevel", "error", "-xerror", "-y", "-f", "rawvideo", "-pix_fmt", "rgb24",
                                     "-s", std::to_string(settings.width) + "x" + std::to_string(settings.height),
                                     "-framerate", std::to_string(settings.fps), "-i", "-"};
    if (!audio.empty()) {
        char start[32];
        std::snprintf(start, sizeof(start), "%.3f", settings.audioStart);
        for (const char* arg : std::initializer_list<const char*>{"-ss", start, "-i", audio.c_str(), "-map", "0:v", "-map", "1:a", "-c:a", "aac", "-b:a", "192k"})
            args.push_back(arg);
        if (!settings.audioEndsFirst)
            args.push_back("-shortest");
    }
    const std::string keyframes = std::to_string(settings.keyframeInterval > 0 ? settings.keyframeInterval : 1);
    // Key frames only on the fixed grid (no scene-cut ones). Bit-exact flags and no
    // metadata, so that two encodings of the same frames are identical.
    for (const std::string& arg :
         {std::string("-c:v"), std::string("libx264"), std::string("-preset"), std::string(kPreset), std::string("-qp"),
          std::to_string(kQuantizer), std::string("-g"), keyframes, std::string("-keyint_min"), keyframes,
          std::string("-sc_threshold"), std::string("0"), std::string("-pix_fmt"), std::string("yuv420p"),
          std::string("-threads"), std::string("1"), std::string("-fflags"), std::string("+bitexact"),
          std::string("-flags:v"), std::string("+bitexact"), std::string("-flags:a"), std::string("+bitexact"),
          std::string("-map_metadata"), std::string("-1"), std::string("-movflags"), std::string("+faststart"),
          std::string("-f"), std::string("mp4"), output})
        args.push_back(arg);
    return args;
}

void useHeadlessDevices(bool noDisplay) {
    if (noDisplay)
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
}

} // namespace qelFramework::platform
