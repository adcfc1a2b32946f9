#pragma once
// Pi as the scenes write it. Their motion (cameras, flocks, sways, sprite turns) was
// timed with pi written as 3.141 and 2 pi as 6.28 where radians turn into degrees, so
// these values are kept on purpose instead of the true ones: with them every curve
// lands where the choreography expects it.

namespace qelFramework {

constexpr float kScenePi = 3.141f;
constexpr float kSceneTwoPi = 6.28f;

} // namespace qelFramework
