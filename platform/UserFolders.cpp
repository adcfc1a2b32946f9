#include "platform/UserFolders.h"

#include "platform/Paths.h"

#include <algorithm>
#include <cstdlib>

#ifdef _WIN32
#include "platform/Utf16.h"
#include <windows.h>
#endif

namespace qelFramework::platform {

namespace {
// An environment variable's value when it is an absolute path, else "".
std::string absoluteVariable(const char* name) {
#ifdef _WIN32
    const std::u16string wideName = utf16FromUtf8(name);
    const wchar_t* wide = _wgetenv(reinterpret_cast<const wchar_t*>(wideName.c_str()));
    const std::string value = wide ? utf8FromUtf16(reinterpret_cast<const char16_t*>(wide)) : std::string();
#else
    const char* raw = std::getenv(name);
    const std::string value = raw ? raw : "";
#endif
    return isAbsolutePath(value) ? value : std::string();
}
} // namespace

#ifdef _WIN32
std::string userStateFolder() {
    const std::string local = absoluteVariable("LOCALAPPDATA");
    return local.empty() ? std::string() : nativePath(local + "/quillmont");
}

std::string temporaryFolder() {
    wchar_t buffer[MAX_PATH + 2];
    const DWORD n = GetTempPathW(MAX_PATH + 2, buffer);
    std::string folder = n > 0 && n <= MAX_PATH + 1
                             ? nativePath(utf8FromUtf16(std::u16string(reinterpret_cast<const char16_t*>(buffer), n)))
                             : std::string();
    if (folder.size() > static_cast<std::size_t>(rootLength(folder)) && folder.back() == '/')
        folder.pop_back();
    return folder.empty() ? std::string("C:/Windows/Temp") : folder;
}
#else
std::string userStateFolder() {
    const std::string state = absoluteVariable("XDG_STATE_HOME");
    if (!state.empty())
        return nativePath(state + "/quillmont");
    const std::string home = absoluteVariable("HOME");
    return home.empty() ? std::string() : nativePath(home + "/.local/state/quillmont");
}

std::string temporaryFolder() {
    const std::string temporary = absoluteVariable("TMPDIR");
    return temporary.empty() ? std::string("/tmp") : nativePath(temporary);
}
#endif

bool makeFolders(const std::string& path, std::string& error) {
    const std::string native = nativePath(path);
    // Each folder from the top down, below the root (no one makes "/" or "C:"); only the
    // last one's failure counts, since those above it may exist without being ours to make.
    for (std::size_t slash = native.find('/', std::max<std::size_t>(rootLength(native), 1)); slash != std::string::npos;
         slash = native.find('/', slash + 1))
        makeFolder(native.substr(0, slash));
    return makeFolder(native, error);
}

} // namespace qelFramework::platform
