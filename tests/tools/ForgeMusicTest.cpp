// The soundtrack's parts: its time grid and form, the instruments, the effects and the
// master chain.
#include "forge/Effects.h"
#include "forge/Score.h"
#include "forge/SongMap.h"
#include "forge/Synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace qelFramework::forge;
using synth::Note;
using synth::Stereo;

namespace {

constexpr long kRate = song::kRate;

double energy(const Stereo& s, double from, double to) {
    double e = 0;
    for (long i = std::max(0L, static_cast<long>(from * kRate)); i < std::min(s.frames(), static_cast<long>(to * kRate)); ++i)
        e += s.l[static_cast<size_t>(i)] * s.l[static_cast<size_t>(i)] + s.r[static_cast<size_t>(i)] * s.r[static_cast<size_t>(i)];
    return e;
}

float peak(const Stereo& s) {
    float p = 0;
    for (size_t i = 0; i < s.l.size(); ++i)
        p = std::max({p, std::fabs(s.l[i]), std::fabs(s.r[i])});
    return p;
}

// Power of one frequency in the left channel over a stretch (Goertzel).
double power(const Stereo& s, double hz, double from, double to) {
    const double w = 2 * M_PI * hz / kRate, c = 2 * std::cos(w);
    double p1 = 0, p2 = 0;
    for (long i = static_cast<long>(from * kRate); i < static_cast<long>(to * kRate); ++i) {
        double p = s.l[static_cast<size_t>(i)] + c * p1 - p2;
        p2 = p1;
        p1 = p;
    }
    return p1 * p1 + p2 * p2 - c * p1 * p2;
}

Note note(double start, double length, double midi) {
    Note n;
    n.start = start;
    n.length = length;
    n.midi = midi;
    return n;
}

} // namespace

TEST(ForgeSongMap, TheFixedMomentsFallOnBarLines) {
    EXPECT_NEAR(song::barTime(song::kCity), 55.0, 0.01);
    EXPECT_NEAR(song::barTime(song::kSky), 123.0, 0.05);
    EXPECT_NEAR(song::barTime(song::kFinale), 210.0, 0.05);
    EXPECT_NEAR(song::barTime(song::kIntense), 100.0, 1.0);
    EXPECT_NEAR(song::barTime(song::kLogoHit), 220.0, 1.0);
    EXPECT_LT(song::barTime(song::kFinalHit) + 4.0, song::kSilenceFrom);

    // 35 greeting accents inside the sky passage, on downbeats, more than a second apart.
    const auto times = song::greetingTimes();
    ASSERT_EQ(times.size(), 35u);
    EXPECT_GT(times.front(), 123.0);
    EXPECT_LT(times.back(), 210.0);
    for (size_t i = 1; i < times.size(); ++i)
        EXPECT_GE(times[i] - times[i - 1], 1.0);
    for (double t : times) {
        double bars = (t - song::kFirstDownbeat) / song::kBar;
        EXPECT_NEAR(bars, std::round(bars), 1e-9);
        EXPECT_EQ(song::sectionOf(static_cast<int>(std::round(bars))), song::Section::Sky);
    }
}

TEST(ForgeSongMap, EveryChordStaysInTheKey) {
    // A minor, with G# for the E chords that lead back home.
    const bool inKey[12] = {true, false, true, false, true, true, false, true, true, true, false, true};
    for (int bar = 0; bar <= song::kFinalHit; ++bar)
        for (double beat : {0.0, 2.0}) {
            const song::Chord c = song::chordAt(bar, beat);
            EXPECT_NEAR(c.root, 38.5, 5.5) << "bar " << bar;
            EXPECT_TRUE(inKey[c.root % 12]) << bar;
            ASSERT_GE(c.notes.size(), 3u);
            for (int n : c.notes) {
                EXPECT_NEAR(n, 66, 11) << "bar " << bar;
                EXPECT_TRUE(inKey[n % 12]) << bar << " " << n;
            }
        }
    EXPECT_EQ(song::sectionOf(0), song::Section::Opening);
    EXPECT_EQ(song::sectionOf(song::kCity), song::Section::City);
    EXPECT_EQ(song::sectionOf(song::kSky - 1), song::Section::Intense);
    EXPECT_EQ(song::sectionOf(song::kFinalHit + 1), song::Section::End);
}

