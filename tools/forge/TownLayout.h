#pragma once
// Where things stand in the town, in world units as the city shows them (the model
// files hold x mirrored). The street camera stands at (0, 1, -1) looking up the street
// (+z); the tall house's street wall stands at x = 17.2 and its roof rises to the ridge
// at x = 37; the chimney's top is at (34.1, 64, 21.1). The glowing trails run over the
// pavements and climb that wall.
#include "Mesh.h"
#include "TownPaint.h"

#include <vector>

namespace qelFramework::forge::town {

// Ground levels: the road, the pavements beside it, the square and the terrace in
// front of the tall house.
constexpr float kRoadY = 0.f;
constexpr float kPavementY = 0.22f;
constexpr float kSquareY = 0.15f;
constexpr float kTerraceY = 0.65f;

// The tall house.
constexpr float kFacadeX = 17.2f;
constexpr float kTallZ0 = 1.f, kTallZ1 = 24.f;
constexpr float kTallBackX = 56.8f;
constexpr float kEaveY = 39.5f;
constexpr float kCorniceY = 36.8f;
constexpr float kRidgeX = 37.f, kRidgeY = 61.3f;
constexpr float kShopTop = 5.f, kStorey = 3.4f;
constexpr int kUpperStoreys = 9;

// Ground height under a point.
float groundAt(float x, float z);
// Distance (in x-z) to the nearest house wall, for occlusion on the ground.
float wallDistance(float x, float z);

// A building's wall top (occlusion under its eaves) and a tint for its walls.
struct Building {
    float x0, x1, z0, z1;
    float ground, eave;
    Color tint;
};
// Tag numbers 1.. refer to buildings(); 0 is no building.
const std::vector<Building>& buildings();

// A window on a wall: centre, the wall's outward normal, size, and whether it is lit.
struct Window {
    Vec3 centre;
    Vec3 normal;
    float width, height;
    bool lit;
    bool shutters;
    int part; // which house part draws it
};
const std::vector<Window>& windows();

// Lit windows, lanterns and sign lamps, as glows baked into nearby surfaces.
const std::vector<Glow>& glows();

} // namespace qelFramework::forge::town
