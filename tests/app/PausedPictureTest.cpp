// The editor's kept picture while paused and its draft picture.
#include "app/Production.h"
#include "gl/GLHeaders.h"
#include "platform/EventQueue.h"
#include "platform/Kernel.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"
#include "editor/SyncEditor.h"
#include "timeline/Layer_Base.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace qelFramework;

namespace {
constexpr int kWidth = 128, kHeight = 72;
Production* g_production = nullptr;
platform::Window* g_window = nullptr;
std::int64_t g_counter = 0;
std::int64_t steppingCounter() { // every reading moves time on by 4 ms
    g_counter += platform::queryPerformanceFrequency() / 250;
    return g_counter;
}

std::vector<unsigned char> readWindow() {
    std::vector<unsigned char> rgb(kWidth * kHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}
const unsigned char* pixel(const std::vector<unsigned char>& rgb, int x, int y) {
    return &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
}

// Red at the controller's value on the left half of what it renders into, green on the
// right; it notes the viewport's width at each render (the frame loop deletes the layer).
struct HalvesLayer : Layer_Base {
    SyncController* red = nullptr;
    std::vector<int>* viewportWidths = nullptr;
    bool init(GL_TextureManager*, SyncData* sync) override {
        red = sync->getController("Test: Red");
        return true;
    }
    void update(const FrameInfo&) override {}
    void render() override {
        GLint v[4];
        glGetIntegerv(GL_VIEWPORT, v);
        viewportWidths->push_back(v[2]);
        glBegin(GL_QUADS);
        glColor3f(red->value, 0.0f, 0.0f);
        glVertex2f(-1, -1), glVertex2f(0, -1), glVertex2f(0, 1), glVertex2f(-1, 1);
        glColor3f(0.0f, 1.0f, 0.0f);
        glVertex2f(0, -1), glVertex2f(1, -1), glVertex2f(1, 1), glVertex2f(0, 1);
        glEnd();
    }
    void unload() override {}
};

// An editor whose drawing runs the test's script: step n on its n-th draw.
struct ScriptedEditor : SyncEditor {
    std::function<void(int)> step;
    int draws = 0;
    explicit ScriptedEditor(Production& p, std::function<void(int)> s)
        : SyncEditor(p.timeline(), p.sync(), p.transport(), "unused.dat"), step(std::move(s)) {}
    void init() override {}
    void draw() override { step(++draws); }
    bool handleMessage(const InputEvent&) override { return false; }
    void shutdown() override {}
};

class PausedPicture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        g_window = gl.handle();
        g_production = &production;
        g_counter = 0;
        platform::resetInput();
        platform::setCounterSource(steppingCounter);
        production.setUp(nullptr);
        SyncController* red = production.sync().getController("Test: Red");
        red->addKey(0.0f, 1.0f);
        red->addKey(5.0f, 1.0f);
        red->addKey(10.0f, 1.0f);
        layer = new HalvesLayer;
        layer->red = red; // the loading screen, which would init it, is not run
        layer->viewportWidths = &viewportWidths;
        production.timeline().registerLayer(layer, "halves");
        production.timeline().addEntry("halves", 0, 0, 100000);
        production.timeline().setState(Loaded);
        glViewport(0, 0, kWidth, kHeight);
    }
    void TearDown() override { platform::setCounterSource(nullptr); }
    void play(std::function<void(int)> step) {
        production.attachEditor(std::make_unique<ScriptedEditor>(production, std::move(step)));
        qmtest::Deadline bound(60, "the frame loop never ended");
        production.runFrameLoop(gl.handle());
    }
    static void quit() {
        InputEvent e = InputEvent::keyEvent(EventKind::KeyDown, Key::Escape);
        e.window = g_window;
        platform::postEvent(e);
    }

    qmtest::GLContext gl{kWidth, kHeight, 2};
    qmtest::TraceCapture trace;
    Production production;
    HalvesLayer* layer = nullptr; // until the frame loop ends
    std::vector<int> viewportWidths;
};

} // namespace

