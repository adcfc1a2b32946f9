#include "AllocationCounter.h"
#include "base/Trace.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

using namespace qelFramework;

namespace {
// A controller with these keys and one shape for every segment.
SyncController make(std::initializer_list<SyncKey> keys, std::int32_t kind = linear, std::int32_t ends = valval) {
    SyncController c("Test: curve");
    for (const SyncKey& k : keys)
        c.addKey(k.time, k.value);
    for (int s = 0; s < c.segmentCount(); ++s) {
        c.setSegmentKind(s, kind);
        c.setSegmentEnds(s, ends);
    }
    return c;
}

float at(SyncController& c, float t) {
    c.evaluate(t);
    return c.value;
}
} // namespace

TEST(SyncController, FourShapesAreExactOnQuarters) {
    // h(u) for u = 0, 0.25, 0.5, 0.75: linear, smoothstep, exponential, minexponential.
    const float expected[4][4] = {{0.0f, 0.25f, 0.5f, 0.75f},
                                  {0.0f, 0.15625f, 0.5f, 0.84375f},
                                  {0.0f, 0.01123046875f, 0.15625f, 0.59326171875f},
                                  {0.0f, 0.40673828125f, 0.84375f, 0.98876953125f}};
    for (int kind = linear; kind <= minexponential; ++kind) {
        SyncController c = make({{0.0f, 0.0f}, {8.0f, 1.0f}}, kind);
        for (int q = 0; q < 4; ++q)
            EXPECT_EQ(at(c, 2.0f * q), expected[kind - 1][q]) << "kind " << kind << " quarter " << q;
    }
    SyncController c = make({{0.0f, 0.2f}, {10.0f, 0.8f}}, smoothstep);
    EXPECT_FLOAT_EQ(at(c, 5.0f), 0.5f);
    EXPECT_FLOAT_EQ(at(c, 2.5f), 0.29375f);
}

TEST(SyncController, SevenPresetsAndUnnamedOnes) {
    const std::pair<std::int32_t, float> halfway[] = {{valval, 0.6f}, {valzero, 0.15f}, {valone, 0.65f},
                                                      {zeroval, 0.45f}, {oneval, 0.95f}, {oneone, 1.0f},
                                                      {zerozero, 0.0f}, {0, 0.0f}, {8, 0.0f}};
    for (auto [ends, value] : halfway) {
        SyncController c = make({{0.0f, 0.3f}, {4.0f, 0.9f}}, linear, ends);
        EXPECT_FLOAT_EQ(at(c, 2.0f), value) << "preset " << ends;
    }
    for (int kind = linear; kind <= minexponential; ++kind) {
        SyncController c = make({{0.0f, 0.3f}, {4.0f, 0.9f}}, kind, oneone);
        EXPECT_EQ(std::make_pair(at(c, 0.7f), at(c, 3.9f)), std::make_pair(1.0f, 1.0f)) << "kind " << kind;
    }
    // At a middle key the segment that starts there gives its "from" value.
    SyncController c = make({{0.0f, 0.3f}, {4.0f, 0.9f}, {8.0f, 0.5f}}, smoothstep, oneval);
    EXPECT_EQ(at(c, 4.0f), 1.0f);
}

TEST(SyncController, OutsideTheKeysAndUnknownShapes) {
    SyncController none("Test: none");
    EXPECT_EQ(std::make_pair(at(none, 3.0f), none.changed), std::make_pair(0.0f, false));
    SyncController c = make({{0.0f, 0.2f}, {10.0f, 0.8f}, {20.0f, 0.4f}});
    EXPECT_EQ(at(c, -3.0f), 0.2f);
    EXPECT_EQ(at(c, 20.0f), 0.4f);
    c.setSegmentKind(0, 0);
    c.setSegmentKind(1, 5);
    EXPECT_EQ(at(c, 5.0f), 0.4f) << "kind 0 holds the previous value";
    EXPECT_EQ(at(c, 15.0f), 0.4f) << "kind 5 holds the previous value";
}

