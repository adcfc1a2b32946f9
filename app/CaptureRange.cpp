#include "app/CaptureRange.h"

#include <cmath>

namespace qelFramework {

bool captureRange(double from, double to, double end, int fps, int segment, int segments, int groupFrames,
                  CaptureRange& range, std::string& error) {
    range = CaptureRange{};
    if (fps < 1 || groupFrames < 1 || !(from >= 0.0) || !(end >= 0.0)) {
        error = "the capture settings are out of range";
        return false;
    }
    if (segments < 1 || segment < 1 || segment > segments) {
        error = "segment " + std::to_string(segment) + " of " + std::to_string(segments) + " does not exist";
        return false;
    }
    // The times are doubles as the command line wrote them, so a frame that falls on
    // either end lies within a hair of a whole number of frames and is included.
    // A range that runs past the production's end stops at the end, like the default.
    const double last = to >= 0.0 && to < end ? to : end;
    range.rangeFirst = static_cast<std::int64_t>(std::ceil(from * fps - 1e-6));
    range.rangeLast = static_cast<std::int64_t>(std::floor(last * fps + 1e-6));
    if (range.rangeLast < range.rangeFirst) {
        error = "the range to capture is empty";
        return false;
    }
    const std::int64_t groups = (range.rangeFrames() + groupFrames - 1) / groupFrames;
    const std::int64_t firstGroup = groups * (segment - 1) / segments;
    const std::int64_t endGroup = groups * segment / segments;
    range.first = range.rangeFirst + firstGroup * groupFrames;
    range.last = range.rangeFirst + endGroup * groupFrames - 1;
    if (range.last > range.rangeLast)
        range.last = range.rangeLast;
    return true;
}

} // namespace qelFramework
