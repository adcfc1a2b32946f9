#include "app/MusicStream.h"

#include "base/Trace.h"

#include <cmath>
#include <string>

namespace qelFramework {

void openSoundtrack(MusicStream& music, std::uint32_t showMs) {
    music.player.close();
    std::string error;
    music.opened = music.player.open(kSoundtrackFile, error);
    if (!music.opened) {
        // Not an error: the pictures play on the clock alone, silently.
        Trace::write(Trace::Warning, "sound", "could not open %s: %s", kSoundtrackFile, error.c_str());
        return;
    }
    // Past its end the pictures play on in silence.
    const std::int64_t lengthMs = music.player.lengthMs();
    if (lengthMs < static_cast<std::int64_t>(showMs))
        Trace::write(Trace::Warning, "sound", "the soundtrack %s lasts %.3f s, shorter than the show's %.3f s",
                     kSoundtrackFile, static_cast<double>(lengthMs) / 1000.0, showMs / 1000.0);

    std::string note;
    switch (music.player.openOutput(note)) {
    case platform::Music::Output::Device:
        break;
    case platform::Music::Output::Silent:
        Trace::write(Trace::Warning, "sound", "%s: the soundtrack plays silently, on the clock", note.c_str());
        break;
    case platform::Music::Output::None:
        Trace::write(Trace::Warning, "sound", "%s: the pictures play on the clock without the soundtrack",
                     note.c_str());
        break;
    }
}

float musicSeconds(const MusicStream* music) {
    if (!music || !music->opened)
        return 0.0f;
    return static_cast<float>(music->player.positionMs()) / 1000.0f;
}

void pauseMusic(MusicStream* music) {
    if (music && music->opened)
        music->player.pause();
}

void resumeMusic(MusicStream* music) {
    if (music && music->opened)
        music->player.play();
}

void seekMusic(MusicStream* music, float seconds) {
    if (!music || !music->opened || std::isnan(seconds))
        return;
    const float ms = seconds > 0.0f ? seconds * 1000.0f : 0.0f; // before the song: its start
    music->player.seek(ms < 2.0e9f ? static_cast<std::int64_t>(ms) : 2000000000);
}

} // namespace qelFramework
