#include "support/NullLayer.h"
#include "timeline/Timeline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qelFramework;

namespace {
using qmtest::NullLayer;

class TimelineTest : public ::testing::Test {
protected:
    Layer_Base* add(const std::string& name) {
        auto* layer = new NullLayer;
        t.registerLayer(layer, name);
        return layer;
    }
    Timeline t;
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
    EXPECT_EQ(t.earliestStart(), 0xFFFFFFFFu);
    EXPECT_EQ(t.latestEnd(), 0u);
    add("city");
    EXPECT_FALSE(t.addEntry("city", 128, 5, 10));
    EXPECT_TRUE(t.addEntry("city", 127, 5, 10));
    t.setState(Loaded);
    EXPECT_FALSE(t.addEntry("city", 3, 0, 500000));
    EXPECT_EQ(t.schedule().size(), 1u);
    EXPECT_EQ(t.latestEnd(), 10u);
}

TEST_F(TimelineTest, SelectionIsInclusiveAndTheLaterEntryWins) {
    Layer_Base* a = add("a");
    Layer_Base* b = add("b");
    t.addEntry("a", 5, 100, 200);
    t.addEntry("b", 5, 150, 160);
    t.addEntry("a", 7, 300, 299); // start after end: never active, still moves the bounds
    EXPECT_EQ(t.earliestStart(), 100u);
    EXPECT_EQ(t.latestEnd(), 299u);

    EXPECT_FALSE(t.selectActive(99));
    ASSERT_TRUE(t.selectActive(100));
    EXPECT_EQ(t.active(5)->layer, a);
    t.selectActive(150);
    EXPECT_EQ(t.active(5)->layer, b);
    t.selectActive(160);
    EXPECT_EQ(t.active(5)->layer, b);
    t.selectActive(161);
    EXPECT_EQ(t.active(5)->layer, a);
    t.selectActive(200);
    EXPECT_EQ(t.active(5)->layer, a);
    EXPECT_FALSE(t.selectActive(201));
    EXPECT_FALSE(t.selectActive(299));
    EXPECT_EQ(t.active(7), nullptr);
}

TEST_F(TimelineTest, FrameInfoValues) {
    add("a");
    t.addEntry("a", 0, 1000, 5000);
    FrameInfo info = t.frameInfo(t.schedule()[0], 1010, 1.010f, 0.016f);
    EXPECT_FLOAT_EQ(info.time, 1.010f);
    EXPECT_FLOAT_EQ(info.delta, 0.016f);
    EXPECT_FLOAT_EQ(info.duration, 4.0f);
    EXPECT_FLOAT_EQ(info.start, 1.0f);
    EXPECT_NEAR(info.remaining, 3.99f, 1e-5f);
    EXPECT_TRUE(info.justStarted); // 1000 >= 1010 - 16
    EXPECT_FALSE(info.aboutToEnd);

    info = t.frameInfo(t.schedule()[0], 4990, 4.990f, 0.016f);
    EXPECT_FALSE(info.justStarted);
    EXPECT_TRUE(info.aboutToEnd); // 5000 <= 4990 + 16
    // Both comparisons include their bound: a start exactly one frame back, an end
    // exactly one frame ahead.
    EXPECT_TRUE(t.frameInfo(t.schedule()[0], 1016, 1.016f, 0.016f).justStarted);
    EXPECT_TRUE(t.frameInfo(t.schedule()[0], 4984, 4.984f, 0.016f).aboutToEnd);

    // A frame longer than the time so far: now - frame ms wraps, so not "just started".
    add("b");
    t.addEntry("b", 1, 0, 100);
    info = t.frameInfo(t.schedule()[1], 10, 0.010f, 0.5f);
    EXPECT_FALSE(info.justStarted);
}

TEST_F(TimelineTest, UnloadingLayersUnloadsAndDeletesEachOnceAndEmptiesTheTables) {
    static std::vector<std::string> log;
    log.clear();
    struct Logged : NullLayer {
        std::string name;
        explicit Logged(std::string n) : name(std::move(n)) {}
        ~Logged() override { log.push_back(name + ".delete"); }
        void unload() override { log.push_back(name + ".unload"); }
    };
    t.registerLayer(new Logged("a"), "a");
    t.registerLayer(new Logged("b"), "b");
    t.addEntry("a", 0, 0, 10);
    ASSERT_TRUE(t.selectActive(5));
    t.unloadLayers();
    EXPECT_EQ(log, (std::vector<std::string>{"a.unload", "a.delete", "b.unload", "b.delete"}));
    EXPECT_TRUE(t.registry().empty());
    EXPECT_TRUE(t.schedule().empty());
    EXPECT_EQ(t.active(0), nullptr);
}
