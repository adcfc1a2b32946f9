#pragma once
// Kernel services: the high-resolution counter, sleeping, the debugger output,
// the UTC system time and file deletion.
#include <cstdint>

namespace qelFramework::platform {

std::int64_t queryPerformanceCounter();
std::int64_t queryPerformanceFrequency();

// Replaces the performance counter with a counter the caller advances (capture mode
// and tests); null restores the real counter. The frequency is the given one, or the
// real counter's when it is 0: a capture counts at a frequency of its own so that its
// frames fall at the same times on every system, whose real frequencies differ.
using CounterSource = std::int64_t (*)();
void setCounterSource(CounterSource source, std::int64_t frequency = 0);

void sleepMs(unsigned milliseconds);

// Standard output and error write their bytes as given, a line ending in "\n" alone, on
// every system (Windows would write "\r\n"): a tool's text is then the same file
// wherever it is redirected to.
void useBinaryStandardStreams();

// Makes writes the system refuses fail with an error instead of ending the program: to a
// pipe whose reader has gone, or past the file size limit. Child processes started later
// keep this.
void ignoreWriteSignals();

// From now on SIGINT and SIGTERM do not end the program: they are noted for it to end
// on its own (interruptSignal), and a second one ends it at once. A signal the program
// was started ignoring stays ignored.
void catchInterrupts();
// The first signal noted since catchInterrupts, or 0.
int interruptSignal();
// "SIGINT", "SIGTERM", ... for a message.
const char* signalName(int number);

// Writes one piece of text to the debugger output (standard error, unbuffered).
void outputDebugString(const char* text);
// Routes the debugger output elsewhere (tests); null restores standard error.
using DebugOutputSink = void (*)(const char* text);
void setDebugOutputSink(DebugOutputSink sink);

struct SystemTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
SystemTime getSystemTimeUtc();

// Gives the heap's free pages back to the system. Loading decodes pictures, models and
// motion into temporary buffers; the heap keeps their pages resident after they are
// freed unless asked to give them back.
void releaseFreedMemory();

// Deletes a file named the way the program names files (see Paths.h). True on success.
bool deleteFile(const char* path);

} // namespace qelFramework::platform
