#include "models/ClothDrape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace qelFramework;

namespace {

int at(int i, int j) { return i * kClothGridSize + j; }

// The grid's x (and z) of step k, as the grid accumulates it.
float gridStep(int k) {
    float v = -2.0f;
    for (int s = 0; s < k; ++s)
        v += 0.1f;
    return v;
}

// A block of points at height y covering grid steps i0..i1 and j0..j1.
std::vector<MotionPoint> block(int i0, int i1, int j0, int j1, float y) {
    std::vector<MotionPoint> points;
    for (int i = i0; i <= i1; ++i)
        for (int j = j0; j <= j1; ++j)
            points.push_back({gridStep(i) / 2.0f, y, gridStep(j) / 2.0f, 0, 0, -1});
    return points;
}

float distance(const Vector3& a, const Vector3& b) {
    return vectorLength({a.x - b.x, a.y - b.y, a.z - b.z});
}

} // namespace

TEST(ClothDrape, ACloudAtOrBelowTheFloorSupportsNothingAndTheSheetFallsFreely) {
    std::vector<MotionPoint> points = block(0, 39, 0, 39, 0.0f);
    std::vector<MotionPoint> lower = block(5, 30, 5, 30, -0.4f);
    points.insert(points.end(), lower.begin(), lower.end());

    std::vector<ClothParticle> grid;
    buildClothGrid(points, grid);
    ASSERT_EQ(grid.size(), 1600u);
    for (const ClothParticle& p : grid) {
        EXPECT_FALSE(p.supported);
        EXPECT_EQ(p.anchorIndex, kNoAnchor);
        EXPECT_EQ(p.supportHeight, 0.0f);
        EXPECT_EQ(p.position.y, 1.3f);
    }
    EXPECT_NEAR(grid[at(39, 0)].position.x, 0.95f, 1e-6f);
    EXPECT_NEAR(grid[at(0, 39)].position.z, 0.95f, 1e-6f);

    // Nothing holds it: the flat sheet drops 1.855 in 30 steps by the falling rule alone,
    // every mesh vertex at that height plus the push along its upward normal.
    ClothAnimation cloth = buildClothAnimation(points, 0.2f);
    ASSERT_EQ(cloth.frames.size(), 30u);
    for (int v = 0; v < cloth.vertexCount; ++v) {
        ASSERT_NEAR(cloth.frames.back().positions[v * 3 + 1], 1.3f - 1.855f + 0.05f, 1e-3f);
        ASSERT_NEAR(cloth.frames.back().normals[v * 3 + 1], 1.0f, 1e-5f);
    }
}

TEST(ClothDrape, TheHeightFieldKeepsTheFirstRaiseUnlessALaterPointIsHigherAndKeysAreText) {
    // Grid step 22 is x = 0.2 (key "0.2"); points keyed by twice their x and z.
    std::vector<ClothParticle> grid;
    buildClothGrid({{0.1f, 0.5f, 0.1f}, {0.1f, 0.55f, 0.1f}}, grid);
    EXPECT_FLOAT_EQ(grid[at(22, 22)].supportHeight, 0.6f);
    buildClothGrid({{0.1f, 0.55f, 0.1f}, {0.1f, 0.7f, 0.1f}}, grid);
    EXPECT_FLOAT_EQ(grid[at(22, 22)].supportHeight, 0.8f);
    EXPECT_TRUE(grid[at(22, 22)].supported);
    EXPECT_FALSE(grid[at(21, 22)].supported);

    // The middle step prints as "0.0": a point just left of it prints "-0.0" and holds
    // nothing up, one just right of it holds that cell.
    buildClothGrid({{-0.01f, 0.5f, 0.3f}}, grid);
    EXPECT_EQ(std::count_if(grid.begin(), grid.end(), [](const ClothParticle& p) { return p.supported; }), 0);
    buildClothGrid({{0.01f, 0.5f, 0.3f}}, grid);
    EXPECT_TRUE(grid[at(20, 26)].supported);

    // A point below the floor raises nothing: its cell keeps 0 and holds nothing up.
    buildClothGrid({{0.3f, -0.095f, 0.3f}}, grid);
    EXPECT_FALSE(grid[at(26, 26)].supported);
}

