// The video pipe's processes on Windows: programs found beside this one or on PATH and
// started directly (no command interpreter), their input a binary pipe.
#ifdef _WIN32
#include "platform/VideoPipe.h"
#include "platform/Kernel.h"
#include "platform/Paths.h"
#include "platform/SystemCalls.h"
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

} // namespace

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

bool startWithInputPipe(const std::string& program, const std::vector<std::string>& args, std::FILE*& input,
                        void*& process, std::string& error) {
    input = nullptr;
    process = nullptr;
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    HANDLE reader = nullptr, writer = nullptr;
    if (!CreatePipe(&reader, &writer, &attributes, 0)) {
        error = "no pipe (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    HANDLE childIn = inheritable(reader);
    CloseHandle(reader);
    HANDLE started = startProcess(program, args, childIn, inheritable(GetStdHandle(STD_OUTPUT_HANDLE)),
                                  inheritable(GetStdHandle(STD_ERROR_HANDLE)), error);
    // Binary: the frames' bytes reach the program as they are.
    const int fd = started ? _open_osfhandle(reinterpret_cast<intptr_t>(writer), _O_WRONLY | _O_BINARY) : -1;
    input = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
    if (!input) {
        if (fd >= 0)
            _close(fd);
        else
            CloseHandle(writer);
        if (started)
            waitForProcess(started);
        if (started)
            error = "no stream on the pipe";
        return false;
    }
    process = started;
    return true;
}

std::string finishProcess(const std::string& name, std::FILE* input, void* process) {
    std::fclose(input); // the program sees the end of its input
    const long status = waitForProcess(static_cast<HANDLE>(process));
    if (status == -1)
        return "cannot wait for " + name;
    return status == 0 ? std::string()
                       : name + " exited with status " + std::to_string(status) + " (its messages are above)";
}

bool runForOutput(const std::string& program, const std::vector<std::string>& args, std::string& output,
                  long& exitCode, std::string& error) {
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    HANDLE reader = nullptr, writer = nullptr;
    if (!CreatePipe(&reader, &writer, &attributes, 0)) {
        error = "no pipe";
        return false;
    }
    HANDLE childOut = inheritable(writer);
    HANDLE childErr = inheritable(writer);
    CloseHandle(writer);
    HANDLE process = startProcess(program, args, nullptr, childOut, childErr, error);
    output.clear();
    char chunk[256];
    DWORD n = 0;
    // Read to the end, so that the program never waits on a full pipe; 4 KiB of it is kept.
    while (process && ReadFile(reader, chunk, sizeof chunk, &n, nullptr) && n > 0)
        if (output.size() < 4096)
            output.append(chunk, n);
    CloseHandle(reader);
    if (!process)
        return false;
    exitCode = waitForProcess(process);
    return true;
}

// Windows keeps a loaded library until it is freed; nothing unloads the driver early.
void keepLibrariesLoaded() {}

bool displayAvailable() { return true; }

} // namespace qelFramework::platform
#endif
