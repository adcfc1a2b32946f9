#include "app/MusicStream.h"

#include "app/Trace.h"

namespace qelFramework {

void openSoundtrack(MusicStream& music) {
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
    }
}

float musicSeconds(const MusicStream* music) {
    if (!music || !music->stream)
        return 0.0f;
    return static_cast<float>(FSOUND_Stream_GetTime(music->stream)) / 1000.0f;
}

} // namespace qelFramework