TEST(ForgeSynth, EveryInstrumentSoundsOnlyWithinItsSpan) {
    const std::vector<std::pair<const char*, std::function<void(Stereo&)>>> voices = {
        {"kick", [](Stereo& s) { synth::kick(s, 1.0, 1.f); }},
        {"snare", [](Stereo& s) { synth::snare(s, 1.0, 1.f, 3); }},
        {"clap", [](Stereo& s) { synth::clap(s, 1.0, 1.f, 3); }},
        {"hat", [](Stereo& s) { synth::hat(s, 1.0, 1.f, 0.2f, 0.5f, 3); }},
        {"shaker", [](Stereo& s) { synth::shaker(s, 1.0, 1.f, 0.f, 3); }},
        {"ride", [](Stereo& s) { synth::ride(s, 1.0, 1.f, 3); }},
        {"thump", [](Stereo& s) { synth::thump(s, 1.0, 1.f, 110.f, 55.f, 0.2f); }},
        {"crash", [](Stereo& s) { synth::crash(s, 1.0, 1.f, 0.8f, 3); }},
        {"riser", [](Stereo& s) { synth::riser(s, 1.0, 3.0, 1.f, 3); }},
        {"impact", [](Stereo& s) { synth::impact(s, 1.0, 1.f, 3); }},
        {"firework", [](Stereo& s) { synth::firework(s, 1.0, 1.f, 0.f, 3); }},
        {"wind", [](Stereo& s) { synth::wind(s, 1.0, 3.0, 1.f, 3); }},
        {"sub", [](Stereo& s) { synth::subBass(s, note(1.0, 1.0, 33)); }},
        {"bass", [](Stereo& s) { synth::bass(s, note(1.0, 0.5, 45), 0.5f, 0.5f); }},
        {"pad", [](Stereo& s) { synth::pad(s, note(1.0, 1.0, 60), 0.5f, 0.3f, 3); }},
        {"pluck", [](Stereo& s) { synth::pluck(s, note(1.0, 0.2, 72), 0.5f); }},
        {"lead", [](Stereo& s) { synth::lead(s, note(1.0, 1.0, 76), 0.5f); }},
        {"flute", [](Stereo& s) { synth::flute(s, note(1.0, 1.0, 81), 3); }},
        {"bell", [](Stereo& s) { synth::bell(s, note(1.0, 1.0, 84)); }},
    };
    for (const auto& [name, play] : voices) {
        Stereo a(12 * kRate), b(12 * kRate);
        play(a);
        play(b);
        EXPECT_EQ(a.l, b.l) << name;
        EXPECT_EQ(energy(a, 0, 1.0), 0.0) << name << " sounds before its start";
        EXPECT_GT(peak(a), 0.02f) << name;
        EXPECT_LT(peak(a), 4.f) << name;
        for (size_t i = 0; i < a.l.size(); ++i)
            ASSERT_TRUE(std::isfinite(a.l[i]) && std::isfinite(a.r[i])) << name << ": sample " << i << " is " << a.l[i] << ", " << a.r[i];
        EXPECT_LT(energy(a, 11.0, 12.0), 1e-9) << name << " still sounds long after";
        // The last sample it writes is quiet: no click when the voice is cut.
        long last = a.frames() - 1;
        while (last > 0 && a.l[static_cast<size_t>(last)] == 0.f && a.r[static_cast<size_t>(last)] == 0.f)
            --last;
        EXPECT_LT(std::fabs(a.l[static_cast<size_t>(last)]), peak(a) * 0.02f + 1e-4f) << name;
    }
}

TEST(ForgeSynth, TonalVoicesPlayThePitchAsked) {
    for (double midi : {45.0, 69.0}) {
        const double hz = synth::midiHz(midi), off = hz * std::pow(2.0, 1.0 / 12);
        Stereo s(3 * kRate);
        synth::subBass(s, note(0.5, 1.5, midi));
        synth::lead(s, note(0.5, 1.5, midi + 12), 0.5f);
        EXPECT_GT(power(s, hz, 0.7, 1.9), 50 * power(s, off, 0.7, 1.9)) << midi;
        EXPECT_GT(power(s, 2 * hz, 0.7, 1.9), 50 * power(s, 2 * off, 0.7, 1.9)) << midi;
    }
    EXPECT_DOUBLE_EQ(synth::midiHz(69), 440.0);
}

