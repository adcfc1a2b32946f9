#include "platform/VideoPipe.h"
#include "platform/Paths.h"

#include <SDL.h>
#include <cstdlib>
#include <sys/wait.h>

namespace qelFramework::platform {

namespace {
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}
} // namespace

VideoPipe::~VideoPipe() { close(); }

bool VideoPipe::open(const std::string& path, int width, int height, int fps, const std::string& audioPath,
                     double audioStart, std::string& error) {
    if (pipe) {
        error = "the video is already open";
        return false;
    }
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) {
        error = "the ffmpeg program is not installed";
        return false;
    }
    std::string cmd = "ffmpeg -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " + std::to_string(width) + "x" +
                      std::to_string(height) + " -framerate " + std::to_string(fps) + " -i -";
    const bool withAudio = !audioPath.empty() && fileExists(audioPath);
    if (withAudio) {
        char start[32];
        std::snprintf(start, sizeof(start), "%.3f", audioStart);
        cmd += std::string(" -ss ") + start + " -i " + quoted(nativePath(audioPath)) +
               " -map 0:v -map 1:a -c:a aac -b:a 192k -shortest";
    }
    // Bit-exact flags and no metadata, so that two encodings of the same frames are identical.
    cmd += " -c:v libx264 -preset medium -crf 18 -pix_fmt yuv420p -threads 1 -fflags +bitexact"
           " -flags:v +bitexact -flags:a +bitexact -map_metadata -1 -movflags +faststart " +
           quoted(nativePath(path));
    pipe = popen(cmd.c_str(), "w");
    if (!pipe) {
        error = "cannot start ffmpeg";
        return false;
    }
    frameBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
    return true;
}

bool VideoPipe::write(const std::uint8_t* rgb) {
    return pipe && std::fwrite(rgb, 1, frameBytes, pipe) == frameBytes;
}

bool VideoPipe::close() {
    if (!pipe)
        return true;
    int status = pclose(pipe);
    pipe = nullptr;
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void useHeadlessDevices(bool noDisplay) {
    if (noDisplay)
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
}

bool displayAvailable() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

} // namespace qelFramework::platform
