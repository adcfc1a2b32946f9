#include "base/HiResTimer.h"

#include "platform/Kernel.h"

namespace qelFramework {

void HiResTimer::reset(float newOffset) {
    offset = newOffset;
    time = 0.0f;
    accumulated = 0.0f;
    delta = 0.0f;
    frequency = platform::queryPerformanceFrequency();
    startCount = platform::queryPerformanceCounter();
    currentCount = startCount;
}

void HiResTimer::update(bool accumulate) {
    currentCount = platform::queryPerformanceCounter();
    float newTime = frequency > 0 ? static_cast<float>(static_cast<double>(currentCount - startCount) /
                                                      static_cast<double>(frequency))
                                  : 0.0f;
    delta = newTime - time;
    time = newTime;
    if (accumulate)
        accumulated += delta;
}

std::uint32_t HiResTimer::productionMilliseconds() const {
    const float ms = (offset + accumulated) * 1000.0f;
    if (!(ms > 0.0f))
        return 0u;
    // A time past what the milliseconds can hold stays at their largest, past every end.
    return ms >= 4294967296.0f ? UINT32_MAX : static_cast<std::uint32_t>(ms);
}

} // namespace qelFramework
