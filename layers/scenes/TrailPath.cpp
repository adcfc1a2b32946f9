#include "layers/scenes/TrailPath.h"

#include <cmath>

namespace qelFramework {

void keepOffWall(TrailPath& path, float belowY, float maxX) {
    for (Vector3& p : path)
        if (p.y < belowY && p.x > maxX)
            p.x = maxX;
}

namespace {

float smoothstep(float u) { return u * u * (3.0f - 2.0f * u); }

// The axis (0, 1, 2) whose absolute change is strictly larger than both others, or -1.
int dominantAxis(const Vector3& d) {
    float ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
    if (ax > ay && ax > az)
        return 0;
    if (ay > ax && ay > az)
        return 1;
    if (az > ax && az > ay)
        return 2;
    return -1;
}

} // namespace

TrailPath resampleTrail(const TrailPath& path, float step, float follow) {
    TrailPath out;
    if (path.empty())
        return out;
    Vector3 cursor = path.front();
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        const Vector3& a = path[i];
        const Vector3& b = path[i + 1];
        const Vector3 d{b.x - a.x, b.y - a.y, b.z - a.z};
        const float length = vectorLength(d);
        const int axis = dominantAxis(d);
        // A segment of no length gives its start once.
        const float du = length > 0.0f ? step / length : 2.0f;
        for (float u = 0.0f; u <= 1.0f; u += du) {
            const float s = smoothstep(u);
            const Vector3 target{a.x + d.x * (axis == 0 ? s : u), a.y + d.y * (axis == 1 ? s : u),
                                 a.z + d.z * (axis == 2 ? s : u)};
            cursor.x += (target.x - cursor.x) * follow;
            cursor.y += (target.y - cursor.y) * follow;
            cursor.z += (target.z - cursor.z) * follow;
            out.push_back(cursor);
        }
    }
    return out;
}

void smoothTrail(TrailPath& path, int passes, float rate) {
    for (int pass = 0; pass < passes; ++pass)
        for (size_t i = 1; i < path.size(); ++i) {
            const Vector3& prev = path[i - 1];
            Vector3& q = path[i];
            q.x = prev.x + rate * (q.x - prev.x);
            q.y = prev.y + rate * (q.y - prev.y);
            q.z = prev.z + rate * (q.z - prev.z);
        }
}

unsigned trailParticleCount(const TrailPath& resampled) { return static_cast<unsigned>(resampled.size() / 10); }

} // namespace qelFramework
