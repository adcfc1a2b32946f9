#include "platform/Paths.h"
#include "platform/Kernel.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
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
    std::string ignored;
    return makeFolder(path, ignored);
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

std::string absolutePath(const std::string& path) {
    const std::string native = nativePath(path);
    if (native.empty() || native[0] == '/')
        return native;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd))
        return native;
    return std::string(cwd) + "/" + native;
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

bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::size_t limit, std::string& error) {
    bytes.clear();
    std::FILE* file = openFile(path, "rb");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    unsigned char chunk[65536];
    std::size_t n;
    errno = 0;
    while (bytes.size() <= limit && (n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    const int readErrno = errno;
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || bytes.size() > limit) {
        error = failed ? std::strerror(readErrno ? readErrno : EIO) : "larger than " + std::to_string(limit) + " bytes";
        bytes.clear();
        return false;
    }
    return true;
}

bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
    bytes.clear();
    std::FILE* file = openFile(path, "rb");
    if (!file)
        return false;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    std::rewind(file);
    unsigned char chunk[65536];
    std::size_t n = std::fread(chunk, 1, sizeof chunk, file);
    bytes.assign(chunk, chunk + n);
    // Once the first chunk has come back whole the size is taken as a guess for one
    // read; what fread delivers counts.
    if (n == sizeof chunk && size > static_cast<long>(n)) {
        bytes.resize(static_cast<std::size_t>(size));
        bytes.resize(n + std::fread(bytes.data() + n, 1, bytes.size() - n, file));
    }
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        bytes.clear();
    return !failed;
}

namespace {
const char* const kTemporarySuffix = ".quillmont-tmp"; // the writer's temporary file beside its target

bool removeIfFile(const std::string& path) {
    struct stat st{};
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && unlink(path.c_str()) == 0;
}

// Puts the folder's entries (a rename done in it) on disk. A failure is not reported: the
// target is already whole, either the old file or the new one.
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

// The temporary file takes the mode of the file it replaces (a private 600 stays 600).
void keepModeOf(const std::string& target, int fd) {
    struct stat st{};
    if (stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        fchmod(fd, st.st_mode & 07777);
}

// Renames a synced temporary file over path and syncs the folder, so the new name
// reaches the disk too; on failure the temporary file goes.
bool renameIntoPlace(const std::string& temporary, const std::string& path, std::string& error) {
    if (!replaceFile(temporary, path)) {
        error = "cannot replace " + path + ": " + std::strerror(errno);
        deleteFile(temporary.c_str());
        return false;
    }
    syncFolderOf(path);
    return true;
}
} // namespace

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

std::string temporaryPathOf(const std::string& path) { return path + kTemporarySuffix; }

bool writeWholeFile(const std::string& link, const std::vector<unsigned char>& bytes, std::string& error) {
    const std::string path = linkTarget(link);
    const std::string temporary = temporaryPathOf(path);
    std::FILE* file = openFile(temporary, "wb");
    if (!file) {
        error = "cannot create " + temporary + ": " + std::strerror(errno);
        return false;
    }
    keepModeOf(path, fileno(file));
    errno = 0;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    // The bytes reach the disk before the rename can: after a power cut the target is
    // the old file or the new one, never a new name over missing data.
    ok = ok && fsync(fileno(file)) == 0;
    const int writeErrno = errno;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        error = "cannot write " + temporary + ": " + std::strerror(writeErrno ? writeErrno : errno);
        deleteFile(temporary.c_str());
        return false;
    }
    return renameIntoPlace(temporary, path, error);
}

bool commitWholeFile(const std::string& temporary, const std::string& link, std::string& error) {
    const std::string path = linkTarget(link);
    const int fd = open(nativePath(temporary).c_str(), O_RDONLY | O_CLOEXEC);
    bool ok = fd >= 0 && fsync(fd) == 0;
    const int syncErrno = errno;
    if (fd >= 0) {
        keepModeOf(path, fd);
        close(fd);
    }
    if (!ok) {
        error = "cannot write " + temporary + ": " + std::strerror(syncErrno);
        deleteFile(temporary.c_str());
        return false;
    }
    return renameIntoPlace(temporary, path, error);
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

std::vector<std::string> removeLeftoverTemporaryFiles(const std::string& folder) {
    std::vector<std::string> removed;
    std::string native = nativePath(folder);
    if (!native.empty() && native.back() != '/')
        native += '/';
    const std::size_t suffix = std::strlen(kTemporarySuffix);
    for (const std::string& name : filesIn(folder)) {
        if (name.size() <= suffix || name.compare(name.size() - suffix, suffix, kTemporarySuffix) != 0)
            continue;
        if (removeIfFile(native + name))
            removed.push_back(native + name);
    }
    return removed;
}

bool removeLeftoverTemporaryFileOf(const std::string& path) { return removeIfFile(temporaryPathOf(linkTarget(path))); }

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
