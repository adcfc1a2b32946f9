#pragma once
// Capture mode: the production played on a clock that advances exactly one frame per
// presented frame, each frame written as a numbered PNG or into an H.264 video. Frames lie
// on one grid from the production's start (frame n at n / fps seconds); the frames before
// the first one written are played through without their pixels (fast-forward), so a
// capture from any second writes exactly the frames a capture from the start writes there.
// Reading back, compressing and writing overlap the rendering of the next frames.
#include <string>

namespace qelFramework {

class Production;

struct CaptureSettings {
    std::string output;   // a folder (PNG frames) or a file ending in ".mp4"
    int fps = 60;
    int width = 1280;
    int height = 720;
    double from = 0.0;    // production seconds to start at
    double to = -1.0;     // production seconds to stop after, its frame included; negative: the end
    int segment = 1;      // write only the segment-th of `segments` parts of the range
    int segments = 1;
};

enum class CaptureStart {
    Started, // the frame clock and the frame writer are installed on the production
    Nothing, // the segment holds no frame of the range: nothing to do (message in error)
    Failed,  // the range is empty or the output cannot be written (message in error)
};
CaptureStart beginCapture(const CaptureSettings& settings, Production& production, std::string& error);
// Finishes the output and prints the frame count and the render and wall time per frame.
// False when the output could not be completed (a failed video is removed).
bool endCapture();

} // namespace qelFramework
