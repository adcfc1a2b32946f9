// The video encoder pipe on POSIX systems: ffmpeg started through the shell.
#ifndef _WIN32
#include "platform/VideoPipe.h"
#include "platform/Kernel.h"
#include "platform/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

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

// What a finished child's status says, for a message.
std::string describeExit(int status) {
    if (status == -1)
        return std::string("cannot wait for ffmpeg: ") + std::strerror(errno);
    if (WIFEXITED(status))
        return "ffmpeg exited with status " + std::to_string(WEXITSTATUS(status)) + " (its messages are above)";
    if (WIFSIGNALED(status))
        return "ffmpeg was ended by signal " + std::to_string(WTERMSIG(status));
    return "ffmpeg ended abnormally";
}
// An encoder that exits 0 has not always written the video: the file must be there, not
// be empty, and (where ffprobe is installed) hold every frame given to the encoder.
bool holdsFrames(const std::string& path, std::int64_t frames, std::string& error) {
    struct stat st{};
    if (stat(path.c_str(), &st) != 0 || st.st_size == 0) {
        error = "ffmpeg finished without writing the video " + path;
        return false;
    }
    if (std::system("command -v ffprobe >/dev/null 2>&1") != 0)
        return true;
    const std::string cmd = "ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets "
                            "-of csv=p=0 " + quoted(path) + " 2>&1";
    std::FILE* probe = popen(cmd.c_str(), "r");
    if (!probe) {
        error = std::string("cannot start ffprobe to check the video: ") + std::strerror(errno);
        return false;
    }
    std::string out;
    char chunk[256];
    while (out.size() < 4096 && std::fgets(chunk, sizeof chunk, probe))
        out += chunk;
    const int status = pclose(probe);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    char* end = nullptr;
    const long long held = std::strtoll(out.c_str(), &end, 10);
    if (status != 0 || out.empty() || *end != '\0') {
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
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) {
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
    struct stat st{};
    if (stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        error = "cannot write the video " + target + ": a folder has that name";
        return false;
    }
    std::FILE* probe = openFile(temporary, "wb");
    if (!probe) {
        error = "cannot create " + temporary + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(probe);
    const bool withAudio = !settings.audioPath.empty() && fileExists(settings.audioPath);
    std::string cmd = "ffmpeg";
    for (const std::string& arg : encoderArguments(settings, temporary, withAudio ? nativePath(settings.audioPath) : ""))
        cmd += " " + quoted(arg);
    // An encoder that stops early makes writes fail instead of ending the program.
    ignoreWriteSignals();
    pipe = popen(cmd.c_str(), "w");
    if (!pipe) {
        error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        deleteFile(temporary.c_str());
        return false;
    }
    frameBytes = static_cast<std::size_t>(settings.width) * static_cast<std::size_t>(settings.height) * 3;
    framesWritten = 0;
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
    return false;
}

bool VideoPipe::close(bool keep, std::string& error) {
    if (!pipe)
        return true;
    const int status = pclose(pipe);
    pipe = nullptr;
    const bool finished = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (keep && finished && holdsFrames(temporary, framesWritten, error))
        return commitWholeFile(temporary, target, error);
    if (keep && !finished)
        error = describeExit(status);
    deleteFile(temporary.c_str());
    return !keep;
}

namespace {
int noteLibrary(dl_phdr_info* info, size_t, void* names) {
    if (info->dlpi_name && info->dlpi_name[0] == '/')
        static_cast<std::vector<std::string>*>(names)->push_back(info->dlpi_name);
    return 0;
}
} // namespace

void keepLibrariesLoaded() {
    // Named first and pinned after: the list is not walked while the loader changes it.
    std::vector<std::string> names;
    dl_iterate_phdr(noteLibrary, &names);
    for (const std::string& name : names)
        dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

bool displayAvailable() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

} // namespace qelFramework::platform
#endif
