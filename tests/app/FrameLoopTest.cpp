#include "app/Production.h"
#include "base/Trace.h"
#include "platform/Kernel.h"
#include "platform/EventQueue.h"
#include "platform/Paths.h"
#include "platform/Window.h"
#include "support/TestImages.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"
#include "editor/SyncEditor.h"
#include "timeline/Layer_Base.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace qelFramework;

namespace {
std::vector<std::string> g_log;
platform::Window* g_window = nullptr;
Production* g_production = nullptr;
std::int64_t g_counter = 0;
// Each reading of the clock moves production time on by 4 ms.
std::int64_t steppingCounter() {
    g_counter += platform::queryPerformanceFrequency() / 250;
    return g_counter;
}

// A key event of the production window, as the window system gives it.
InputEvent keyOf(EventKind kind, Key key) {
    InputEvent e = InputEvent::keyEvent(kind, key);
    e.window = g_window;
    return e;
}

struct RecordingLayer : Layer_Base {
    std::string name;
    bool initResult = true;
    int escapeAfterRenders = -1;
    int renders = 0;
    unsigned framesBeforeInit = 0; // loading pictures shown when init came
    explicit RecordingLayer(std::string n) : name(std::move(n)) {}
    ~RecordingLayer() override { g_log.push_back(name + ".delete"); }
    bool init(GL_TextureManager*, SyncData*) override {
        g_log.push_back(name + ".init");
        framesBeforeInit = g_production->loadingScreen().framesShown();
        return initResult;
    }
    void update(const FrameInfo& f) override { g_log.push_back(name + ".update@" + std::to_string(int(f.start * 1000))); }
    void render() override {
        g_log.push_back(name + ".render");
        if (++renders == escapeAfterRenders)
            platform::postEvent(keyOf(EventKind::KeyDown, Key::Escape));
    }
    void unload() override { g_log.push_back(name + ".unload"); }
};

// Logs its calls; once the show stands held at its end it quits after a few frames.
struct RecordingEditor : SyncEditor {
    explicit RecordingEditor(Production& p) : SyncEditor(p.timeline(), p.sync(), p.transport(), "unused.dat") {}
    int heldDraws = 0;
    ~RecordingEditor() override { g_log.push_back("editor.delete"); }
    void init() override { g_log.push_back("editor.init"); }
    void draw() override {
        g_log.push_back("editor.draw");
        if (!g_production->transport().heldAtEnd())
            return;
        g_log.push_back("held@" + std::to_string(g_production->clock().productionMilliseconds()) +
                        (transport.playing() ? " playing" : " paused"));
        if (++heldDraws == 3)
            platform::postEvent(keyOf(EventKind::KeyDown, Key::Escape));
    }
    void shutdown() override { g_log.push_back("editor.shutdown"); }
};

class FrameLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        g_log.clear();
        g_counter = 0;
        g_window = gl.handle();
        g_production = &production;
        platform::resetInput();
        platform::setCounterSource(steppingCounter);
        production.setUp(nullptr);
    }
    void TearDown() override { platform::setCounterSource(nullptr); }
    // The loop ends when a layer posts Escape; one that never does fails here, not at ctest's timeout.
    void play() {
        qmtest::Deadline bound(120, "the frame loop never ended (no Escape reached it)");
        production.runFrameLoop(gl.handle());
    }
    int count(const std::string& entry) const { return static_cast<int>(std::count(g_log.begin(), g_log.end(), entry)); }

    qmtest::GLContext gl{64, 64, 0};
    qmtest::TraceCapture trace;
    Production production;
    Timeline& t = production.timeline();
};
} // namespace

TEST_F(FrameLoopTest, ALayerOnTwoTracksIsUpdatedAndRenderedTwiceInTrackOrder) {
    auto* pp = new RecordingLayer("pp");
    auto* scene = new RecordingLayer("scene");
    t.registerLayer(pp, "pp");
    t.registerLayer(scene, "scene");
    t.addEntry("pp", 10, 0, 20);
    t.addEntry("scene", 1, 0, 20);
    t.addEntry("pp", 0, 0, 20);
    t.setState(Loaded);
    play();

    // One frame: track 0, then 1, then 10, each update right before its render.
    std::vector<std::string> firstFrame(g_log.begin(), g_log.begin() + 6);
    EXPECT_EQ(firstFrame, (std::vector<std::string>{"pp.update@0", "pp.render", "scene.update@0", "scene.render",
                                                    "pp.update@0", "pp.render"}));
    EXPECT_EQ(count("pp.render"), 2 * count("scene.render"));
    EXPECT_GE(count("scene.render"), 3);
    // The loop ends by time and tears down once, in registration order.
    std::vector<std::string> tail(g_log.end() - 4, g_log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"pp.unload", "pp.delete", "scene.unload", "scene.delete"}));
    EXPECT_TRUE(t.registry().empty());
    EXPECT_TRUE(t.schedule().empty());
    EXPECT_EQ(production.textures(), nullptr);
}

