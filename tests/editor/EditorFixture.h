#pragma once
// An editor over a hidden window (400 x 300 unless a derived fixture asks for another), working in a fresh folder with data/ and
// editor/, with two controllers and a 40-second song at 1000 frames per second, so that
// window x 0.25 is 10 s. Input goes in as input events.
#include "app/MusicStream.h"
#include "base/Trace.h"
#include "gl/GLHeaders.h"
#include "platform/EventQueue.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"
#include "editor/SyncEditor.h"
#include "timeline/Timeline.h"
#include "timeline/Transport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

namespace qmtest {

using Keys = std::vector<std::pair<float, float>>;

// A transport whose time moves only when it is told to; it keeps the seeks asked of it.
struct RecordingTransport : qelFramework::Transport {
    float time = 0.0f;
    bool isPlaying = false;
    std::vector<float> seeks;
    float currentTime() const override { return time; }
    // A press at counter c happened c milliseconds after `time` (tests count in ms).
    float timeAt(std::int64_t counter) const override { return time + static_cast<float>(counter) / 1000.0f; }
    void seek(float t) override {
        seeks.push_back(t);
        time = t;
    }
    void play() override { isPlaying = true; }
    void pause() override { isPlaying = false; }
    bool playing() const override { return isPlaying; }
};

inline Keys keysOf(const qelFramework::SyncController* c) {
    Keys keys;
    for (const qelFramework::SyncKey& k : c->keys())
        keys.emplace_back(k.time, k.value);
    return keys;
}

class EditorTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t kRate = 1000, kFrames = 40000;

    explicit EditorTest(int windowWidth = 400, int windowHeight = 300)
        : width(windowWidth), height(windowHeight), gl(windowWidth, windowHeight) {}

    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        glViewport(0, 0, width, height);
        std::filesystem::create_directory("data");
        std::filesystem::create_directory("editor");
        qelFramework::Trace::setHighestLevel(qelFramework::Trace::Info);
        qelFramework::platform::resetInput();
        a = sync.getController("Test: A");
        a->addKey(10.0f, 0.2f);
        a->addKey(20.0f, 0.8f);
        a->addKey(30.0f, 0.5f);
        b = sync.getController("Test: B");
        b->addKey(15.0f, 0.3f);
        b->addKey(25.0f, 0.6f);
        prepare();
        editor = makeEditor();
        std::vector<std::int16_t> song(kFrames * 2);
        for (std::uint32_t i = 0; i < kFrames; ++i)
            song[2 * i] = song[2 * i + 1] =
                static_cast<std::int16_t>(12000.0 * std::sin(i * 0.05) * std::sin(i * 0.0007));
        editor->setSong(std::move(song), kFrames, kRate);
        editor->init();
    }
    void TearDown() override {
        if (editor)
            editor->shutdown();
        editor.reset();
        qelFramework::platform::resetInput();
        qelFramework::Trace::reset();
    }
    // Runs before the editor is made (more controllers, layers, a soundtrack).
    virtual void prepare() {}
    std::unique_ptr<qelFramework::SyncEditor> makeEditor(qelFramework::SyncData* data = nullptr) {
        return std::make_unique<qelFramework::SyncEditor>(t, data ? *data : sync, transport, "data/demosynch.dat");
    }

    // A pointer event at x, y in window fractions from the bottom left.
    qelFramework::InputEvent at(qelFramework::EventKind kind, float x, float y,
                                qelFramework::PointerButton button = qelFramework::PointerButton::None) const {
        return qelFramework::InputEvent::pointer(kind, button, static_cast<int>(std::lround(x * width)),
                                                 static_cast<int>(std::lround((1.0f - y) * height)));
    }
    void move(float x, float y) { editor->handleMessage(at(qelFramework::EventKind::PointerMove, x, y)); }
    // Moves there, then the button goes down (and up).
    void press(qelFramework::PointerButton button, float x, float y) {
        move(x, y);
        editor->handleMessage(at(qelFramework::EventKind::ButtonDown, x, y, button));
    }
    void release(qelFramework::PointerButton button, float x, float y) {
        editor->handleMessage(at(qelFramework::EventKind::ButtonUp, x, y, button));
    }
    void click(float x, float y) {
        press(qelFramework::PointerButton::Left, x, y);
        release(qelFramework::PointerButton::Left, x, y);
    }
    // A key pressed at the performance-counter reading `moment`.
    void keyDown(qelFramework::Key key, std::int64_t moment = 0) {
        qelFramework::InputEvent e = qelFramework::InputEvent::keyDown(key);
        e.moment = moment;
        editor->handleMessage(e);
    }
    void keyUp(qelFramework::Key key) { editor->handleMessage(qelFramework::InputEvent::keyUp(key)); }
    // Typed characters, each an event of its own; true when the editor took every one.
    bool type(const char* text) {
        bool taken = true;
        for (const char* c = text; *c; ++c)
            taken = editor->handleMessage(qelFramework::InputEvent::typed(std::string(1, *c))) && taken;
        return taken;
    }
    // Opens the controller panel over its title and clicks row `row`.
    void clickControllerRow(int row) {
        move(0.4f, 0.96f);
        move(0.4f, 0.95f - (static_cast<float>(row) + 0.5f) / 50.0f);
        click(0.4f, 0.95f - (static_cast<float>(row) + 0.5f) / 50.0f);
    }
    void clickWorkspaceItem(int row) {
        move(0.05f, 0.96f);
        move(0.05f, 0.95f - (static_cast<float>(row) + 0.5f) / 50.0f);
        click(0.05f, 0.95f - (static_cast<float>(row) + 0.5f) / 50.0f);
    }
    std::vector<std::string> snapshotFiles() const {
        std::vector<std::string> names = listFolder("editor");
        for (std::string& name : names)
            name = "editor/" + name;
        return names;
    }

    const int width, height;
    GLContext gl;
    WorkingFolder folder;
    TraceCapture trace;
    qelFramework::SyncData sync;
    qelFramework::Timeline t;
    RecordingTransport transport;
    qelFramework::SyncController* a = nullptr;
    qelFramework::SyncController* b = nullptr;
    std::unique_ptr<qelFramework::SyncEditor> editor;
};

} // namespace qmtest
