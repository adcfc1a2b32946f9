#include "platform/Paths.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace qelFramework::platform {

std::string nativePath(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '\\')
            c = '/';
        if (c == '/' && !out.empty() && out.back() == '/')
            continue;
        out.push_back(c);
    }
    return out;
}

std::FILE* openFile(const std::string& path, const char* mode) { return std::fopen(nativePath(path).c_str(), mode); }

bool replaceFile(const std::string& from, const std::string& to) {
    return std::rename(nativePath(from).c_str(), nativePath(to).c_str()) == 0;
}

bool makeFolder(const std::string& path) {
    std::string p = nativePath(path);
    if (mkdir(p.c_str(), 0755) == 0 || errno == EEXIST) {
        struct stat st{};
        return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    return false;
}

bool fileExists(const std::string& path) {
    struct stat st{};
    return stat(nativePath(path).c_str(), &st) == 0;
}

std::string executableFolder() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0)
        return ".";
    std::string exe(buffer, static_cast<size_t>(n));
    size_t slash = exe.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

namespace {
bool holdsData(const std::string& folder) {
    struct stat st{};
    std::string data = folder + "/data";
    return stat(data.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
} // namespace

std::string enterContentFolder() {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof(cwd)) && holdsData(cwd))
        return cwd;
    std::string exeDir = executableFolder();
    if (holdsData(exeDir) && chdir(exeDir.c_str()) == 0)
        return exeDir;
    return std::string();
}

} // namespace qelFramework::platform
