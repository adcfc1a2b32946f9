// Kernel services on Windows.
#ifdef _WIN32
#include "platform/Kernel.h"
#include "platform/Paths.h"
#include "platform/SystemCalls.h"
#include "platform/Utf16.h"

#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <io.h>
#include <malloc.h>
#include <windows.h>

namespace qelFramework::platform {

std::int64_t systemCounter() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return static_cast<std::int64_t>(now.QuadPart);
}

std::int64_t systemCounterFrequency() {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return static_cast<std::int64_t>(frequency.QuadPart);
}

void releaseFreedMemory() { _heapmin(); }

void useBinaryStandardStreams() {
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

// A write to a pipe whose reader has gone, or past a limit, fails with an error here
// already: there is no signal to ignore.
void ignoreWriteSignals() {}

namespace {
volatile std::sig_atomic_t g_interrupt = 0;

// Notes the signal for the program to end on; a second one ends it at once. The runtime
// resets a handler to the default before calling it, so it is set again.
extern "C" void noteInterrupt(int number) {
    if (g_interrupt != 0) {
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    g_interrupt = number;
    std::signal(number, noteInterrupt);
}
} // namespace

// The runtime turns Ctrl+C in the console into SIGINT; SIGTERM comes only from raise.
void catchInterrupts() {
    for (int number : {SIGINT, SIGTERM}) {
        auto previous = std::signal(number, noteInterrupt);
        if (previous == SIG_IGN)
            std::signal(number, SIG_IGN); // started to ignore it
    }
}

int interruptSignal() { return g_interrupt; }

const char* signalName(int number) {
    switch (number) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    default: return "a signal";
    }
}

void sleepMs(unsigned milliseconds) { Sleep(milliseconds); }

bool utcTime(std::time_t now, std::tm& utc) { return gmtime_s(&utc, &now) == 0; }

bool deleteFile(const char* path) {
    const std::u16string name = utf16FromUtf8(nativePath(path));
    return _wunlink(reinterpret_cast<const wchar_t*>(name.c_str())) == 0;
}

} // namespace qelFramework::platform
#endif
