// The video encoder pipe on Windows: ffmpeg found on PATH or beside the program and
// started directly (no command interpreter), its input a binary pipe.
#ifdef _WIN32
#include "platform/VideoPipe.h"
#include "platform/Kernel.h"
#include "platform/Paths.h"
#include "platform/ProgramArguments.h"
#include "platform/Utf16.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace qelFramework::platform {

namespace {
std::wstring wide(const std::string& text) {
    const std::u16string utf16 = utf16FromUtf8(text);
    return std::wstring(utf16.begin(), utf16.end());
}

// The program's file: beside this program first, then in the folders PATH names; empty
// when it is nowhere.
std::string findProgram(const std::string& name) {
    std::vector<std::string> folders = {executableFolder()};
    const wchar_t* path = _wgetenv(L"PATH");
    const std::string list = path ? utf8FromUtf16(reinterpret_cast<const char16_t*>(path)) : std::string();
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        std::string folder = list.substr(start, end - start);
        if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
            folder = folder.substr(1, folder.size() - 2);
        if (!folder.empty())
            folders.push_back(folder);
        start = end + 1;
    }
    for (const std::string& folder : folders) {
        const std::string candidate = nativePath(folder + "/" + name + ".exe");
        if (fileExists(candidate))
            return candidate;
    }
    return std::string();
}

// A handle of this process the child may inherit (closed by the caller after the start).
HANDLE inheritable(HANDLE handle) {
    HANDLE copy = nullptr;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

// Starts program with args on the given standard handles (taken over and closed here);
// the process handle, or null with the reason in error.
HANDLE startProcess(const std::string& program, const std::vector<std::string>& args, HANDLE input, HANDLE output,
                    HANDLE errors, std::string& error) {
    std::vector<std::string> all = {program};
    all.insert(all.end(), args.begin(), args.end());
    std::wstring line = wide(windowsCommandLine(all));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION info{};
    // A console program started from one shares it; from a window, it opens none of its own.
    const DWORD flags = GetConsoleWindow() ? 0 : CREATE_NO_WINDOW;
    const BOOL started = CreateProcessW(wide(program).c_str(), &line[0], nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                                        &startup, &info);
    const DWORD why = GetLastError();
    for (HANDLE handle : {input, output, errors})
        if (handle)
            CloseHandle(handle);
    if (!started) {
        error = "cannot start " + program + " (error " + std::to_string(why) + ")";
        return nullptr;
    }
    CloseHandle(info.hThread);
    return info.hProcess;
}

// Waits for a process to end; its exit code, or -1 when it cannot be waited for.
long waitForProcess(HANDLE process) {
    DWORD code = 0;
    const bool ok = WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return ok ? static_cast<long>(code) : -1;
}

// An encoder that exits 0 has not always written the video: the file must be there, not
// be empty, and (where ffprobe is found) hold every frame given to the encoder.
bool holdsFrames(const std::string& path, std::int64_t frames, std::string& error) {
    FileStamp stamp;
    if (!fileStamp(path, stamp) || stamp.size <= 0) {
        error = "ffmpeg finished without writing the video " + path;
        return false;
    }
    const std::string ffprobe = findProgram("ffprobe");
    if (ffprobe.empty())
        return true;
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    HANDLE reader = nullptr, writer = nullptr;
    if (!CreatePipe(&reader, &writer, &attributes, 0)) {
        error = "cannot start ffprobe to check the video: no pipe";
        return false;
    }
    HANDLE childOut = inheritable(writer);
    HANDLE childErr = inheritable(writer);
    CloseHandle(writer);
    HANDLE process = startProcess(ffprobe,
                                  {"-v", "error", "-select_streams", "v:0", "-count_packets", "-show_entries",
                                   "stream=nb_read_packets", "-of", "csv=p=0", path},
                                  nullptr, childOut, childErr, error);
    std::string out;
    char chunk[256];
    DWORD n = 0;
    // Read to the end, so that ffprobe never waits on a full pipe; 4 KiB of it is kept.
    while (process && ReadFile(reader, chunk, sizeof chunk, &n, nullptr) && n > 0)
        if (out.size() < 4096)
            out.append(chunk, n);
    CloseHandle(reader);
    if (!process) {
        error = "cannot start ffprobe to check the video: " + error;
        return false;
    }
    const long status = waitForProcess(process);
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
    if (GetFileAttributesW(wide(target).c_str()) != INVALID_FILE_ATTRIBUTES &&
        (GetFileAttributesW(wide(target).c_str()) & FILE_ATTRIBUTE_DIRECTORY)) {
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
    const std::vector<std::string> args =
        encoderArguments(settings, temporary, withAudio ? nativePath(settings.audioPath) : "");

    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    HANDLE reader = nullptr, writer = nullptr;
    if (!CreatePipe(&reader, &writer, &attributes, 0)) {
        error = "cannot start ffmpeg: no pipe (error " + std::to_string(GetLastError()) + ")";
        deleteFile(temporary.c_str());
        return false;
    }
    HANDLE childIn = inheritable(reader);
    CloseHandle(reader);
    HANDLE started = startProcess(ffmpeg, args, childIn, inheritable(GetStdHandle(STD_OUTPUT_HANDLE)),
                                  inheritable(GetStdHandle(STD_ERROR_HANDLE)), error);
    const int fd = started ? _open_osfhandle(reinterpret_cast<intptr_t>(writer), _O_WRONLY | _O_BINARY) : -1;
    pipe = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
    if (!pipe) {
        if (fd >= 0)
            _close(fd);
        else
            CloseHandle(writer);
        if (started)
            waitForProcess(started);
        error = "cannot start ffmpeg: " + (started ? std::string("no stream on the pipe") : error);
        deleteFile(temporary.c_str());
        return false;
    }
    process = started;
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
    std::fclose(pipe); // the encoder sees the end of its input
    pipe = nullptr;
    const long status = waitForProcess(static_cast<HANDLE>(process));
    process = nullptr;
    const bool finished = status == 0;
    if (keep && finished && holdsFrames(temporary, framesWritten, error))
        return commitWholeFile(temporary, target, error);
    if (keep && !finished)
        error = status == -1 ? std::string("cannot wait for ffmpeg")
                             : "ffmpeg exited with status " + std::to_string(status) + " (its messages are above)";
    deleteFile(temporary.c_str());
    return !keep;
}

// Windows keeps a loaded library until it is freed; nothing unloads the driver early.
void keepLibrariesLoaded() {}

bool displayAvailable() { return true; }

} // namespace qelFramework::platform
#endif
