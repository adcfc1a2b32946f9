#include "platform/EventTimes.h"

#include "platform/Kernel.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#if defined(QM_HAVE_XLIB) && defined(SDL_VIDEO_DRIVER_X11)
#define QM_X11_EVENT_TIMES 1
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#endif

namespace qelFramework::platform {

namespace {

constexpr std::int64_t kLongestWaitSeconds = 60;

// Counts of `ms` milliseconds, without overflow for any span a program lives.
std::int64_t countsOfMs(std::int64_t ms, std::int64_t frequency) {
    return ms / 1000 * frequency + ms % 1000 * frequency / 1000;
}

#if QM_X11_EVENT_TIMES
// A connection of our own to the X server, to read its clock: appending nothing to a
// property of a hidden window makes the server answer with its time. A reply in hand
// right after the request is an event handled at once, the best bound there is. SDL's
// connection is left alone.
struct ClockProbe {
    Display* display = nullptr;
    ::Window window = 0;
    Atom atom = 0;
    bool tried = false;
    int failures = 0; // probes in a row that got no answer in time
    Uint32 next = 0;  // SDL's ticks at the next probe (the counter may be a test's)
    ~ClockProbe() {
        if (display)
            XCloseDisplay(display);
    }
};
#endif

// The moment of the last window-system message, for the SDL events made from it (up to
// the next message), one of each type: a key press gives a key-down and typed text.
struct Noted {
    std::array<Uint32, 2> types{};
    std::int64_t moment = 0;
    bool serves(Uint32 type) {
        for (Uint32& t : types)
            if (t != 0 && t == type) {
                t = 0;
                return true;
            }
        return false;
    }
};

struct State {
    ServerTimeMap map;
    Noted noted;
    std::int64_t lastMoment = std::numeric_limits<std::int64_t>::min();
#if QM_X11_EVENT_TIMES
    ClockProbe probe;
#endif
};

State& state() {
    static State s;
    return s;
}

// The performance-counter reading at an SDL timestamp (milliseconds of SDL's clock).
std::int64_t counterAt(Uint32 ticks) {
    const Uint32 age = SDL_GetTicks() - ticks; // unsigned: a wrap of the tick count still gives the age
    return queryPerformanceCounter() - static_cast<std::int64_t>(age) * queryPerformanceFrequency() / 1000;
}

#if QM_X11_EVENT_TIMES
void openProbe(Display* sdlDisplay) {
    ClockProbe& p = state().probe;
    p.tried = true;
    p.display = XOpenDisplay(XDisplayString(sdlDisplay));
    if (!p.display)
        return; // the events' own bounds still map
    p.window = XCreateSimpleWindow(p.display, DefaultRootWindow(p.display), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(p.display, p.window, PropertyChangeMask);
    p.atom = XInternAtom(p.display, "QUILLMONT_CLOCK", False);
}

// Once a second: at most 20 ms for the answer; after three unanswered probes in a row (a
// server far away) the events alone map.
void probeIfDue() {
    State& s = state();
    ClockProbe& p = s.probe;
    const Uint32 now = SDL_GetTicks();
    if (!p.display || p.failures >= 3 || static_cast<std::int32_t>(now - p.next) < 0)
        return;
    p.next = now + 1000;
    const long nothing = 0;
    XChangeProperty(p.display, p.window, p.atom, XA_INTEGER, 32, PropModeAppend,
                    reinterpret_cast<const unsigned char*>(&nothing), 0);
    XFlush(p.display);
    XEvent reply;
    while (!XCheckTypedWindowEvent(p.display, p.window, PropertyNotify, &reply)) {
        const auto waited = static_cast<std::int32_t>(SDL_GetTicks() - now);
        if (waited >= 20) {
            ++p.failures;
            return;
        }
        pollfd connection{ConnectionNumber(p.display), POLLIN, 0};
        poll(&connection, 1, 20 - waited);
    }
    p.failures = 0;
    s.map.map(static_cast<std::uint32_t>(reply.xproperty.time), queryPerformanceCounter(), queryPerformanceFrequency(),
              true);
}
#endif

} // namespace

std::int64_t ServerTimeMap::map(std::uint32_t serverMs, std::int64_t arrival, std::int64_t frequency, bool prompt) {
    if (hasAnchor) {
        // Modular: a wrap of the 32 bits is a small step forward; a step back is an
        // event that waited longer than the one before.
        sinceAnchor += static_cast<std::int32_t>(serverMs - lastServer);
        if (arrival > lastArrival)
            anchorCount += (arrival - lastArrival) / 1000; // 1 ms a second
        // A sample taken at once that seems to have waited over a second, or any that
        // seems to have waited a minute: the server's clock went back.
        const std::int64_t waited = arrival - (anchorCount + countsOfMs(sinceAnchor, frequency));
        if (waited > (prompt ? frequency : kLongestWaitSeconds * frequency))
            hasAnchor = false;
    }
    if (!hasAnchor) {
        hasAnchor = true;
        sinceAnchor = 0;
        anchorCount = arrival;
        lastArrival = arrival;
    }
    const std::int64_t sinceCounts = countsOfMs(sinceAnchor, frequency);
    anchorCount = std::min(anchorCount, arrival - sinceCounts);
    lastServer = serverMs;
    lastArrival = std::max(lastArrival, arrival);
    return std::min(arrival, anchorCount + sinceCounts);
}

void watchEventTimes() {
#if QM_X11_EVENT_TIMES
    if (SDL_EventState(SDL_SYSWMEVENT, SDL_QUERY) == SDL_ENABLE) {
        probeIfDue();
        return;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "x11") == 0)
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
#endif
}

bool noteWindowSystemEvent(const SDL_Event& e) {
    if (e.type != SDL_SYSWMEVENT)
        return false;
    State& s = state();
    s.noted = Noted{}; // SDL makes its input events right after the message they came from
#if QM_X11_EVENT_TIMES
    const SDL_SysWMmsg* msg = e.syswm.msg;
    if (!msg || msg->subsystem != SDL_SYSWM_X11)
        return true;
    const XEvent& x = msg->msg.x11.event;
    if (!s.probe.tried && x.xany.display)
        openProbe(x.xany.display);
    if (x.xany.send_event)
        return true; // another client's event: its time is whatever that client wrote
    Noted noted;
    Time time = 0;
    switch (x.type) {
    case KeyPress: noted.types = {SDL_KEYDOWN, SDL_TEXTINPUT}; time = x.xkey.time; break;
    case KeyRelease: noted.types = {SDL_KEYUP, 0}; time = x.xkey.time; break;
    case ButtonPress: noted.types = {SDL_MOUSEBUTTONDOWN, SDL_MOUSEWHEEL}; time = x.xbutton.time; break;
    case ButtonRelease: noted.types = {SDL_MOUSEBUTTONUP, 0}; time = x.xbutton.time; break;
    case MotionNotify: noted.types = {SDL_MOUSEMOTION, 0}; time = x.xmotion.time; break;
    default: return true;
    }
    noted.moment = s.map.map(static_cast<std::uint32_t>(time), queryPerformanceCounter(), queryPerformanceFrequency());
    s.noted = noted;
#endif
    return true;
}

std::int64_t eventMoment(const SDL_Event& e) {
    State& s = state();
    const std::int64_t moment = s.noted.serves(e.type) ? s.noted.moment : counterAt(e.common.timestamp);
    s.lastMoment = std::min(std::max(moment, s.lastMoment), queryPerformanceCounter());
    return s.lastMoment;
}

void resetEventTimes() {
    State& s = state();
    s.map.reset();
    s.noted = Noted{};
    s.lastMoment = std::numeric_limits<std::int64_t>::min();
}

} // namespace qelFramework::platform
