#pragma once
// The glowing trails of the city: polylines through the streets and up the tall house,
// turned into dense, rounded point lists that particles sit on and the camera follows.
#include "gl/Vector3.h"

#include <vector>

namespace qelFramework {

using TrailPath = std::vector<Vector3>;

// Every point below `belowY` gets x = min(x, maxX): the trails stay in front of the
// wall of the tall house instead of running inside it.
void keepOffWall(TrailPath& path, float belowY, float maxX);

// Walks each segment in parameter steps of `step` / segment length (u = 0 up to and
// including 1, accumulated in single precision). The target at u moves along the axis of
// largest change with a smoothstep and along the others linearly; a cursor that starts
// at the first point moves `follow` of the way towards each target and is recorded. So
// the result lags behind the polyline and rounds its corners. An empty path stays empty.
TrailPath resampleTrail(const TrailPath& path, float step, float follow);

// Runs `passes` forward passes of q[i] = q[i-1] + rate * (q[i] - q[i-1]) over the
// points, i = 1 .. n-1 in order: a smoothed path for a camera to follow.
void smoothTrail(TrailPath& path, int passes, float rate);

// One particle per ten resampled points: a path with fewer than ten points has none.
unsigned trailParticleCount(const TrailPath& resampled);

} // namespace qelFramework
