// Files and folders on POSIX systems.
#ifndef _WIN32
#include "platform/Paths.h"
#include "platform/Kernel.h"
#include "platform/SystemCalls.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qelFramework::platform {

std::FILE* openFile(const std::string& path, const char* mode) { return std::fopen(nativePath(path).c_str(), mode); }

bool replaceFile(const std::string& from, const std::string& to) {
    return std::rename(nativePath(from).c_str(), nativePath(to).c_str()) == 0;
}

bool makeFolder(const std::string& path, std::string& error) {
    std::string p = nativePath(path);
    if (mkdir(p.c_str(), 0755) == 0 || errno == EEXIST) {
        struct stat st{};
        if (stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return true;
        errno = ENOTDIR; // something else of that name is in the way
    }
    error = std::strerror(errno);
    return false;
}

bool fileExists(const std::string& path) {
    struct stat st{};
    return stat(nativePath(path).c_str(), &st) == 0;
}

bool fileStamp(const std::string& path, FileStamp& stamp) {
    stamp = FileStamp{};
    struct stat st{};
    if (stat(nativePath(path).c_str(), &st) != 0)
        return false;
    stamp.seconds = static_cast<long long>(st.st_mtim.tv_sec);
    stamp.nanoseconds = static_cast<long>(st.st_mtim.tv_nsec);
    stamp.size = static_cast<long long>(st.st_size);
    stamp.identity = static_cast<unsigned long long>(st.st_ino);
    return true;
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

std::string linkTarget(const std::string& path) {
    std::string current = nativePath(path);
    for (int hop = 0; hop < 40; ++hop) { // the system's own limit on a chain is of this order
        struct stat st{};
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        char buffer[PATH_MAX];
        const ssize_t n = readlink(current.c_str(), buffer, sizeof buffer);
        if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer)
            return current;
        std::string next(buffer, static_cast<std::size_t>(n));
        const std::size_t slash = current.find_last_of('/');
        if (next[0] != '/' && slash != std::string::npos)
            next = current.substr(0, slash + 1) + next;
        current = next;
    }
    return current;
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::string native = nativePath(folder);
    DIR* dir = opendir(native.c_str());
    if (!dir)
        return names;
    if (native.back() != '/')
        native += '/';
    while (const dirent* entry = readdir(dir)) {
        struct stat st{};
        if (lstat((native + entry->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            names.push_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool syncToDisk(std::FILE* file) { return fsync(fileno(file)) == 0; }

namespace {
void keepModeOf(const std::string& target, int fd) {
    struct stat st{};
    if (stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        fchmod(fd, st.st_mode & 07777);
}
} // namespace

void keepModeOf(const std::string& target, std::FILE* file) { keepModeOf(target, fileno(file)); }

bool syncFileToDisk(const std::string& path, const std::string& modeOf) {
    const int fd = open(nativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    bool ok = fd >= 0 && fsync(fd) == 0;
    const int syncErrno = errno;
    if (fd >= 0) {
        keepModeOf(modeOf, fd);
        close(fd);
    }
    errno = syncErrno;
    return ok;
}

void syncFolderOf(const std::string& path) {
    const std::string native = nativePath(path);
    const std::size_t slash = native.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : native.substr(0, slash);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

bool removeIfFile(const std::string& path) {
    struct stat st{};
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && unlink(path.c_str()) == 0;
}

bool isFolder(const std::string& path) {
    struct stat st{};
    return stat(nativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string currentFolder() {
    char cwd[PATH_MAX];
    return getcwd(cwd, sizeof cwd) ? std::string(cwd) : std::string();
}

std::string fullPathOf(const std::string& path) {
    if (!path.empty() && path[0] == '/')
        return path;
    const std::string cwd = currentFolder();
    return cwd.empty() ? cwd : cwd + (cwd.back() == '/' ? "" : "/") + path;
}

bool enterFolder(const std::string& path) { return chdir(nativePath(path).c_str()) == 0; }

// A rename replaces a file whatever holds it open; the folder's permission is what
// decides, and the writer tries that with its temporary file.
bool replaceable(const std::string&, std::string&) { return true; }

} // namespace qelFramework::platform
#endif
