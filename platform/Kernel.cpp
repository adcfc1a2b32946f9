#include "platform/Kernel.h"
#include "platform/SystemCalls.h"

#include <cstdio>
#include <ctime>

namespace qelFramework::platform {

namespace {
CounterSource g_counterSource = nullptr;
DebugOutputSink g_debugSink = nullptr;
} // namespace

std::int64_t queryPerformanceCounter() { return g_counterSource ? g_counterSource() : systemCounter(); }

std::int64_t queryPerformanceFrequency() { return systemCounterFrequency(); }

void setCounterSource(CounterSource source) { g_counterSource = source; }

void outputDebugString(const char* text) {
    if (g_debugSink) {
        g_debugSink(text);
        return;
    }
    std::fputs(text, stderr); // stderr is unbuffered
}

void setDebugOutputSink(DebugOutputSink sink) { g_debugSink = sink; }

SystemTime getSystemTimeUtc() {
    std::tm utc{};
    utcTime(std::time(nullptr), utc);
    SystemTime t;
    t.year = utc.tm_year + 1900;
    t.month = utc.tm_mon + 1;
    t.day = utc.tm_mday;
    t.hour = utc.tm_hour;
    t.minute = utc.tm_min;
    t.second = utc.tm_sec;
    return t;
}

} // namespace qelFramework::platform
