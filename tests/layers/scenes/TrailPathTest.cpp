#include "layers/scenes/Layer_CityScene.h"
#include "layers/scenes/TrailPath.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qelFramework;

namespace {

TrailPath line(std::initializer_list<Vector3> points) { return TrailPath(points); }

} // namespace

TEST(TrailPath, ResamplingEasesOnlyTheAxisOfLargestChangeAndFollowsWithALag) {
    // Step 0.25 over a segment of length 1 gives u = 0, 0.25, 0.5, 0.75, 1 exactly.
    TrailPath x = resampleTrail(line({{0, 0, 0}, {0.8f, 0.6f, 0}}), 0.25f, 1.0f);
    ASSERT_EQ(x.size(), 5u);
    // x changes most: it moves by smoothstep(u), y linearly.
    EXPECT_FLOAT_EQ(x[1].x, 0.8f * 0.15625f);
    EXPECT_FLOAT_EQ(x[1].y, 0.6f * 0.25f);
    EXPECT_FLOAT_EQ(x[4].x, 0.8f);

    // A tie has no axis of largest change: both move linearly.
    TrailPath tie = resampleTrail(line({{0, 0, 0}, {0.6f, 0, 0.8f}, {1.2f, 0, 1.6f}}), 0.25f, 1.0f);
    EXPECT_FLOAT_EQ(tie[1].z, 0.8f * 0.15625f); // z dominates the first segment
    TrailPath even = resampleTrail(line({{0, 0, 0}, {0.6f, 0.6f, 0}}), 0.25f, 1.0f);
    const float u = 0.25f / vectorLength(Vector3{0.6f, 0.6f, 0});
    EXPECT_FLOAT_EQ(even[1].x, 0.6f * u);
    EXPECT_FLOAT_EQ(even[1].y, 0.6f * u);

    // With a follow rate below 1 the cursor lags: half way to each target from the start.
    TrailPath lag = resampleTrail(line({{0, 0, 0}, {1, 0, 0}}), 0.25f, 0.5f);
    EXPECT_FLOAT_EQ(lag[0].x, 0.0f);
    EXPECT_FLOAT_EQ(lag[1].x, 0.5f * 0.15625f);
    EXPECT_FLOAT_EQ(lag[2].x, lag[1].x + 0.5f * (0.5f - lag[1].x));
    EXPECT_LT(lag.back().x, 1.0f);
}

TEST(TrailPath, EmptyShortAndRepeatedPoints) {
    EXPECT_TRUE(resampleTrail({}, 0.01f, 0.008f).empty());
    EXPECT_TRUE(resampleTrail(line({{1, 2, 3}}), 0.01f, 0.008f).empty());
    // A segment of no length contributes its start once, and nothing divides by zero.
    TrailPath repeated = resampleTrail(line({{1, 2, 3}, {1, 2, 3}}), 0.01f, 0.008f);
    ASSERT_EQ(repeated.size(), 1u);
    EXPECT_FLOAT_EQ(repeated[0].y, 2.0f);

    EXPECT_EQ(trailParticleCount(TrailPath(9)), 0u);
    EXPECT_EQ(trailParticleCount(TrailPath(10)), 1u);
    EXPECT_EQ(trailParticleCount(TrailPath(19)), 1u);
    EXPECT_EQ(trailParticleCount(TrailPath(20)), 2u);
}

TEST(TrailPath, WallClampAndCameraSmoothing) {
    TrailPath p = line({{18, 36.7f, 0}, {18, 36.8f, 0}, {10, 0, 0}});
    keepOffWall(p, 36.8f, 17.2f);
    EXPECT_FLOAT_EQ(p[0].x, 17.2f);
    EXPECT_FLOAT_EQ(p[1].x, 18.0f); // at the wall's top it may pass over
    EXPECT_FLOAT_EQ(p[2].x, 10.0f);

    TrailPath q = line({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
    smoothTrail(q, 1, 0.2f);
    EXPECT_FLOAT_EQ(q[1].x, 0.2f);
    EXPECT_FLOAT_EQ(q[2].x, 0.2f + 0.2f * 1.8f); // uses the point already moved
    smoothTrail(q, 1, 0.2f);
    EXPECT_FLOAT_EQ(q[1].x, 0.04f);
    EXPECT_FLOAT_EQ(q[0].x, 0.0f);
}

TEST(TrailPath, TheCityTrailsAreResampledOncePerHundredthOfTheirLength) {
    Layer_CityScene city(nullptr);
    city.buildTrails();
    unsigned longest = 0;
    for (int k = 0; k < Layer_CityScene::kTrailCount; ++k) {
        const TrailPath& raw = city.paths[k];
        ASSERT_GE(raw.size(), 2u);
        EXPECT_FLOAT_EQ(raw[0].x, 1.0f);
        EXPECT_FLOAT_EQ(raw[0].z, 2.8f);
        // Each segment gives about length / 0.01 + 1 samples.
        double expected = 0;
        for (size_t i = 0; i + 1 < raw.size(); ++i) {
            Vector3 d{raw[i + 1].x - raw[i].x, raw[i + 1].y - raw[i].y, raw[i + 1].z - raw[i].z};
            float length = vectorLength(d);
            expected += length > 0 ? std::floor(length / 0.01) + 1 : 1;
        }
        EXPECT_NEAR(static_cast<double>(city.resampled[k].size()), expected, static_cast<double>(raw.size()));
        EXPECT_EQ(city.trailCount[k], city.resampled[k].size() / 10);
        for (const Vector3& point : raw) {
            if (point.y < 36.8f) {
                EXPECT_LE(point.x, 17.2f);
            }
        }
        longest = std::max(longest, city.trailCount[k]);
    }
    // The main trail runs from the street into the sky: the longest, ending high up.
    EXPECT_EQ(city.trailCount[8], longest);
    EXPECT_FLOAT_EQ(city.paths[8].back().y, 65.752f);
    EXPECT_EQ(city.chasePath.size(), city.resampled[8].size());
    EXPECT_LT(city.chasePath.back().y, city.resampled[8].back().y); // the camera path lags
}
