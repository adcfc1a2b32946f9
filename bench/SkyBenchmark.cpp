// One frame of the sky scene (update and render, finished) at its busiest moments, into a
// 1280 x 720 target, on whatever GL the display offers (run under xvfb-run for Mesa
// llvmpipe); the renderer is reported with the figures.
#include "RendererLabel.h"
#include "gl/GL_FBOTexture.h"
#include "gl/GL_MemTexture.h"
#include "gl/GL_TextureManager.h"
#include "layers/scenes/Layer_Sky.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"

#include <benchmark/benchmark.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

using namespace qelFramework;

namespace {

struct SkyFixture {
    qmtest::GLContext gl{320, 240};
    qmtest::TempFolder dir;
    GL_FBOTexture target;
    GL_TextureManager textures;
    std::vector<std::unique_ptr<GL_MemTexture>> planted;
    SyncData sync;
    Layer_Sky layer;
    bool ready = false;

    SkyFixture() {
        if (!gl.ok() || !target.create(1280, 720, 0))
            return;
        // Soft round sprites, so blending and sampling cost what they do in the show.
        std::vector<unsigned char> rgba(64 * 64 * 4);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                float d = ((x - 31.5f) * (x - 31.5f) + (y - 31.5f) * (y - 31.5f)) / (32.0f * 32.0f);
                auto v = static_cast<unsigned char>(d < 1.0f ? 255.0f * (1.0f - d) : 0.0f);
                unsigned char* p = &rgba[static_cast<size_t>(y * 64 + x) * 4];
                p[0] = p[1] = p[2] = p[3] = v;
            }
        for (const char* name : {"data/textures/particle.jpg", "data/textures/superGlow.jpg",
                                 "data/textures/particleDepth.jpg", "data/textures/wingPart.png",
                                 "data/textures/greetings.png"}) {
            planted.push_back(std::make_unique<GL_MemTexture>());
            planted.back()->upload(rgba.data(), 64, 64, GL_RGBA);
            textures.addTexture(name, planted.back().get());
        }
        layer.init(&textures, &sync);
        // A feather of 96 triangles, like the forge's.
        std::string positions, rest;
        int vertices = 0;
        for (int i = 0; i < 48; ++i) {
            float y0 = -0.2f * static_cast<float>(i), y1 = y0 - 0.2f;
            for (float c : {-1.0f, 1.0f, -1.0f, 1.0f, 1.0f, -1.0f})
                positions += std::to_string(c) + " " + std::to_string(c > 0 ? y1 : y0) + " 0\n";
            vertices += 6;
        }
        std::string text = "feather 1 vertices " + std::to_string(vertices) + "\npositions\n" + positions;
        for (const char* label : {"texcoords", "normals", "tangents", "bitangents"}) {
            text += std::string(label) + "\n";
            for (int v = 0; v < vertices; ++v)
                text += label[0] == 't' && label[1] == 'e' ? "0.5 0.5\n" : "0 0 1\n";
        }
        qmtest::writeFile(dir.file("feather.txt"), text);
        layer.wingPart.load(dir.file("feather.txt").c_str());
        // The greetings, one every 1.89 s from 141.9 s.
        for (int i = 0; i < 35; ++i)
            sync.getController("Sky: Show Greetings")->addKey(141.932f + 1.889764f * static_cast<float>(i), 0.0f);
        ready = true;
    }

    void set(std::initializer_list<std::pair<const char*, float>> values) {
        for (const auto& [name, value] : values)
            sync.getController(name)->value = value;
    }

    void frame(float t) {
        FrameInfo info;
        info.time = t;
        info.delta = 1.0f / 60.0f;
        layer.update(info);
        target.beginCapture();
        layer.render();
        target.endCapture();
        glFinish();
    }
};

SkyFixture& fixture() {
    static SkyFixture f;
    return f;
}

// The bird climbing through the cloud with the ring and flares still falling.
void BM_SkyCloudAndBird(benchmark::State& state) {
    SkyFixture& f = fixture();
    if (!f.ready) {
        state.SkipWithError("no GL context");
        return;
    }
    f.set({{"Sky: Particle Line Intensity", 1.0f}, {"Sky: Particle Flare Intensity", 0.7f}, {"Sky: Move Up", 0.6f},
           {"Sky: Bird Up", 0.45f}, {"Sky: Move Blobs Down", 0.2f}, {"Sky: Bird Join Swarm", 0.0f},
           {"Sky: Bird Swarm Down", 0.0f}, {"Sky: Bird Swarm Cam Out", 0.0f}, {"Sky: Zoom Out Full", 0.0f}});
    for (auto _ : state)
        f.frame(134.0f);
    qmtest::reportRenderer(state);
}
BENCHMARK(BM_SkyCloudAndBird)->Unit(benchmark::kMillisecond);

// The whole swarm in view while greetings burst: the early greetings carry 1500
// particles each, and eight bursts are alive at once.
void BM_SkySwarmAndGreetings(benchmark::State& state) {
    SkyFixture& f = fixture();
    if (!f.ready) {
        state.SkipWithError("no GL context");
        return;
    }
    f.set({{"Sky: Move Up", 1.0f}, {"Sky: Move Blobs Down", 1.0f}, {"Sky: Bird Up", 1.0f},
           {"Sky: Bird Join Swarm", 1.0f}, {"Sky: Bird Swarm Down", 1.0f}, {"Sky: Bird Swarm Cam Out", 1.0f},
           {"Sky: Zoom Out Full", 0.0f}, {"Sky: Show Greetings", 0.1f}});
    f.frame(155.5f);
    for (auto _ : state)
        f.frame(155.5f);
    qmtest::reportRenderer(state);
}
BENCHMARK(BM_SkySwarmAndGreetings)->Unit(benchmark::kMillisecond);

} // namespace
