#include "app/Schedule.h"
#include "timeline/Layer_Base.h"
#include "timeline/Timeline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qelFramework;

namespace {
struct NullLayer : Layer_Base {
    bool init(GL_TextureManager*, SyncData*) override { return true; }
    void update(const FrameInfo&) override {}
    void render() override {}
    void unload() override {}
};

class TimelineTest : public ::testing::Test {
protected:
    void SetUp() override { t.reset(); }
    void TearDown() override { t.reset(); }
    Layer_Base* add(const std::string& name) {
        auto* layer = new NullLayer;
        t.registerLayer(layer, name);
        return layer;
    }
    Timeline& t = Timeline::instance();
};
} // namespace

TEST_F(TimelineTest, RegistryFindsTheFirstOfEqualNames) {
    Layer_Base* first = add("city");
    add("city");
    EXPECT_EQ(t.findLayer("city"), first);
    EXPECT_EQ(t.findLayer("City"), nullptr);
}

TEST_F(TimelineTest, AddEntryRefusesUnknownNamesLateAddsAndTracksBeyondTheTable) {
    EXPECT_FALSE(t.addEntry("city", 3, 1, 134000));
    EXPECT_EQ(t.earliestStart, 0xFFFFFFFFu);
    EXPECT_EQ(t.latestEnd, 0u);
    add("city");
    EXPECT_FALSE(t.addEntry("city", 128, 5, 10));
    EXPECT_TRUE(t.addEntry("city", 127, 5, 10));
    t.state = Loaded;
    EXPECT_FALSE(t.addEntry("city", 3, 0, 500000));
    EXPECT_EQ(t.schedule.size(), 1u);
    EXPECT_EQ(t.latestEnd, 10u);
}

TEST_F(TimelineTest, SelectionIsInclusiveAndTheLaterEntryWins) {
    Layer_Base* a = add("a");
    Layer_Base* b = add("b");
    t.addEntry("a", 5, 100, 200);
    t.addEntry("b", 5, 150, 160);
    t.addEntry("a", 7, 300, 299); // start after end: never active, still moves the bounds
    EXPECT_EQ(t.earliestStart, 100u);
    EXPECT_EQ(t.latestEnd, 299u);

    EXPECT_FALSE(t.selectActive(99));
    ASSERT_TRUE(t.selectActive(100));
    EXPECT_EQ(t.active[5]->layer, a);
    t.selectActive(150);
    EXPECT_EQ(t.active[5]->layer, b);
    t.selectActive(160);
    EXPECT_EQ(t.active[5]->layer, b);
    t.selectActive(161);
    EXPECT_EQ(t.active[5]->layer, a);
    t.selectActive(200);
    EXPECT_EQ(t.active[5]->layer, a);
    EXPECT_FALSE(t.selectActive(201));
    EXPECT_FALSE(t.selectActive(299));
    EXPECT_EQ(t.active[7], nullptr);
}

TEST_F(TimelineTest, ProductionSchedule) {
    for (const char* name : {"postprocessor", "IM-fireworks", "city", "tiltPost", "sky", "border", "overlay"})
        add(name);
    scheduleProduction(t);
    EXPECT_EQ(t.schedule.size(), 11u);
    EXPECT_EQ(t.earliestStart, 0u);
    EXPECT_EQ(t.latestEnd, 260000u);

    auto activeTracks = [&](std::uint32_t now) {
        std::vector<int> tracks;
        t.selectActive(now);
        for (int i = 0; i < Timeline::kTrackCount; ++i)
            if (t.active[i])
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

TEST_F(TimelineTest, ScheduleEntriesOfMissingLayersVanish) {
    add("postprocessor");
    scheduleProduction(t);
    EXPECT_EQ(t.schedule.size(), 2u);
}

TEST_F(TimelineTest, FrameInfoValues) {
    add("a");
    t.addEntry("a", 0, 1000, 5000);
    t.clock.offset = 0.0f;
    t.clock.accumulated = 1.010f;
    t.clock.delta = 0.016f;
    FrameInfo info = t.frameInfo(t.schedule[0], 1010);
    EXPECT_FLOAT_EQ(info.time, 1.010f);
    EXPECT_FLOAT_EQ(info.delta, 0.016f);
    EXPECT_FLOAT_EQ(info.duration, 4.0f);
    EXPECT_FLOAT_EQ(info.start, 1.0f);
    EXPECT_NEAR(info.remaining, 3.99f, 1e-5f);
    EXPECT_TRUE(info.justStarted); // 1000 >= 1010 - 16
    EXPECT_FALSE(info.aboutToEnd);

    info = t.frameInfo(t.schedule[0], 4990);
    EXPECT_FALSE(info.justStarted);
    EXPECT_TRUE(info.aboutToEnd); // 5000 <= 4990 + 16

    // A frame longer than the time so far: now - frame ms wraps, so not "just started".
    add("b");
    t.addEntry("b", 1, 0, 100);
    t.clock.delta = 0.5f;
    info = t.frameInfo(t.schedule[1], 10);
    EXPECT_FALSE(info.justStarted);
}