TEST(SyncController, InfiniteKeyTimesAndValuesNeverGiveANotANumber) {
    // A segment with an infinite end holds its start value, in every shape; so does a
    // span too wide for a float, and a segment between equal infinite values.
    const float inf = INFINITY;
    for (int kind = linear; kind <= minexponential; ++kind) {
        SyncController c = make({{-inf, 0.2f}, {0.0f, 0.6f}, {10.0f, 0.9f}, {inf, 0.4f}}, kind);
        const std::pair<float, float> steps[] = {{-inf, 0.2f}, {-1e30f, 0.2f}, {-1.0f, 0.2f}, {0.0f, 0.6f},
                                                 {20.0f, 0.9f}, {3e38f, 0.9f}, {inf, 0.4f}};
        for (auto [t, value] : steps)
            EXPECT_EQ(at(c, t), value) << "kind " << kind << " t = " << t;
        c = make({{-inf, 0.2f}, {inf, 0.4f}}, kind);
        EXPECT_EQ(at(c, 7.0f), 0.2f);
        c = make({{-3e38f, 0.1f}, {3e38f, 0.7f}}, kind);
        EXPECT_EQ(at(c, 2.9e38f), 0.1f) << "kind " << kind;
        for (float v : {inf, -inf}) {
            c = make({{0.0f, v}, {10.0f, v}}, kind);
            for (float t : {0.0f, 2.5f, 9.9f, 10.0f})
                EXPECT_EQ(at(c, t), v) << "kind " << kind << " t = " << t;
            // Unequal ends: the infinite end wins inside, as the arithmetic has it.
            c = make({{0.0f, 0.5f}, {10.0f, v}}, kind);
            EXPECT_EQ(at(c, 5.0f), v) << "kind " << kind;
        }
    }
}

TEST(SyncController, ChangedMarksEveryNewKeyInterval) {
    SyncController c = make({{0.0f, 0.0f}, {10.0f, 1.0f}, {20.0f, 0.5f}});
    const std::pair<float, bool> steps[] = {{1, true},  {2, false}, {11, true},  {11.5f, false},
                                            {25, true}, {5, true},  {-1, false}, {6, false}};
    for (auto [t, changed] : steps) {
        c.evaluate(t);
        EXPECT_EQ(c.changed, changed) << "t = " << t;
    }
    EXPECT_EQ(c.lastKey(), 0);
}

// valueAt is evaluate's value to the bit, from any state, and touches nothing; the key
// interval found by the search is the last key at or before t.
TEST(SyncController, ValueAtIsEvaluatesValueAndChangesNothing) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> time(-5.0f, 45.0f), unit(0.0f, 1.0f);
    const float specials[] = {NAN, INFINITY, -INFINITY, 0.0f, 10.0f, 20.0f, 40.0f, -0.0f};
    for (int round = 0; round < 40; ++round) {
        SyncController c("Test: random");
        const int keys = round % 7; // none, a lone key, and more, some sharing a time
        for (int k = 0; k < keys; ++k)
            c.addKey(round % 3 == 0 ? 10.0f * static_cast<float>(k / 2) : time(random), unit(random));
        for (int s = 0; s < c.segmentCount(); ++s) {
            c.setSegmentKind(s, static_cast<std::int32_t>(random() % 6)); // unknown shapes too
            c.setSegmentEnds(s, static_cast<std::int32_t>(random() % 9));
        }
        for (int step = 0; step < 60; ++step) {
            const float t = step % 10 == 9 ? specials[random() % 8] : time(random);
            const float before = c.value;
            const bool changedBefore = c.changed;
            const int keyBefore = c.lastKey();
            const float probed = c.valueAt(t);
            ASSERT_EQ(std::memcmp(&before, &c.value, sizeof before), 0) << "valueAt changed the value at t = " << t;
            ASSERT_EQ(c.changed, changedBefore) << "t = " << t;
            ASSERT_EQ(c.lastKey(), keyBefore) << "t = " << t;
            c.evaluate(t);
            ASSERT_EQ(std::memcmp(&probed, &c.value, sizeof probed), 0) << "round " << round << " t = " << t;
            int last = -1;
            for (int k = 0; k < c.keyCount(); ++k)
                if (c.keyTime(k) <= t)
                    last = k;
            if (last != -1) {
                ASSERT_EQ(c.lastKey(), last) << "round " << round << " t = " << t;
            }
        }
    }
    // A key whose time is not a number is not added: the curve stays empty and reads its value.
    SyncController lone("Test: lone");
    lone.addKey(NAN, 0.5f);
    EXPECT_EQ(lone.keyCount(), 0);
    lone.evaluate(3.0f);
    EXPECT_EQ(lone.lastKey(), -1);
    EXPECT_EQ(lone.valueAt(3.0f), lone.value);
}

