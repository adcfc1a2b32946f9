#include "app/MusicStream.h"

#include "base/Trace.h"

#include <cmath>

namespace qelFramework {

void openSoundtrack(MusicStream& music, std::uint32_t showMs) {
    music = MusicStream{};
    if (FSOUND_GetVersion() >= 3.75f) {
        FSOUND_SetDriver(1);
        if (FSOUND_Init(44100, 32, 0)) {
            FSOUND_SetBufferSize(2000);
            FSOUND_DSP_SetActive(FSOUND_DSP_GetFFTUnit(), 1);
        }
    }
    music.opened = true;
    music.stream = FSOUND_Stream_Open("data\\quillmont.mp3", FSOUND_STEREO | FSOUND_MPEGACCURATE, 0, 0);
    if (!music.stream) {
        music.opened = false;
        // Not an error: the pictures play on the clock alone, silently.
        Trace::write(Trace::WARNING, "sound", "could not open %s: %s", "data\\quillmont.mp3", platform::soundError().c_str());
        return;
    }
    // Past its end the pictures play on in silence.
    const int lengthMs = FSOUND_Stream_GetLengthMs(music.stream);
    if (lengthMs >= 0 && static_cast<std::uint32_t>(lengthMs) < showMs)
        Trace::write(Trace::WARNING, "sound", "the soundtrack %s lasts %.3f s, shorter than the show's %.3f s",
                     "data\\quillmont.mp3", lengthMs / 1000.0, showMs / 1000.0);
}

float musicSeconds(const MusicStream* music) {
    if (!music || !music->stream)
        return 0.0f;
    return static_cast<float>(FSOUND_Stream_GetTime(music->stream)) / 1000.0f;
}

void pauseMusic(const MusicStream* music) {
    if (music && music->stream)
        FSOUND_SetPaused(FSOUND_ALL, 1);
}

void resumeMusic(const MusicStream* music) {
    if (!music || !music->stream)
        return;
    // Paused channels resume; a stream on no channel (never started, or played to its
    // end) starts from where it stands.
    if (FSOUND_GetPaused(FSOUND_ALL))
        FSOUND_SetPaused(FSOUND_ALL, 0);
    else
        FSOUND_Stream_Play(FSOUND_FREE, music->stream);
}

void seekMusic(const MusicStream* music, float seconds) {
    if (!music || !music->stream || std::isnan(seconds))
        return;
    const float ms = seconds > 0.0f ? seconds * 1000.0f : 0.0f; // before the song: its start
    FSOUND_Stream_SetTime(music->stream, ms < 2.0e9f ? static_cast<int>(ms) : 2000000000);
}

} // namespace qelFramework