TEST(ForgeEffects, MasterHoldsTheCeilingSparesQuietMusicAndEndsInZeros) {
    Stereo loud(4 * kRate), quiet(4 * kRate);
    for (long i = 0; i < loud.frames(); ++i) {
        float v = static_cast<float>(std::sin(2 * M_PI * 220 * i / kRate));
        loud.l[static_cast<size_t>(i)] = loud.r[static_cast<size_t>(i)] = 2.5f * v * (i > kRate ? 1.f : 0.2f);
        quiet.l[static_cast<size_t>(i)] = quiet.r[static_cast<size_t>(i)] = 0.3f * v;
    }
    const double quietBefore = energy(quiet, 0.5, 2.5);
    synth::master(loud, 0.89f, 2.5, 3.0);
    synth::master(quiet, 0.89f, 10.0, 20.0);
    EXPECT_LE(peak(loud), 0.89f);
    EXPECT_GT(peak(loud), 0.85f);
    // Well before the loud part the soft start keeps its level (0.5 against 0.3).
    EXPECT_NEAR(energy(loud, 0.3, 0.8) / energy(quiet, 0.3, 0.8), (0.5 * 0.5) / (0.3 * 0.3), 0.05);
    EXPECT_NEAR(energy(quiet, 0.5, 2.5) / quietBefore, 1.0, 0.02);
    for (long i = 3 * kRate; i < loud.frames(); ++i)
        ASSERT_EQ(loud.l[static_cast<size_t>(i)], 0.f);
    EXPECT_GT(energy(loud, 2.4, 2.5), energy(loud, 2.8, 2.9));
}

TEST(ForgeEffects, DuckingEchoAndRoom) {
    Stereo flat(3 * kRate);
    std::fill(flat.l.begin(), flat.l.end(), 1.f);
    std::fill(flat.r.begin(), flat.r.end(), 1.f);
    synth::duck(flat, {0.5}, 0.6f, 0.1f);
    EXPECT_FLOAT_EQ(flat.l[static_cast<size_t>(0.4 * kRate)], 1.f);
    EXPECT_NEAR(flat.l[static_cast<size_t>(0.506 * kRate)], 0.4f, 0.02f);
    EXPECT_NEAR(flat.l[static_cast<size_t>(1.5 * kRate)], 1.f, 0.01f);

    // One click: the echo answers on the left after one delay, on the right after two.
    Stereo click(3 * kRate), echo(3 * kRate), room(3 * kRate);
    click.l[static_cast<size_t>(0.1 * kRate)] = click.r[static_cast<size_t>(0.1 * kRate)] = 1.f;
    synth::addEcho(click, echo, 0.3, 0.5f, 1.f);
    EXPECT_EQ(energy(echo, 0, 0.39), 0.0);
    auto strongest = [&](const std::vector<float>& ch, double from, double to) {
        long best = 0;
        for (long i = static_cast<long>(from * kRate); i < static_cast<long>(to * kRate); ++i)
            if (std::fabs(ch[static_cast<size_t>(i)]) > std::fabs(ch[static_cast<size_t>(best)]))
                best = i;
        return best / static_cast<double>(kRate);
    };
    EXPECT_NEAR(strongest(echo.l, 0.3, 0.6), 0.4, 0.002);
    EXPECT_NEAR(strongest(echo.r, 0.5, 0.9), 0.7, 0.002);

    synth::addReverb(click, room, 0.8f, 0.3f, 1.f);
    EXPECT_EQ(energy(room, 0, 0.12), 0.0); // the pre-delay
    EXPECT_GT(energy(room, 0.2, 0.7), energy(room, 1.2, 1.7));
    EXPECT_GT(energy(room, 1.2, 1.7), 0.0);
    EXPECT_NE(room.l, room.r); // a stereo room
}

TEST(ForgeScore, KicksFollowTheFormAndEveryGreetingIsHeard) {
    const auto kicks = score::kickTimes();
    ASSERT_FALSE(kicks.empty());
    EXPECT_TRUE(std::is_sorted(kicks.begin(), kicks.end()));
    auto between = [&](double a, double b) {
        return std::count_if(kicks.begin(), kicks.end(), [&](double t) { return t >= a - 1e-6 && t < b - 1e-6; });
    };
    EXPECT_EQ(between(song::barTime(song::kCity), song::barTime(song::kCity + 1)), 4);
    EXPECT_EQ(between(song::barTime(song::kSky), song::barTime(song::kSkyBeat)), 0); // the burn-out
    EXPECT_EQ(between(song::barTime(song::kOutro), song::barTime(song::kFinalHit)), 0);
    EXPECT_EQ(between(song::barTime(song::kFinalHit) + 0.1, 260), 0);
    EXPECT_EQ(between(0, song::barTime(8)), 0);

    // Each greeting's bell stands out against the moment before it.
    Stereo air(song::kFrames);
    score::play(score::Bus::Air, air);
    for (double t : song::greetingTimes())
        EXPECT_GT(energy(air, t, t + 0.1), 4 * energy(air, t - 0.1, t)) << t;
}