// A key added at or before the time of the last evaluation counts as passed, one after
// it lies ahead: either way the next evaluation at that time reports no change, and a
// later one passing the key does.
TEST(SyncController, AKeyAddedAroundThePlayLineIsNoNewIntervalUntilPassed) {
    for (float added : {-5.0f, 0.0f, 5.0f, 10.0f, 12.0f, 25.0f, 30.0f}) {
        SyncController c = make({{0.0f, 0.0f}, {10.0f, 1.0f}, {20.0f, 0.5f}});
        c.evaluate(12.0f);
        ASSERT_TRUE(c.changed);
        c.addKey(added, c.valueAt(added));
        c.evaluate(12.0f);
        EXPECT_FALSE(c.changed) << "added at " << added;
        EXPECT_LE(c.keyTime(c.lastKey()), 12.0f) << "added at " << added;
        EXPECT_GT(c.keyTime(c.lastKey() + 1), 12.0f) << "added at " << added;
        c.evaluate(26.0f);
        EXPECT_TRUE(c.changed) << "added at " << added;
    }
}

TEST(SyncController, AddKeyKeepsOrderAndTheSpanningSegmentsShape) {
    SyncController c = make({{0.0f, 0.1f}, {10.0f, 0.2f}}, exponential, valzero);
    c.addKey(10.0f, 0.9f); // equal to the last key: lands after it, a step
    c.addKey(5.0f, 0.5f);
    c.addKey(0.0f, 0.3f); // equal to an earlier key: lands after it
    c.addKey(-2.0f, 0.4f);
    c.addKey(std::nanf(""), 0.7f); // not a time: nothing
    const SyncKey keys[] = {{-2, 0.4f}, {0, 0.1f}, {0, 0.3f}, {5, 0.5f}, {10, 0.2f}, {10, 0.9f}};
    const std::int32_t kinds[] = {linear, exponential, linear, linear, linear};
    ASSERT_EQ(c.keyCount(), 6);
    ASSERT_EQ(c.segmentCount(), 5);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(std::make_pair(c.keyTime(i), c.keyValue(i)), std::make_pair(keys[i].time, keys[i].value)) << i;
    for (int s = 0; s < 5; ++s)
        EXPECT_EQ(c.segments()[s].kind, kinds[s]) << s;
    EXPECT_EQ(c.nextKeyTime(3), 10.0f);
    EXPECT_EQ(c.nextKeyTime(5) + c.keyTime(6) + c.keyValue(-1), 0.0f);
    // The step at the end: the old value just before it, the new one from it on.
    c.evaluate(9.999f);
    EXPECT_NEAR(c.value, 0.2f, 1e-3f);
    c.evaluate(10.0f);
    EXPECT_EQ(c.value, 0.9f);
}

TEST(SyncController, MoveKeyRefusesToChangeTheOrder) {
    SyncController c = make({{0.0f, 0.0f}, {10.0f, 0.0f}, {20.0f, 0.0f}});
    const std::tuple<int, float, float> moves[] = {{0, 10, 0},  {2, 10, 20},   {1, 20, 10}, {1, 0, 10},
                                                   {0, -5, -5}, {1, 19.5f, 19.5f}, {2, 99, 99}};
    for (auto [index, time, after] : moves) {
        c.moveKey(index, time);
        EXPECT_EQ(c.keyTime(index), after) << index << " to " << time;
    }
    c.moveKey(3, 1.0f);
    SyncController one = make({{3.0f, 0.0f}});
    one.moveKey(0, -7.0f);
    EXPECT_EQ(one.keyTime(0), -7.0f);
}

