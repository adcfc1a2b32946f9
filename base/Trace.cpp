#include "base/Trace.h"

#include "platform/Kernel.h"

#include <cstdarg>
#include <cstdio>

namespace qelFramework {

namespace {
int g_highestLevel = 0;
const char* const kLevelNames[] = {"CRITICAL", "ERROR", "WARNING", "INFO"};
} // namespace

void Trace::setHighestLevel(int level) { g_highestLevel = level; }
int Trace::highestLevel() { return g_highestLevel; }

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
}

void Trace::start() {
    setHighestLevel(Info);
    write(Info, "trace", "Trace started");
}

void Trace::stop() { write(Info, "trace", "Trace stopped."); }

void Trace::reset() {
    g_highestLevel = 0;
}

} // namespace qelFramework
