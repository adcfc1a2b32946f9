#pragma once
// What the viewer can ask to see about the playing itself: F10 draws the frame-time graph
// over the picture with the frames per second in the title, Enter puts the clock-minus-
// music latency in the title.
#include "platform/Window.h"

#include <cstdint>

namespace qelFramework {

struct MusicStream;

class FrameDiagnostics {
public:
    static constexpr int kHistorySize = 250;

    // Records the frame's duration (seconds) and draws the graph of the last 250 over the
    // picture; the title shows the frames counted in every half second, doubled.
    void drawFrameTimes(float delta, platform::Window* window);
    // The title shows the production time minus the music's position (seconds).
    static void showLatency(platform::Window* window, std::uint32_t now, MusicStream* soundtrack);

    // The graph's next slot.
    std::uint32_t historyIndex() const { return frameHistoryIndex; }

private:
    float frameTimeHistory[kHistorySize] = {};
    std::uint32_t frameHistoryIndex = 0;
    unsigned framesCounted = 0;
    float secondsCounted = 0.0f;
    int framesPerSecond = 0;
};

} // namespace qelFramework
