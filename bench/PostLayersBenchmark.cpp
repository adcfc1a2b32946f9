// One frame of each framing layer at the production's 1280 x 720, on whatever GL the
// display offers (run under xvfb-run for Mesa llvmpipe); the renderer is the label.
#include "RendererLabel.h"
#include "gl/BlurPass.h"
#include "gl/FullscreenQuad.h"
#include "gl/GL_FBOTexture.h"
#include "gl/GL_TextureManager.h"
#include "layers/post/Layer_Border.h"
#include "layers/post/Layer_Overlay.h"
#include "layers/post/Layer_PP.h"
#include "layers/post/Layer_TiltShift.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace qelFramework;

namespace {

struct Setup {
    qmtest::GLContext gl{320, 240};
    GL_TextureManager textures;
    SyncData sync;
    GL_FBOTexture screen;
    GL_MemTexture picture;

    Setup() {
        if (!gl.ok())
            return;
        initBlurPass();
        screen.create(1280, 720, 0);
        // One half-transparent picture serves every file the layers load.
        std::vector<unsigned char> rgba(256 * 256 * 4);
        for (size_t i = 0; i < rgba.size(); ++i)
            rgba[i] = static_cast<unsigned char>(i * 7 % 251);
        picture.upload(rgba.data(), 256, 256, GL_RGBA);
        for (const char* path : {"data/textures/distortion.png", "data/textures/noise.png",
                                 "data/textures/border.png", "data/textures/vorlix-overlay.png"})
            textures.addTexture(path, &picture);
    }
};

Setup& setup() {
    static Setup s;
    return s;
}

void drawScene() {
    glColor3f(0.3f, 0.5f, 0.7f);
    glViewport(300, 200, 600, 300);
    drawFullscreenQuad(false);
    glViewport(0, 0, 1280, 720);
    glColor3f(1, 1, 1);
}

// The layer's two calls with a scene between them, inside the stand-in window.
void frames(benchmark::State& state, Layer_Base& layer, bool twoCalls) {
    Setup& s = setup();
    for (auto _ : state) {
        s.screen.beginCapture();
        if (twoCalls)
            layer.render();
        drawScene();
        layer.render();
        s.screen.endCapture();
        glFinish();
    }
    qmtest::reportRenderer(state);
}

void BM_PostProcessorFrame(benchmark::State& state) {
    if (!setup().gl.ok())
        return state.SkipWithError("no GL context");
    Layer_PP layer;
    layer.init(&setup().textures, &setup().sync);
    // Blur factor in hundredths.
    setup().sync.getController("Postprocessor: blur factor")->value = static_cast<float>(state.range(0)) / 100.0f;
    frames(state, layer, true);
    setup().sync.getController("Postprocessor: blur factor")->value = 0.0f;
}

void BM_TiltShiftFrame(benchmark::State& state) {
    if (!setup().gl.ok())
        return state.SkipWithError("no GL context");
    Layer_TiltShift layer;
    layer.init(&setup().textures, &setup().sync);
    setup().sync.getController("Tiltshift: Center Size")->value = 0.4f;
    setup().sync.getController("Tiltshift: Position")->value = 0.5f;
    frames(state, layer, true);
}

void BM_BorderFrame(benchmark::State& state) {
    if (!setup().gl.ok())
        return state.SkipWithError("no GL context");
    Layer_Border layer;
    layer.init(&setup().textures, &setup().sync);
    frames(state, layer, false);
}

void BM_OverlayFrame(benchmark::State& state) {
    if (!setup().gl.ok())
        return state.SkipWithError("no GL context");
    Layer_Overlay layer;
    layer.init(&setup().textures, &setup().sync);
    setup().sync.getController("Overlay: Fader")->value = 0.8f;
    frames(state, layer, false);
}

} // namespace

BENCHMARK(BM_PostProcessorFrame)->Arg(0)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TiltShiftFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BorderFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OverlayFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
