#include "Effects.h"
#include "SongMap.h"

#include <algorithm>
#include <cmath>

namespace qelFramework::forge::synth {

namespace {

constexpr double kRate = song::kRate;

struct Comb {
    std::vector<float> buffer;
    size_t index = 0;
    float store = 0;
    explicit Comb(size_t size) : buffer(size, 0.f) {}
    float run(float input, float feedback, float damp) {
        float out = buffer[index];
        store = out * (1.f - damp) + store * damp;
        buffer[index] = input + store * feedback;
        if (++index == buffer.size())
            index = 0;
        return out;
    }
};

struct AllPass {
    std::vector<float> buffer;
    size_t index = 0;
    explicit AllPass(size_t size) : buffer(size, 0.f) {}
    float run(float input) {
        float delayed = buffer[index];
        buffer[index] = input + delayed * 0.5f;
        if (++index == buffer.size())
            index = 0;
        return delayed - input;
    }
};

} // namespace

void addReverb(const Stereo& send, Stereo& out, float roomSize, float damping, float wet) {
    static const size_t combs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const size_t passes[4] = {556, 441, 341, 225};
    const size_t spread = 23;
    std::vector<Comb> cl, cr;
    std::vector<AllPass> al, ar;
    for (size_t c : combs) {
        cl.emplace_back(c);
        cr.emplace_back(c + spread);
    }
    for (size_t a : passes) {
        al.emplace_back(a);
        ar.emplace_back(a + spread);
    }
    const float feedback = 0.7f + 0.28f * roomSize;
    // A short pre-delay and a low cut keep the room from muddying the attacks and the bass.
    const size_t preDelay = static_cast<size_t>(0.025 * kRate);
    std::vector<float> pre(preDelay, 0.f);
    size_t preIndex = 0;
    float lowState = 0.f;
    const float lowCut = static_cast<float>(1.0 - std::exp(-6.283185307 * 220.0 / kRate));
    const long n = std::min(send.frames(), out.frames());
    for (long i = 0; i < n; ++i) {
        float in = (send.l[static_cast<size_t>(i)] + send.r[static_cast<size_t>(i)]) * 0.015f;
        lowState += (in - lowState) * lowCut;
        float delayed = pre[preIndex];
        pre[preIndex] = in - lowState;
        if (++preIndex == preDelay)
            preIndex = 0;
        float l = 0.f, r = 0.f;
        for (size_t c = 0; c < 8; ++c) {
            l += cl[c].run(delayed, feedback, damping);
            r += cr[c].run(delayed, feedback, damping);
        }
        for (size_t a = 0; a < 4; ++a) {
            l = al[a].run(l);
            r = ar[a].run(r);
        }
        out.l[static_cast<size_t>(i)] += l * wet;
        out.r[static_cast<size_t>(i)] += r * wet;
    }
}

void addEcho(const Stereo& send, Stereo& out, double delaySeconds, float feedback, float wet) {
    const size_t d = static_cast<size_t>(std::lround(delaySeconds * kRate));
    std::vector<float> lineL(d, 0.f), lineR(d, 0.f);
    size_t index = 0;
    float toneL = 0.f, toneR = 0.f, lowL = 0.f, lowR = 0.f;
    const float dark = static_cast<float>(1.0 - std::exp(-6.283185307 * 3500.0 / kRate));
    const float low = static_cast<float>(1.0 - std::exp(-6.283185307 * 250.0 / kRate));
    const long n = std::min(send.frames(), out.frames());
    for (long i = 0; i < n; ++i) {
        float in = (send.l[static_cast<size_t>(i)] + send.r[static_cast<size_t>(i)]) * 0.5f;
        float outL = lineL[index], outR = lineR[index];
        // Repeats lose their top and bottom.
        toneL += (outL - toneL) * dark;
        toneR += (outR - toneR) * dark;
        lowL += (toneL - lowL) * low;
        lowR += (toneR - lowR) * low;
        lineL[index] = in + (toneR - lowR) * feedback;
        lineR[index] = (toneL - lowL) * feedback;
        if (++index == d)
            index = 0;
        out.l[static_cast<size_t>(i)] += outL * wet;
        out.r[static_cast<size_t>(i)] += outR * wet;
    }
}

void duck(Stereo& bus, const std::vector<double>& kickTimes, float depth, float release) {
    size_t next = 0;
    double last = -1e9;
    const long n = bus.frames();
    for (long i = 0; i < n; ++i) {
        double t = i / kRate;
        while (next < kickTimes.size() && kickTimes[next] <= t)
            last = kickTimes[next++];
        double since = t - last;
        // A quick dip (5 ms) and an exponential recovery.
        double dip = since < 0.005 ? since / 0.005 : std::exp(-(since - 0.005) / release);
        float g = static_cast<float>(1.0 - depth * dip);
        bus.l[static_cast<size_t>(i)] *= g;
        bus.r[static_cast<size_t>(i)] *= g;
    }
}

void master(Stereo& mix, float ceiling, double fadeFrom, double silenceFrom) {
    const long n = mix.frames();
    // Low cut at 25 Hz (one pole each way) removes offset and rumble.
    const double a = std::exp(-6.283185307 * 25.0 / kRate);
    double xl = 0, yl = 0, xr = 0, yr = 0;
    for (long i = 0; i < n; ++i) {
        double l = mix.l[static_cast<size_t>(i)], r = mix.r[static_cast<size_t>(i)];
        yl = a * (yl + l - xl);
        xl = l;
        yr = a * (yr + r - xr);
        xr = r;
        mix.l[static_cast<size_t>(i)] = static_cast<float>(yl);
        mix.r[static_cast<size_t>(i)] = static_cast<float>(yr);
    }
    // Limiter: the gain each sample needs, then smoothed so it falls ahead of a peak
    // (backward pass, 4 ms) and recovers after it (forward pass, 150 ms), never rising
    // above what any sample needs.
    std::vector<float> gain(static_cast<size_t>(n));
    for (long i = 0; i < n; ++i) {
        float peak = std::max(std::fabs(mix.l[static_cast<size_t>(i)]), std::fabs(mix.r[static_cast<size_t>(i)]));
        gain[static_cast<size_t>(i)] = peak > ceiling ? ceiling / peak : 1.f;
    }
    const float attack = static_cast<float>(std::exp(-1.0 / (0.004 * kRate)));
    const float recover = static_cast<float>(std::exp(-1.0 / (0.15 * kRate)));
    for (long i = n - 2; i >= 0; --i) {
        float ahead = gain[static_cast<size_t>(i + 1)];
        float smooth = 1.f - (1.f - ahead) * attack;
        gain[static_cast<size_t>(i)] = std::min(gain[static_cast<size_t>(i)], smooth);
    }
    float g = 1.f;
    for (long i = 0; i < n; ++i) {
        g = std::min(gain[static_cast<size_t>(i)], 1.f - (1.f - g) * recover);
        gain[static_cast<size_t>(i)] = g;
    }
    const long fadeStart = std::lround(fadeFrom * kRate), silent = std::lround(silenceFrom * kRate);
    for (long i = 0; i < n; ++i) {
        float k = gain[static_cast<size_t>(i)];
        if (i >= silent)
            k = 0.f;
        else if (i > fadeStart) {
            double x = static_cast<double>(i - fadeStart) / static_cast<double>(silent - fadeStart);
            k *= static_cast<float>(0.5 + 0.5 * std::cos(3.14159265358979 * x));
        }
        mix.l[static_cast<size_t>(i)] = std::clamp(mix.l[static_cast<size_t>(i)] * k, -ceiling, ceiling);
        mix.r[static_cast<size_t>(i)] = std::clamp(mix.r[static_cast<size_t>(i)] * k, -ceiling, ceiling);
    }
}

} // namespace qelFramework::forge::synth
