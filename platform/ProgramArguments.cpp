#include "platform/ProgramArguments.h"

#ifdef _WIN32
#include "platform/Utf16.h"
#include <windows.h>
#include <shellapi.h>
#endif

namespace qelFramework::platform {

std::vector<std::string> programArguments(int argc, char** argv) {
#ifdef _WIN32
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide) {
        std::vector<std::string> args;
        for (int i = 1; i < count; ++i)
            args.push_back(utf8FromUtf16(reinterpret_cast<const char16_t*>(wide[i])));
        LocalFree(wide);
        return args;
    }
#endif
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

namespace {
// One argument quoted the way the runtime splits a command line: backslashes are plain
// unless a quote follows them, so those before a quote (a quoted one or the closing one)
// are doubled.
std::string quotedArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    for (std::size_t i = 0;; ++i) {
        std::size_t backslashes = 0;
        for (; i < arg.size() && arg[i] == '\\'; ++i)
            ++backslashes;
        if (i == arg.size()) {
            out.append(backslashes * 2, '\\');
            break;
        }
        out.append(arg[i] == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        out.push_back(arg[i]);
    }
    return out + "\"";
}
} // namespace

std::string windowsCommandLine(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args)
        line += (line.empty() ? "" : " ") + quotedArgument(arg);
    return line;
}

} // namespace qelFramework::platform
