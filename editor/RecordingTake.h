#pragma once
// Where the presses of one recording land. A press lands at its own time; with the beat
// rule on the beat nearest it, and a beat that already holds a key of this recording
// passes the press on to the next beat. Either way a recorded key never lands on another
// key's time: at an existing key's time it goes just after it (the next float up), after
// that key as a pasted key would be.
#include "editor/BeatGrid.h"
#include "sync/SyncController.h"

#include <vector>

namespace qelFramework {

class RecordingTake {
public:
    // The time of a press made at `pressed` on `controller`, on a beat when `beats` is
    // given; NaN when it falls outside 0 .. songEnd (or no beat lies there). The caller
    // adds the key there. Another controller starts the take's beats afresh.
    float place(float pressed, const SyncController& controller, const BeatGrid* beats, float songEnd);
    // A new recording: no beat holds one of its keys.
    void restart() {
        owner = nullptr;
        taken.clear();
    }

private:
    bool holdsKeyOfTake(long long beat, const SyncController& controller, const BeatGrid& beats) const;

    const SyncController* owner = nullptr;
    std::vector<long long> taken; // beats given a key in this recording
};

} // namespace qelFramework