TEST(ClothDrape, LooseParticlesHangFromTheNearestSupportedOneFirstOfEquals) {
    std::vector<MotionPoint> points = {{gridStep(10) / 2, 0.8f, gridStep(10) / 2}, {gridStep(10) / 2, 0.8f, gridStep(12) / 2}};
    std::vector<ClothParticle> grid;
    buildClothGrid(points, grid);
    EXPECT_EQ(grid[at(10, 10)].anchorIndex, at(10, 10));
    EXPECT_EQ(grid[at(10, 10)].anchorDistance, 0.0f);
    // Halfway between the two: the first in grid order wins.
    EXPECT_EQ(grid[at(10, 11)].anchorIndex, at(10, 10));
    EXPECT_NEAR(grid[at(10, 11)].anchorDistance, 0.05f, 1e-6f);
    EXPECT_EQ(grid[at(10, 13)].anchorIndex, at(10, 12));
    EXPECT_EQ(grid[at(39, 39)].anchorIndex, at(10, 12));

    // Falling, no loose particle drifts farther from its anchor than it started.
    for (int step = 0; step < 30; ++step) {
        stepCloth(grid, 0.2f);
        for (const ClothParticle& p : grid)
            ASSERT_LE(distance(p.position, grid[p.anchorIndex].position), p.anchorDistance * 1.0001f + 1e-5f);
    }
}

TEST(ClothDrape, ASupportedParticleNeverEndsAStepBelowItsSupport) {
    // A figure of two heights, the top of it above where the sheet starts.
    std::vector<MotionPoint> points = block(12, 28, 15, 24, 0.9f);
    std::vector<MotionPoint> head = block(18, 22, 26, 30, 1.3f);
    points.insert(points.end(), head.begin(), head.end());
    std::vector<ClothParticle> grid;
    buildClothGrid(points, grid);
    int supported = 0;
    for (int step = 0; step < 30; ++step) {
        stepCloth(grid, 0.2f);
        supported = 0;
        for (const ClothParticle& p : grid)
            if (p.supported) {
                ++supported;
                ASSERT_GE(p.position.y, p.supportHeight) << "step " << step;
            }
    }
    EXPECT_EQ(supported, 17 * 10 + 5 * 5);
    // Settled: resting on the figure, hanging around it, never through it.
    EXPECT_FLOAT_EQ(grid[at(20, 20)].position.y, 1.0f);
    EXPECT_FLOAT_EQ(grid[at(20, 28)].position.y, 1.4f);
    EXPECT_LT(grid[at(2, 2)].position.y, 0.5f);
}

TEST(ClothDrape, EveryMeshHas7350VerticesOfTheInnerParticlesWithTheirTextureCoordinates) {
    ClothAnimation cloth = buildClothAnimation(block(10, 30, 12, 28, 0.95f), 0.2f);
    ASSERT_EQ(cloth.frames.size(), 30u);
    EXPECT_EQ(cloth.vertexCount, 7350);
    for (const ClothFrame& frame : cloth.frames) {
        ASSERT_EQ(frame.positions.size(), 7350u * 3);
        ASSERT_EQ(frame.normals.size(), 7350u * 3);
        ASSERT_EQ(frame.texCoords.size(), 7350u * 2);
        for (int axis = 0; axis < 2; ++axis) {
            float lo = 1, hi = 0;
            for (int v = 0; v < 7350; ++v) {
                lo = std::min(lo, frame.texCoords[v * 2 + axis]);
                hi = std::max(hi, frame.texCoords[v * 2 + axis]);
            }
            EXPECT_FLOAT_EQ(lo, 0.05f);
            EXPECT_FLOAT_EQ(hi, 0.925f);
        }
        // The first triangle runs (2, 2), (2, 3), (3, 3): its second corner is one z step
        // on, and u follows the z step.
        EXPECT_EQ(std::vector<float>(frame.texCoords.begin(), frame.texCoords.begin() + 6),
                  (std::vector<float>{0.05f, 0.05f, 0.075f, 0.05f, 0.075f, 0.075f}));
        for (int v = 0; v < 7350; ++v) {
            const float* n = &frame.normals[v * 3];
            ASSERT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-4f);
        }
    }
}
