// The soundtrack: every bus of the score rendered, ducked under the kick, sent to the echo
// and the room, summed, limited and encoded.
#include "Effects.h"
#include "Products.h"
#include "Score.h"
#include "SongMap.h"
#include "Soundtrack.h"
#include "Synth.h"

#include "platform/Mp3Encoder.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <thread>

namespace qelFramework::forge {

namespace {

struct BusMix {
    score::Bus bus;
    float gain, reverb, echo, duck;
};

// Rendered two at a time, in this order: neighbours are paired so both take about as long.
const BusMix kMix[score::kBusCount] = {
    {score::Bus::Haze, 0.4f, 0.45f, 0.f, 0.f},
    {score::Bus::Drums, 0.5f, 0.07f, 0.f, 0.f},
    {score::Bus::Pads, 0.4f, 0.3f, 0.f, 0.5f},
    {score::Bus::Air, 0.6f, 0.6f, 0.3f, 0.f},
    {score::Bus::Plucks, 0.55f, 0.25f, 0.35f, 0.35f},
    {score::Bus::Lead, 0.9f, 0.3f, 0.3f, 0.15f},
    {score::Bus::Bass, 0.55f, 0.f, 0.f, 0.55f},
    {score::Bus::Effects, 0.55f, 0.35f, 0.f, 0.f},
};

// A trim before the limiter so that it only catches the peaks.
constexpr float kMasterTrim = 0.7f;

constexpr int kKilobitsPerSecond = 192;
constexpr float kCeiling = 0.89f; // -1 dBFS: room for the encoder's overshoot

} // namespace

void mixSoundtrack(synth::Stereo& mix) {
    using synth::Stereo;
    Stereo reverbSend(song::kFrames), echoSend(song::kFrames), bus(song::kFrames), other(song::kFrames);
    const std::vector<double> kicks = score::kickTimes();
    auto render = [&kicks](const BusMix& m, Stereo& into) {
        into.clear();
        score::play(m.bus, into);
        if (m.duck > 0.f)
            synth::duck(into, kicks, m.duck, 0.17f);
    };
    auto add = [&](const BusMix& m, const Stereo& from) {
        const float gain = m.gain * kMasterTrim;
        mix.addFrom(from, gain);
        if (m.reverb > 0.f)
            reverbSend.addFrom(from, gain * m.reverb);
        if (m.echo > 0.f)
            echoSend.addFrom(from, gain * m.echo);
    };
    // Each bus is rendered alone into its own buffer, so running two at once changes
    // nothing in the result; they are summed in a fixed order.
    for (int i = 0; i < score::kBusCount; i += 2) {
        std::thread second;
        if (i + 1 < score::kBusCount)
            second = std::thread(render, std::cref(kMix[i + 1]), std::ref(other));
        render(kMix[i], bus);
        if (second.joinable())
            second.join();
        add(kMix[i], bus);
        if (i + 1 < score::kBusCount)
            add(kMix[i + 1], other);
    }
    // Echoes also reach the room.
    bus.clear();
    synth::addEcho(echoSend, bus, song::kBeat * 0.75, 0.42f, 0.7f);
    mix.addFrom(bus, 1.f);
    reverbSend.addFrom(bus, 0.3f);
    synth::addReverb(reverbSend, mix, 0.86f, 0.35f, 1.1f);
}

std::vector<std::int16_t> renderSoundtrack() {
    synth::Stereo mix(song::kFrames);
    mixSoundtrack(mix);
    synth::master(mix, kCeiling, song::barTime(song::kFinalHit) + 2.0, song::kSilenceFrom);

    std::vector<std::int16_t> pcm(static_cast<size_t>(song::kFrames) * 2);
    for (long i = 0; i < song::kFrames; ++i) {
        pcm[static_cast<size_t>(i) * 2] = static_cast<std::int16_t>(std::lround(mix.l[static_cast<size_t>(i)] * 32767.f));
        pcm[static_cast<size_t>(i) * 2 + 1] = static_cast<std::int16_t>(std::lround(mix.r[static_cast<size_t>(i)] * 32767.f));
    }
    return pcm;
}

bool makeSoundtrack(const std::string& path, std::string& note, std::string& error) {
    const std::vector<std::int16_t> pcm = renderSoundtrack();
    if (!platform::encodeMp3File(path, pcm, song::kRate, kKilobitsPerSecond, error))
        return false;
    char buffer[96];
    std::snprintf(buffer, sizeof(buffer), "%.0f s stereo %d Hz, %d kbit/s, %.0f BPM", song::kSeconds, song::kRate,
                  kKilobitsPerSecond, song::kBeatsPerMinute);
    note = buffer;
    return true;
}

} // namespace qelFramework::forge
