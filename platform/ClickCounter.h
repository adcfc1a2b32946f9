#pragma once
// Counts the presses of a mouse button that make a double (or triple...) click: each
// press within the double-click time of the one before, and within a few pixels of it,
// adds one. The count goes by the moments the presses happened, not by when the
// program collected them: at a few frames a second two presses of one double click may
// be collected a frame apart, and two far apart in the same frame.
#include "platform/InputEvent.h"

#include <cstdint>

namespace qelFramework::platform {

class ClickCounter {
public:
    // Presses at most milliseconds apart, and at most radius pixels apart in x and y.
    ClickCounter(int milliseconds, int radius) : maxGap(milliseconds), maxDistance(radius) {}
    // A press of button at x, y at the performance-counter reading moment (frequency
    // readings a second): 1 for a single press, 2 for the second of a double click...
    int press(PointerButton button, int x, int y, std::int64_t moment, std::int64_t frequency);

private:
    int maxGap, maxDistance;
    PointerButton lastButton = PointerButton::None;
    int lastX = 0, lastY = 0;
    std::int64_t lastMoment = 0;
    int count = 0;
};

// The window system's double-click time in milliseconds: the SDL_MOUSE_DOUBLE_CLICK_TIME
// hint when set, on Windows the user's setting, else 500 (as SDL has it on X11).
int doubleClickMilliseconds();
// How far apart the presses of a double click may be, in pixels: the
// SDL_MOUSE_DOUBLE_CLICK_RADIUS hint when set, else 4.
int doubleClickRadius();

} // namespace qelFramework::platform
