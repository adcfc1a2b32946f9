// The city: loading it (house parts, tower, textures, trail paths and, through the
// embedded cloth layer, the performer's motion frames and the cloth meshes), and a frame
// at its busiest moments, drawn into a 1280 x 720 target on whatever GL the display
// offers (run under xvfb-run for Mesa llvmpipe); the renderer is reported with the
// figures. The content is the forge's, beside this program or made for the run.
#include "RendererLabel.h"
#include "gl/GL_FBOTexture.h"
#include "gl/GL_MemTexture.h"
#include "gl/GL_TextureManager.h"
#include "layers/scenes/Layer_CityScene.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace qelFramework;

namespace {

struct Content {
    qmtest::GLContext gl{320, 240};
    qmtest::TempFolder dir;
    std::string folder;

    Content() {
        if (!gl.ok())
            return;
        const std::string beside = platform::executableFolder();
        if (std::filesystem::exists(beside + "/data/housemodel/mdl-final-tower.txt")) {
            folder = beside;
            return;
        }
        std::string out, only;
        std::string list;
        const std::string forge = beside + "/quillmont-forge";
        qmtest::runCommand(forge + " --list", list);
        for (size_t at = 0; at < list.size();) {
            size_t end = list.find('\n', at);
            std::string line = list.substr(at, end - at);
            std::string id = line.substr(0, line.find(' '));
            if (line.find("housemodel") != std::string::npos || line.find("kinect") != std::string::npos ||
                id == "particle" || id == "gazer" || id == "flyingBird" || id == "backlight" || id == "fabric" ||
                id == "fire" || id == "particle-alpha" || id == "choreography")
                only += " --only " + id;
            at = end == std::string::npos ? list.size() : end + 1;
        }
        if (qmtest::runCommand(forge + " '" + dir.path() + "'" + only, out) == 0)
            folder = dir.path();
    }
};

Content& content() {
    static Content c;
    return c;
}

void loadCity(Layer_CityScene& city, GL_TextureManager& textures, SyncData& sync, GL_MemTexture& fireworks) {
    const unsigned char black[3] = {0, 0, 0};
    fireworks.upload(black, 1, 1, GL_RGB);
    textures.addTexture("fireworks", &fireworks);
    qmtest::InFolder here(content().folder);
    city.init(&textures, &sync);
}

void BM_CityLoad(benchmark::State& state) {
    if (content().folder.empty()) {
        state.SkipWithError("no GL context or no content");
        return;
    }
    for (auto _ : state) {
        GL_TextureManager textures;
        SyncData sync;
        GL_MemTexture fireworks;
        // Argument 0: the city alone; 1: with the performer and cloth layer it hosts.
        std::unique_ptr<Layer_CityScene> city =
            state.range(0) ? std::make_unique<Layer_CityScene>() : std::make_unique<Layer_CityScene>(nullptr);
        loadCity(*city, textures, sync, fireworks);
        glFinish();
        state.PauseTiming();
        fireworks.release();
        state.ResumeTiming();
    }
    qmtest::reportRenderer(state);
}
BENCHMARK(BM_CityLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// Controller values of a moment of the production.
struct Moment {
    const char* name;
    float time;
    std::vector<std::pair<const char*, float>> values;
};

const Moment kMoments[] = {
    {"street, trails growing", 72.f,
     {{"Houses: Cam Down", 1}, {"Houses: Grow Ground", 1}, {"Houses: Grow Outer", 0.5f}, {"Houses: Grow Main", 0.19f},
      {"Houses: Fog Distance", 0.7f}}},
    {"chase, smoke and birds", 101.f,
     {{"Houses: Cam Down", 1}, {"Houses: Grow Main", 1}, {"Houses: Chase Smoke", 0.8f}, {"Birds: Flocking Out", 0.05f},
      {"Houses: Backlight", 0.2f}, {"Houses: Fog Distance", 0.1f}}},
    {"performer on the stage", 110.f,
     {{"Houses: Cam Down", 1}, {"Houses: Grow Main", 1}, {"Houses: Chase Smoke", 1}, {"Houses: CamToPodest", 1},
      {"Kinect: Focus Camera", 1}, {"Birds: Flocking Out", 0.5f}, {"Houses: Backlight", 1}, {"Smoke: Blow", 0.7f},
      {"Kinect: Play Animation", 0.44f}}},
    {"the sheet burning", 121.f,
     {{"Houses: Cam Down", 1}, {"Houses: Grow Main", 1}, {"Houses: Chase Smoke", 1}, {"Houses: CamToPodest", 1},
      {"Kinect: Focus Camera", 1}, {"Kinect: Move Camera", 1}, {"Houses: Backlight", 1}, {"Smoke: Blow", 0.7f},
      {"Kinect: Play Animation", 1}, {"Cloth: Simulate Down", 0.97f}, {"Cloth: Down", 1}, {"Cloth: BurnOut", 0.3f},
      {"Cloth: Fire Intensity", 1}, {"Cloth: Burn Blue", 0.2f}}},
};

void BM_CityFrame(benchmark::State& state) {
    if (content().folder.empty()) {
        state.SkipWithError("no GL context or no content");
        return;
    }
    static GL_TextureManager textures;
    static SyncData sync;
    static GL_MemTexture fireworks;
    static Layer_CityScene* city = nullptr;
    static GL_FBOTexture target;
    if (!city) {
        city = new Layer_CityScene;
        loadCity(*city, textures, sync, fireworks);
        target.create(1280, 720, 0);
    }
    const Moment& m = kMoments[state.range(0)];
    for (int c = 0; c < Layer_CityScene::ControlCount; ++c)
        sync.getController(Layer_CityScene::kControlNames[c])->value = 0;
    for (const auto& v : m.values)
        sync.getController(v.first)->value = v.second;
    FrameInfo frame;
    frame.time = m.time;
    frame.delta = 1.0f / 60;
    for (auto _ : state) {
        city->update(frame);
        target.beginCapture();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        city->render();
        target.endCapture();
        glFinish();
        frame.time += frame.delta;
    }
    qmtest::reportRenderer(state, std::string(m.name) + ", ");
}
BENCHMARK(BM_CityFrame)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
