#include "base/HiResTimer.h"
#include "platform/Kernel.h"

#include <gtest/gtest.h>

using namespace qelFramework;

namespace {
std::int64_t g_counter = 0;
std::int64_t fakeCounter() { return g_counter; }

struct FakeCounter {
    FakeCounter() {
        g_counter = 0;
        platform::setCounterSource(fakeCounter);
    }
    ~FakeCounter() { platform::setCounterSource(nullptr); }
    void advanceSeconds(double s) { g_counter += static_cast<std::int64_t>(s * platform::queryPerformanceFrequency()); }
};
} // namespace

TEST(HiResTimer, AccumulatesOnlyWhilePlayingButKeepsReading) {
    FakeCounter counter;
    HiResTimer clock;
    clock.reset(2.0f);
    EXPECT_FLOAT_EQ(clock.productionSeconds(), 2.0f);

    counter.advanceSeconds(0.5);
    clock.update(true);
    EXPECT_FLOAT_EQ(clock.delta, 0.5f);
    EXPECT_FLOAT_EQ(clock.productionSeconds(), 2.5f);

    counter.advanceSeconds(1.0); // paused: time and delta move, production time does not
    clock.update(false);
    EXPECT_FLOAT_EQ(clock.time, 1.5f);
    EXPECT_FLOAT_EQ(clock.delta, 1.0f);
    EXPECT_FLOAT_EQ(clock.productionSeconds(), 2.5f);

    counter.advanceSeconds(0.25);
    clock.update(true);
    EXPECT_FLOAT_EQ(clock.productionSeconds(), 2.75f);
}

TEST(HiResTimer, MillisecondsAreTruncated) {
    HiResTimer clock;
    clock.offset = 55.0009f;
    EXPECT_EQ(clock.productionMilliseconds(), 55000u);
    clock.offset = 0.0f;
    clock.accumulated = 0.0009f;
    EXPECT_EQ(clock.productionMilliseconds(), 0u);
    clock.accumulated = 259.9999f;
    EXPECT_EQ(clock.productionMilliseconds(), 259999u);
    clock.accumulated = 1e30f; // past what milliseconds hold: past every end, not wrapped
    EXPECT_EQ(clock.productionMilliseconds(), 0xFFFFFFFFu);
}

TEST(HiResTimer, RealCounterAdvances) {
    HiResTimer clock;
    clock.reset(0.0f);
    platform::sleepMs(20); // at least 20 ms pass; how many more depends on the machine
    clock.update(true);
    EXPECT_GT(clock.productionSeconds(), 0.015f);
}

TEST(HiResTimer, ACounterWithAFrequencyOfItsOwnGivesTheSameTimesOnEverySystem) {
    const std::int64_t real = platform::queryPerformanceFrequency();
    // A capture's counter: frame n of 30 a second, in nanoseconds whatever the system's
    // counter counts in. The times the clock reads are then the same bits everywhere.
    g_counter = 0;
    platform::setCounterSource(fakeCounter, 1000000000);
    EXPECT_EQ(platform::queryPerformanceFrequency(), 1000000000);
    HiResTimer clock;
    clock.reset(0.0f);
    g_counter = 1000000000 / 30; // 33333333 ns, truncated
    clock.update(true);
    EXPECT_EQ(clock.productionSeconds(), static_cast<float>(33333333.0 / 1e9));
    // Null restores the real counter and its frequency; a source without a frequency
    // counts at the real one's.
    platform::setCounterSource(nullptr);
    EXPECT_EQ(platform::queryPerformanceFrequency(), real);
    platform::setCounterSource(fakeCounter);
    EXPECT_EQ(platform::queryPerformanceFrequency(), real);
    platform::setCounterSource(nullptr);
}
