#pragma once
// Capture mode: the production played on a clock that advances exactly one frame per
// presented frame, each frame written as a numbered PNG or into an H.264 video.
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
};

// Installs the frame clock and the frame writer on the production and sets its start.
// False with a message in error when the output cannot be written.
bool beginCapture(const CaptureSettings& settings, Production& production, std::string& error);
// Finishes the output and prints the frame count and frame-time figures. False when the
// output could not be completed.
bool endCapture();

} // namespace qelFramework
