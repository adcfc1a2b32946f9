// The video pipe's processes on POSIX systems: started through the shell.
#ifndef _WIN32
#include "platform/VideoPipe.h"
#include "platform/Kernel.h"
#include "platform/SystemCalls.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
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

std::string commandLine(const std::string& program, const std::vector<std::string>& args) {
    std::string cmd = quoted(program);
    for (const std::string& arg : args)
        cmd += " " + quoted(arg);
    return cmd;
}
} // namespace

// The shell finds the program on PATH when it is started.
std::string findProgram(const std::string& name) {
    return std::system(("command -v " + quoted(name) + " >/dev/null 2>&1").c_str()) == 0 ? name : std::string();
}

bool startWithInputPipe(const std::string& program, const std::vector<std::string>& args, std::FILE*& input,
                        void*& process, std::string& error) {
    // A program that stops early makes writes fail instead of ending this one.
    ignoreWriteSignals();
    input = popen(commandLine(program, args).c_str(), "w");
    process = nullptr;
    if (!input)
        error = std::strerror(errno);
    return input != nullptr;
}

std::string finishProcess(const std::string& name, std::FILE* input, void*) {
    const int status = pclose(input);
    if (status == -1)
        return "cannot wait for " + name + ": " + std::strerror(errno);
    if (WIFEXITED(status))
        return WEXITSTATUS(status) == 0
                   ? std::string()
                   : name + " exited with status " + std::to_string(WEXITSTATUS(status)) + " (its messages are above)";
    if (WIFSIGNALED(status))
        return name + " was ended by signal " + std::to_string(WTERMSIG(status));
    return name + " ended abnormally";
}

bool runForOutput(const std::string& program, const std::vector<std::string>& args, std::string& output,
                  long& exitCode, std::string& error) {
    std::FILE* run = popen((commandLine(program, args) + " 2>&1").c_str(), "r");
    if (!run) {
        error = std::strerror(errno);
        return false;
    }
    output.clear();
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, run))
        if (output.size() < 4096)
            output += chunk;
    exitCode = pclose(run);
    return true;
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
