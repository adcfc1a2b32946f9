// The schedule start-up builds for the production's seven layers.
#include "app/Schedule.h"
#include "support/NullLayer.h"
#include "timeline/Timeline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qelFramework;

namespace {
using qmtest::NullLayer;

class ProductionScheduleTest : public ::testing::Test {
protected:
    void add(const std::string& name) { t.registerLayer(new NullLayer, name); }
    Timeline t;
};
} // namespace

TEST_F(ProductionScheduleTest, TracksActiveAtTheShowsTurningPoints) {
    for (const char* name : {"postprocessor", "IM-fireworks", "city", "tiltPost", "sky", "border", "overlay"})
        add(name);
    scheduleProduction(t);
    EXPECT_EQ(t.schedule().size(), 11u);
    EXPECT_EQ(t.earliestStart(), 0u);
    EXPECT_EQ(t.latestEnd(), 260000u);

    auto activeTracks = [&](std::uint32_t now) {
        std::vector<int> tracks;
        t.selectActive(now);
        for (int i = 0; i < Timeline::kTrackCount; ++i)
            if (t.active(i))
                tracks.push_back(i);
        return tracks;
    };
    EXPECT_EQ(activeTracks(0), (std::vector<int>{0, 1, 2, 8, 9, 10}));
    EXPECT_EQ(activeTracks(1), (std::vector<int>{0, 1, 2, 3, 8, 9, 10}));
    EXPECT_EQ(activeTracks(55000), (std::vector<int>{0, 1, 2, 3, 8, 9, 10}));
    EXPECT_EQ(activeTracks(55001), (std::vector<int>{0, 2, 3, 8, 9, 10}));
    EXPECT_EQ(activeTracks(123000), (std::vector<int>{0, 2, 3, 4, 8, 9, 10}));
    EXPECT_EQ(activeTracks(210000), (std::vector<int>{0, 1, 2, 4, 6, 8, 9, 10}));
    EXPECT_EQ(activeTracks(220000), (std::vector<int>{0, 1, 2, 4, 6, 8, 9, 10, 11}));
    EXPECT_EQ(activeTracks(260000), (std::vector<int>{0, 1, 2, 6, 8, 9, 10, 11}));
    EXPECT_TRUE(activeTracks(260001).empty());
}

TEST_F(ProductionScheduleTest, ScheduleEntriesOfMissingLayersVanish) {
    add("postprocessor");
    scheduleProduction(t);
    EXPECT_EQ(t.schedule().size(), 2u);
}
