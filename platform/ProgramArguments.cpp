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

} // namespace qelFramework::platform
