#pragma once
// The recorded performer, made from simple shapes: a small skeleton posed over time by a
// procedural dance (steps, arm swings, a spin, waves overhead, then opening out into a
// still pose), dressed in capsules and ellipsoids, and seen by a depth camera at the
// origin looking along +z (x to the camera's left, y up). The dancer stands about 2.56 m
// in front of it, feet on the floor at y = -1.0.
#include "Vec3.h"

#include "models/MotionPoint.h"

#include <cstdint>
#include <vector>

namespace qelFramework::forge {

struct BodyShape {
    enum Kind { Capsule, Ellipsoid } kind = Capsule;
    Vec3 a, b;           // capsule: the segment's ends; ellipsoid: a is the centre
    float radius = 0;    // capsule
    Vec3 axes[3];        // ellipsoid: orthonormal axes
    float radii[3] = {}; // ellipsoid: half extents along them
};

// The dancer's body `seconds` into the dance, in camera space.
std::vector<BodyShape> dancerAt(float seconds);

// What the depth camera sees of the shapes: one point per pixel that hits the body, with
// the surface normal (facing the camera), in pixel order. `seed` varies the sensor's
// sub-pixel jitter and depth noise from frame to frame.
void scanBody(const std::vector<BodyShape>& shapes, std::uint32_t seed, std::vector<MotionPoint>& points);

} // namespace qelFramework::forge
