#pragma once
// The soundtrack that start-up keeps for the whole run.
#include "platform/Music.h"

#include <cstdint>

namespace qelFramework {

struct MusicStream {
    platform::Music player;
    bool opened = false; // false when the file could not be opened
};

// The soundtrack file, relative to the working folder.
constexpr const char* kSoundtrackFile = "data/quillmont.mp3";

// Start-up's sound sequence: open the soundtrack and the audio output it plays on. A
// file that cannot be opened, or that decodes shorter than the show (showMs, its last
// millisecond), writes one WARNING that says why, or both lengths. An output that is
// silent or missing says so once: the pictures play on the clock alone.
void openSoundtrack(MusicStream& music, std::uint32_t showMs);

// Music time in seconds, 0 without a soundtrack.
float musicSeconds(const MusicStream* music);

// Transport calls that do nothing without a soundtrack. Resuming also restarts a
// soundtrack that played to its end.
void pauseMusic(MusicStream* music);
void resumeMusic(MusicStream* music);
void seekMusic(MusicStream* music, float seconds);

} // namespace qelFramework
