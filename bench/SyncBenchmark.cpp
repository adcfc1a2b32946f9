// Sync evaluation once per frame, and reading a large sync file.
#include "support/TestSupport.h"
#include "sync/SyncData.h"
#include "sync/SyncFile.h"

#include <benchmark/benchmark.h>

using namespace qelFramework;

namespace {
// controllers x keys, one key per second, every shape in turn.
void fill(SyncData& data, int controllers, int keys) {
    for (int c = 0; c < controllers; ++c) {
        SyncController* controller = data.getController("Bench: controller " + std::to_string(c));
        for (int k = 0; k < keys; ++k) {
            controller->addKey(static_cast<float>(k) + 0.01f * c, static_cast<float>((k * 37 + c) % 101) / 100.0f);
            if (k > 0)
                controller->setSegmentKind(k - 1, 1 + (k + c) % 4);
        }
    }
}
} // namespace

static void BM_SyncEvaluateAll60x200(benchmark::State& state) {
    SyncData data;
    fill(data, 60, 200);
    float t = 0.0f;
    for (auto _ : state) {
        data.evaluateAll(t);
        benchmark::DoNotOptimize(data.at(59)->value);
        t += 1.0f / 60.0f; // one frame
        if (t > 210.0f)
            t = -5.0f;
    }
}
BENCHMARK(BM_SyncEvaluateAll60x200)->Unit(benchmark::kMicrosecond);

static void BM_SyncReadFile1MB(benchmark::State& state) {
    qmtest::TempFolder folder;
    const std::string path = folder.file("demosynch.dat");
    {
        SyncData source;
        fill(source, 60, 1100); // about 1 MB
        writeSyncFile(path, source);
    }
    const std::size_t size = qmtest::readFile(path).size();
    SyncData data;
    for (auto _ : state)
        benchmark::DoNotOptimize(readSyncFile(path, data));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["file_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_SyncReadFile1MB)->Unit(benchmark::kMillisecond);
