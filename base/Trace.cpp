#include "base/Trace.h"

#include "platform/Kernel.h"
#include "platform/EventQueue.h"

#include <cstdarg>
#include <cstdio>

namespace qelFramework {

namespace {
int g_highestLevel = 0;
int g_quitLevel = -1;
const char* const kLevelNames[] = {"CRITICAL", "ERROR", "WARNING", "INFO"};
} // namespace

void Trace::setHighestLevel(int level) { g_highestLevel = level; }
int Trace::highestLevel() { return g_highestLevel; }
void Trace::setQuitLevel(int level) { g_quitLevel = level; }
int Trace::quitLevel() { return g_quitLevel; }

const char* Trace::levelName(unsigned level) { return level < 4 ? kLevelNames[level] : "UNKNOWN"; }

void Trace::write(unsigned level, const char* tag, const char* format, ...) {
    if (static_cast<long>(level) > g_highestLevel)
        return;

    // vsnprintf cuts a longer message at the buffer's end.
    char message[kBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof(message), format, args);
    va_end(args);

    platform::outputDebugString(levelName(level));
    platform::outputDebugString(" (");
    platform::outputDebugString(tag);
    platform::outputDebugString("): ");
    platform::outputDebugString(message);
    platform::outputDebugString("\n");

    if (g_quitLevel != -1 && static_cast<long>(level) <= g_quitLevel)
        platform::requestQuit(0);
}

void Trace::start() {
    setHighestLevel(INFO);
    write(INFO, "trace", "Trace started");
    setQuitLevel(ERROR);
    write(INFO, "trace", "Enabled quit on trace level: %d", ERROR);
}

void Trace::stop() { write(INFO, "trace", "Trace stopped."); }

void Trace::reset() {
    g_highestLevel = 0;
    g_quitLevel = -1;
}

} // namespace qelFramework