TEST_F(FrameLoopTest, EscapeQuitsAndTearsDownOnce) {
    auto* layer = new RecordingLayer("scene");
    layer->escapeAfterRenders = 3;
    t.registerLayer(layer, "scene");
    t.addEntry("scene", 3, 0, 1000000);
    t.setState(Loaded);
    play();
    EXPECT_EQ(t.state(), Stopped);
    EXPECT_EQ(count("scene.render"), 3);
    EXPECT_EQ(count("scene.unload"), 1);
    EXPECT_EQ(count("scene.delete"), 1);
    // After teardown no input event reaches a deleted layer.
    production.dispatchInput(keyOf(EventKind::KeyDown, Key::A));
}

TEST_F(FrameLoopTest, DoesNothingUnlessLoaded) {
    t.registerLayer(new RecordingLayer("scene"), "scene");
    t.addEntry("scene", 0, 0, 100);
    play();
    EXPECT_EQ(t.state(), qelFramework::Setup);
    EXPECT_TRUE(g_log.empty());
}

TEST_F(FrameLoopTest, ControllersAreEvaluatedAtTheFrameTimeBeforeTheLayersUpdate) {
    SyncController* ramp = production.sync().getController("Test: Ramp");
    ramp->addKey(0.0f, 0.0f);
    ramp->addKey(1.0f, 1.0f);
    static std::vector<std::pair<float, float>> seen; // outlives the layer, which teardown deletes
    seen.clear();
    struct Probe : Layer_Base {
        SyncController* c = nullptr;
        bool init(GL_TextureManager*, SyncData*) override { return true; }
        void update(const FrameInfo& f) override { seen.emplace_back(f.time, c->value); }
        void render() override {}
        void unload() override {}
    };
    auto* probe = new Probe;
    probe->c = ramp;
    t.registerLayer(probe, "probe");
    t.addEntry("probe", 0, 0, 40);
    t.setState(Loaded);
    play();
    ASSERT_GE(seen.size(), 3u);
    for (auto [time, value] : seen)
        EXPECT_NEAR(value, static_cast<float>(static_cast<int>(time * 1000.0f)) / 1000.0f, 1e-6f) << time;
}

TEST_F(FrameLoopTest, F10HistoryWrapsAfter250Frames) {
    t.registerLayer(new RecordingLayer("scene"), "scene");
    t.addEntry("scene", 0, 0, 260 * 4); // 260 frames at 4 ms a frame
    t.setState(Loaded);
    platform::setKeyDown(Key::F10, true);
    play();
    platform::setKeyDown(Key::F10, false);
    int frames = count("scene.render");
    ASSERT_GT(frames, 250);
    EXPECT_EQ(production.historyIndex(), static_cast<std::uint32_t>(frames - 250));
    // The title shows the frames counted over half a second (of 4 ms each), doubled: 250,
    // or a few less when the window system's events read the clock in between (each reading
    // moves it 4 ms), as they may on a busy machine.
    const std::string title = platform::getWindowText(gl.handle());
    ASSERT_EQ(title.rfind("FPS:  ", 0), 0u) << title;
    const int shown = std::stoi(title.substr(6));
    EXPECT_LE(shown, 252) << title;
    EXPECT_GE(shown, 200) << title;
}

