#pragma once
// The recorded performer: 539 depth-camera frames "data\kinect\anim%05d.par", each a
// little-endian point count followed by that many points (position and normal, six
// floats). Loading moves every point into the scene: it is pushed back by the sensor
// distance, a region of the recording is cut away, the later frames are turned over
// progressively so that the figure ends lying down, and the figure is lifted onto the
// floor. The points are then ordered farthest first for blended drawing.
#include "models/MotionPoint.h"

#include <string>
#include <vector>

namespace qelFramework {

constexpr int kMotionFrameCount = 539;
constexpr int kMotionTurnStart = 359;      // first frame that is turned
constexpr float kMotionZOffset = -2.563f;  // the performer's distance from the sensor

// "data\kinect\anim00042.par" for frame 42.
std::string motionFrameName(int frame);

// Degrees the frame is turned about x: 0 before kMotionTurnStart, then half a degree more
// per frame (89.5 for the last). The turn about y is two thirds of it.
float motionFrameAngle(int frame);

// Moves recorded points into the scene for one turn angle.
class MotionPlacement {
public:
    MotionPlacement(float zOffset, float angleDegrees);
    // Offsets, turns and lifts the point; false when the point is cut away (x > 0.15 and
    // y < -0.3 after the offset).
    bool place(MotionPoint& point) const;

private:
    float zOffset;
    float cosA, sinA, cosB, sinB;
};

// Reads one frame into `points`, placed and ordered by z, largest first. A missing file,
// one cut short or one whose count claims more points than it holds gives an empty frame;
// that and points with values that are not numbers (left out) write one WARNING record
// ("motionFrames") naming the file. False when the frame could not be read.
bool loadMotionFrame(const std::string& path, float zOffset, float angleDegrees, std::vector<MotionPoint>& points);

} // namespace qelFramework
