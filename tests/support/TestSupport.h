#pragma once
// Shared helpers of the test programs.
#include "platform/Window.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <cstdlib>
// The C library of Windows sets the environment with _putenv_s (an empty value removes).
inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif

namespace qmtest {

// Collects the debugger output while alive; records() splits it into lines.
class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    const std::string& text() const;
    std::vector<std::string> records() const;
    bool contains(const std::string& piece) const;
    void clear();
};

// A hidden window with a current GL context, for tests that render headless.
class GLContext {
public:
    explicit GLContext(int width = 256, int height = 256, int samples = 0);
    ~GLContext();
    bool ok() const { return window != nullptr; }
    qelFramework::platform::Window* handle() const { return window; }

private:
    qelFramework::platform::Window* window = nullptr;
};

// A fresh empty folder under the system's temporary folder, removed with its content.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& path() const { return root; }
    std::string file(const std::string& name) const { return root + "/" + name; }

private:
    std::string root;
};

// Makes a folder the working folder while alive; the previous one comes back after.
class InFolder {
public:
    explicit InFolder(const std::string& folder);
    ~InFolder();
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    std::string previous;
};

// A TempFolder that is the working folder while alive.
class WorkingFolder : public TempFolder {
    InFolder inside{path()};
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
// The names in a folder, sorted; none when it does not exist.
std::vector<std::string> listFolder(const std::string& folder);

// Takes every queued event; true when a quit was requested.
bool quitPending();

// Runs a shell command; returns its exit status and fills output with stdout and stderr.
// A command still running after `seconds` is killed (status 124) and the output says so.
// On Windows the command is one program and its arguments, words as the shell splits
// them ('...' quotes one), or `test -e PATH` / `test -d PATH`; ctest's limit ends it.
int runCommand(const std::string& command, std::string& output, int seconds = 220);
// Runs the content forge of this build with these arguments.
int forge(const std::string& arguments, std::string& output);

// Polls `condition` until it holds; false when `seconds` passed first.
bool waitFor(const std::function<bool()>& condition, double seconds = 20);

// A bound for a wait that cannot be given up from inside (a frame loop, a window's
// message loop, a thread join): if still alive after `seconds`, ends the test program
// with `what` on standard error instead of letting it hang.
class Deadline {
public:
    Deadline(double seconds, std::string what);
    ~Deadline();
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

private:
    struct State;
    std::unique_ptr<State> state;
};

} // namespace qmtest
