#pragma once
// The soundtrack handle that start-up keeps for the whole run.
#include "platform/Sound.h"

#include <cstdint>

namespace qelFramework {

struct MusicStream {
    FSOUND_STREAM* stream = nullptr; // null when the file could not be opened
    bool opened = false;
};

// Start-up's sound sequence: initialise the output (version 3.75 or later) and open
// "data\quillmont.mp3" into the record. A file that cannot be opened, or that decodes
// shorter than the show (showMs, its last millisecond), writes one WARNING that says
// why, or both lengths.
void openSoundtrack(MusicStream& music, std::uint32_t showMs);

// Music time in seconds, 0 without a stream.
float musicSeconds(const MusicStream* music);

// Transport calls that do nothing without a stream. Resuming also restarts a stream
// that played to its end and left its channel.
void pauseMusic(const MusicStream* music);
void resumeMusic(const MusicStream* music);
void seekMusic(const MusicStream* music, float seconds);

} // namespace qelFramework
