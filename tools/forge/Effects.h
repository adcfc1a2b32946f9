#pragma once
// Effects on whole stereo buffers: reverb, tempo-synced echo, side-chain ducking and the
// master chain (low cut, limiter, end fade) that makes the finished mix.
#include "Synth.h"

#include <vector>

namespace qelFramework::forge::synth {

// A lush stereo room (eight damped combs and four all-passes per side) added to out.
void addReverb(const Stereo& send, Stereo& out, float roomSize, float damping, float wet);

// Ping-pong echo: each repeat alternates sides, darker and quieter; added to out.
void addEcho(const Stereo& send, Stereo& out, double delaySeconds, float feedback, float wet);

// Dips the buffer after every kick so the kick punches through: gain falls by depth at
// each time and recovers over release seconds.
void duck(Stereo& bus, const std::vector<double>& kickTimes, float depth, float release);

// Low cut, a soft look-ahead limiter holding every sample within ceiling, and a fade
// to digital silence between fadeFrom and silenceFrom (seconds).
void master(Stereo& mix, float ceiling, double fadeFrom, double silenceFrom);

} // namespace qelFramework::forge::synth
