#pragma once
// The production's transport: the production clock and the soundtrack moved together.
// Production second t is the clock's offset plus its accumulated seconds, and the music
// stands at t minus the offset, so a seek, the start of playback and the editor's read-outs
// all share one formula.
#include "base/HiResTimer.h"
#include "timeline/Timeline.h"
#include "timeline/Transport.h"

#include <cstdint>

namespace qelFramework {

struct MusicStream;

class Playback : public Transport {
public:
    Playback(HiResTimer& clock, Timeline& timeline) : clock(clock), timeline(timeline) {}

    void setMusic(MusicStream* stream) { music = stream; }

    float currentTime() const override { return clock.productionSeconds(); }
    float timeAt(std::int64_t counter) const override;
    // Held at the end of the show, a seek also plays on from the new time.
    void seek(float t) override;
    void play() override;
    void pause() override;
    bool playing() const override { return timeline.state() == Playing; }

    // The frame loop's first pass: the music starts, the clock takes this moment as the
    // beginning and both stand at startSeconds (the offset when that is earlier).
    void start(float startSeconds);
    // Past the last millisecond with an editor attached: the music pauses and the clock
    // stands on lastMs, Paused, until a seek or play moves on.
    void holdAt(std::uint32_t lastMs);
    bool heldAtEnd() const { return held; }
    // True once after a seek made while paused: the frame loop then shows the new time.
    bool takeRefresh() {
        const bool was = refresh;
        refresh = false;
        return was;
    }

private:
    void readClockNow();

    HiResTimer& clock;
    Timeline& timeline;
    MusicStream* music = nullptr;
    bool held = false;
    bool refresh = false;
};

} // namespace qelFramework
