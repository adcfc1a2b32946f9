#pragma once
// Three consecutive floats (x, y, z), the vector the drawing helpers and particles use.
#include <cmath>

namespace qelFramework {

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Lengths are taken in single precision throughout.
inline float vectorLength(const Vector3& v) { return sqrtf(v.x * v.x + v.y * v.y + v.z * v.z); }

} // namespace qelFramework
