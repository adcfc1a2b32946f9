#include "app/SlowFrames.h"

#include "app/Production.h"
#include "base/Trace.h"
#include "platform/Kernel.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace qelFramework {

namespace {

constexpr long kLongestFrameMs = 5000;

struct Pace {
    std::int64_t frameCounts = 0;  // the shortest frame, in counter counts
    std::int64_t lastFrame = 0;    // counter at the end of the last frame
    std::int64_t spanStart = 0;    // counter at the start of the reported span
    int framesInSpan = 0;
};
Pace g_pace;

void slowFrame(platform::Window*) {
    const std::int64_t frequency = platform::queryPerformanceFrequency();
    std::int64_t now = platform::queryPerformanceCounter();
    if (g_pace.lastFrame != 0) {
        const std::int64_t until = g_pace.lastFrame + g_pace.frameCounts;
        if (now < until)
            platform::sleepMs(static_cast<unsigned>((until - now) * 1000 / frequency) + 1);
        now = platform::queryPerformanceCounter();
    } else {
        g_pace.spanStart = now;
    }
    g_pace.lastFrame = now;
    ++g_pace.framesInSpan;
    const double seconds = static_cast<double>(now - g_pace.spanStart) / static_cast<double>(frequency);
    if (seconds >= 2.0) {
        Trace::write(Trace::Info, "slowFrames", "%d frames in %.2f s: %.2f frames a second", g_pace.framesInSpan,
                     seconds, g_pace.framesInSpan / seconds);
        g_pace.spanStart = now;
        g_pace.framesInSpan = 0;
    }
}

} // namespace

void slowFramesOnRequest(Production& production) {
    const char* value = std::getenv("QUILLMONT_MIN_FRAME_MS");
    if (!value)
        return;
    char* end = nullptr;
    const long ms = std::strtol(value, &end, 10);
    if (end == value || *end != '\0' || ms < 1 || ms > kLongestFrameMs)
        return;
    g_pace = Pace{};
    g_pace.frameCounts = ms * platform::queryPerformanceFrequency() / 1000;
    production.setFrameSink(slowFrame);
    Trace::write(Trace::Info, "slowFrames", "every frame lasts at least %ld ms (QUILLMONT_MIN_FRAME_MS)", ms);
}

} // namespace qelFramework
