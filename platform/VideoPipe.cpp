#include "platform/VideoPipe.h"

#include <SDL.h>
#include <cstdio>
#include <initializer_list>

namespace qelFramework::platform {

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
