#pragma once
// The one way production time is moved: the editor, the capture and the start of
// playback seek, play and pause through it, so that the clock and the music always
// agree on where the show is.
#include <cstdint>

namespace qelFramework {

class Transport {
public:
    virtual ~Transport() = default;

    // Production time, seconds.
    virtual float currentTime() const = 0;
    // The production time at a performance-counter reading near now (a key press that
    // waited in the queue): while playing, the clock's last reading moved on by the
    // counts between; while paused, the production time.
    virtual float timeAt(std::int64_t counter) const = 0;
    // Moves the clock and the music to production second t.
    virtual void seek(float t) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual bool playing() const = 0;
};

} // namespace qelFramework
