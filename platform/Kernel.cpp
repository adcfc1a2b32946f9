#include "platform/Kernel.h"
#include "platform/SystemCalls.h"

#include <cstdio>

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

} // namespace qelFramework::platform
