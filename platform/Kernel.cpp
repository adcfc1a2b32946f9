#include "platform/Kernel.h"
#include "platform/SystemCalls.h"

#include <cstdio>
#include <ctime>

namespace qelFramework::platform {

namespace {
CounterSource g_counterSource = nullptr;
std::int64_t g_sourceFrequency = 0; // the counter source's, or 0 for the real one's
DebugOutputSink g_debugSink = nullptr;
} // namespace

std::int64_t queryPerformanceCounter() { return g_counterSource ? g_counterSource() : systemCounter(); }

std::int64_t queryPerformanceFrequency() {
    return g_counterSource && g_sourceFrequency > 0 ? g_sourceFrequency : systemCounterFrequency();
}

void setCounterSource(CounterSource source, std::int64_t frequency) {
    g_counterSource = source;
    g_sourceFrequency = source ? frequency : 0;
}

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
