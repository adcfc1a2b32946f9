#pragma once
// One point of a recorded depth-camera frame: a position and its surface normal, six
// 32-bit floats, laid out exactly as the recorded files store them.

namespace qelFramework {

struct MotionPoint {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float nx = 0.0f, ny = 0.0f, nz = 0.0f;
};

static_assert(sizeof(MotionPoint) == 24, "a recorded point is six packed floats");

} // namespace qelFramework
