#include "SongMap.h"

namespace qelFramework::forge::song {

Section sectionOf(int bar) {
    if (bar < kCity)
        return Section::Opening;
    if (bar < kIntense)
        return Section::City;
    if (bar < kSky)
        return Section::Intense;
    if (bar < kFinale)
        return Section::Sky;
    if (bar <= kFinalHit)
        return Section::Finale;
    return Section::End;
}

namespace {
// Bass notes sit between A1 (33) and G#2 (44).
const Chord kAm{33, {57, 60, 64, 69}};
const Chord kAm9{33, {60, 64, 67, 71}};
const Chord kAm7{33, {55, 60, 64, 69}};
const Chord kF{41, {57, 60, 65, 69}};
const Chord kFmaj7{41, {57, 60, 64, 69}};
const Chord kC{36, {55, 60, 64, 67}};
const Chord kCoverE{40, {55, 60, 64, 67}};
const Chord kG{43, {55, 59, 62, 67}};
const Chord kGsus{43, {55, 60, 62, 67}};
const Chord kDm7{38, {57, 60, 62, 65}};
const Chord kE{40, {56, 59, 64, 68}};
const Chord kEsus{40, {57, 59, 64, 69}};
const Chord kAmAdd9{33, {57, 60, 64, 71, 76}};

const Chord& fourChords(int i) {
    static const Chord* cycle[4] = {&kAm, &kF, &kC, &kG};
    return *cycle[((i % 4) + 4) % 4];
}
} // namespace

Chord chordAt(int bar, double beat) {
    switch (sectionOf(bar)) {
    case Section::Opening:
        if (bar < 16) {
            static const Chord* slow[4] = {&kAm9, &kFmaj7, &kC, &kG};
            if (bar == 15 && beat >= 2.0)
                return kGsus;
            return *slow[(bar / 2) % 4];
        }
        if (bar == kCity - 1)
            return beat < 2.0 ? kEsus : kE;
        return fourChords(bar - 16);
    case Section::City:
        if (bar == kIntense - 1)
            return beat < 2.0 ? kEsus : kE;
        return fourChords(bar - kCity);
    case Section::Intense: {
        static const Chord* drive[12] = {&kF, &kG, &kAm, &kAm, &kF, &kG, &kE, &kE, &kF, &kG, &kAm, &kE};
        return *drive[bar - kIntense];
    }
    case Section::Sky: {
        if (bar >= kFinale - 2)
            return bar == kFinale - 2 ? kGsus : (beat < 2.0 ? kEsus : kE);
        static const Chord* air[4] = {&kFmaj7, &kCoverE, &kDm7, &kAm7};
        return *air[((bar - kSky) / 2) % 4];
    }
    case Section::Finale:
        if (bar >= kFinalHit)
            return kAmAdd9;
        if (bar >= kOutro)
            return bar == kOutro ? kF : kGsus;
        if (bar == kLogoHit - 1) // the break before the chorus
            return beat < 2.0 ? kGsus : kG;
        return fourChords(bar < kLogoHit ? bar - kFinale : bar - kLogoHit);
    case Section::End:
        break;
    }
    return kAmAdd9;
}

std::vector<double> greetingTimes() {
    std::vector<double> times;
    for (int i = 0; i < kGreetingCount; ++i)
        times.push_back(barTime(kGreetings + i));
    return times;
}

} // namespace qelFramework::forge::song
