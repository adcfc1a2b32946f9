// Timed captures of the real program at 1280 x 720 and 30 frames a second, reporting the
// figures its closing lines print:
//   Capture/png, Capture/mp4  61 frames from 60 s: render and wall time per frame;
//                             target: wall <= 1.15 x render (encoding hidden behind rendering)
//   CaptureFastForward        the fast-forward to 200 s against rendering those frames
//                             (estimated from one rendered frame per second over 0 to 200 s);
//                             target: <= 10 %
// Each takes minutes on two cores; run them alone (--benchmark_filter=Capture) on an
// otherwise idle machine. They need the content beside the program (scripts/setup).
#include "support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

std::string program() { return std::string(QM_BIN_DIR) + "/quillmont"; }

struct Run {
    int status = -1;
    double seconds = 0.0; // the whole process
    std::string output;
};

Run capture(const std::string& out, const std::string& options) {
    Run run;
    const auto start = std::chrono::steady_clock::now();
    run.status = qmtest::runCommand("cd /tmp && env -u DISPLAY '" + program() + "' --capture '" + out +
                                        "' --size 1280x720 --fps 30 " + options + " 2>/dev/null",
                                    run.output);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

// The number after `label` in the output, or a negative number.
double figure(const std::string& output, const std::string& label) {
    const size_t at = output.rfind(label);
    double value = -1.0;
    if (at == std::string::npos || std::sscanf(output.c_str() + at + label.size(), "%lf", &value) != 1)
        return -1.0;
    return value;
}

bool ready(benchmark::State& state) {
    if (std::filesystem::exists(std::string(QM_BIN_DIR) + "/data/demosynch.dat"))
        return true;
    state.SkipWithError("no content beside the program: run scripts/setup");
    return false;
}

void BM_Capture(benchmark::State& state, const char* output) {
    if (!ready(state))
        return;
    for (auto _ : state) {
        qmtest::TempFolder dir;
        const Run run = capture(dir.file(output), "--from 60 --to 62");
        state.SetIterationTime(run.seconds);
        const double render = figure(run.output, "render time per frame average");
        const double p99 = figure(run.output, "99th percentile");
        const double wall = figure(run.output, "wall time per frame");
        if (run.status != 0 || render <= 0.0 || wall <= 0.0) {
            state.SkipWithError(("the capture failed: " + run.output.substr(run.output.size() > 2000 ? run.output.size() - 2000 : 0)).c_str());
            return;
        }
        const double ratio = wall / render;
        state.counters["render_ms"] = render;
        state.counters["render_p99_ms"] = p99;
        state.counters["wall_ms"] = wall;
        state.counters["wall_per_render"] = ratio;
        state.counters["fast_forward_s"] = figure(run.output, "took");
        char label[96];
        std::snprintf(label, sizeof(label), "wall %.3f x render: target <= 1.15 %s", ratio,
                      ratio <= 1.15 ? "met" : "MISSED");
        state.SetLabel(label);
    }
}
BENCHMARK_CAPTURE(BM_Capture, png, "frames")->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_Capture, mp4, "clip.mp4")->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_CaptureFastForward(benchmark::State& state) {
    if (!ready(state))
        return;
    for (auto _ : state) {
        qmtest::TempFolder dir;
        // The render time of a frame, sampled once a second over the range passed.
        const Run sample = capture(dir.file("sample"), "--fps 1 --from 0 --to 199");
        const double render = figure(sample.output, "render time per frame average");
        const Run run = capture(dir.file("frame"), "--from 200 --to 200");
        const double fastForward = figure(run.output, "took");
        state.SetIterationTime(run.seconds);
        if (sample.status != 0 || run.status != 0 || render <= 0.0 || fastForward <= 0.0) {
            state.SkipWithError("a capture failed");
            return;
        }
        const double rendering = 6000.0 * render / 1000.0;
        const double share = fastForward / rendering;
        state.counters["fast_forward_s"] = fastForward;
        state.counters["fast_forward_ms_per_frame"] = 1000.0 * fastForward / 6000.0;
        state.counters["render_ms_per_frame"] = render;
        state.counters["rendering_6000_frames_s"] = rendering;
        state.counters["share"] = share;
        char label[96];
        std::snprintf(label, sizeof(label), "fast-forward %.1f %% of rendering: target <= 10 %% %s", 100.0 * share,
                      share <= 0.10 ? "met" : "MISSED");
        state.SetLabel(label);
    }
}
BENCHMARK(BM_CaptureFastForward)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
