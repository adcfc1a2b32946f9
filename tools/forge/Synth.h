#pragma once
// The soundtrack's instruments: each call renders one note or hit into a stereo buffer
// at a song time. Drums and effects are made from noise and sine sweeps; tonal voices from
// band-limited oscillators through resonant filters.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qelFramework::forge::synth {

// A stereo buffer at the song's sample rate.
struct Stereo {
    std::vector<float> l, r;
    explicit Stereo(long frames) : l(static_cast<size_t>(frames), 0.f), r(static_cast<size_t>(frames), 0.f) {}
    long frames() const { return static_cast<long>(l.size()); }
    void clear();
    void addFrom(const Stereo& other, float gain);
};

double midiHz(double midi);

// A note of a tonal voice.
struct Note {
    double start = 0;   // seconds
    double length = 0;  // seconds the key is held
    double midi = 60;
    float velocity = 1; // 0..1
    float pan = 0;      // -1 left .. 1 right
};

// Drums and percussion. gain is the hit's level; seeds vary the noise per hit.
void kick(Stereo& out, double t, float gain, float punch = 1.f);
void snare(Stereo& out, double t, float gain, std::uint32_t seed);
void clap(Stereo& out, double t, float gain, std::uint32_t seed);
void hat(Stereo& out, double t, float gain, float decay, float pan, std::uint32_t seed);
void shaker(Stereo& out, double t, float gain, float pan, std::uint32_t seed);
void ride(Stereo& out, double t, float gain, std::uint32_t seed);
void thump(Stereo& out, double t, float gain, float fromHz, float toHz, float decay);
void crash(Stereo& out, double t, float gain, float decay, std::uint32_t seed);

// Effects: a noise sweep rising from t0 to t1; a deep drop with a crash; a firework's pop
// and crackle far away.
void riser(Stereo& out, double t0, double t1, float gain, std::uint32_t seed);
void impact(Stereo& out, double t, float gain, std::uint32_t seed);
void firework(Stereo& out, double t, float gain, float pan, std::uint32_t seed);
// A breath of wind: band-passed noise swelling from t0 to t1 and fading after.
void wind(Stereo& out, double t0, double t1, float gain, std::uint32_t seed);

// Tonal voices.
void subBass(Stereo& out, const Note& n);
void bass(Stereo& out, const Note& n, float brightness, float drive);
void pad(Stereo& out, const Note& n, float brightness, float attack, std::uint32_t seed);
void pluck(Stereo& out, const Note& n, float brightness);
void lead(Stereo& out, const Note& n, float brightness);
void flute(Stereo& out, const Note& n, std::uint32_t seed);
void bell(Stereo& out, const Note& n);

} // namespace qelFramework::forge::synth
