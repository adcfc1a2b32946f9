#pragma once
// Internal to the platform layer: the calls each system makes its own way (in the files
// named ...Posix.cpp and ...Windows.cpp), on which the shared code of Paths and Kernel is
// built. Names are the program's (UTF-8, '/'), as Paths.h describes.
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

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
// A native name made absolute the system's way: against the working folder, and on
// Windows "\name" on the working drive, "C:name" in drive C:'s own working folder, with
// trailing dots and spaces dropped as the system drops them. Empty when the system cannot
// say, or for a device name (NUL, COM1), which the caller keeps as it is.
std::string fullPathOf(const std::string& path);
bool enterFolder(const std::string& path);
// Whether a rename may replace the file at path (true when there is none). On Windows it
// may not while another program holds the file without sharing its deletion (a player
// showing an old video), nor when the file is read-only; false with the reason in error.
bool replaceable(const std::string& path, std::string& error);

// The monotonic counter behind queryPerformanceCounter, and its ticks per second.
std::int64_t systemCounter();
std::int64_t systemCounterFrequency();
// The calendar time in UTC of a moment; false when the system cannot say.
bool utcTime(std::time_t now, std::tm& utc);

// The video pipe's processes (in VideoPipePosix.cpp and VideoPipeWindows.cpp).
// What to start for the program called name: empty when it is not to be found.
std::string findProgram(const std::string& name);
// Starts program with args, its standard input a binary pipe this process writes to
// (input), its output and errors this process's; the process where the system names it
// by a handle (else null). False with the reason in error.
bool startWithInputPipe(const std::string& program, const std::vector<std::string>& args, std::FILE*& input,
                        void*& process, std::string& error);
// Closes the input and waits for the program to end: empty when it exited with 0, else
// what ended it, for a message.
std::string finishProcess(const std::string& name, std::FILE* input, void* process);
// Runs program with args and collects its output and errors (up to 4 KiB, read to the
// end); exitCode is 0 when it succeeded. False with the reason in error when it cannot
// be started.
bool runForOutput(const std::string& program, const std::vector<std::string>& args, std::string& output,
                  long& exitCode, std::string& error);

} // namespace qelFramework::platform