TEST_F(PausedPicture, InputWhilePausedRedrawsOnlyTheEditorUntilTheShownPictureWouldChange) {
    std::vector<std::uint64_t> renders; // after each draw
    std::vector<float> reds;            // the layer's value at each draw
    play([&](int n) {
        renders.push_back(g_production->productionRenders());
        reds.push_back(layer->red->value);
        SyncController* red = layer->red;
        switch (n) {
        case 1: g_production->transport().pause(); break;
        case 3: { // input reaches the editor, which draws again
            InputEvent move = InputEvent::keyEvent(EventKind::KeyDown, Key::A);
            move.window = g_window;
            platform::postEvent(move);
            break;
        }
        case 5: red->setKeyValue(0, 0.5f); break;  // changes the value at the play line
        case 7: red->setKeyValue(2, 0.25f); break; // a key after the next: the value stays
        case 9: g_production->transport().seek(0.002f); break;
        case 11: g_production->setDraft(2); break;
        case 13: quit(); break;
        default: break;
        }
    });
    ASSERT_EQ(renders.size(), 13u);
    // Draw 1 played; draw 2 is the first paused one, rendered and kept; then only the
    // edit of the shown value, the seek and the draft level render the production again.
    const std::vector<std::uint64_t> expected{1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 5, 5};
    EXPECT_EQ(renders, expected);
    EXPECT_EQ(reds[4], 1.0f);
    EXPECT_NEAR(reds[5], 0.5f, 0.01f); // the edit reached the layer
}

TEST_F(PausedPicture, ADraftRendersSmallerAndIsScaledUpUnderASharpEditor) {
    std::vector<std::vector<unsigned char>> shown; // the picture under the editor, each draw
    std::vector<unsigned char> withLine;
    play([&](int n) {
        shown.push_back(readWindow());
        switch (n) {
        case 1: g_production->transport().pause(); break;
        case 3: g_production->setDraft(2); break;
        case 4: {
            // The editor draws at full size: a line one pixel wide stays one pixel wide.
            glMatrixMode(GL_PROJECTION);
            glPushMatrix();
            glLoadIdentity();
            glOrtho(0, kWidth, 0, kHeight, -1, 1);
            glColor3f(1, 1, 1);
            glBegin(GL_QUADS);
            glVertex2f(20, 0), glVertex2f(21, 0), glVertex2f(21, kHeight), glVertex2f(20, kHeight);
            glEnd();
            glPopMatrix();
            glMatrixMode(GL_MODELVIEW);
            withLine = readWindow();
            g_production->setDraft(4);
            break;
        }
        case 6: quit(); break;
        default: break;
        }
    });
    ASSERT_EQ(shown.size(), 6u);
    EXPECT_EQ(viewportWidths, (std::vector<int>{kWidth, kWidth, kWidth / 2, kWidth / 4}));
    // The kept full picture is shown byte for byte as rendered.
    EXPECT_EQ(shown[2], shown[1]);
    for (int frame : {3, 4}) { // half, quarter: the halves stay in place at full size
        SCOPED_TRACE(frame);
        const int seam = frame == 3 ? 2 : 4; // pixels blended on each side of the middle
        for (int x : {0, 30, kWidth / 2 - seam - 1}) {
            EXPECT_GE(pixel(shown[frame], x, 36)[0], 250);
            EXPECT_LE(pixel(shown[frame], x, 36)[1], 5);
        }
        for (int x : {kWidth / 2 + seam, 100, kWidth - 1}) {
            EXPECT_LE(pixel(shown[frame], x, 10)[0], 5);
            EXPECT_GE(pixel(shown[frame], x, 10)[1], 250);
        }
    }
    ASSERT_FALSE(withLine.empty());
    EXPECT_EQ(pixel(withLine, 20, 36)[1], 255);
    EXPECT_GE(pixel(withLine, 19, 36)[0], 250);
    EXPECT_EQ(pixel(withLine, 19, 36)[1], 0);
    EXPECT_EQ(pixel(withLine, 21, 36)[1], 0);
}

TEST_F(PausedPicture, F7CyclesTheDraftWithTheEditorAndNeverInACapture) {
    auto f7 = [&] {
        InputEvent e = InputEvent::keyEvent(EventKind::KeyDown, Key::F7);
        e.window = g_window;
        production.dispatchInput(e);
    };
    f7(); // no editor: nothing
    EXPECT_EQ(production.draft(), 1);
    production.attachEditor(std::make_unique<ScriptedEditor>(production, [](int) {}));
    std::vector<int> levels;
    for (int i = 0; i < 4; ++i) {
        f7();
        levels.push_back(production.draft());
    }
    EXPECT_EQ(levels, (std::vector<int>{2, 4, 1, 2}));
    production.setDraft(1);
    production.setFrameSink([](platform::Window*) {});
    f7();
    EXPECT_EQ(production.draft(), 1);
}
