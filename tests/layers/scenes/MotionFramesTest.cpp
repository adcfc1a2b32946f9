#include "base/Trace.h"
#include "layers/scenes/MotionFrames.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

using namespace qelFramework;

namespace {

std::string frameBytes(std::uint32_t count, const std::vector<MotionPoint>& points) {
    std::string bytes(4, '\0');
    for (int b = 0; b < 4; ++b)
        bytes[b] = static_cast<char>(count >> (8 * b));
    bytes.append(reinterpret_cast<const char*>(points.data()), points.size() * sizeof(MotionPoint));
    return bytes;
}

class MotionFrames : public ::testing::Test {
protected:
    void SetUp() override { Trace::setHighestLevel(Trace::Info); }
    void TearDown() override { Trace::reset(); }

    std::string write(const std::string& name, const std::string& bytes) {
        qmtest::writeFile(dir.file(name), bytes);
        return dir.file(name);
    }

    qmtest::TempFolder dir;
    qmtest::TraceCapture trace;
};

const float kRadian = 3.141f / 180.0f;

} // namespace

TEST_F(MotionFrames, PointsArePushedBackLiftedAndTheLowerRightCornerIsCutAway) {
    std::vector<MotionPoint> points = {
        {0.2f, -0.4f, 2.6f, 1, 0, 0},  // cut: right of 0.15 and below -0.3
        {0.2f, -0.2f, 2.5f, 1, 0, 0},  // kept: high enough
        {0.1f, -0.4f, 2.4f, 0, 0, -1}, // kept: far enough left
        {0.15f, -0.9f, 2.3f, 0, 1, 0}, // kept: on the boundary
        {0.2f, -0.3f, 2.2f, 1, 0, 0},  // kept: on the other boundary
    };
    std::vector<MotionPoint> loaded;
    ASSERT_TRUE(loadMotionFrame(write("a.par", frameBytes(5, points)), kMotionZOffset, 0.0f, loaded));
    ASSERT_EQ(loaded.size(), 4u);
    EXPECT_FLOAT_EQ(loaded[0].x, 0.2f);
    EXPECT_FLOAT_EQ(loaded[0].y, 0.8f);
    EXPECT_FLOAT_EQ(loaded[0].z, 2.5f - 2.563f);
    EXPECT_FLOAT_EQ(loaded[1].y, 0.6f);
    EXPECT_FLOAT_EQ(loaded[2].y, 0.1f);
    EXPECT_FLOAT_EQ(loaded[3].y, 0.7f);
    // Normals are not lifted.
    EXPECT_EQ(loaded[2].ny, 1.0f);
    EXPECT_TRUE(trace.records().empty());
}

TEST_F(MotionFrames, Frame400IsTurned20Point5DegreesAboutXAnd13Point67AboutY) {
    EXPECT_EQ(motionFrameName(400), "data/kinect/anim00400.par");
    EXPECT_EQ(motionFrameAngle(359), 0.0f);
    EXPECT_EQ(motionFrameAngle(538), 89.5f);
    // One point a metre behind the performer's spot, one just above it; normal facing back.
    std::vector<MotionPoint> points = {{0, 0, 1 + 2.563f, 0, 0, -1}, {0, 1, 2.563f, 0, 0, -1}};
    std::vector<MotionPoint> loaded;
    ASSERT_TRUE(loadMotionFrame(write("b.par", frameBytes(2, points)), kMotionZOffset, motionFrameAngle(400), loaded));
    ASSERT_EQ(loaded.size(), 2u);
    // Tipped by a about x, then turned by b (two thirds of a) about y; the normal turns alike.
    const float a = 20.5f * kRadian, b = 13.6667f * kRadian;
    const MotionPoint& back = loaded[0];
    EXPECT_NEAR(back.y, 1 - std::sin(a), 1e-4f);
    EXPECT_NEAR(back.x, std::cos(a) * std::sin(b), 1e-4f);
    EXPECT_NEAR(back.nx, -back.x, 1e-4f);
    EXPECT_NEAR(loaded[1].z, std::sin(a) * std::cos(b), 1e-4f);
}

