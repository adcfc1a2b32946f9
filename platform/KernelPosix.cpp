// Kernel services on POSIX systems.
#ifndef _WIN32
#include "platform/Kernel.h"
#include "platform/Paths.h"
#include "platform/SystemCalls.h"

#include <csignal>
#include <ctime>
#include <malloc.h>
#include <time.h>
#include <unistd.h>

namespace qelFramework::platform {

std::int64_t systemCounter() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

std::int64_t systemCounterFrequency() { return 1000000000LL; }

void useBinaryStandardStreams() {} // text and binary are the same here

void releaseFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void ignoreWriteSignals() {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

namespace {
volatile std::sig_atomic_t g_interrupt = 0;

// Notes the signal for the program to end on; a second one ends it at once.
extern "C" void noteInterrupt(int number) {
    if (g_interrupt != 0) {
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    g_interrupt = number;
}
} // namespace

void catchInterrupts() {
    for (int number : {SIGINT, SIGTERM}) {
        struct sigaction action{};
        sigaction(number, nullptr, &action);
        if (action.sa_handler == SIG_IGN)
            continue; // started to ignore it (nohup, a background job)
        action = {};
        action.sa_handler = noteInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(number, &action, nullptr);
    }
}

int interruptSignal() { return g_interrupt; }

const char* signalName(int number) {
    switch (number) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
    }
}

void sleepMs(unsigned milliseconds) {
    timespec ts{};
    ts.tv_sec = milliseconds / 1000;
    ts.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&ts, &ts) != 0) {
    }
}

bool utcTime(std::time_t now, std::tm& utc) { return gmtime_r(&now, &utc) != nullptr; }

bool deleteFile(const char* path) { return unlink(nativePath(path).c_str()) == 0; }

} // namespace qelFramework::platform
#endif
