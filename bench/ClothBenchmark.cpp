// Loading the performer and the cloth (the 539 recorded frames as the forge makes them,
// the drape precomputation, the whole layer's init) and drawing one frame of it, on
// whatever GL the display offers (run under xvfb-run for Mesa llvmpipe).
#include "RendererLabel.h"
#include "gl/GL_FBOTexture.h"
#include "gl/GL_TextureManager.h"
#include "layers/scenes/Layer_Liquid.h"
#include "layers/scenes/MotionFrames.h"
#include "models/ClothDrape.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace qelFramework;

namespace {

// The forged performer and cloth pictures in a folder of their own, made once.
struct Content {
    qmtest::TempFolder dir;
    bool ok = false;
    Content() {
        std::string output;
        ok = qmtest::runCommand(std::string(QM_BIN_DIR) + "/quillmont-forge " + dir.path() +
                                    " --only performer --only fabric --only fire --only particle-alpha",
                                output) == 0;
    }
};

Content& content() {
    static Content c;
    return c;
}

// Runs with the content folder as the working folder.
struct InContent : qmtest::InFolder {
    InContent() : InFolder(content().dir.path()) {}
};

void BM_LoadAllMotionFrames(benchmark::State& state) {
    if (!content().ok) {
        state.SkipWithError("the forge did not make the content");
        return;
    }
    InContent here;
    std::vector<std::vector<MotionPoint>> frames(kMotionFrameCount);
    size_t points = 0;
    for (auto _ : state) {
        points = 0;
        for (int f = 0; f < kMotionFrameCount; ++f) {
            frames[f].clear();
            frames[f].shrink_to_fit(); // a fresh load allocates every frame
            loadMotionFrame(motionFrameName(f), kMotionZOffset, motionFrameAngle(f), frames[f]);
            points += frames[f].size();
        }
    }
    state.counters["points"] = static_cast<double>(points);
}

void BM_BuildClothAnimation(benchmark::State& state) {
    if (!content().ok) {
        state.SkipWithError("the forge did not make the content");
        return;
    }
    InContent here;
    std::vector<MotionPoint> last;
    loadMotionFrame(motionFrameName(kMotionFrameCount - 1), kMotionZOffset, motionFrameAngle(kMotionFrameCount - 1),
                    last);
    for (auto _ : state)
        benchmark::DoNotOptimize(buildClothAnimation(last, 0.2f));
}

struct Scene {
    qmtest::GLContext gl{320, 180};
};

Scene& scene() {
    static Scene s;
    return s;
}

// Everything the city's loading pays for this layer: shader, textures, frames, cloth.
void BM_ClothLayerInit(benchmark::State& state) {
    if (!content().ok || !scene().gl.ok()) {
        state.SkipWithError("no content or no GL context");
        return;
    }
    InContent here;
    for (auto _ : state) {
        GL_TextureManager textures;
        SyncData sync;
        Layer_Liquid layer(true, 25.0f);
        layer.init(&textures, &sync);
        glFinish();
    }
    qmtest::reportRenderer(state);
}

// One 1280 x 720 frame: arg 0 the dancing figure, arg 1 the burning cloth with flames.
void BM_ClothLayerRender(benchmark::State& state) {
    if (!content().ok || !scene().gl.ok()) {
        state.SkipWithError("no content or no GL context");
        return;
    }
    InContent here;
    GL_TextureManager textures;
    SyncData sync;
    Layer_Liquid layer;
    layer.init(&textures, &sync);
    const bool burning = state.range(0) == 1;
    float values[6] = {burning ? 1.0f : 0.3f, burning ? 1.0f : 0.0f, burning ? 0.3f : 0.0f, burning ? 1.0f : 0.0f,
                       1.0f, 0.0f};
    for (size_t i = 0; i < 6; ++i)
        sync.at(i)->value = values[i];
    GL_FBOTexture target;
    target.create(1280, 720, 0);
    FrameInfo frame;
    frame.time = 50.0f;
    layer.update(frame);
    for (auto _ : state) {
        target.beginCapture();
        layer.render();
        target.endCapture();
        glFinish();
    }
    target.release();
    qmtest::reportRenderer(state);
}

} // namespace

BENCHMARK(BM_LoadAllMotionFrames)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BuildClothAnimation)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ClothLayerInit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ClothLayerRender)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