TEST_F(MotionFrames, PointsComeFarthestFirstWhateverTheirOrderInTheFile) {
    std::vector<MotionPoint> points;
    unsigned state = 7;
    for (int i = 0; i < 500; ++i) {
        state = state * 1103515245u + 12345u;
        points.push_back({-0.5f + (state >> 16 & 255) / 255.0f, 0.1f * (i % 7), 2.0f + (state >> 8 & 1023) / 1023.0f});
    }
    for (float angle : {0.0f, 45.0f}) {
        std::vector<MotionPoint> loaded;
        ASSERT_TRUE(loadMotionFrame(write("c.par", frameBytes(500, points)), kMotionZOffset, angle, loaded));
        ASSERT_EQ(loaded.size(), 500u);
        for (size_t i = 1; i < loaded.size(); ++i)
            ASSERT_GE(loaded[i - 1].z, loaded[i].z) << i;
    }
}

TEST_F(MotionFrames, ADamagedFileGivesAnEmptyFrameAndOneWarningNamingIt) {
    std::vector<MotionPoint> two = {{0, 0, 2.5f, 0, 0, -1}, {0.1f, 0.2f, 2.6f, 0, 0, -1}};
    std::string whole = frameBytes(2, two);
    struct Case {
        std::string name, bytes;
    } cases[] = {
        {"count-too-large.par", frameBytes(1000, two)},
        {"count-enormous.par", frameBytes(0xFFFFFFFFu, two)},
        {"truncated.par", whole.substr(0, whole.size() - 5)},
        {"half-count.par", whole.substr(0, 2)},
        {"empty.par", ""},
    };
    for (const Case& c : cases) {
        trace.clear();
        std::vector<MotionPoint> loaded(3);
        EXPECT_FALSE(loadMotionFrame(write(c.name, c.bytes), kMotionZOffset, 0.0f, loaded)) << c.name;
        EXPECT_TRUE(loaded.empty()) << c.name;
        ASSERT_EQ(trace.records().size(), 1u) << c.name;
        EXPECT_EQ(trace.records()[0].rfind("WARNING (motionFrames): motion frame " + dir.file(c.name), 0), 0u)
            << trace.records()[0];
    }
    trace.clear();
    std::vector<MotionPoint> loaded;
    EXPECT_FALSE(loadMotionFrame(dir.file("missing.par"), kMotionZOffset, 0.0f, loaded));
    ASSERT_EQ(trace.records().size(), 1u);
    EXPECT_NE(trace.records()[0].find(dir.file("missing.par") +
                                      " stays empty: it cannot be opened: No such file or directory"),
              std::string::npos)
        << trace.records()[0];

    // A frame of no points is a proper empty frame.
    trace.clear();
    EXPECT_TRUE(loadMotionFrame(write("none.par", frameBytes(0, {})), kMotionZOffset, 0.0f, loaded));
    EXPECT_TRUE(loaded.empty());
    EXPECT_TRUE(trace.records().empty());
}

TEST_F(MotionFrames, PointsThatAreNotNumbersAreLeftOutAndBytesAfterTheLastPointIgnored) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    std::vector<MotionPoint> points = {{0, 0, 2.5f, 0, 0, -1}, {0, nan, 2.6f, 0, 0, -1}, {0, 0, inf, 0, 0, -1},
                                       {0, 0.5f, 2.7f, nan, 0, -1}, {0.1f, 0.1f, 2.4f, 0, 0, -1}};
    std::vector<MotionPoint> loaded;
    EXPECT_TRUE(loadMotionFrame(write("nan.par", frameBytes(5, points) + "xyz"), kMotionZOffset, 30.0f, loaded));
    EXPECT_EQ(loaded.size(), 2u);
    ASSERT_EQ(trace.records().size(), 1u);
    EXPECT_NE(trace.records()[0].find("3 bytes after the last point"), std::string::npos) << trace.records()[0];
    EXPECT_NE(trace.records()[0].find("3 points that are not numbers"), std::string::npos) << trace.records()[0];
}