TEST_F(FrameLoopTest, LoadingScreenShowsPicturesBeforeEachInitAndStopsAtAFailure) {
    qmtest::WorkingFolder folder;
    Trace::setHighestLevel(Trace::Error);
    // Without its own picture the screen ends the show before any init.
    t.registerLayer(new RecordingLayer("first"), "first");
    EXPECT_FALSE(production.runLoadingScreen(gl.handle()));
    EXPECT_TRUE(g_log.empty());
    EXPECT_TRUE(trace.contains("ERROR (wicImageLoader): could not load data/textures/loading.png"));
    ASSERT_TRUE(platform::makeFolder("data") && platform::makeFolder("data/textures"));
    ASSERT_TRUE(qmtest::writePng("data/textures/loading.png", 2, 2, PNG_COLOR_TYPE_RGB, 8,
                                 std::vector<unsigned char>(12, 200)));
    production.setUp(nullptr); // a fresh texture cache, which has not failed the picture
    g_log.clear();

    std::vector<RecordingLayer*> layers;
    for (const char* n : {"a", "b", "c", "d", "e", "f", "g"}) {
        layers.push_back(new RecordingLayer(n));
        t.registerLayer(layers.back(), n);
    }
    EXPECT_TRUE(production.runLoadingScreen(gl.handle()));
    EXPECT_EQ(t.state(), Loaded);
    EXPECT_EQ(count("g.init"), 1);
    // Ten pictures or more before each layer's init, the first ones before the first.
    for (size_t i = 0; i < layers.size(); ++i)
        EXPECT_GE(layers[i]->framesBeforeInit, 10 * (i + 1)) << i;

    // A failed init ends the loading there.
    Production failing;
    failing.setUp(nullptr);
    g_production = &failing;
    g_log.clear();
    auto* b = new RecordingLayer("b");
    b->initResult = false;
    for (RecordingLayer* layer : {new RecordingLayer("a"), b, new RecordingLayer("c")})
        failing.timeline().registerLayer(layer, layer->name);
    EXPECT_FALSE(failing.runLoadingScreen(gl.handle()));
    EXPECT_EQ(g_log, (std::vector<std::string>{"a.init", "b.init"}));
    EXPECT_EQ(failing.timeline().state(), qelFramework::Setup);
    EXPECT_GE(failing.loadingScreen().framesShown(), 20u);
    EXPECT_LE(failing.loadingScreen().framesShown(), 24u);
    Trace::reset();
}

TEST_F(FrameLoopTest, AnAttachedEditorIsDrawnEveryFrameAndTheEndHoldsUntilTheMakerQuits) {
    t.registerLayer(new RecordingLayer("scene"), "scene");
    t.addEntry("scene", 0, 0, 20);
    t.addEntry("scene", 0, 60, 80); // nothing plays from 21 to 59 ms
    production.attachEditor(std::make_unique<RecordingEditor>(production));
    t.setState(Loaded);
    play();

    ASSERT_FALSE(g_log.empty());
    EXPECT_EQ(g_log.front(), "editor.init");
    // A frame in the gap: two editor draws in a row without a layer between them.
    bool drawnInTheGap = false;
    for (size_t i = 1; i < g_log.size(); ++i)
        drawnInTheGap = drawnInTheGap || (g_log[i] == "editor.draw" && g_log[i - 1] == "editor.draw");
    EXPECT_TRUE(drawnInTheGap);
    EXPECT_GT(count("editor.draw"), count("scene.render"));
    // Past the end the show stands paused on its last millisecond, frame after frame,
    // the editor drawn over the picture rendered once (not updated), until Escape.
    EXPECT_EQ(count("held@80 paused"), 3);
    EXPECT_EQ(count("scene.update@60"), count("scene.render") - count("scene.update@0") - 1);
    EXPECT_EQ(t.state(), Stopped);
    // Torn down after the layers: shut down once, then deleted.
    std::vector<std::string> tail(g_log.end() - 4, g_log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"scene.unload", "scene.delete", "editor.shutdown", "editor.delete"}));
    EXPECT_EQ(production.editor(), nullptr);
}

TEST_F(FrameLoopTest, AStartInsideTheShowCountsFromTheEarliestStart) {
    static float firstTime = -1.0f;
    firstTime = -1.0f;
    struct First : Layer_Base {
        bool init(GL_TextureManager*, SyncData*) override { return true; }
        void update(const FrameInfo& f) override {
            if (firstTime < 0.0f)
                firstTime = f.time;
        }
        void render() override {}
        void unload() override {}
    };
    t.registerLayer(new First, "first");
    t.addEntry("first", 0, 1000, 2100); // the clock's offset is 1 s
    production.startAt(2.0f);
    t.setState(Loaded);
    play();
    EXPECT_NEAR(firstTime, 2.0f, 0.01f);
}

