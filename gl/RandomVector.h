#pragma once
// Random vectors for the particle systems, drawn from the program's generator (Random.h).
#include "gl/Vector3.h"

namespace qelFramework {

// Each component is ((r mod 2000) / 1000 - 1) * its scale, r a fresh rand() per
// component in the order x, y, z: -1 to 0.999 times the scale in steps of 0.001.
Vector3 randomVector(float scaleX, float scaleY, float scaleZ);

// Adds randomVector(scales) to v and brings v back to its former length: the direction
// wobbles, the speed stays.
void jitterDirection(Vector3& v, float scaleX, float scaleY, float scaleZ);

} // namespace qelFramework
