// The editor over the real production at 1280 x 720, timed on whatever GL the display
// offers (run under xvfb-run for Mesa llvmpipe; the renderer is the label):
//   EditorDraft     frames per second while playing from 100 s at full, half and quarter
//                   size (F7's three levels), six frames each
//   EditorPaused    while paused at 100 s: how long a key press waits for the frame that
//                   answers it (posted as a frame ends, timed to the end of the next
//                   one), with the picture kept and, as before, rendered every time;
//                   target: kept <= 100 ms
// They need the content beside the program (scripts/setup) and take about a minute.
#include "app/Production.h"
#include "app/Schedule.h"
#include "gl/GLHeaders.h"
#include "editor/SyncEditor.h"
#include "platform/EventQueue.h"
#include "support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace qelFramework;

namespace {

using Clock = std::chrono::steady_clock;
constexpr float kMoment = 100.0f; // the town: every post pass and the most geometry

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The real editor; after each of its draws the script takes the draw's number.
struct ScriptedEditor : SyncEditor {
    std::function<void(int)> script;
    int draws = 0;
    double lastDrawMs = 0.0; // the editor's own drawing in the last frame
    ScriptedEditor(Production& p, std::function<void(int)> s)
        : SyncEditor(p.timeline(), p.sync(), p.transport(), Production::kSyncFile), script(std::move(s)) {}
    void draw() override {
        const Clock::time_point start = Clock::now();
        SyncEditor::draw();
        glFinish();
        lastDrawMs = msSince(start);
        script(++draws);
    }
};

// Loads the whole production with an editor in the program's folder and plays it from
// the moment until the script posts Escape. False (skipped) without the content.
bool playProduction(benchmark::State& state, const std::function<void(Production&, int)>& script,
                    std::string& renderer) {
    if (!std::filesystem::exists(std::string(QM_BIN_DIR) + "/data/demosynch.dat")) {
        state.SkipWithError("no content beside the program: run scripts/setup");
        return false;
    }
    qmtest::InFolder folder(QM_BIN_DIR);
    qmtest::GLContext gl(1280, 720, 2); // as the program's window
    Production production;
    production.setUp(nullptr);
    registerProductionLayers(production.timeline());
    scheduleProduction(production.timeline());
    production.attachEditor(
        std::make_unique<ScriptedEditor>(production, [&production, &script](int n) { script(production, n); }));
    production.startAt(kMoment);
    if (!gl.ok() || !production.runLoadingScreen(gl.handle())) {
        state.SkipWithError("the production did not load");
        return false;
    }
    const char* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    renderer = name ? name : "no GL renderer";
    production.runFrameLoop(gl.handle());
    return true;
}

void postKey(Production& production, Key key) {
    InputEvent e = InputEvent::keyDown(key);
    e.window = production.window();
    platform::postEvent(e);
    e.kind = EventKind::KeyUp;
    platform::postEvent(e);
}

// With QM_FRAME_DIR set, the window's picture as NAME.ppm there, to look at.
void saveWindow(const char* name) {
    const char* dir = std::getenv("QM_FRAME_DIR");
    if (!dir)
        return;
    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    std::vector<unsigned char> rgb(static_cast<std::size_t>(v[2]) * v[3] * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, v[2], v[3], GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    if (FILE* out = std::fopen((std::string(dir) + "/" + name + ".ppm").c_str(), "wb")) {
        std::fprintf(out, "P6\n%d %d\n255\n", v[2], v[3]);
        for (int y = v[3] - 1; y >= 0; --y) // rows top first
            std::fwrite(&rgb[static_cast<std::size_t>(y) * v[2] * 3], 1, static_cast<std::size_t>(v[2]) * 3, out);
        std::fclose(out);
    }
}

void BM_EditorDraft(benchmark::State& state) {
    constexpr int kFrames = 6; // per level, after one to settle
    for (auto _ : state) {
        std::vector<double> frameMs[3];
        std::string renderer;
        Clock::time_point last = Clock::now();
        const bool ran = playProduction(state, [&](Production& p, int n) {
            const int level = (n - 1) / (kFrames + 1);
            const int within = (n - 1) % (kFrames + 1);
            if (level < 3 && within > 0)
                frameMs[level].push_back(msSince(last));
            last = Clock::now();
            if (within == kFrames) {
                const char* names[3] = {"draft-1", "draft-2", "draft-4"};
                saveWindow(names[level < 3 ? level : 2]);
                p.setDraft(level == 0 ? 2 : 4);
                p.transport().seek(kMoment); // every level plays the same seconds
            }
            if (n == 3 * (kFrames + 1))
                postKey(p, Key::Escape);
        }, renderer);
        if (!ran)
            return;
        state.SetLabel(renderer);
        double total = 0.0;
        const char* names[3] = {"full_fps", "half_fps", "quarter_fps"};
        for (int level = 0; level < 3; ++level) {
            double sum = 0.0;
            for (double ms : frameMs[level])
                sum += ms;
            total += sum;
            state.counters[names[level]] = frameMs[level].empty() ? 0.0 : 1000.0 * frameMs[level].size() / sum;
            std::printf("draft 1/%d: %.2f frames a second\n", 1 << level, state.counters[names[level]].value);
        }
        state.SetIterationTime(total / 1000.0);
    }
}
BENCHMARK(BM_EditorDraft)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_EditorPaused(benchmark::State& state) {
    constexpr int kPresses = 10;
    for (auto _ : state) {
        std::vector<double> kept, rendered, editorMs, keptCpu;
        std::clock_t cpuPosted = 0;
        std::string renderer;
        Clock::time_point posted;
        bool waiting = false;
        const bool ran = playProduction(state, [&](Production& p, int n) {
            if (waiting) {
                (n <= 3 + kPresses ? kept : rendered).push_back(msSince(posted));
                if (n <= 3 + kPresses) {
                    editorMs.push_back(static_cast<ScriptedEditor*>(p.editor())->lastDrawMs);
                    keptCpu.push_back(1000.0 * static_cast<double>(std::clock() - cpuPosted) / CLOCKS_PER_SEC);
                }
                waiting = false;
            }
            if (n == 1)
                p.transport().pause();
            // Draw 2 renders the paused picture once; the presses after it answer over the
            // kept picture, then (a seek to the same time each) with the production rendered.
            if (n >= 3 + kPresses)
                p.transport().seek(p.transport().currentTime());
            if (n >= 2 && n < 3 + 2 * kPresses) {
                postKey(p, Key::F8); // a key nothing takes
                posted = Clock::now();
                cpuPosted = std::clock();
                waiting = true;
            }
            if (n == 3 + 2 * kPresses)
                postKey(p, Key::Escape);
        }, renderer);
        if (!ran)
            return;
        auto report = [&](const char* name, std::vector<double>& ms) {
            std::sort(ms.begin(), ms.end());
            double sum = 0.0;
            for (double m : ms)
                sum += m;
            state.counters[std::string(name) + "_ms"] = ms.empty() ? 0.0 : sum / ms.size();
            state.counters[std::string(name) + "_max_ms"] = ms.empty() ? 0.0 : ms.back();
            std::printf("paused, %s: %.1f ms on average, %.1f ms at most\n", name,
                        ms.empty() ? 0.0 : sum / ms.size(), ms.empty() ? 0.0 : ms.back());
        };
        report("kept", kept);
        report("rendered", rendered);
        report("editor_draw", editorMs);
        report("kept_cpu", keptCpu); // the processor time of every thread of the program
        double sum = 0.0;
        for (double m : kept)
            sum += m;
        state.SetIterationTime(sum / 1000.0);
        const double worst = kept.empty() ? 1e9 : kept.back();
        char label[96];
        std::snprintf(label, sizeof label, " (kept: at most %.0f ms, target <= 100 %s)", worst,
                      worst <= 100.0 ? "met" : "MISSED");
        state.SetLabel(renderer + label);
    }
}
BENCHMARK(BM_EditorPaused)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
