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
    float ms = (offset + accumulated) * 1000.0f;
    return ms <= 0.0f ? 0u : static_cast<std::uint32_t>(ms);
}

} // namespace qelFramework
