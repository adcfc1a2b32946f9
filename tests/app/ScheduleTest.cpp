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
    // Each entry's first and last millisecond, and the ones just outside.
    const std::pair<std::uint32_t, std::vector<int>> moments[] = {
        {0, {0, 1, 2, 8, 9, 10}},           {1, {0, 1, 2, 3, 8, 9, 10}},
        {55000, {0, 1, 2, 3, 8, 9, 10}},    {55001, {0, 2, 3, 8, 9, 10}},
        {122999, {0, 2, 3, 8, 9, 10}},      {123000, {0, 2, 3, 4, 8, 9, 10}},
        {134000, {0, 2, 3, 4, 8, 9, 10}},   {134001, {0, 2, 4, 8, 9, 10}},
        {209999, {0, 2, 4, 8, 9, 10}},      {210000, {0, 1, 2, 4, 6, 8, 9, 10}},
        {219999, {0, 1, 2, 4, 6, 8, 9, 10}}, {220000, {0, 1, 2, 4, 6, 8, 9, 10, 11}},
        {225000, {0, 1, 2, 4, 6, 8, 9, 10, 11}}, {225001, {0, 1, 2, 6, 8, 9, 10, 11}},
        {260000, {0, 1, 2, 6, 8, 9, 10, 11}}, {260001, {}},
    };
    for (const auto& [ms, tracks] : moments)
        EXPECT_EQ(activeTracks(ms), tracks) << ms;
}

TEST_F(ProductionScheduleTest, ScheduleEntriesOfMissingLayersVanish) {
    add("postprocessor");
    scheduleProduction(t);
    EXPECT_EQ(t.schedule().size(), 2u);
}
