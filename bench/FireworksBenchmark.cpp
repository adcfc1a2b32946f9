// The fireworks at their busiest: every one of the 80 rockets burst, all sparks alive.
// Update (the motion step of every spark) and render (one immediate-mode quad per spark,
// then the flashes, logo, title, skyline and the two full-screen passes) on whatever GL
// the display offers (run under xvfb-run for Mesa llvmpipe); the renderer is reported
// with the figures. Render without sparks gives the cost of everything but the sparks.
#include "RendererLabel.h"
#include "gl/GL_TextureManager.h"
#include "layers/scenes/Layer_Fireworks.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace qelFramework;

namespace {

struct Night {
    qmtest::GLContext gl{320, 240};
    qmtest::TempFolder dir;
    GL_TextureManager textures;
    SyncData sync;
    Layer_Fireworks layer;
    bool ready = false;

    Night() {
        if (!gl.ok())
            return;
        // The real pictures, made by the forge beside this program.
        std::string out;
        std::string forge = platform::executableFolder() + "/quillmont-forge";
        if (qmtest::runCommand(forge + " '" + dir.path() + "' --only particle --only skyline --only logo "
                                       "--only logo-glow --only title",
                               out) != 0)
            return;
        {
            qmtest::InFolder here(dir.path());
            layer.init(&textures, &sync);
        }
        sync.getController("Fireworks: Intensity")->value = 0.34f;
        sync.getController("Houses: Cam Down")->value = 0.6f;
        layer.update(FrameInfo{});
        ready = true;
    }
    ~Night() {
        for (GL_FBOTexture* t : {&layer.sceneTarget, &layer.blurTarget, &layer.outputTarget})
            t->release();
    }

    // Every rocket burst half a second ago.
    void burstAll() {
        for (Firework& r : layer.rockets) {
            r.countdown = -0.5f;
            r.finished = false;
            for (Spark& s : r.sparks)
                s.age = 0.5f;
        }
    }
    // The most a burst can have: 599 sparks in every rocket (47,920 in all).
    void fillUp() {
        for (Firework& r : layer.rockets)
            for (size_t i = r.sparks.size(); i < 599; ++i)
                r.sparks.push_back(r.sparks[i % r.sparks.size()]);
    }
    void waitAll() {
        for (Firework& r : layer.rockets)
            r.countdown = 10.0f;
    }
    int sparks() const {
        int n = 0;
        for (const Firework& r : layer.rockets)
            n += static_cast<int>(r.sparks.size());
        return n;
    }
};

Night& night() {
    static Night n;
    return n;
}

void BM_FireworksUpdateAllBurst(benchmark::State& state) {
    Night& n = night();
    if (!n.ready) {
        state.SkipWithError("no GL context or no forge");
        return;
    }
    n.burstAll();
    // A frame of no time still steps every spark, so the state stays at its busiest.
    FrameInfo frame;
    frame.time = 20.0f;
    for (auto _ : state)
        n.layer.update(frame);
    state.counters["sparks"] = n.sparks();
}

void render(benchmark::State& state, bool sparks, bool mostSparks = false) {
    Night& n = night();
    if (!n.ready) {
        state.SkipWithError("no GL context or no forge");
        return;
    }
    if (mostSparks)
        n.fillUp();
    if (sparks)
        n.burstAll();
    else
        n.waitAll();
    for (auto _ : state) {
        n.layer.render();
        glFinish();
    }
    state.counters["sparks"] = sparks ? n.sparks() : 0;
    qmtest::reportRenderer(state);
}

void BM_FireworksRenderAllBurst(benchmark::State& state) { render(state, true); }
void BM_FireworksRenderNoSparks(benchmark::State& state) { render(state, false); }
void BM_FireworksRenderMostSparks(benchmark::State& state) { render(state, true, true); }

} // namespace

BENCHMARK(BM_FireworksUpdateAllBurst)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FireworksRenderAllBurst)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FireworksRenderNoSparks)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FireworksRenderMostSparks)->Unit(benchmark::kMillisecond)->UseRealTime();
