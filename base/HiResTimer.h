#pragma once
// The production clock, read from the performance counter. Production time is
// offset + accumulated, where only the deltas taken while playing accumulate.
#include <cstdint>

namespace qelFramework {

struct HiResTimer {
    float offset = 0.0f;            // production time at which playing begins, seconds
    std::int64_t frequency = 0;     // counts per second
    std::int64_t startCount = 0;    // counter when the clock was reset
    std::int64_t currentCount = 0;  // counter at the last reading
    float time = 0.0f;              // seconds since the reset at the last reading
    float accumulated = 0.0f;       // sum of the deltas taken while playing
    float delta = 0.0f;             // seconds between the last two readings

    // Reads the frequency and the start count; everything else starts at zero.
    void reset(float newOffset);
    void update(bool accumulate);

    float productionSeconds() const { return offset + accumulated; }
    // Production time in whole milliseconds, truncated toward zero.
    std::uint32_t productionMilliseconds() const;
};

} // namespace qelFramework
