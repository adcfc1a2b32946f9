#include "Synth.h"
#include "SongMap.h"

#include <algorithm>
#include <cmath>

namespace qelFramework::forge::synth {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kRate = song::kRate;

long frameAt(double t) { return std::lround(t * kRate); }

// Constant-power pan: centre gives 0.707 on both sides.
void panGains(float pan, float& gl, float& gr) {
    double a = (std::clamp(pan, -1.f, 1.f) + 1.0) * kTwoPi / 8.0;
    gl = static_cast<float>(std::cos(a));
    gr = static_cast<float>(std::sin(a));
}

void put(Stereo& o, long i, float l, float r) {
    if (i >= 0 && i < o.frames()) {
        o.l[static_cast<size_t>(i)] += l;
        o.r[static_cast<size_t>(i)] += r;
    }
}

// Fast white noise in [-1, 1].
struct Noise {
    std::uint32_t s;
    explicit Noise(std::uint32_t seed) : s(seed * 2654435761u + 0x9E3779B9u) {
        if (!s)
            s = 1;
    }
    float next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return static_cast<float>(s) * (2.f / 4294967296.f) - 1.f;
    }
};

// State-variable filter (trapezoidal integration): stable under fast cutoff changes.
struct Svf {
    double ic1 = 0, ic2 = 0, a1 = 0, a2 = 0, a3 = 0, k = 1;
    double low = 0, band = 0, high = 0;
    void set(double hz, double q) {
        hz = std::clamp(hz, 10.0, kRate * 0.45);
        double g = std::tan(kTwoPi * 0.5 * hz / kRate);
        k = 1.0 / std::max(q, 0.05);
        a1 = 1.0 / (1.0 + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    void run(double v0) {
        double v3 = v0 - ic2;
        double v1 = a1 * ic1 + a2 * v3;
        double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        low = v2;
        band = v1;
        high = v0 - k * v1 - v2;
    }
};

// Band-limited saw and square (polyBLEP).
double blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

struct Osc {
    double phase = 0;
    double saw(double hz) {
        double dt = hz / kRate;
        double v = 2.0 * phase - 1.0 - blep(phase, dt);
        advance(dt);
        return v;
    }
    double square(double hz) {
        double dt = hz / kRate;
        double p2 = phase + 0.5;
        if (p2 >= 1.0)
            p2 -= 1.0;
        double v = (phase < 0.5 ? 1.0 : -1.0) + blep(phase, dt) - blep(p2, dt);
        advance(dt);
        return v;
    }
    void advance(double dt) {
        phase += dt;
        if (phase >= 1.0)
            phase -= std::floor(phase);
    }
};

// Attack (linear), decay to sustain, release after the key is let go (exponential).
struct Envelope {
    double attack, decay, sustain, release;
    // Long enough for the release to fall by about 40 dB; the last 30 ms fade to zero so
    // the cut is silent.
    double span(double length) const { return length + release * 4.6; }
};

// Steps an envelope sample by sample with running products instead of exponentials.
class EnvelopeRun {
public:
    EnvelopeRun(const Envelope& e, double length)
        : attackFrames(std::max(1L, std::lround(e.attack * kRate))), holdFrames(std::lround(length * kRate)),
          spanFrames(std::lround(e.span(length) * kRate)), sustain(e.sustain),
          decayMul(std::exp(-1.0 / (e.decay * kRate))), releaseMul(std::exp(-1.0 / (e.release * kRate))) {}

    long frames() const { return spanFrames; }

    double next() {
        double v;
        if (i < holdFrames) {
            if (i < attackFrames) {
                v = static_cast<double>(i) / attackFrames;
            } else {
                v = sustain + (1.0 - sustain) * decay;
                decay *= decayMul;
            }
            last = v;
        } else {
            v = last * releasing;
            releasing *= releaseMul;
        }
        const long fade = static_cast<long>(0.03 * kRate);
        if (i > spanFrames - fade)
            v *= std::max(0.0, static_cast<double>(spanFrames - i) / fade);
        ++i;
        return v;
    }

private:
    long attackFrames, holdFrames, spanFrames;
    double sustain, decayMul, releaseMul;
    long i = 0;
    double decay = 1.0, releasing = 1.0, last = 0.0;
};

// Metallic tone of six detuned squares, the classic drum-machine cymbal.
struct Metal {
    Osc osc[6];
    double base;
    explicit Metal(double scale, std::uint32_t seed) : base(scale) {
        Noise n(seed);
        for (Osc& o : osc)
            o.phase = (n.next() + 1.0) * 0.5;
    }
    double next() {
        static const double ratios[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
        double v = 0;
        for (int i = 0; i < 6; ++i) {
            double dt = ratios[i] * base / kRate;
            v += osc[i].phase < 0.5 ? 1.0 : -1.0;
            osc[i].advance(dt);
        }
        return v / 6.0;
    }
};

} // namespace

void Stereo::clear() {
    std::fill(l.begin(), l.end(), 0.f);
    std::fill(r.begin(), r.end(), 0.f);
}

void Stereo::addFrom(const Stereo& other, float gain) {
    const size_t n = std::min(l.size(), other.l.size());
    for (size_t i = 0; i < n; ++i) {
        l[i] += other.l[i] * gain;
        r[i] += other.r[i] * gain;
    }
}

double midiHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

// ---- drums ----

void kick(Stereo& out, double t, float gain, float punch) {
    const long start = frameAt(t), len = static_cast<long>(0.5 * kRate);
    Noise noise(static_cast<std::uint32_t>(start));
    double phase = 0;
    for (long i = 0; i < len; ++i) {
        double tt = i / kRate;
        // Settles on A1, the key's root, so its overtones stay in tune.
        double hz = 55.0 + 100.0 * std::exp(-tt / 0.032) + 380.0 * punch * std::exp(-tt / 0.0045);
        phase += hz / kRate;
        double amp = std::exp(-tt / 0.30) * std::min(1.0, tt / 0.0008);
        // A clean sine: saturating it would add overtones out of the key.
        double body = std::sin(kTwoPi * phase) * amp;
        double click = noise.next() * std::exp(-tt / 0.0018) * 0.25 * punch;
        double fade = i > len - 1500 ? (len - i) / 1500.0 : 1.0;
        float v = static_cast<float>((body + click) * fade * gain);
        put(out, start + i, v, v);
    }
}

void snare(Stereo& out, double t, float gain, std::uint32_t seed) {
    const long start = frameAt(t), len = static_cast<long>(0.35 * kRate);
    Noise nl(seed), nr(seed + 101);
    Svf hl, hr;
    hl.set(1700, 0.7);
    hr.set(1700, 0.7);
    double p1 = 0, p2 = 0;
    for (long i = 0; i < len; ++i) {
        double tt = i / kRate;
        p1 += 196.0 * (1.0 + 0.25 * std::exp(-tt / 0.015)) / kRate;
        p2 += 330.0 / kRate;
        double body = std::sin(kTwoPi * p1) * std::exp(-tt / 0.075) * 0.55 + std::sin(kTwoPi * p2) * std::exp(-tt / 0.04) * 0.25;
        double shared = nl.next();
        hl.run(shared * 0.7 + nr.next() * 0.3);
        hr.run(shared * 0.7 + nr.next() * 0.3);
        double env = std::exp(-tt / 0.12) * std::min(1.0, tt / 0.001);
        double fade = i > len - 800 ? (len - i) / 800.0 : 1.0;
        put(out, start + i, static_cast<float>((body + hl.high * env * 0.8) * gain * fade),
            static_cast<float>((body + hr.high * env * 0.8) * gain * fade));
    }
}

void clap(Stereo& out, double t, float gain, std::uint32_t seed) {
    const long start = frameAt(t), len = static_cast<long>(0.45 * kRate);
    Noise nl(seed), nr(seed + 7);
    Svf bl, br;
    bl.set(1150, 1.1);
    br.set(1300, 1.1);
    for (long i = 0; i < len; ++i) {
        double tt = i / kRate;
        double env = 0;
        for (double at : {0.0, 0.010, 0.021})
            if (tt >= at)
                env += std::exp(-(tt - at) / 0.0055);
        if (tt >= 0.03)
            env += 0.55 * std::exp(-(tt - 0.03) / 0.13);
        double shared = nl.next();
        bl.run(shared * 0.6 + nr.next() * 0.4);
        br.run(shared * 0.6 + nr.next() * 0.4);
        double fade = i > len - 800 ? (len - i) / 800.0 : 1.0;
        put(out, start + i, static_cast<float>(bl.band * env * gain * 1.6 * fade),
            static_cast<float>(br.band * env * gain * 1.6 * fade));
    }
}

void hat(Stereo& out, double t, float gain, float decay, float pan, std::uint32_t seed) {
    const long start = frameAt(t), len = static_cast<long>(std::min(2.0, decay * 7.0 + 0.01) * kRate);
    Metal metal(1.9, seed);
    Noise noise(seed);
    Svf hp;
    hp.set(7200, 0.8);
    float gl, gr;
    panGains(pan, gl, gr);
    for (long i = 0; i < len; ++i) {
        double tt = i / kRate;
        hp.run(metal.next() * 0.7 + noise.next() * 0.5);
        double env = std::exp(-tt / decay) * std::min(1.0, tt / 0.0005);
        double fade = i > len - 300 ? (len - i) / 300.0 : 1.0;
        float v = static_cast<float>(hp.high * env * gain * fade * 1.7);
        put(out, start + i, v * gl, v * gr);
    }
}

void shaker(Stereo& out, double t, float gain, float pan, std::uint32_t seed) {
    const long start = frameAt(t), len = static_cast<long>(0.2 * kRate);
    Noise noise(seed);
    Svf bp;
    bp.set(6000, 1.3);
    float gl, gr;
    panGains(pan, gl, gr);
    for (long i = 0; i < len; ++i) {
        double tt = i / kRate;
        bp.run(noise.next());
        double env = tt < 0.012 ? tt / 0.012 : std::exp(-(tt - 0.012) / 0.045);
        float v = static_cast<float>(bp.band * env * gain * 1.4);
        put(out, start + i, v * gl, v * gr);
    }
}

void ride(Stereo& out, double t, float gain, std::uint32_t seed) {
    const long start = frameAt(t), len = static_cast<long>(1.8 * kRate);
    Metal metal(2.6, seed);
    Noise noise(seed + 3);
    Svf bp, hp;
    bp.set(5200, 2.0);
    hp.set(8000, 0.7);
    for (long i = 0; i < len; ++i) {
        double tt = i / kRate;
        bp.run(metal.next());
        hp.run(noise.next());
        double env = std::exp(-tt / 0.7);
        double fade = i > len - 2000 ? (len - i) / 2000.0 : 1.0;
        double v = (bp.band * 0.9 * env + hp.high * 0.3 * std::exp(-tt / 0.08)) * gain * fade;
        put(out, start + i, static_cast<float>(v * 0.62), static_cast<float>(v * 0.78));
    }
}

void thump(Stereo& out, double t, float gain, float fromHz, float toHz, float decay) {
    const long start = frameAt(t), len = static_cast<long>(decay * 6.0 * kRate);
    double phase = 0;
    for (long i = 0; i < len; ++i) {
        double tt = i / kRate;
        double hz = toHz + (fromHz - toHz) * std::exp(-tt / 0.05);
        phase += hz / kRate;
        double v = std::sin(kTwoPi * phase) * std::exp(-tt / decay) * std::min(1.0, tt / 0.002) * gain;
        put(out, start + i, static_cast<float>(v), static_cast<float>(v));
    }
}

void crash(Stereo& out, double t, float gain, float decay, std::uint32_t seed) {
    const long start = frameAt(t), len = static_cast<long>(decay * 5.0 * kRate);
    Noise nl(seed), nr(seed + 13);
    Metal ml(3.1, seed), mr(3.17, seed + 1);
    Svf hl, hr, ll, lr;
    hl.set(3200, 0.7);
    hr.set(3400, 0.7);
    ll.set(11000, 0.7);
    lr.set(11000, 0.7);
    for (long i = 0; i < len; ++i) {
        double tt = i / kRate;
        hl.run(nl.next() * 0.8 + ml.next() * 0.5);
        hr.run(nr.next() * 0.8 + mr.next() * 0.5);
        ll.run(hl.high);
        lr.run(hr.high);
        double env = std::exp(-tt / decay) * std::min(1.0, tt / 0.002) + 0.6 * std::exp(-tt / 0.06);
        double fade = i > len - 4000 ? (len - i) / 4000.0 : 1.0;
        put(out, start + i, static_cast<float>(ll.low * env * gain * fade), static_cast<float>(lr.low * env * gain * fade));
    }
}

// ---- effects ----

void riser(Stereo& out, double t0, double t1, float gain, std::uint32_t seed) {
    const long start = frameAt(t0), len = frameAt(t1) - start;
    Noise nl(seed), nr(seed + 17);
    Svf bl, br;
    for (long i = 0; i < len; ++i) {
        double x = static_cast<double>(i) / len;
        if (i % 16 == 0) {
            double hz = 250.0 * std::pow(40.0, x);
            bl.set(hz, 2.2);
            br.set(hz * 1.07, 2.2);
        }
        bl.run(nl.next());
        br.run(nr.next());
        double env = x * x * (i > len - 220 ? (len - i) / 220.0 : 1.0);
        put(out, start + i, static_cast<float>(bl.band * env * gain), static_cast<float>(br.band * env * gain));
    }
}

void impact(Stereo& out, double t, float gain, std::uint32_t seed) {
    const long start = frameAt(t), len = static_cast<long>(3.5 * kRate);
    Noise noise(seed);
    Svf lp;
    lp.set(180, 0.8);
    double phase = 0;
    for (long i = 0; i < len; ++i) {
        double tt = i / kRate;
        double hz = 31.0 + 60.0 * std::exp(-tt / 0.25);
        phase += hz / kRate;
        lp.run(noise.next());
        double v = std::sin(kTwoPi * phase) * std::exp(-tt / 1.1) * 0.9 + lp.low * std::exp(-tt / 0.35) * 2.0;
        v *= std::min(1.0, tt / 0.002) * gain * (i > len - 3000 ? (len - i) / 3000.0 : 1.0);
        put(out, start + i, static_cast<float>(v), static_cast<float>(v));
    }
    crash(out, t, gain * 0.45f, 1.6f, seed + 5);
}

void firework(Stereo& out, double t, float gain, float pan, std::uint32_t seed) {
    Noise noise(seed);
    float gl, gr;
    panGains(pan, gl, gr);
    // The burst: a dull pop with a low boom behind it.
    const long start = frameAt(t);
    Svf bp;
    bp.set(850, 0.9);
    double phase = 0;
    for (long i = 0, len = static_cast<long>(0.9 * kRate); i < len; ++i) {
        double tt = i / kRate;
        bp.run(noise.next());
        phase += (55.0 + 40.0 * std::exp(-tt / 0.05)) / kRate;
        double v = bp.band * std::exp(-tt / 0.03) * 1.4 + std::sin(kTwoPi * phase) * std::exp(-tt / 0.22) * 0.5;
        v *= std::min(1.0, tt / 0.001) * gain;
        put(out, start + i, static_cast<float>(v * gl), static_cast<float>(v * gr));
    }
    // The crackle: tiny clicks thinning out as the sparks fall.
    Svf hp;
    hp.set(3500, 0.7);
    const long crackleStart = frameAt(t + 0.3), crackleLen = static_cast<long>(1.6 * kRate);
    long nextClick = 0, clickLeft = 0;
    float clickPan = pan, cl = gl, cr = gr;
    double clickLevel = 0;
    for (long i = 0; i < crackleLen; ++i) {
        double x = static_cast<double>(i) / crackleLen;
        if (i >= nextClick) {
            clickLeft = 40 + static_cast<long>((noise.next() + 1.f) * 40.f);
            clickLevel = (0.3 + 0.35 * (noise.next() + 1.0)) * (1.0 - x);
            clickPan = std::clamp(pan + noise.next() * 0.5f, -1.f, 1.f);
            panGains(clickPan, cl, cr);
            nextClick = i + static_cast<long>((0.004 + 0.03 * x * x + 0.006 * (noise.next() + 1.0)) * kRate);
        }
        hp.run(clickLeft > 0 ? noise.next() : 0.0);
        if (clickLeft > 0)
            --clickLeft;
        double v = hp.high * clickLevel * gain * 0.5;
        put(out, crackleStart + i, static_cast<float>(v * cl), static_cast<float>(v * cr));
    }
}

void wind(Stereo& out, double t0, double t1, float gain, std::uint32_t seed) {
    const long start = frameAt(t0), len = frameAt(t1) - start;
    Noise nl(seed), nr(seed + 19);
    Svf bl, br;
    for (long i = 0; i < len; ++i) {
        double x = static_cast<double>(i) / len, tt = i / kRate;
        if (i % 32 == 0) {
            double hz = 700.0 + 450.0 * std::sin(tt * 0.55 + seed) + 250.0 * std::sin(tt * 1.7);
            bl.set(hz, 3.0);
            br.set(hz * 1.13, 3.0);
        }
        bl.run(nl.next());
        br.run(nr.next());
        double env = std::sin(3.14159265 * x);
        env *= env * gain;
        put(out, start + i, static_cast<float>(bl.band * env), static_cast<float>(br.band * env));
    }
}

// ---- tonal voices ----

void subBass(Stereo& out, const Note& n) {
    EnvelopeRun env({0.02, 1.0, 1.0, 0.12}, n.length);
    const long start = frameAt(n.start), len = env.frames();
    const double hz = midiHz(n.midi);
    double phase = 0;
    for (long i = 0; i < len; ++i) {
        phase += hz / kRate;
        double v = (std::sin(kTwoPi * phase) + 0.12 * std::sin(2.0 * kTwoPi * phase)) * env.next() * n.velocity;
        put(out, start + i, static_cast<float>(v), static_cast<float>(v));
    }
}

void bass(Stereo& out, const Note& n, float brightness, float drive) {
    EnvelopeRun env({0.003, 0.25, 0.7, 0.05}, n.length);
    const long start = frameAt(n.start), len = env.frames();
    const double hz = midiHz(n.midi);
    Osc saw, sub;
    Svf lp;
    const double norm = std::tanh(1.0 + drive * 3.0);
    for (long i = 0; i < len; ++i) {
        double tt = i / kRate;
        if (i % 8 == 0)
            lp.set(110.0 + brightness * (2600.0 * std::exp(-tt / 0.11) + 350.0), 1.1);
        double v = saw.saw(hz) * 0.7 + std::sin(kTwoPi * sub.phase) * 0.7;
        sub.advance(hz / kRate);
        lp.run(v);
        double y = std::tanh(lp.low * (1.0 + drive * 3.0)) / norm;
        y *= env.next() * n.velocity;
        put(out, start + i, static_cast<float>(y), static_cast<float>(y));
    }
}

void pad(Stereo& out, const Note& n, float brightness, float attack, std::uint32_t seed) {
    EnvelopeRun env({attack, 1.0, 1.0, 0.9}, n.length);
    const long start = frameAt(n.start), len = env.frames();
    const double hz = midiHz(n.midi);
    constexpr int kVoices = 5;
    static const double detune[kVoices] = {-0.17, -0.07, 0.0, 0.08, 0.16}; // semitones
    static const float spread[kVoices] = {-0.85f, 0.5f, 0.f, -0.45f, 0.8f};
    Osc osc[kVoices];
    float gl[kVoices], gr[kVoices];
    double rate[kVoices];
    Noise noise(seed);
    for (int v = 0; v < kVoices; ++v) {
        osc[v].phase = (noise.next() + 1.0) * 0.5;
        rate[v] = hz * std::pow(2.0, detune[v] / 12.0);
        panGains(std::clamp(n.pan + spread[v], -1.f, 1.f), gl[v], gr[v]);
    }
    Svf fl, fr;
    const double lfoPhase = (noise.next() + 1.0) * 3.0;
    for (long i = 0; i < len; ++i) {
        double tt = i / kRate;
        if (i % 16 == 0) {
            double cutoff = (250.0 + brightness * 3200.0) * (1.0 + 0.12 * std::sin(tt * 1.3 + lfoPhase));
            fl.set(cutoff, 0.75);
            fr.set(cutoff * 1.03, 0.75);
        }
        double sl = 0, sr = 0;
        for (int v = 0; v < kVoices; ++v) {
            double s = osc[v].saw(rate[v]);
            sl += s * gl[v];
            sr += s * gr[v];
        }
        fl.run(sl);
        fr.run(sr);
        double e = env.next() * n.velocity * 0.2;
        put(out, start + i, static_cast<float>(fl.low * e), static_cast<float>(fr.low * e));
    }
}

void pluck(Stereo& out, const Note& n, float brightness) {
    EnvelopeRun env({0.002, 0.32, 0.0, 0.08}, n.length);
    const long start = frameAt(n.start), len = std::min(env.frames(), static_cast<long>(1.6 * kRate));
    const double hz = midiHz(n.midi);
    Osc a, b;
    b.phase = 0.37;
    Svf lp;
    float gl, gr;
    panGains(n.pan, gl, gr);
    for (long i = 0; i < len; ++i) {
        double tt = i / kRate;
        if (i % 8 == 0)
            lp.set(180.0 + brightness * (5500.0 * std::exp(-tt / 0.06) + 500.0), 1.4);
        lp.run(a.saw(hz * 1.004) * 0.6 + b.square(hz * 0.996) * 0.4);
        double v = lp.low * env.next() * n.velocity;
        double fade = i > len - 400 ? (len - i) / 400.0 : 1.0;
        put(out, start + i, static_cast<float>(v * gl * fade), static_cast<float>(v * gr * fade));
    }
}

void lead(Stereo& out, const Note& n, float brightness) {
    EnvelopeRun env({0.012, 0.35, 0.78, 0.22}, n.length);
    const long start = frameAt(n.start), len = env.frames();
    const double hz = midiHz(n.midi);
    Osc a, b, c;
    b.phase = 0.5;
    Svf fl, fr;
    for (long i = 0; i < len; ++i) {
        double tt = i / kRate;
        // Vibrato grows in after the attack.
        double depth = std::clamp((tt - 0.25) / 0.4, 0.0, 1.0) * 0.14;
        double bend = std::pow(2.0, depth * std::sin(kTwoPi * 5.4 * tt) / 12.0);
        if (i % 8 == 0) {
            double cutoff = 700.0 + brightness * (2600.0 + 2400.0 * std::exp(-tt / 0.18));
            fl.set(cutoff, 1.0);
            fr.set(cutoff, 1.0);
        }
        double sa = a.saw(hz * bend * 1.0052), sb = b.saw(hz * bend * 0.9948), sc = c.square(hz * bend * 0.5);
        fl.run(sa * 0.75 + sb * 0.35 + sc * 0.3);
        fr.run(sb * 0.75 + sa * 0.35 + sc * 0.3);
        double e = env.next() * n.velocity * 0.5;
        put(out, start + i, static_cast<float>(fl.low * e), static_cast<float>(fr.low * e));
    }
}

void flute(Stereo& out, const Note& n, std::uint32_t seed) {
    EnvelopeRun env({0.14, 0.5, 0.9, 0.35}, n.length);
    const long start = frameAt(n.start), len = env.frames();
    const double hz = midiHz(n.midi);
    Noise noise(seed);
    Svf breath;
    breath.set(hz * 2.0, 5.0);
    float gl, gr;
    panGains(n.pan, gl, gr);
    double phase = 0;
    for (long i = 0; i < len; ++i) {
        double tt = i / kRate;
        double depth = std::clamp((tt - 0.3) / 0.5, 0.0, 1.0) * 0.16;
        phase += hz * std::pow(2.0, depth * std::sin(kTwoPi * 5.0 * tt) / 12.0) / kRate;
        breath.run(noise.next());
        double x = kTwoPi * phase;
        double e = env.next();
        double v = (std::sin(x) + 0.22 * std::sin(2 * x) + 0.07 * std::sin(3 * x)) * e + breath.band * 0.6 * e * (0.4 + 0.6 * std::exp(-tt / 0.15));
        v *= n.velocity * 0.5;
        put(out, start + i, static_cast<float>(v * gl), static_cast<float>(v * gr));
    }
}

void bell(Stereo& out, const Note& n) {
    // Two-operator FM (ratio 3.5) with two inharmonic partials; decays are kept as
    // running products, phases as accumulators.
    const long start = frameAt(n.start), len = static_cast<long>(4.0 * kRate);
    const double hz = midiHz(n.midi);
    float gl, gr;
    panGains(n.pan, gl, gr);
    const double dIndex = std::exp(-1.0 / (0.3 * kRate)), dBody = std::exp(-1.0 / (1.6 * kRate));
    const double dPartial = std::exp(-1.0 / (0.5 * kRate)), dHigh = std::exp(-1.0 / (0.18 * kRate));
    double index = 2.6, body = 1.0, partial = 0.3, high = 0.12;
    double pc = 0, pm = 0, pp = 0, ph = 0;
    const double ic = hz / kRate, im = 3.5 * hz / kRate, ip = 2.76 * hz / kRate, ih = 5.4 * hz / kRate;
    for (long i = 0; i < len; ++i) {
        double v = std::sin(kTwoPi * pc + (index + 0.35) * std::sin(kTwoPi * pm)) * body;
        v += partial * std::sin(kTwoPi * pp);
        if (high > 1e-5)
            v += high * std::sin(kTwoPi * ph);
        index *= dIndex;
        body *= dBody;
        partial *= dPartial;
        high *= dHigh;
        pc += ic;
        pm += im;
        pp += ip;
        ph += ih;
        pc -= std::floor(pc);
        pm -= std::floor(pm);
        pp -= std::floor(pp);
        ph -= std::floor(ph);
        double tt = i / kRate;
        v *= std::min(1.0, tt / 0.0012) * n.velocity * 0.35;
        double fade = i > len - 4000 ? (len - i) / 4000.0 : 1.0;
        put(out, start + i, static_cast<float>(v * gl * fade), static_cast<float>(v * gr * fade));
    }
}

} // namespace qelFramework::forge::synth
