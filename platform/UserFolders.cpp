#include "platform/UserFolders.h"

#include "platform/Paths.h"

#include <cstdlib>

namespace qelFramework::platform {

namespace {
// An environment variable's value when it is an absolute path, else "".
std::string absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? std::string(value) : std::string();
}
} // namespace

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

bool makeFolders(const std::string& path, std::string& error) {
    const std::string native = nativePath(path);
    // Each folder from the top down; only the last one's failure counts, since those
    // above it may exist without being ours to make.
    for (std::size_t slash = native.find('/', 1); slash != std::string::npos; slash = native.find('/', slash + 1))
        makeFolder(native.substr(0, slash));
    return makeFolder(native, error);
}

} // namespace qelFramework::platform
