#pragma once
// File names opened on this system. The program writes its names with '/'; names that
// stored files or input scripts spell with backslashes or doubled slashes
// ("data\textures\loading.png", "data//textures//border.png") open the same file.
#include <cstdio>
#include <string>
#include <vector>

namespace qelFramework::platform {

// The rules a system names files by; both can be asked for on every system.
enum class PathRules { Posix, Windows };
#ifdef _WIN32
constexpr PathRules kSystemPathRules = PathRules::Windows;
#else
constexpr PathRules kSystemPathRules = PathRules::Posix;
#endif

// Backslashes become slashes and runs of slashes collapse to one (on Windows, but for the
// two that start a share's name: \\server\share is //server/share).
std::string nativePath(const std::string& path, PathRules rules = kSystemPathRules);
// How many leading characters of a name are its root, which no one makes: "/" (1); on
// Windows also a drive "C:/" (3) or a share "//server/share/"; 0 for a relative name.
std::size_t rootLength(const std::string& path, PathRules rules = kSystemPathRules);
// A name with a root (see rootLength) does not depend on the working folder.
bool isAbsolutePath(const std::string& path, PathRules rules = kSystemPathRules);

// fopen on the translated name (on Windows with the UTF-8 name in UTF-16).
std::FILE* openFile(const std::string& path, const char* mode);

// Renames a file over another (atomic on one file system; on Windows the rename is
// written through to the disk before it returns). True on success, else errno says why.
bool replaceFile(const std::string& from, const std::string& to);

// The whole content of a file; false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes);
// The same with the reason for a failure in error (the system's, or "larger than N
// bytes" for a file longer than limit, of which no more is read).
bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::size_t limit, std::string& error);
// The temporary file a whole-file write goes through, beside its target: path +
// ".quillmont-tmp", a suffix no one else uses, so that a leftover is known to be ours.
std::string temporaryPathOf(const std::string& path);
// The file a write to path lands in: path itself, or the file its chain of symbolic links
// ends at (a relative link read from the folder that holds it).
std::string linkTarget(const std::string& path);
// Writes bytes to path whole or not at all, a power cut included: through a temporary
// file beside the target (temporaryPathOf(path)); a symbolic link is written through to
// its target (linkTarget), which keeps its mode, and stays a link; synced to the disk, then renamed over the
// target, and the folder synced. On failure the target is untouched, the temporary file
// removed and the reason in error.
bool writeWholeFile(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error);
// Makes a file another writer finished at `temporary` (a program's output) the file at
// path the same way (through a link to its target, keeping the target's mode): synced to the disk, renamed over path, the folder synced. On
// failure the temporary file is removed and the reason is in error.
bool commitWholeFile(const std::string& temporary, const std::string& path, std::string& error);
// Deletes the temporary files that writes cut off by a kill or a power cut left in the
// folder (not in its subfolders); returns their names.
std::vector<std::string> removeLeftoverTemporaryFiles(const std::string& folder);
// The names of the plain files in a folder (not its subfolders), sorted; none when the
// folder cannot be read.
std::vector<std::string> filesIn(const std::string& folder);
// Deletes the temporary file a cut-off write of path left (beside the link's target for a
// link); true when there was one.
bool removeLeftoverTemporaryFileOf(const std::string& path);

// Creates a folder (one level); true when it exists afterwards.
bool makeFolder(const std::string& path);
// The same with the system's reason for a failure in error.
bool makeFolder(const std::string& path, std::string& error);

bool fileExists(const std::string& path);

// What tells one version of a file from the next without reading it: the modification
// time, the size and the file's identity (a save that renames a new file over the old
// one changes it).
struct FileStamp {
    long long seconds = 0;
    long nanoseconds = 0;
    long long size = -1;
    unsigned long long identity = 0;
    bool operator==(const FileStamp& other) const {
        return seconds == other.seconds && nanoseconds == other.nanoseconds && size == other.size &&
               identity == other.identity;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};
// False (and an empty stamp) when the file cannot be looked at.
bool fileStamp(const std::string& path, FileStamp& stamp);

// The path from the root, for a name relative to the working folder (which start-up
// may change), made absolute the system's way (see fullPathOf); an absolute path comes
// back as it is, on Windows with "." and ".." resolved.
std::string absolutePath(const std::string& path);

// The folder of the running executable, without a trailing slash.
std::string executableFolder();

// Makes the folder that holds the content ("data/") the working folder: the current
// folder when it holds data/, else the executable's folder when that does.
// Returns the folder chosen, or an empty string when neither holds data/.
std::string enterContentFolder();

} // namespace qelFramework::platform
