#include "platform/Paths.h"
#include "platform/Kernel.h"
#include "platform/SystemCalls.h"

#include <cerrno>
#include <cstring>

namespace qelFramework::platform {

std::string nativePath(const std::string& path, PathRules rules) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '\\')
            c = '/';
        // A Windows share's name starts with two slashes, which stay.
        const bool sharePrefix = rules == PathRules::Windows && out.size() == 1;
        if (c == '/' && !out.empty() && out.back() == '/' && !sharePrefix)
            continue;
        out.push_back(c);
    }
    return out;
}

std::size_t rootLength(const std::string& path, PathRules rules) {
    const std::string native = nativePath(path, rules);
    if (rules == PathRules::Windows) {
        const bool letter = !native.empty() && ((native[0] >= 'A' && native[0] <= 'Z') || (native[0] >= 'a' && native[0] <= 'z'));
        if (letter && native.size() >= 3 && native[1] == ':' && native[2] == '/')
            return 3; // C:/
        if (native.size() >= 2 && native[0] == '/' && native[1] == '/') {
            // //server/share/: the server and the share together are the root.
            std::size_t end = native.find('/', 2);
            if (end != std::string::npos)
                end = native.find('/', end + 1);
            return end == std::string::npos ? native.size() : end + 1;
        }
    }
    return !native.empty() && native[0] == '/' ? 1 : 0;
}

bool isAbsolutePath(const std::string& path, PathRules rules) { return rootLength(path, rules) > 0; }

bool makeFolder(const std::string& path) {
    std::string ignored;
    return makeFolder(path, ignored);
}

std::string absolutePath(const std::string& path) {
    const std::string native = nativePath(path);
    const std::string full = native.empty() ? native : fullPathOf(native);
    return full.empty() ? native : full;
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

std::string temporaryPathOf(const std::string& path) { return path + kTemporarySuffix; }

bool writeWholeFile(const std::string& link, const std::vector<unsigned char>& bytes, std::string& error) {
    const std::string path = linkTarget(link);
    const std::string temporary = temporaryPathOf(path);
    std::FILE* file = openFile(temporary, "wb");
    if (!file) {
        error = "cannot create " + temporary + ": " + std::strerror(errno);
        return false;
    }
    keepModeOf(path, file);
    errno = 0;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    // The bytes reach the disk before the rename can: after a power cut the target is
    // the old file or the new one, never a new name over missing data.
    ok = ok && syncToDisk(file);
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
    if (!syncFileToDisk(temporary, path)) {
        error = "cannot write " + temporary + ": " + std::strerror(errno);
        deleteFile(temporary.c_str());
        return false;
    }
    return renameIntoPlace(temporary, path, error);
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

std::string enterContentFolder() {
    const std::string cwd = currentFolder();
    if (!cwd.empty() && isFolder(cwd + "/data"))
        return cwd;
    std::string exeDir = executableFolder();
    if (isFolder(exeDir + "/data") && enterFolder(exeDir))
        return exeDir;
    return std::string();
}

} // namespace qelFramework::platform
