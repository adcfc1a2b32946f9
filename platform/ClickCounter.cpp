#include "platform/ClickCounter.h"

#include <SDL.h>

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace qelFramework::platform {

namespace {
// A hint's whole number from 0 to 10000, else fallback.
int hintNumber(const char* name, int fallback) {
    const char* text = SDL_GetHint(name);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    return *end == '\0' && v >= 0 && v <= 10000 ? static_cast<int>(v) : fallback;
}
} // namespace

int ClickCounter::press(PointerButton button, int x, int y, std::int64_t moment, std::int64_t frequency) {
    const std::int64_t gap = moment - lastMoment;
    const bool follows = count > 0 && button == lastButton && gap >= 0 && frequency > 0 &&
                         gap * 1000 <= static_cast<std::int64_t>(maxGap) * frequency &&
                         std::abs(x - lastX) <= maxDistance && std::abs(y - lastY) <= maxDistance;
    count = follows ? count + 1 : 1;
    if (count > 1000) // a very long run of clicks still alternates single and double
        count = 2 - count % 2;
    lastButton = button;
    lastX = x;
    lastY = y;
    lastMoment = moment;
    return count;
}

int doubleClickMilliseconds() {
#ifdef _WIN32
    const int system = static_cast<int>(GetDoubleClickTime());
#else
    const int system = 500;
#endif
    return hintNumber(SDL_HINT_MOUSE_DOUBLE_CLICK_TIME, system);
}

int doubleClickRadius() { return hintNumber(SDL_HINT_MOUSE_DOUBLE_CLICK_RADIUS, 4); }

} // namespace qelFramework::platform
