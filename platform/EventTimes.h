#pragma once
// When input reached the program's window. SDL stamps an event when it collects it, and
// it collects once a frame, so at a few frames a second every press of a frame would take
// that frame's time. On X11 each key, button and pointer event carries the server's own
// time (32-bit milliseconds); those times are mapped onto the performance counter. Where
// the window system gives no such time (Windows, Wayland, off screen, scripted input) an
// event keeps SDL's stamp.
#include <SDL.h>

#include <cstdint>

namespace qelFramework::platform {

// Maps a wrapping 32-bit millisecond clock (the X server's) onto the performance counter.
// Every event gives a bound: it happened no later than the counter reading at which the
// program had it in hand, so the counter at server time 0 is at most (arrival - server
// time); the smallest such bound seen so far is the mapping (events handled at once give
// the true one, events that waited for a frame only a looser one). The bound may rise by
// 1 ms a second, so that a server clock slower than the counter is followed. A wrap of the
// 32 bits is unfolded. A server clock set back shows as a sample that seems to have waited
// too long: over a second for one known to be taken at once (a probe of the server's
// clock), over a minute for any other; the mapping then starts afresh from it.
class ServerTimeMap {
public:
    // The counter reading at serverMs, for an event in hand at counter `arrival` (at once
    // when `prompt`); never later than arrival. frequency: counts a second.
    std::int64_t map(std::uint32_t serverMs, std::int64_t arrival, std::int64_t frequency, bool prompt = false);
    bool anchored() const { return hasAnchor; }
    void reset() { hasAnchor = false; }

private:
    bool hasAnchor = false;
    std::uint32_t lastServer = 0;  // the last server time seen
    std::int64_t sinceAnchor = 0;  // its milliseconds since the anchor, wraps unfolded
    std::int64_t lastArrival = 0;  // the counter when it was seen
    std::int64_t anchorCount = 0;  // the counter at the anchor's server time: the best bound
};

// Switches the window system's event times on once SDL's video runs on X11 (again after
// a restart of the video); does nothing elsewhere. Cheap: called before every poll.
void watchEventTimes();
// Takes a window-system message (SDL_SYSWMEVENT): its server time, if it has one, is
// noted for the input events SDL makes of it right after it (a key press gives a key-down
// and typed text). False for any other event.
bool noteWindowSystemEvent(const SDL_Event& e);
// The moment of an input event SDL made: the noted server time of its window-system
// event, mapped, else SDL's stamp. Never later than now, nor earlier than the moment
// this gave the event before.
std::int64_t eventMoment(const SDL_Event& e);
// Forgets the mapping and the last moment (tests).
void resetEventTimes();

} // namespace qelFramework::platform