TEST(SyncController, RemoveKeyDownToNothingKeepsALoneKeysStaleSegment) {
    SyncController c = make({{0.0f, 0.5f}, {10.0f, 0.6f}, {20.0f, 0.7f}});
    c.setSegmentKind(1, exponential);
    c.removeKey(3);
    c.removeKey(0);
    ASSERT_EQ(c.segmentCount(), 1);
    EXPECT_EQ(c.segments()[0].kind, exponential);
    c.removeKey(1); // one key left: its segment stays and serves the next appended key
    ASSERT_EQ(c.segmentCount(), 1);
    c.addKey(30.0f, 0.0f);
    EXPECT_EQ(c.segments()[0].kind, exponential);
    c.removeKey(1);
    EXPECT_EQ(at(c, 12.0f), 0.6f);
    c.removeKey(0);
    EXPECT_EQ(c.keyCount(), 0);
    EXPECT_EQ(c.value, 0.0f);

    // A middle key goes with the segment that ended at it; the one it started spans the gap.
    SyncController m = make({{0.0f, 0.5f}, {10.0f, 0.6f}, {20.0f, 0.7f}});
    m.setSegmentKind(1, exponential);
    m.removeKey(1);
    ASSERT_EQ(m.segmentCount(), 1);
    EXPECT_EQ(m.segments()[0].kind, exponential);
}

TEST(SyncController, SegmentAtEdgesAndKeyValueClamp) {
    SyncController c = make({{0.0f, 0.0f}, {10.0f, 0.0f}, {20.0f, 0.0f}});
    const std::pair<float, int> hits[] = {{-5, 0}, {0, 0}, {10, 0}, {10.001f, 1}, {20, 1}, {20.001f, -1}};
    for (auto [t, segment] : hits)
        EXPECT_EQ(c.segmentAt(t), segment) << "t = " << t;
    EXPECT_EQ(make({{1.0f, 0.0f}}).segmentAt(0.0f), -1);
    c.setKeyValue(0, 1.5f);
    c.setKeyValue(1, -0.5f);
    c.setKeyValue(3, 0.5f);
    EXPECT_EQ(std::make_pair(c.keyValue(0), c.keyValue(1)), std::make_pair(1.0f, 0.0f));
}

// A name a layer reads that the data lacks is said once, and reads 0 as before.
TEST(SyncData, AnExpectedNameTheDataLacksIsNamedOnce) {
    qmtest::TraceCapture trace;
    Trace::setHighestLevel(Trace::Warning);
    SyncData data;
    data.getController("Sky: Move Up")->addKey(0.0f, 0.5f);
    SyncController* held = data.expectController("Sky: Move Up");
    SyncController* typo = data.expectController("Sky: Move Upp");
    EXPECT_EQ(data.expectController("Sky: Move Upp"), typo);
    data.evaluateAll(1.0f);
    EXPECT_EQ(held->value, 0.5f);
    EXPECT_EQ(typo->value, 0.0f);
    Trace::reset();
    EXPECT_EQ(trace.records(),
              std::vector<std::string>{"WARNING (syncData): no controller \"Sky: Move Upp\" in the sync data: it reads 0"});
}

TEST(SyncData, NamesAreExactPointersLastAndEvaluateAllAllocatesNothing) {
    SyncData data;
    SyncController* first = data.getController("Houses: Cam Down");
    for (int i = 0; i < 200; ++i)
        data.getController("Test: " + std::to_string(i))->addKey(1.0f, 0.5f);
    EXPECT_EQ(data.getController("Houses: Cam Down"), first);
    EXPECT_NE(data.getController("houses: cam down"), first);
    EXPECT_EQ(data.find("Test: none"), nullptr);
    EXPECT_EQ(data.count(), 202u);
    EXPECT_EQ(data.at(202), nullptr);
    const long before = qmtest::allocationCount();
    data.evaluateAll(3.0f);
    EXPECT_EQ(qmtest::allocationCount(), before);
    EXPECT_EQ(std::make_pair(data.at(200)->value, data.at(200)->changed), std::make_pair(0.5f, true));
}
