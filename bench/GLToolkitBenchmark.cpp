// Texture loading and the blur pass, on whatever GL the display offers (run under
// xvfb-run for Mesa llvmpipe); the renderer is reported with the figures.
#include "RendererLabel.h"
#include "gl/BlurPass.h"
#include "gl/FullscreenQuad.h"
#include "gl/GL_MemTexture.h"
#include "gl/ImageLoader.h"
#include "support/TestImages.h"
#include "support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace qelFramework;

namespace {

struct Fixture {
    qmtest::GLContext gl{320, 240};
    qmtest::TempFolder dir;
    std::string png, jpeg;

    Fixture() {
        // A photo-like picture: smooth gradients with fine noise.
        const int size = 1024;
        std::vector<unsigned char> rgb(static_cast<size_t>(size) * size * 3);
        unsigned noise = 1;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                for (int c = 0; c < 3; ++c) {
                    noise = noise * 1664525u + 1013904223u;
                    double v = 127 + 100 * std::sin(x * 0.01 * (c + 1) + y * 0.013) + static_cast<int>(noise >> 28);
                    rgb[(static_cast<size_t>(y) * size + x) * 3 + c] = static_cast<unsigned char>(v);
                }
        png = dir.file("picture.png");
        jpeg = dir.file("picture.jpg");
        qmtest::writePng(png, size, size, PNG_COLOR_TYPE_RGB, 8, rgb);
        qmtest::writeJpeg(jpeg, size, size, 3, rgb, 90);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void decodeAndUpload(benchmark::State& state, const std::string& path) {
    if (!fixture().gl.ok()) {
        state.SkipWithError("no GL context");
        return;
    }
    for (auto _ : state) {
        std::unique_ptr<unsigned char[]> pixels;
        int w = 0, h = 0, channels = 0;
        if (!loadImageFile(path.c_str(), pixels, w, h, channels)) {
            state.SkipWithError("decoding failed");
            return;
        }
        GL_MemTexture texture;
        texture.upload(pixels.get(), w, h, channels == 4 ? GL_RGBA : GL_RGB);
        glFinish();
        texture.release();
    }
    qmtest::reportRenderer(state);
}

void BM_DecodeAndUploadPng1024(benchmark::State& state) { decodeAndUpload(state, fixture().png); }
void BM_DecodeAndUploadJpeg1024(benchmark::State& state) { decodeAndUpload(state, fixture().jpeg); }

void BM_BlurInto1280x720(benchmark::State& state) {
    if (!fixture().gl.ok()) {
        state.SkipWithError("no GL context");
        return;
    }
    float intensity = static_cast<float>(state.range(0)) / 100.0f;
    initBlurPass();
    GL_FBOTexture source, destination;
    source.create(1280, 720, 0);
    destination.create(1280, 720, 0);
    glClearColor(0.1f, 0.3f, 0.5f, 1.0f);
    source.beginCapture();
    glColor3f(1, 1, 1);
    glViewport(400, 200, 480, 320);
    drawFullscreenQuad(false);
    source.endCapture();
    for (auto _ : state) {
        blurInto(source, intensity, destination);
        glFinish();
    }
    source.release();
    destination.release();
    releaseBlurPass();
    qmtest::reportRenderer(state);
}

} // namespace

BENCHMARK(BM_DecodeAndUploadPng1024)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecodeAndUploadJpeg1024)->Unit(benchmark::kMillisecond)->UseRealTime();
// Intensity in hundredths: 0.5 and 1.0.
BENCHMARK(BM_BlurInto1280x720)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
