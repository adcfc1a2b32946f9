#include "app/Playback.h"

#include "app/MusicStream.h"

#include <cmath>

namespace qelFramework {

float Playback::timeAt(std::int64_t counter) const {
    if (!playing() || clock.frequency <= 0)
        return currentTime();
    const double since = static_cast<double>(counter - clock.currentCount) / static_cast<double>(clock.frequency);
    return currentTime() + static_cast<float>(since);
}

void Playback::readClockNow() {
    // The music changes at this moment, not at the frame's reading of the clock: the time
    // played since that reading counts before the change, and what follows counts from
    // now (a press handled after the change maps from here). The frame's own step stays.
    const float frameDelta = clock.delta;
    clock.update(playing());
    clock.delta = frameDelta;
}

void Playback::seek(float t) {
    readClockNow();
    clock.accumulated = t - clock.offset;
    seekMusic(music, t - clock.offset);
    if (held)
        play();
    else if (!playing())
        refresh = true;
}

void Playback::play() {
    readClockNow();
    resumeMusic(music);
    timeline.setState(Playing);
    held = false;
}

void Playback::pause() {
    readClockNow();
    pauseMusic(music);
    timeline.setState(Paused);
}

void Playback::start(float startSeconds) {
    resumeMusic(music);
    clock.update(true);
    seek(startSeconds > clock.offset ? startSeconds : clock.offset);
}

void Playback::holdAt(std::uint32_t lastMs) {
    pause();
    clock.accumulated = static_cast<float>(lastMs) / 1000.0f - clock.offset;
    // The float sum may round past the last millisecond; step back until it does not.
    while (clock.productionMilliseconds() > lastMs)
        clock.accumulated = std::nextafter(clock.accumulated, -1.0f);
    held = true;
}

} // namespace qelFramework
