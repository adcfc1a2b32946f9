// The schedule start-up builds for the production's seven layers.
#include "app/Schedule.h"
#include "base/Trace.h"
#include "gl/GL_TextureManager.h"
#include "support/NullLayer.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"
#include "sync/SyncFile.h"
#include "sync/SyncTextFile.h"
#include "timeline/Layer_Base.h"
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

// Every controller name the production's layers read is in the choreography the forge
// compiles: a name it lacks would read 0 and say so.
TEST(ProductionLayers, ReadOnlyControllersTheChoreographyHolds) {
    qmtest::GLContext gl(64, 64);
    ASSERT_TRUE(gl.ok());
    qmtest::WorkingFolder folder; // no content: pictures and models fail, names do not
    std::vector<unsigned char> image;
    std::size_t count = 0;
    std::string error;
    ASSERT_TRUE(compileSyncTextFile(std::string(QM_SOURCE_DIR) + "/content/choreography.txt", "choreography.txt",
                                    image, count, error))
        << error;
    SyncData data;
    ASSERT_EQ(mergeSyncImage(image, "choreography.txt", data), SyncReadResult::read);

    qmtest::TraceCapture trace;
    Trace::setHighestLevel(Trace::Warning);
    Timeline t;
    registerProductionLayers(t);
    ASSERT_EQ(t.registry().size(), 7u);
    {
        GL_TextureManager textures;
        for (const auto& entry : t.registry())
            entry.first->init(&textures, &data);
        t.unloadLayers();
    }
    Trace::reset();
    EXPECT_FALSE(trace.contains("(syncData)")) << trace.text();
    EXPECT_GT(count, 50u);
}
