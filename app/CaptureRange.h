#pragma once
// Which frames a capture writes. Frames lie on one grid from the production's start:
// frame n shows production second n / fps, whatever the capture's first second, so that a
// capture from any second shows exactly the frames a capture from the start shows there.
// A range is cut into groups of whole frames (the video's key-frame interval); a segment
// K of N is the K-th of N runs of whole groups, as equal as whole groups allow, so that
// segment videos join into the video of the range.
#include <cstdint>
#include <string>

namespace qelFramework {

struct CaptureRange {
    std::int64_t rangeFirst = 0; // first frame of the requested range
    std::int64_t rangeLast = -1; // its last frame, included
    std::int64_t first = 0;      // first frame this capture writes (its segment's)
    std::int64_t last = -1;      // last frame it writes, included; last < first: none
    std::int64_t frames() const { return last >= first ? last - first + 1 : 0; }
    std::int64_t rangeFrames() const { return rangeLast >= rangeFirst ? rangeLast - rangeFirst + 1 : 0; }
};

// The range from second `from` to second `to` (the production's `end` when negative or past it):
// from the first frame at or after from to the last at or before to, each within a
// microsecond. Then segment (1 .. segments) of it in groups of groupFrames. False with
// the reason in error when the range holds no frame or the segment is out of bounds; a
// segment may hold no frame when there are fewer groups than segments.
bool captureRange(double from, double to, double end, int fps, int segment, int segments, int groupFrames,
                  CaptureRange& range, std::string& error);

} // namespace qelFramework
