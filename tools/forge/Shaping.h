#pragma once
// Shaping functions shared by the forge's pictures, surfaces and motion.
#include <algorithm>

namespace qelFramework::forge {

// v limited to 0..1 (0 for NaN).
inline float clamp01(float v) { return std::min(1.f, std::max(0.f, v)); }

// 0 at e0, 1 at e1 (either may be the larger), a smooth cubic ramp between.
inline float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.f - 2.f * t);
}

} // namespace qelFramework::forge
