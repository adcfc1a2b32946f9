#pragma once
// Internal to the platform layer: the calls each system makes its own way (in the files
// named ...Posix.cpp and ...Windows.cpp), on which the shared code of Paths and Kernel is
// built. Names are the program's (UTF-8, '/'), as Paths.h describes.
#include <cstdint>
#include <cstdio>
#include <string>

namespace qelFramework::platform {

// Puts a written file's bytes on the disk; false with errno set when that fails.
bool syncToDisk(std::FILE* file);
// The same for a file another writer finished, named by path, which first takes the
// permissions of modeOf (see keepModeOf).
bool syncFileToDisk(const std::string& path, const std::string& modeOf);
// Gives the file being written the permissions of the file it will replace, where the
// system has them (a private 600 stays 600).
void keepModeOf(const std::string& target, std::FILE* file);
// Puts the folder's entries (a rename done in it) on the disk, where the system needs it.
// A failure is not reported: the target is already whole, the old file or the new one.
void syncFolderOf(const std::string& path);
// Deletes path when it is a plain file (not a link, not a folder); true when it did.
bool removeIfFile(const std::string& path);
bool isFolder(const std::string& path);
// The working folder; empty when it cannot be named.
std::string currentFolder();
bool enterFolder(const std::string& path);

// The monotonic counter behind queryPerformanceCounter, and its ticks per second.
std::int64_t systemCounter();
std::int64_t systemCounterFrequency();

} // namespace qelFramework::platform
