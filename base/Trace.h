#pragma once
// The program's one log: records with a level, a source tag and a printf-style message,
// written to the debugger output. Writing a record only writes it: code that cannot go
// on after a failure says so to its caller.

namespace qelFramework {

class Trace {
public:
    // The printed level texts are "CRITICAL", "ERROR", "WARNING" and "INFO".
    enum Level : unsigned { Critical = 0, Error = 1, Warning = 2, Info = 3 };

    static constexpr int kBufferSize = 8192; // formatted message, terminator included

    // Records with a level number above the highest level written are dropped.
    static void setHighestLevel(int level);
    static int highestLevel();

    static void write(unsigned level, const char* tag, const char* format, ...)
        __attribute__((format(gnu_printf, 3, 4)));

    // Start-up's sequence: every level written, "Trace started".
    static void start();
    // "Trace stopped.", written once, last, at shutdown.
    static void stop();

    static const char* levelName(unsigned level);

    // Back to the state before start-up: nothing but critical records written.
    static void reset();
};

} // namespace qelFramework
