#include "platform/Mp3Encoder.h"
#include "platform/Music.h"
#include "platform/Sound.h"
#include "support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace qelFramework;

namespace {

// A 60-second stereo MP3 at 192 kbit/s, made once.
const std::string& soundFile() {
    static qmtest::TempFolder folder;
    static const std::string path = [] {
        const std::size_t frames = 60 * 44100;
        std::vector<std::int16_t> pcm(frames * 2);
        for (std::size_t i = 0; i < frames; ++i)
            pcm[2 * i] = pcm[2 * i + 1] = static_cast<std::int16_t>(12000 * std::sin(0.05 * static_cast<double>(i)));
        std::string error;
        const std::string file = folder.file("minute.mp3");
        platform::encodeMp3File(file, pcm, 44100, 192, error);
        return file;
    }();
    return path;
}

// Whole-file decoding, as the editor's waveform needs it; items are seconds of sound.
void BM_DecodeSoundFile(benchmark::State& state) {
    std::vector<std::int16_t> pcm;
    std::uint32_t frames = 0, rate = 0;
    const std::string& path = soundFile();
    for (auto _ : state) {
        if (!platform::decodeSoundFile(path, pcm, frames, rate))
            state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(pcm.data());
    }
    state.SetItemsProcessed(state.iterations() * 60);
}
BENCHMARK(BM_DecodeSoundFile)->Unit(benchmark::kMillisecond);

// Opening a stream: reading the file and scanning every frame header.
void BM_StreamOpen(benchmark::State& state) {
    const std::string& path = soundFile();
    platform::Music music;
    std::string error;
    for (auto _ : state) {
        if (!music.open(path, error))
            state.SkipWithError("open failed");
        music.close();
    }
}
BENCHMARK(BM_StreamOpen)->Unit(benchmark::kMillisecond);

} // namespace
