#pragma once
// The soundtrack's mix: every bus of the score, ducked, echoed and in the room.
#include "Synth.h"

#include <cstdint>
#include <vector>

namespace qelFramework::forge {

// The summed mix before mastering, the whole song long.
void mixSoundtrack(synth::Stereo& mix);

// The finished soundtrack as 16-bit interleaved stereo at the song's rate.
std::vector<std::int16_t> renderSoundtrack();

} // namespace qelFramework::forge
