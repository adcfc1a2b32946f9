#include "Score.h"
#include "Rng.h"
#include "SongMap.h"

#include <algorithm>
#include <cmath>

namespace qelFramework::forge::score {

using namespace song;
using synth::Note;
using synth::Stereo;

namespace {

constexpr double kStep = kBeat / 4.0; // a sixteenth
constexpr int kLastBar = kFinalHit;

double stepTime(int bar, double step) { return barTime(bar) + step * kStep; }
std::uint32_t seedOf(int bar, int step, int salt) {
    return static_cast<std::uint32_t>(bar * 131 + step * 7 + salt * 100003);
}
bool within(int bar, int from, int to) { return bar >= from && bar < to; }

// A melody note: start and length in beats from the phrase's first bar, MIDI pitch.
struct Line {
    double beat, length;
    int midi;
};

// The title theme, eight bars over Am F C G Am F C G.
const std::vector<Line> kTheme = {
    {0, 1.5, 76}, {1.5, 0.5, 74}, {2, 1, 72}, {3, 0.5, 71}, {3.5, 0.5, 72},   // Am
    {4, 2, 69},   {6, 1, 72},     {7, 1, 77},                                 // F
    {8, 1.5, 76}, {9.5, 0.5, 79}, {10, 1, 76}, {11, 0.5, 74}, {11.5, 0.5, 72}, // C
    {12, 3, 74},  {15, 1, 71},                                                // G
    {16, 1.5, 76}, {17.5, 0.5, 74}, {18, 1, 72}, {19, 0.5, 76}, {19.5, 0.5, 81}, // Am
    {20, 1.5, 81}, {21.5, 0.5, 79}, {22, 1, 77}, {23, 1, 76},                 // F
    {24, 1, 76},  {25, 1, 74},    {26, 1.5, 72}, {27.5, 0.5, 74},             // C
    {28, 1, 74},  {29, 3, 71},                                                // G
};

// Its answer, four bars over Am F C G.
const std::vector<Line> kAnswer = {
    {0, 1, 81}, {1, 0.5, 79}, {1.5, 1.5, 76}, {3, 1, 74}, // Am
    {4, 2, 72}, {6, 1, 69},   {7, 1, 72},                 // F
    {8, 1.5, 76}, {9.5, 0.5, 74}, {10, 1, 72}, {11, 1, 67}, // C
    {12, 2, 71}, {14, 2, 74},                               // G
};

// The soaring line of the intense passage, twelve bars.
const std::vector<Line> kSoar = {
    {0, 4, 81},                                  // F
    {4, 2, 83},  {6, 2, 86},                     // G
    {8, 3, 84},  {11, 0.5, 83}, {11.5, 0.5, 81}, // Am
    {12, 4, 76},                                 // Am
    {16, 3, 81}, {19, 1, 84},                    // F
    {20, 2, 86}, {22, 2, 88},                    // G
    {24, 4, 83},                                 // E
    {28, 2, 80}, {30, 2, 83},                    // E
    {32, 3, 84}, {35, 1, 81},                    // F
    {36, 2, 83}, {38, 2, 86},                    // G
    {40, 4, 88},                                 // Am
    {44, 2, 88}, {46, 1, 86}, {47, 1, 83},       // E
};

// The flute's phrase in the sky, eight bars over Fmaj7 C/E Dm7 Am7.
const std::vector<Line> kAir = {
    {0, 3, 84},  {3, 1, 81},  {4, 2, 79},  {6, 2, 76},
    {8, 3, 79},  {11, 1, 76}, {12, 4, 74},
    {16, 2, 77}, {18, 2, 81}, {20, 3, 84}, {23, 1, 83},
    {24, 6, 81}, {30, 2, 79},
};

void playLine(const std::vector<Line>& line, int firstBar, int transpose, float velocity, float pan,
              void (*voice)(Stereo&, const Note&, float), float brightness, Stereo& out) {
    for (const Line& l : line) {
        Note n;
        n.start = barTime(firstBar) + l.beat * kBeat;
        n.length = l.length * kBeat * 0.92;
        n.midi = l.midi + transpose;
        n.velocity = velocity;
        n.pan = pan;
        voice(out, n, brightness);
    }
}

// ---- drums ----

float kickAt(int bar, int step) {
    const bool quarter = step % 4 == 0;
    switch (sectionOf(bar)) {
    case Section::Opening:
        if (bar < 8)
            return 0;
        if (bar < 16)
            return step == 0 || step == 8 ? 0.7f : 0;
        if (bar == kCity - 1)
            return step == 0 || step == 8 ? 0.85f : 0;
        return step == 0 || step == 8 || (step == 10 && bar % 2 == 1) ? 0.85f : 0;
    case Section::City:
        if (bar == kIntense - 1)
            return quarter && step < 12 ? 1.f : 0;
        return quarter ? 1.f : 0;
    case Section::Intense:
        if (bar == kSky - 1)
            return quarter && step < 12 ? 1.f : 0;
        return quarter ? 1.f : (step == 14 && bar % 4 == 3 ? 0.7f : 0);
    case Section::Sky:
        if (bar < kSkyBeat || bar == kFinale - 1)
            return 0;
        if (bar == kFinale - 2)
            return step == 0 || step == 8 ? 0.8f : 0;
        return step == 0 ? 0.8f : step == 10 ? 0.6f : 0;
    case Section::Finale:
        if (bar == kLogoHit - 1)
            return step == 0 ? 1.f : 0;
        if (bar >= kOutro && bar < kFinalHit)
            return 0;
        if (bar == kFinalHit)
            return step == 0 ? 1.f : 0;
        return quarter ? 1.f : (step == 14 && bar % 4 == 3 ? 0.7f : 0);
    case Section::End:
        break;
    }
    return 0;
}

// A roll: sixteenths rising in level over the given bars.
void roll(Stereo& out, int fromBar, double fromStep, int toBar, float from, float to, int salt) {
    const double first = fromBar * 16.0 + fromStep, last = toBar * 16.0;
    for (double s = first; s < last; s += 1.0) {
        int bar = static_cast<int>(s / 16.0);
        double step = s - bar * 16.0;
        float x = static_cast<float>((s - first) / (last - first));
        synth::snare(out, stepTime(bar, step), (from + (to - from) * x * x) * 0.8f, seedOf(bar, static_cast<int>(step), salt));
        if (x > 0.6f) // the last stretch doubles to thirty-seconds
            synth::snare(out, stepTime(bar, step + 0.5), (from + (to - from) * x * x) * 0.6f, seedOf(bar, static_cast<int>(step), salt + 1));
    }
}

void playDrums(Stereo& out) {
    Rng rng(0xD5);
    auto human = [&](float v) { return v * static_cast<float>(0.9 + 0.1 * rng.uniform()); };
    for (int bar = 0; bar <= kLastBar; ++bar) {
        const Section s = sectionOf(bar);
        for (int step = 0; step < 16; ++step) {
            const double t = stepTime(bar, step);
            const std::uint32_t seed = seedOf(bar, step, 1);
            float k = kickAt(bar, step);
            if (k > 0)
                synth::kick(out, t, 0.95f * k, s == Section::Intense ? 1.2f : 1.f);

            const bool backbeat = step == 4 || step == 12;
            const bool offbeat = step % 4 == 2;
            switch (s) {
            case Section::Opening:
                if (within(bar, 8, 16) && step % 2 == 0)
                    synth::shaker(out, t, human(step % 4 == 2 ? 0.32f : 0.2f), 0.3f, seed);
                if (within(bar, 16, kCity - 1)) {
                    if (step == 8)
                        synth::clap(out, t, human(0.55f), seed);
                    if (offbeat)
                        synth::hat(out, t, human(0.4f), 0.05f, -0.2f, seed);
                    synth::shaker(out, t, human(step % 2 ? 0.12f : 0.2f), 0.35f, seed + 9);
                }
                break;
            case Section::City: {
                const float growth = static_cast<float>(bar - kCity) / (kIntense - kCity);
                if (backbeat && bar != kIntense - 1)
                    synth::clap(out, t, human(0.75f), seed);
                if (backbeat && bar >= kCity + 8 && bar != kIntense - 1)
                    synth::snare(out, t, human(0.35f), seed);
                if (bar >= kCity + 8 && offbeat)
                    synth::hat(out, t, human(0.42f), 0.22f, 0.35f, seed);
                else
                    synth::hat(out, t, human(offbeat ? 0.5f : 0.18f + 0.1f * growth), 0.04f, -0.3f, seed);
                if (bar >= kCity + 16 && step % 4 == 3 && rng.chance(0.5))
                    synth::shaker(out, t, human(0.25f), 0.5f, seed + 3);
                break;
            }
            case Section::Intense:
                if (backbeat && bar != kSky - 1) {
                    synth::clap(out, t, human(0.8f), seed);
                    synth::snare(out, t, human(0.6f), seed + 1);
                }
                if ((step == 7 || step == 15) && rng.chance(0.35))
                    synth::snare(out, t, human(0.18f), seed + 2);
                synth::hat(out, t, human(offbeat ? 0.5f : 0.25f), offbeat ? 0.2f : 0.035f, 0.15f, seed);
                if (step % 4 == 0)
                    synth::ride(out, t, human(0.28f), seed + 4);
                break;
            case Section::Sky:
                if (bar < kSkyBeat || bar >= kFinale - 2)
                    break;
                if (step == 8)
                    synth::clap(out, t, human(0.45f), seed);
                synth::shaker(out, t, human(step % 4 == 2 ? 0.22f : 0.1f), -0.3f, seed + 5);
                if (bar >= kGreetings && offbeat)
                    synth::hat(out, t, human(0.25f), 0.06f, 0.35f, seed);
                break;
            case Section::Finale:
                if (bar == kLogoHit - 1 || bar >= kOutro)
                    break;
                if (backbeat) {
                    synth::clap(out, t, human(0.8f), seed);
                    synth::snare(out, t, human(bar >= kLogoHit ? 0.55f : 0.35f), seed + 1);
                }
                synth::hat(out, t, human(offbeat ? 0.5f : 0.22f), offbeat ? 0.2f : 0.035f, 0.15f, seed);
                if (bar >= kLogoHit && step % 4 == 0)
                    synth::ride(out, t, human(0.26f), seed + 4);
                break;
            case Section::End:
                break;
            }
        }
    }
    // Rolls into the big moments.
    roll(out, kCity - 1, 8, kCity, 0.15f, 0.7f, 11);
    roll(out, kIntense - 1, 8, kIntense, 0.2f, 0.8f, 12);
    roll(out, kSky - 1, 0, kSky, 0.15f, 0.9f, 13);
    roll(out, kFinale - 1, 0, kFinale, 0.1f, 0.85f, 14);
    roll(out, kLogoHit - 1, 8, kLogoHit, 0.2f, 0.9f, 15);
    roll(out, kLogoHit + 15, 12, kLogoHit + 16, 0.3f, 0.7f, 16);

    // Cymbals on the section starts.
    for (int bar : {kCity, kCity + 8, kCity + 16, kIntense, kFinale, kLogoHit, kLogoHit + 8})
        synth::crash(out, barTime(bar), 0.45f, 1.4f, seedOf(bar, 0, 20));
    synth::crash(out, barTime(kFinalHit), 0.55f, 2.2f, seedOf(kFinalHit, 0, 20));
}

// ---- bass ----

void playBass(Stereo& out) {
    for (int bar = 0; bar <= kLastBar; ++bar) {
        const Section s = sectionOf(bar);
        for (int step = 0; step < 16; ++step) {
            const Chord chord = chordAt(bar, step / 4.0);
            const int root = chord.root;
            Note n;
            n.start = stepTime(bar, step);
            n.velocity = 0.8f;
            switch (s) {
            case Section::Opening:
                if (bar < 16) {
                    // A soft sub drone, one note per chord.
                    if (step == 0 && bar % 2 == 0 && bar >= 2) {
                        n.length = 2 * kBar - 0.05;
                        n.midi = root;
                        n.velocity = bar < 8 ? 0.35f : 0.5f;
                        synth::subBass(out, n);
                    }
                } else if (bar < kCity) {
                    static const int steps[4] = {0, 6, 8, 14};
                    static const int lengths[4] = {5, 2, 5, 2};
                    for (int k = 0; k < 4; ++k)
                        if (step == steps[k]) {
                            n.length = lengths[k] * kStep;
                            n.midi = root + (k == 3 ? 12 : 0);
                            n.velocity = 0.75f;
                            synth::bass(out, n, 0.3f, 0.2f);
                        }
                }
                break;
            case Section::City: {
                const float growth = static_cast<float>(bar - kCity) / (kIntense - kCity);
                if (step % 4 == 2) {
                    n.length = 1.6 * kStep;
                    n.midi = root + 12;
                    synth::bass(out, n, 0.3f + 0.4f * growth, 0.3f);
                }
                if (bar >= kCity + 16 && (step == 7 || step == 15)) {
                    n.length = 0.8 * kStep;
                    n.midi = root + 24;
                    n.velocity = 0.45f;
                    synth::bass(out, n, 0.6f, 0.3f);
                }
                break;
            }
            case Section::Intense:
                if (step % 4 != 0) {
                    n.length = 0.8 * kStep;
                    n.midi = root + (step % 4 == 3 ? 24 : 12);
                    n.velocity = step % 4 == 3 ? 0.6f : 0.8f;
                    synth::bass(out, n, 0.7f, 0.8f);
                }
                if (step == 0) {
                    n.length = 3.5 * kStep;
                    n.midi = root;
                    n.velocity = 0.5f;
                    synth::subBass(out, n);
                }
                break;
            case Section::Sky:
                if (step == 0 && (bar - kSky) % 2 == 0 && bar < kFinale - 1) {
                    n.length = 2 * kBar - 0.05;
                    n.midi = root;
                    n.velocity = 0.4f;
                    synth::subBass(out, n);
                }
                if (bar >= kSkyBeat && bar < kFinale - 2 && (step == 0 || step == 10)) {
                    n.length = (step == 0 ? 6 : 4) * kStep;
                    n.midi = root + 12 + (step == 10 && bar % 2 ? 7 : 0);
                    n.velocity = 0.45f;
                    synth::bass(out, n, 0.15f, 0.1f);
                }
                if (bar == kFinale - 1 && step == 0) {
                    n.length = kBar;
                    n.midi = root;
                    n.velocity = 0.6f;
                    synth::subBass(out, n);
                }
                break;
            case Section::Finale:
                if (bar == kFinalHit) {
                    if (step == 0) {
                        n.length = 3.0;
                        n.midi = root;
                        n.velocity = 0.8f;
                        synth::subBass(out, n);
                    }
                } else if (bar >= kOutro || bar == kLogoHit - 1) {
                    if (step == 0) {
                        n.length = kBar - 0.05;
                        n.midi = root;
                        n.velocity = 0.55f;
                        synth::subBass(out, n);
                    }
                } else {
                    if (step % 4 == 2) {
                        n.length = 1.6 * kStep;
                        n.midi = root + 12;
                        synth::bass(out, n, 0.65f, 0.4f);
                    }
                    if (bar >= kLogoHit && (step == 7 || step == 15)) {
                        n.length = 0.8 * kStep;
                        n.midi = root + 24;
                        n.velocity = 0.45f;
                        synth::bass(out, n, 0.7f, 0.4f);
                    }
                }
                break;
            case Section::End:
                break;
            }
        }
    }
}

// ---- pads ----

void padChord(Stereo& out, int bar, double beat, double length, float brightness, float attack, float velocity,
              bool octave) {
    const Chord chord = chordAt(bar, beat);
    int i = 0;
    for (int midi : chord.notes) {
        Note n;
        n.start = barTime(bar) + beat * kBeat;
        n.length = length;
        n.midi = midi;
        n.velocity = velocity;
        n.pan = (i % 2 ? 0.25f : -0.25f);
        synth::pad(out, n, brightness, attack, seedOf(bar, i, 30));
        ++i;
    }
    if (octave) {
        Note n;
        n.start = barTime(bar) + beat * kBeat;
        n.length = length;
        n.midi = chord.notes.back() + 12;
        n.velocity = velocity * 0.6f;
        synth::pad(out, n, brightness, attack, seedOf(bar, 9, 30));
    }
}

void playPads(Stereo& out, bool haze) {
    for (int bar = 0; bar <= kLastBar; ++bar) {
        const Section s = sectionOf(bar);
        const bool slow = s == Section::Opening || s == Section::Sky || bar == kFinalHit;
        if (slow != haze)
            continue;
        switch (s) {
        case Section::Opening:
            if (bar < 16) {
                if (bar % 2 == 0) {
                    float open = static_cast<float>(bar) / 16.f;
                    padChord(out, bar, 0, (bar == 14 ? 1.5 : 2.0) * kBar, 0.05f + 0.4f * open, 1.4f, 0.8f, bar >= 8);
                }
                if (bar == 15)
                    padChord(out, bar, 2, 0.5 * kBar, 0.45f, 0.3f, 0.8f, true);
            } else if (bar == kCity - 1) {
                padChord(out, bar, 0, 0.5 * kBar, 0.45f, 0.2f, 0.7f, false);
                padChord(out, bar, 2, 0.5 * kBar, 0.5f, 0.1f, 0.7f, false);
            } else {
                padChord(out, bar, 0, kBar, 0.4f, 0.25f, 0.7f, false);
            }
            break;
        case Section::City:
            if (bar >= kCity + 8)
                padChord(out, bar, 0, kBar, 0.3f + 0.02f * (bar - kCity - 8), 0.05f, 0.6f, false);
            break;
        case Section::Intense:
            padChord(out, bar, 0, kBar, 0.6f, 0.03f, 0.75f, true);
            break;
        case Section::Sky:
            if (bar >= kFinale - 2) {
                padChord(out, bar, 0, (bar == kFinale - 1 ? 0.5 : 1.0) * kBar, 0.45f, 0.5f, 0.7f, true);
                if (bar == kFinale - 1)
                    padChord(out, bar, 2, 0.5 * kBar, 0.55f, 0.1f, 0.7f, true);
            } else if ((bar - kSky) % 2 == 0) {
                padChord(out, bar, 0, 2 * kBar, bar < kSkyBeat ? 0.25f : 0.33f, bar == kSky ? 0.05f : 0.9f, 0.75f, true);
            }
            break;
        case Section::Finale:
            if (bar == kFinalHit)
                padChord(out, bar, 0, 3.2, 0.55f, 0.01f, 0.9f, true);
            else if (bar == kLogoHit - 1) {
                padChord(out, bar, 0, 0.5 * kBar, 0.5f, 0.05f, 0.7f, true);
                padChord(out, bar, 2, 0.5 * kBar, 0.6f, 0.05f, 0.7f, true);
            } else
                padChord(out, bar, 0, kBar, bar >= kLogoHit ? 0.6f : 0.5f, bar >= kOutro ? 0.3f : 0.03f, 0.75f,
                         bar >= kLogoHit);
            break;
        case Section::End:
            break;
        }
    }
}

// ---- plucks and arpeggios ----

void arp(Stereo& out, int bar, double stride, int transpose, float brightness, float velocity, Rng& rng) {
    static const int order[8] = {0, 1, 2, 3, 2, 1, 3, 2};
    int k = 0;
    for (double step = 0; step < 16; step += stride, ++k) {
        const Chord chord = chordAt(bar, step / 4.0);
        Note n;
        n.start = stepTime(bar, step);
        n.length = stride * kStep * 0.8;
        n.midi = chord.notes[static_cast<size_t>(order[k % 8]) % chord.notes.size()] + transpose;
        n.velocity = velocity * (static_cast<int>(step) % 4 == 2 ? 1.f : 0.75f) * static_cast<float>(0.9 + 0.1 * rng.uniform());
        n.pan = k % 2 ? 0.6f : -0.6f;
        synth::pluck(out, n, brightness);
    }
}

void playPlucks(Stereo& out) {
    Rng rng(0xA2);
    for (int bar = 0; bar <= kLastBar; ++bar) {
        switch (sectionOf(bar)) {
        case Section::Opening:
            if (bar < 16) {
                // Sparkles: chord tones high up, here and there, like distant sparks.
                const Chord chord = chordAt(bar);
                for (int eighth = 0; eighth < 8; ++eighth)
                    if (rng.chance(bar < 4 ? 0.18 : 0.3)) {
                        Note n;
                        n.start = stepTime(bar, eighth * 2);
                        n.length = kStep;
                        n.midi = chord.notes[static_cast<size_t>(rng.below(static_cast<int>(chord.notes.size())))] + 12 * (1 + rng.below(2));
                        n.velocity = static_cast<float>(rng.range(0.25, 0.55));
                        n.pan = static_cast<float>(rng.range(-0.8, 0.8));
                        synth::pluck(out, n, 0.45f);
                    }
            } else if (bar < kCity - 1) {
                arp(out, bar, 2, 12, 0.4f, 0.5f, rng);
            }
            break;
        case Section::City: {
            const float growth = static_cast<float>(bar - kCity) / (kIntense - kCity);
            arp(out, bar, 1, 12, 0.2f + 0.6f * growth, 0.45f + 0.15f * growth, rng);
            break;
        }
        case Section::Intense:
            arp(out, bar, 1, 24, 0.75f, 0.5f, rng);
            break;
        case Section::Sky:
            if (bar >= kSkyBeat && bar < kFinale - 2)
                arp(out, bar, 2, 12, 0.3f, 0.35f, rng);
            break;
        case Section::Finale:
            if (bar < kOutro && bar != kLogoHit - 1)
                arp(out, bar, 1, bar >= kLogoHit ? 24 : 12, 0.7f, 0.5f, rng);
            break;
        case Section::End:
            break;
        }
    }
}

// ---- lead ----

void leadVoice(Stereo& out, const Note& n, float brightness) { synth::lead(out, n, brightness); }

void playLead(Stereo& out) {
    playLine(kTheme, 16, 0, 0.55f, 0.f, leadVoice, 0.35f, out);
    playLine(kAnswer, 24, 0, 0.55f, 0.f, leadVoice, 0.4f, out);
    playLine(kTheme, kCity + 16, 0, 0.6f, 0.f, leadVoice, 0.55f, out);
    playLine(kSoar, kIntense, 0, 0.65f, 0.f, leadVoice, 0.7f, out);
    // The last soaring note hangs over the impact into the sky.
    playLine({{0, 8, 81}}, kSky, 0, 0.55f, 0.f, leadVoice, 0.5f, out);
    playLine(kAnswer, kFinale, 0, 0.5f, 0.f, leadVoice, 0.55f, out);
    playLine({{0, 3.5, 83}}, kLogoHit - 1, 0, 0.5f, 0.f, leadVoice, 0.6f, out);
    playLine(kTheme, kLogoHit, 0, 0.7f, 0.f, leadVoice, 0.7f, out);
    playLine(kTheme, kLogoHit + 8, 0, 0.7f, 0.f, leadVoice, 0.75f, out);
    playLine(kTheme, kLogoHit + 8, 12, 0.3f, 0.f, leadVoice, 0.6f, out);
    playLine({{0, 6, 76}}, kOutro, 0, 0.55f, 0.f, leadVoice, 0.5f, out);
    playLine({{0, 6, 81}}, kFinalHit, 0, 0.6f, 0.f, leadVoice, 0.55f, out);
}

// ---- air: flute and bells ----

void fluteVoice(Stereo& out, const Note& n, float) { synth::flute(out, n, static_cast<std::uint32_t>(n.start * 1000)); }
void bellVoice(Stereo& out, const Note& n, float) { synth::bell(out, n); }

void playAir(Stereo& out) {
    // Bells in the night at the start.
    playLine({{0, 1, 88}, {10, 1, 83}, {20, 1, 84}, {30, 1, 79}, {40, 1, 88}, {46, 1, 91}, {52, 1, 86}, {58, 1, 83}},
             0, 0, 0.35f, 0.4f, bellVoice, 0, out);
    // The flute over the sky, twice.
    playLine(kAir, kSky + 16, 0, 0.3f, -0.15f, fluteVoice, 0, out);
    playLine(kAir, kSky + 32, 0, 0.32f, -0.15f, fluteVoice, 0, out);
    // The greetings: one bell per accent, a melody over the chords.
    static const int pick[8] = {3, 2, 3, 1, 2, 3, 0, 2};
    const std::vector<double> times = greetingTimes();
    for (size_t i = 0; i < times.size(); ++i) {
        const int bar = kGreetings + static_cast<int>(i);
        const Chord chord = chordAt(bar);
        Note n;
        n.start = times[i];
        n.length = kBar;
        n.midi = chord.notes[static_cast<size_t>(pick[i % 8]) % chord.notes.size()] + 12 + (i % 8 == 7 ? 12 : 0);
        n.velocity = 1.f;
        n.pan = i % 2 ? 0.35f : -0.35f;
        synth::bell(out, n);
        n.midi += 12;
        n.velocity = 0.3f;
        n.pan = -n.pan;
        synth::bell(out, n);
    }
    // The last chord rings in bells too.
    for (int midi : {81, 88}) {
        Note n;
        n.start = barTime(kFinalHit);
        n.length = 3;
        n.midi = midi;
        n.velocity = 0.5f;
        n.pan = midi == 81 ? -0.3f : 0.3f;
        synth::bell(out, n);
    }
}

// ---- effects ----

void playEffects(Stereo& out) {
    Rng rng(0xF1);
    // Fireworks over the opening and again in the finale, on eighth notes.
    auto fireworks = [&](int fromBar, int toBar, double density) {
        for (int bar = fromBar; bar < toBar; ++bar)
            for (int eighth = 0; eighth < 8; ++eighth)
                if (rng.chance(density))
                    synth::firework(out, stepTime(bar, eighth * 2), static_cast<float>(rng.range(0.25, 0.7)),
                                    static_cast<float>(rng.range(-0.8, 0.8)), seedOf(bar, eighth, 40));
    };
    fireworks(0, kCity - 1, 0.11);
    fireworks(kFinale, kLogoHit - 1, 0.12);
    fireworks(kFinalHit, kFinalHit + 1, 0.35);

    synth::riser(out, barTime(kCity - 2), barTime(kCity), 0.35f, 41);
    synth::riser(out, barTime(kIntense - 2), barTime(kIntense), 0.35f, 42);
    synth::riser(out, barTime(kSky - 2), barTime(kSky), 0.45f, 43);
    synth::riser(out, barTime(kFinale - 2), barTime(kFinale), 0.4f, 44);
    synth::riser(out, barTime(kLogoHit - 1), barTime(kLogoHit), 0.35f, 45);

    synth::impact(out, barTime(kSky), 0.9f, 46);
    synth::impact(out, barTime(kFinale), 0.8f, 47);
    synth::impact(out, barTime(kFinalHit), 0.9f, 48);
    synth::impact(out, barTime(kCity), 0.5f, 49);

    // Wind through the sky.
    synth::wind(out, barTime(kSky), barTime(kGreetings + 2), 0.5f, 50);
    synth::wind(out, barTime(kFinale - 12), barTime(kFinale + 1), 0.35f, 51);

    // Every greeting bursts: a pop and a low thump under its bell.
    const std::vector<double> times = greetingTimes();
    for (size_t i = 0; i < times.size(); ++i) {
        synth::firework(out, times[i], 0.5f, i % 2 ? -0.4f : 0.4f, static_cast<std::uint32_t>(600 + i));
        synth::thump(out, times[i], 0.45f, 110.f, 55.f, 0.22f);
    }
}

} // namespace

const char* busName(Bus bus) {
    static const char* names[kBusCount] = {"drums", "bass", "pads", "haze", "plucks", "lead", "air", "effects"};
    return names[static_cast<int>(bus)];
}

void play(Bus bus, Stereo& out) {
    switch (bus) {
    case Bus::Drums: playDrums(out); break;
    case Bus::Bass: playBass(out); break;
    case Bus::Pads: playPads(out, false); break;
    case Bus::Haze: playPads(out, true); break;
    case Bus::Plucks: playPlucks(out); break;
    case Bus::Lead: playLead(out); break;
    case Bus::Air: playAir(out); break;
    case Bus::Effects: playEffects(out); break;
    }
}

std::vector<double> kickTimes() {
    std::vector<double> times;
    for (int bar = 0; bar <= kLastBar; ++bar)
        for (int step = 0; step < 16; ++step)
            if (kickAt(bar, step) > 0)
                times.push_back(stepTime(bar, step));
    return times;
}

} // namespace qelFramework::forge::score