TEST_F(FrameLoopTest, AChangedSyncTextShowsOnTheNextFrameAndABrokenOneChangesNothing) {
    qmtest::TempFolder dir;
    static std::string path;
    path = dir.file("c.txt");
    qmtest::writeFile(path, "controller \"Test: Level\"\n0 0.25\n");
    production.useSyncText(path, "c.txt", 0.0); // looked at every frame
    production.setUp(nullptr);
    Trace::setHighestLevel(Trace::Info);
    static std::vector<float> seen;
    seen.clear();
    struct Probe : Layer_Base {
        SyncController* level = nullptr;
        bool init(GL_TextureManager*, SyncData*) override { return true; }
        void update(const FrameInfo&) override { seen.push_back(level->value); }
        void render() override {
            if (seen.size() == 3)
                qmtest::writeFile(path, "controller \"Test: Level\"\n0 0.5\n");
            else if (seen.size() == 6)
                qmtest::writeFile(path, "# broken\ncontroller \"Test: Level\"\n0 1 linear\n");
            else if (seen.size() == 9)
                platform::postEvent(keyOf(EventKind::KeyDown, Key::Escape));
        }
        void unload() override {}
    };
    auto* probe = new Probe;
    probe->level = production.sync().find("Test: Level");
    ASSERT_NE(probe->level, nullptr);
    t.registerLayer(probe, "probe");
    t.addEntry("probe", 0, 0, 100000);
    t.setState(Loaded);
    play();
    EXPECT_EQ(seen, (std::vector<float>{0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}));
    std::vector<std::string> records;
    for (const std::string& r : trace.records())
        if (r.find("(syncText)") != std::string::npos)
            records.push_back(r);
    EXPECT_EQ(records,
              (std::vector<std::string>{"INFO (syncText): reloaded c.txt: 1 controllers",
                                        "WARNING (syncText): c.txt: line 3: expected only TIME VALUE: the first key "
                                        "of a controller starts no segment"}));
    Trace::reset();
}

TEST_F(FrameLoopTest, TheEditorsLoopWrapsThroughTheTransportAlsoAtTheEndOfTheShow) {
    qmtest::WorkingFolder folder; // whatever the editor writes
    static std::vector<std::uint32_t> times;
    times.clear();
    struct Looper : Layer_Base {
        int wraps = 0;
        bool init(GL_TextureManager*, SyncData*) override { return true; }
        void update(const FrameInfo&) override {
            const std::uint32_t now = g_production->clock().productionMilliseconds();
            if (!times.empty() && now < times.back() && ++wraps == 2)
                platform::postEvent(keyOf(EventKind::KeyDown, Key::Escape));
            times.push_back(now);
        }
        void render() override {
            if (times.size() == 1) { // L over the whole song, which runs past the show's end
                platform::postEvent(keyOf(EventKind::KeyDown, Key::L));
                platform::postEvent(keyOf(EventKind::KeyUp, Key::L));
            }
        }
        void unload() override {}
    };
    t.registerLayer(new Looper, "looper");
    t.addEntry("looper", 0, 0, 400);
    auto editor = std::make_unique<SyncEditor>(t, production.sync(), production.transport(), "data/demosynch.dat");
    editor->setSong(std::vector<std::int16_t>(2000), 1000, 1000);
    production.attachEditor(std::move(editor));
    t.setState(Loaded);
    play();
    // Twice the show ran to its end and went on from 0 instead of holding.
    int wraps = 0;
    for (std::size_t i = 1; i < times.size(); ++i)
        if (times[i] < times[i - 1]) {
            ++wraps;
            EXPECT_LE(times[i], 8u);
            EXPECT_GE(times[i - 1], 380u);
        }
    EXPECT_EQ(wraps, 2);
}

TEST_F(FrameLoopTest, ASeekWhilePausedShowsTheNewTimeOnTheNextFrame) {
    SyncController* ramp = production.sync().getController("Test: Ramp");
    ramp->addKey(0.0f, 0.0f);
    ramp->addKey(1.0f, 1.0f);
    static std::vector<std::pair<float, float>> updates; // time and delta of each update
    static int renders = 0;
    updates.clear();
    renders = 0;
    struct Seeker : Layer_Base {
        bool init(GL_TextureManager*, SyncData*) override { return true; }
        void update(const FrameInfo& f) override { updates.emplace_back(f.time, f.delta); }
        void render() override {
            ++renders;
            if (renders == 2)
                g_production->transport().pause();
            if (renders == 4)
                g_production->transport().seek(0.5f);
            if (renders == 6)
                platform::postEvent(keyOf(EventKind::KeyDown, Key::Escape));
        }
        void unload() override {}
    };
    t.registerLayer(new Seeker, "seeker");
    t.addEntry("seeker", 0, 0, 1000);
    t.setState(Loaded);
    play();
    // Two frames played, two paused frames updated nothing, the frame after the seek was
    // updated at the new time with no time passing, the next one again nothing.
    ASSERT_EQ(updates.size(), 3u);
    EXPECT_FLOAT_EQ(updates[2].first, 0.5f);
    EXPECT_EQ(updates[2].second, 0.0f);
    EXPECT_NEAR(ramp->value, 0.5f, 1e-6f);
}

