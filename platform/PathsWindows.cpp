// Files and folders on Windows: names go to the system in UTF-16, a file is replaced with
// MoveFileExW written through, and a file's identity is its index on the volume.
#ifdef _WIN32
#include "platform/Paths.h"
#include "platform/Kernel.h"
#include "platform/SystemCalls.h"
#include "platform/Utf16.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace qelFramework::platform {

namespace {
// The name as the wide calls take it, with backslashes.
std::wstring wide(const std::string& path) {
    const std::u16string text = utf16FromUtf8(nativePath(path));
    std::wstring out(text.begin(), text.end());
    std::replace(out.begin(), out.end(), L'/', L'\\');
    return out;
}

std::string narrow(const wchar_t* text, std::size_t length) {
    std::u16string utf16(reinterpret_cast<const char16_t*>(text), length);
    return nativePath(utf8FromUtf16(utf16));
}

// errno for what GetLastError says, so that callers report it the one way.
void setErrnoFromLastError() {
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE: errno = ENOENT; break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: errno = EACCES; break;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: errno = EEXIST; break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: errno = ENOSPC; break;
    case ERROR_NOT_SAME_DEVICE: errno = EXDEV; break;
    case ERROR_INVALID_NAME: errno = EINVAL; break;
    default: errno = EIO; break;
    }
}

// The attributes of a name, or INVALID_FILE_ATTRIBUTES.
DWORD attributesOf(const std::string& path) { return GetFileAttributesW(wide(path).c_str()); }
} // namespace

std::FILE* openFile(const std::string& path, const char* mode) {
    const std::u16string wideMode = utf16FromUtf8(mode);
    return _wfopen(wide(path).c_str(), std::wstring(wideMode.begin(), wideMode.end()).c_str());
}

bool replaceFile(const std::string& from, const std::string& to) {
    if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    setErrnoFromLastError();
    return false;
}

bool makeFolder(const std::string& path, std::string& error) {
    if (_wmkdir(wide(path).c_str()) == 0 || errno == EEXIST) {
        if (isFolder(path))
            return true;
        errno = ENOTDIR; // something else of that name is in the way
    }
    error = std::strerror(errno);
    return false;
}

bool fileExists(const std::string& path) { return attributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool fileStamp(const std::string& path, FileStamp& stamp) {
    stamp = FileStamp{};
    // Opened for its attributes alone, sharing everything: a writer or a rename beside it
    // is not disturbed. A folder needs the backup flag to be opened at all.
    HANDLE handle = CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!ok)
        return false;
    // 100-nanosecond ticks since 1601.
    const unsigned long long ticks =
        (static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    const unsigned long long kTicksTo1970 = 116444736000000000ULL;
    const unsigned long long since1970 = ticks >= kTicksTo1970 ? ticks - kTicksTo1970 : 0;
    stamp.seconds = static_cast<long long>(since1970 / 10000000ULL);
    stamp.nanoseconds = static_cast<long>((since1970 % 10000000ULL) * 100);
    stamp.size = static_cast<long long>((static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    stamp.identity = ((static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow) ^
                     (static_cast<unsigned long long>(info.dwVolumeSerialNumber) << 48);
    return true;
}

std::string executableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return ".";
        if (n < buffer.size()) {
            const std::string exe = narrow(buffer.data(), n);
            const std::size_t slash = exe.find_last_of('/');
            return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
        }
        if (buffer.size() >= 32768) // the longest name the system has
            return ".";
        buffer.resize(buffer.size() * 2);
    }
}

// Windows programs meet links rarely, and a rename replaces a link rather than its target:
// names are taken as they are.
std::string linkTarget(const std::string& path) { return nativePath(path); }

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::string pattern = nativePath(folder);
    if (pattern.empty())
        return names;
    if (pattern.back() != '/')
        pattern += '/';
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(wide(pattern + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const DWORD kind = found.dwFileAttributes;
        if (!(kind & FILE_ATTRIBUTE_DIRECTORY) && !(kind & FILE_ATTRIBUTE_REPARSE_POINT))
            names.push_back(narrow(found.cFileName, wcslen(found.cFileName)));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

bool syncToDisk(std::FILE* file) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle))
        return true;
    setErrnoFromLastError();
    return false;
}

// Windows keeps no permission bits of this kind.
void keepModeOf(const std::string&, std::FILE*) {}

bool syncFileToDisk(const std::string& path, const std::string&) {
    // FlushFileBuffers needs a handle open for writing.
    HANDLE handle = CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        setErrnoFromLastError();
        return false;
    }
    const bool ok = FlushFileBuffers(handle) != 0;
    if (!ok)
        setErrnoFromLastError();
    CloseHandle(handle);
    return ok;
}

// MoveFileExW with MOVEFILE_WRITE_THROUGH has put the rename on the disk already.
void syncFolderOf(const std::string&) {}

bool removeIfFile(const std::string& path) {
    const DWORD kind = attributesOf(path);
    return kind != INVALID_FILE_ATTRIBUTES && !(kind & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
           DeleteFileW(wide(path).c_str()) != 0;
}

bool isFolder(const std::string& path) {
    const DWORD kind = attributesOf(path);
    return kind != INVALID_FILE_ATTRIBUTES && (kind & FILE_ATTRIBUTE_DIRECTORY);
}

std::string currentFolder() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0)
        return std::string();
    std::wstring buffer(size, L'\0');
    const DWORD n = GetCurrentDirectoryW(size, &buffer[0]);
    return n == 0 || n >= size ? std::string() : narrow(buffer.data(), n);
}

std::string fullPathOf(const std::string& path) {
    const std::wstring name = wide(path);
    const DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return std::string();
    std::wstring buffer(size, L'\0');
    const DWORD n = GetFullPathNameW(name.c_str(), size, &buffer[0], nullptr);
    if (n == 0 || n >= size || buffer.compare(0, 4, L"\\\\.\\") == 0)
        return std::string();
    return narrow(buffer.data(), n);
}

bool enterFolder(const std::string& path) { return SetCurrentDirectoryW(wide(path).c_str()) != 0; }

bool replaceable(const std::string& path, std::string& error) {
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        error = "it is read-only";
        return false;
    }
    // Asking for the right to delete it, as a replacing rename does, sharing everything.
    HANDLE file = CreateFileW(wide(path).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const bool held = GetLastError() == ERROR_SHARING_VIOLATION;
        setErrnoFromLastError();
        error = held ? "another program has it open" : std::strerror(errno);
        return false;
    }
    CloseHandle(file);
    return true;
}

} // namespace qelFramework::platform
#endif
