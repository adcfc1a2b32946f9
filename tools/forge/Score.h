#pragma once
// The soundtrack's parts, one mix bus each: which notes and hits each plays, bar by bar,
// over the form of SongMap.h.
#include "Synth.h"

#include <vector>

namespace qelFramework::forge::score {

// Pads carry the groove sections' chords (ducked under the kick); haze carries the slow,
// open chords of the night, the sky and the last chord.
enum class Bus { Drums, Bass, Pads, Haze, Plucks, Lead, Air, Effects };
constexpr int kBusCount = 8;
const char* busName(Bus bus);

// Renders every note of one bus into out (which spans the whole song).
void play(Bus bus, synth::Stereo& out);

// Song times of every kick, for ducking the other buses.
std::vector<double> kickTimes();

} // namespace qelFramework::forge::score
