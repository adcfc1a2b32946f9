// Where recorded presses land: at their own time or on the beat rule's beat, never on
// another key's time.
#include "editor/RecordingTake.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace qelFramework;

namespace {
BeatGrid halfSecondBeats() { // beats at 0.5, 1.0, 1.5, ... s
    BeatGrid grid;
    std::string error;
    EXPECT_TRUE(grid.parse("bpm 120\noffset 0.5\nbeats-per-bar 4\n", error)) << error;
    return grid;
}
// Places a press and adds its key, as the editor does; NaN when nothing is added.
float record(RecordingTake& take, SyncController& c, float pressed, const BeatGrid* grid, float songEnd = 10.0f) {
    const float t = take.place(pressed, c, grid, songEnd);
    if (!std::isnan(t))
        c.addKey(t, 0.0f);
    return t;
}
} // namespace

TEST(RecordingTake, OnTheBeatRuleEachPressTakesTheNearestBeatThisRecordingLeftFree) {
    const BeatGrid grid = halfSecondBeats();
    SyncController c("Taps");
    c.addKey(3.0f, 0.5f); // a key that was there before, on beat 5
    RecordingTake take;
    EXPECT_EQ(record(take, c, 1.1f, &grid), 1.0f);
    EXPECT_EQ(record(take, c, 1.2f, &grid), 1.5f); // 1.0 holds a key of this recording
    EXPECT_EQ(record(take, c, 0.9f, &grid), 2.0f);
    // A beat that holds an older key: just after that key, never on its time.
    EXPECT_EQ(record(take, c, 3.1f, &grid), std::nextafter(3.0f, 4.0f));
    EXPECT_EQ(record(take, c, 2.9f, &grid), 3.5f);
    // The next free beat past the song's end: nothing.
    EXPECT_TRUE(std::isnan(record(take, c, 1.2f, &grid, 1.2f)));
    // A new recording may use the beats again, after the keys already on them.
    take.restart();
    EXPECT_EQ(record(take, c, 1.1f, &grid), std::nextafter(1.0f, 2.0f));
    EXPECT_EQ(record(take, c, 1.1f, &grid), std::nextafter(1.5f, 2.0f));
    // Another controller has beats of its own.
    SyncController other("Other");
    EXPECT_EQ(record(take, other, 1.1f, &grid), 1.0f);
    EXPECT_EQ(c.keyCount(), 8);
}

TEST(RecordingTake, APressAtAKeysTimeLandsJustAfterItAndOutsideTheSongNowhere) {
    SyncController c("Taps");
    c.addKey(2.0f, 0.5f);
    RecordingTake take;
    const float first = record(take, c, 2.0f, nullptr);
    EXPECT_EQ(first, std::nextafter(2.0f, 3.0f));
    EXPECT_EQ(record(take, c, 2.0f, nullptr), std::nextafter(first, 3.0f)); // past both
    EXPECT_EQ(record(take, c, 2.5f, nullptr), 2.5f);
    for (float outside : {-0.1f, 10.5f, NAN})
        EXPECT_TRUE(std::isnan(record(take, c, outside, nullptr))) << outside;
    ASSERT_EQ(c.keyCount(), 4);
    for (int k = 1; k < c.keyCount(); ++k)
        EXPECT_LT(c.keyTime(k - 1), c.keyTime(k));
}
