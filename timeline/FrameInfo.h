#pragma once
// The per-track time record handed to a layer's update; valid only during the call.

namespace qelFramework {

struct FrameInfo {
    float time = 0.0f;      // production time, seconds
    float delta = 0.0f;     // time since the previous frame, seconds
    float duration = 0.0f;  // length of the layer's schedule entry, seconds
    float remaining = 0.0f; // entry end minus time, seconds
    float start = 0.0f;     // entry start, seconds
    bool justStarted = false; // the entry began within the last frame
    bool aboutToEnd = false;  // the entry ends within the next frame
};

} // namespace qelFramework
