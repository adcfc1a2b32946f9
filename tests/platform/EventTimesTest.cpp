// Input stamped at the moment it reached the window: the X server's millisecond times
// mapped onto the performance counter, and the order and bounds every moment keeps.
#include "platform/EventTimes.h"
#include "platform/Kernel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#if defined(SDL_VIDEO_DRIVER_X11) && __has_include(<X11/Xlib.h>)
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#define QM_TEST_X11_MESSAGES 1
#endif

using namespace qelFramework;
using platform::ServerTimeMap;

namespace {
constexpr std::int64_t kMs = 1000; // counts a second: one count a millisecond
}

TEST(ServerTimeMap, ThePromptestEventSetsTheMappingAndEventsThatWaitedKeepTheirSpacing) {
    ServerTimeMap map;
    // Server time 50000 fell on counter 10000. The first event waited 300 ms for its frame:
    // the best bound yet is its arrival.
    EXPECT_EQ(map.map(50000, 10300, kMs), 10300);
    // One handled 2 ms after it happened tightens the mapping ...
    EXPECT_EQ(map.map(50100, 10102, kMs), 10102);
    // ... and three taps 180 ms apart that one frame collected together keep their times.
    std::vector<std::int64_t> taps;
    for (std::uint32_t server : {50280u, 50460u, 50640u})
        taps.push_back(map.map(server, 10700, kMs));
    EXPECT_EQ(taps, (std::vector<std::int64_t>{10282, 10462, 10642}));
    // An event that seems to arrive before it happened moves the mapping; it is never
    // placed after its arrival.
    EXPECT_EQ(map.map(50900, 10850, kMs), 10850);
    EXPECT_EQ(map.map(51000, 11500, kMs), 10950);
}

TEST(ServerTimeMap, AWrapIsUnfoldedLateEventsAreNoJumpAndAClockSetBackStartsAfresh) {
    ServerTimeMap map;
    EXPECT_EQ(map.map(0xFFFFFF00u, 1000, kMs, true), 1000);
    EXPECT_EQ(map.map(0x40u, 1900, kMs), 1320); // 320 ms later, across the wrap
    // A probe now, then presses of 1.7 s ago that a slow frame handed over only now.
    EXPECT_EQ(map.map(0x40u + 2000u, 3320, kMs, true), 3320);
    EXPECT_EQ(map.map(0x40u + 300u, 3330, kMs), 1620);
    EXPECT_EQ(map.map(0x40u + 480u, 3330, kMs), 1800);
    // The clock set back ten seconds: a probe sees it at once ...
    EXPECT_EQ(map.map(0x40u - 8000u, 3400, kMs, true), 3400);
    EXPECT_EQ(map.map(0x40u - 7950u, 3500, kMs), 3450);
    // ... an event only when it would have waited over a minute.
    EXPECT_EQ(map.map(0x40u - 98000u, 3600, kMs), 3600);
    EXPECT_EQ(map.map(0x40u - 97990u, 3700, kMs), 3610);
    map.reset();
    EXPECT_FALSE(map.anchored());
    EXPECT_EQ(map.map(7, 9000, kMs), 9000);
}

TEST(ServerTimeMap, AServerClockSlowerThanTheCounterIsFollowed) {
    // The server runs 500 parts in a million slow; every event is handled at once. Without
    // the bound's slow rise the mapping would fall behind by 5 ms every 10 s.
    const std::int64_t frequency = 1000000;
    ServerTimeMap map;
    std::int64_t worst = 0;
    for (std::int64_t k = 0; k <= 100; ++k) {
        const std::int64_t arrival = k * 10 * frequency;
        const auto server = static_cast<std::uint32_t>(123456 + k * 9995);
        const std::int64_t lag = arrival - map.map(server, arrival, frequency);
        worst = std::max(worst, lag);
    }
    EXPECT_LE(worst, frequency / 1000); // within a millisecond
}

#if QM_TEST_X11_MESSAGES
namespace {
std::int64_t g_counter = 0;
std::int64_t fixedCounter() { return g_counter; }

SDL_Event keyMessage(SDL_SysWMmsg& msg, int type, Time serverMs) {
    msg = SDL_SysWMmsg{};
    msg.subsystem = SDL_SYSWM_X11;
    msg.msg.x11.event.type = type;
    msg.msg.x11.event.xkey.time = serverMs;
    SDL_Event e{};
    e.type = SDL_SYSWMEVENT;
    e.syswm.msg = &msg;
    return e;
}
SDL_Event sdlEvent(Uint32 type, Uint32 timestamp) {
    SDL_Event e{};
    e.type = type;
    e.common.timestamp = timestamp;
    return e;
}
} // namespace

TEST(EventTimes, AnXEventsTimeStampsTheInputEventSdlMakesOfIt) {
    platform::resetEventTimes();
    platform::setCounterSource(fixedCounter);
    const std::int64_t second = platform::queryPerformanceFrequency();
    SDL_SysWMmsg msg;
    g_counter = 10 * second;
    ASSERT_TRUE(platform::noteWindowSystemEvent(keyMessage(msg, KeyPress, 1000)));
    EXPECT_EQ(platform::eventMoment(sdlEvent(SDL_KEYDOWN, SDL_GetTicks())), 10 * second);
    // A press 100 ms later that waited 400 ms for its frame: its own time.
    g_counter = 10 * second + 4 * second / 10;
    platform::noteWindowSystemEvent(keyMessage(msg, KeyPress, 1100));
    const std::int64_t press = platform::eventMoment(sdlEvent(SDL_KEYDOWN, SDL_GetTicks()));
    EXPECT_NEAR(static_cast<double>(press - 10 * second), second / 10.0, second / 1000.0);
    // The time goes to the matching event alone. Another keeps SDL's stamp, but never
    // before the moment given last.
    platform::noteWindowSystemEvent(keyMessage(msg, KeyRelease, 1150));
    EXPECT_EQ(platform::eventMoment(sdlEvent(SDL_MOUSEBUTTONDOWN, SDL_GetTicks() - 5000)), press);
    const std::int64_t release = platform::eventMoment(sdlEvent(SDL_KEYUP, SDL_GetTicks()));
    EXPECT_NEAR(static_cast<double>(release - press), second / 20.0, second / 1000.0);
    EXPECT_FALSE(platform::noteWindowSystemEvent(sdlEvent(SDL_KEYDOWN, 0)));
    platform::setCounterSource(nullptr);
    platform::resetEventTimes();
}
#endif
