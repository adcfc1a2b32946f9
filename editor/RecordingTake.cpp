#include "editor/RecordingTake.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qelFramework {

namespace {
constexpr float kNowhere = std::numeric_limits<float>::quiet_NaN();
} // namespace

bool RecordingTake::holdsKeyOfTake(long long beat, const SyncController& controller, const BeatGrid& beats) const {
    if (std::find(taken.begin(), taken.end(), beat) == taken.end())
        return false;
    // Its key may have gone since (an undo): then the beat is free again. The key stands on
    // the beat or a float or two after it.
    const float at = static_cast<float>(beats.beatTime(beat));
    const std::vector<SyncKey>& keys = controller.keys();
    const auto it = std::lower_bound(keys.begin(), keys.end(), at,
                                     [](const SyncKey& k, float t) { return k.time < t; });
    return it != keys.end() && it->time - at < 0.001f;
}

float RecordingTake::place(float pressed, const SyncController& controller, const BeatGrid* beats, float songEnd) {
    if (&controller != owner) {
        owner = &controller;
        taken.clear();
    }
    float t = pressed;
    if (beats) {
        const float nearest = beats->nearestBeat(pressed, 0.0f, songEnd);
        if (nearest < 0.0f)
            return kNowhere;
        long long beat = std::llround((static_cast<double>(nearest) - beats->offset()) / beats->beatSeconds());
        while (holdsKeyOfTake(beat, controller, *beats))
            ++beat;
        t = static_cast<float>(beats->beatTime(beat));
        if (!(t <= songEnd))
            return kNowhere;
        taken.push_back(beat);
    }
    // Past every key at this very time (the keys are in time order).
    const std::vector<SyncKey>& keys = controller.keys();
    auto it = std::lower_bound(keys.begin(), keys.end(), t, [](const SyncKey& k, float v) { return k.time < v; });
    while (it != keys.end() && it->time == t) {
        t = std::nextafter(t, std::numeric_limits<float>::infinity());
        while (it != keys.end() && it->time < t)
            ++it;
    }
    return t >= 0.0f && t <= songEnd ? t : kNowhere;
}

} // namespace qelFramework
