// Which frames a capture writes: the frame grid from the production's start, and the
// segments that split a range among processes.
#include "app/CaptureRange.h"

#include <gtest/gtest.h>

using namespace qelFramework;

namespace {
CaptureRange rangeOf(double from, double to, int fps, int segment = 1, int segments = 1, int group = 1) {
    CaptureRange range;
    std::string error;
    EXPECT_TRUE(captureRange(from, to, 260.0, fps, segment, segments, group, range, error)) << error;
    return range;
}
} // namespace

TEST(CaptureRange, FramesLieOnTheGridFromTheProductionStart) {
    struct Case {
        double from, to;
        int fps;
        std::int64_t first, last;
    } cases[] = {
        {1.0, 1.5, 10, 10, 15},       // both ends on the grid, both included
        {60.0, 60.2, 10, 600, 602},
        {0.29, 0.57, 100, 29, 57},    // 0.29 x 100 and 0.57 x 100 lie a hair below 29 and 57
        {0.07, 0.07, 100, 7, 7},      // and 0.07 x 100 a hair above 7
        {0.05, 0.31, 10, 1, 3},       // off the grid: the first frame at or after from
        {0.0, -1.0, 30, 0, 7800},     // the whole production
        {259.99, -1.0, 60, 15600, 15600},
        {258.0, 265.0, 1, 258, 260},  // past the end: up to the end
        {7.0, 7.0, 30, 210, 210},     // one frame
    };
    for (const Case& c : cases) {
        const CaptureRange r = rangeOf(c.from, c.to, c.fps);
        EXPECT_EQ(r.rangeFirst, c.first) << c.from;
        EXPECT_EQ(r.rangeLast, c.last) << c.to;
        EXPECT_EQ(r.first, c.first);
        EXPECT_EQ(r.last, c.last);
    }
}

TEST(CaptureRange, EmptyRangesAndMissingSegmentsAreRefused) {
    CaptureRange range;
    std::string error;
    EXPECT_FALSE(captureRange(0.05, 0.09, 260.0, 10, 1, 1, 20, range, error));
    EXPECT_EQ(error, "the range to capture is empty");
    EXPECT_FALSE(captureRange(300.0, -1.0, 260.0, 10, 1, 1, 20, range, error)) << "past the end";
    for (auto [k, n] : {std::pair{0, 3}, std::pair{4, 3}, std::pair{1, 0}}) {
        EXPECT_FALSE(captureRange(0.0, 10.0, 260.0, 10, k, n, 20, range, error));
        EXPECT_EQ(error, "segment " + std::to_string(k) + " of " + std::to_string(n) + " does not exist");
    }
}

// Every frame of the range in exactly one segment, each segment starting on a group
// boundary of the range, the segments as equal as whole groups allow.
TEST(CaptureRange, SegmentsCoverTheRangeOnceInWholeGroups) {
    struct Case {
        double from, to;
        int fps, group, segments;
    } cases[] = {
        {0.0, -1.0, 30, 60, 4}, {10.0, 15.0, 2, 4, 3}, {3.3, 97.1, 24, 48, 7},
        {0.0, 1.0, 10, 20, 3},  // one group, three segments: two stay empty
        {5.0, 5.0, 60, 120, 2}, {0.0, 260.0, 60, 120, 1000},
    };
    for (const Case& c : cases) {
        const CaptureRange whole = rangeOf(c.from, c.to, c.fps);
        std::int64_t next = whole.rangeFirst, smallest = INT64_MAX, largest = 0;
        for (int k = 1; k <= c.segments; ++k) {
            const CaptureRange part = rangeOf(c.from, c.to, c.fps, k, c.segments, c.group);
            EXPECT_EQ(part.rangeFirst, whole.rangeFirst);
            EXPECT_EQ(part.rangeLast, whole.rangeLast);
            if (part.frames() == 0)
                continue;
            EXPECT_EQ(part.first, next) << "segment " << k << " of " << c.segments << " from " << c.from;
            EXPECT_EQ((part.first - whole.rangeFirst) % c.group, 0);
            next = part.last + 1;
            if (part.last != whole.rangeLast) {
                smallest = std::min(smallest, part.frames());
                largest = std::max(largest, part.frames());
            }
        }
        EXPECT_EQ(next, whole.rangeLast + 1) << "every frame once, from " << c.from;
        if (largest > 0) {
            EXPECT_LE(largest - smallest, c.group);
        }
    }
    EXPECT_EQ(rangeOf(0.0, 1.0, 10, 1, 3, 20).frames(), 0);
    EXPECT_EQ(rangeOf(0.0, 1.0, 10, 3, 3, 20).frames(), 11);
}
