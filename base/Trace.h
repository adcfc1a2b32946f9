#pragma once
// The program's one log: records with a level, a source tag and a printf-style message,
// written to the debugger output. A record at or above the quit level posts the quit
// message, which ends the production at the frame loop's next message check.

namespace qelFramework {

class Trace {
public:
    enum Level : unsigned { CRITICAL = 0, ERROR = 1, WARNING = 2, INFO = 3 };

    static constexpr int kBufferSize = 8192; // formatted message, terminator included

    // Records with a level number above the highest level written are dropped.
    static void setHighestLevel(int level);
    static int highestLevel();
    // Records with a level number at or below the quit level post the quit message; -1 disables.
    static void setQuitLevel(int level);
    static int quitLevel();

    static void write(unsigned level, const char* tag, const char* format, ...)
        __attribute__((format(printf, 3, 4)));

    // Start-up's sequence: every level written, "Trace started", quit on ERROR and CRITICAL.
    static void start();
    // "Trace stopped.", written once, last, at shutdown.
    static void stop();

    static const char* levelName(unsigned level);

    // Back to the state before start-up: nothing but CRITICAL written, quit disabled.
    static void reset();
};

} // namespace qelFramework
