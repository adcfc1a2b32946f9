#include "gl/RandomVector.h"

#include "gl/Random.h"

namespace qelFramework {

namespace {
float randomUnit() { return static_cast<float>(qelFramework::rand() % 2000) / 1000.0f - 1.0f; }
} // namespace

Vector3 randomVector(float scaleX, float scaleY, float scaleZ) {
    Vector3 v;
    v.x = randomUnit() * scaleX;
    v.y = randomUnit() * scaleY;
    v.z = randomUnit() * scaleZ;
    return v;
}

void jitterDirection(Vector3& v, float scaleX, float scaleY, float scaleZ) {
    float length = vectorLength(v);
    Vector3 r = randomVector(scaleX, scaleY, scaleZ);
    v.x += r.x;
    v.y += r.y;
    v.z += r.z;
    float moved = vectorLength(v);
    // A jitter that lands exactly on the origin leaves no direction to rescale.
    if (moved > 0.0f) {
        float s = length / moved;
        v.x *= s;
        v.y *= s;
        v.z *= s;
    }
}

} // namespace qelFramework
