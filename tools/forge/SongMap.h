#pragma once
// The soundtrack's time grid and form: tempo, where each bar starts, which section a bar
// belongs to and the chord it stands on. content/MUSIC.md lists the same numbers.
#include <vector>

namespace qelFramework::forge::song {

constexpr int kRate = 44100;
constexpr double kSeconds = 260.0;
constexpr long kFrames = static_cast<long>(kSeconds * kRate);

constexpr double kBeatsPerMinute = 127.0;
constexpr double kBeat = 60.0 / kBeatsPerMinute; // 0.4724 s
constexpr double kBar = 4.0 * kBeat;             // 1.8898 s
constexpr double kFirstDownbeat = 0.2;           // bar 0 starts here

// Song time of a position in bars (fractions are beats / 4).
constexpr double barTime(double bar) { return kFirstDownbeat + bar * kBar; }
constexpr double beatTime(int bar, double beat) { return barTime(bar) + beat * kBeat; }

// The form, in bars from bar 0.
constexpr int kOpening = 0;      // night, fireworks, title theme
constexpr int kCity = 29;        // 55.0 s: the groove starts
constexpr int kIntense = 53;     // 100.4 s: the performer and the burning cloth
constexpr int kSky = 65;         // 122.8 s: impact, then the airy passage
constexpr int kSkyBeat = 71;     // 134.4 s: the soft beat under the bird's flight
constexpr int kGreetings = 75;   // 141.9 s: first of 35 accents, one per bar
constexpr int kGreetingCount = 35;
constexpr int kFinale = 111;     // 210.0 s: the fireworks return
constexpr int kLogoHit = 116;    // 219.4 s: full chorus, the logo comes in
constexpr int kOutro = 132;      // 249.6 s: drums stop
constexpr int kFinalHit = 134;   // 253.4 s: last chord, then silence
constexpr double kSilenceFrom = 259.0; // the fade reaches zero here

enum class Section { Opening, City, Intense, Sky, Finale, End };
Section sectionOf(int bar);

// A chord: its bass note and the notes of a close voicing (MIDI numbers).
struct Chord {
    int root;               // bass note, around MIDI 36..47
    std::vector<int> notes; // voicing, around MIDI 55..76
};
Chord chordAt(int bar, double beat = 0.0);

// Times of the greeting accents (bar downbeats), in seconds.
std::vector<double> greetingTimes();

} // namespace qelFramework::forge::song
