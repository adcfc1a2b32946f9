#include "platform/StartingConsole.h"

#ifdef _WIN32
#include <cstdio>
#include <windows.h>
#endif

namespace qelFramework::platform {

#ifdef _WIN32
namespace {
// A standard handle the starter gave the program: a file, a pipe or a console.
bool hasStream(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}
} // namespace

void attachStartingConsole() {
    const bool out = hasStream(STD_OUTPUT_HANDLE), err = hasStream(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!out)
        std::freopen("CONOUT$", "w", stdout);
    if (!err)
        std::freopen("CONOUT$", "w", stderr);
}
#else
void attachStartingConsole() {}
#endif

} // namespace qelFramework::platform
