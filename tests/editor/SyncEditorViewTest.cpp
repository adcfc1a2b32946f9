#include "EditorFixture.h"

#include "gl/GLTestHelpers.h"

#include <cstdlib>

using namespace qelFramework;

namespace {

// The editor at 1280 x 720 with the forge's button pictures and a handful of controllers.
class EditorView : public qmtest::EditorTest {
protected:
    EditorView() : qmtest::EditorTest(1280, 720) {}
    void prepare() override {
        std::string output;
        std::string command = ".";
        for (const char* id : {"linear", "smoothstep", "exponential", "minexp", "valval", "valzero", "valone",
                               "zeroval", "oneval", "oneone", "zerozero", "play", "pause", "record"})
            command += std::string(" --only button-") + id;
        ASSERT_EQ(qmtest::forge(command, output), 0) << output;
        for (const char* name : {"Postprocessor: fade to black", "Fireworks: Burst", "Houses: Grow Main",
                                 "Sky: Bird Swarm Down", "Overlay: Fader"})
            sync.getController(name)->addKey(5.0f, 0.5f);
        t.registerLayer(nullptr, "postprocessor");
        t.registerLayer(nullptr, "IM-fireworks");
        t.registerLayer(nullptr, "city");
    }

    // A stand-in for the production's frame: a night sky over a warm horizon.
    void drawFrame() const {
        glDisable(GL_TEXTURE_2D); // what the last frame left enabled
        glDisable(GL_DEPTH_TEST);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 1, 0, 1, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glBegin(GL_QUADS);
        glColor3f(0.55f, 0.3f, 0.15f);
        glVertex2f(0, 0);
        glVertex2f(1, 0);
        glColor3f(0.05f, 0.06f, 0.15f);
        glVertex2f(1, 1);
        glVertex2f(0, 1);
        glEnd();
        // Leave the kind of state a layer might: a depth test and a texture unit enabled.
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
    }

    qmtest::Picture frame(const char* name) {
        drawFrame();
        editor->draw();
        qmtest::Picture picture = qmtest::readFramebuffer(width, height);
        picture.save(name);
        return picture;
    }
    int column(float x) const { return static_cast<int>(x * static_cast<float>(width)); }
    int row(float y) const { return static_cast<int>(y * static_cast<float>(height)); }
    // Pixels of about this colour in a box of window fractions.
    static int countIn(const qmtest::Picture& p, float x0, float y0, float x1, float y1, int r, int g, int b,
                       int tolerance) {
        int n = 0;
        for (int y = static_cast<int>(y0 * p.height); y < static_cast<int>(y1 * p.height); ++y)
            for (int x = static_cast<int>(x0 * p.width); x < static_cast<int>(x1 * p.width); ++x)
                n += p.nearColour(x, y, r, g, b, tolerance);
        return n;
    }
};

} // namespace

TEST_F(EditorView, ASelectedSegmentWithItsButtonsAnOpenPanelAndTheReadOuts) {
    keyDown(Key::Shift);
    clickControllerRow(1); // compare with "Test: B"
    keyUp(Key::Shift);
    click(0.97f, 0.89f); // record mode
    click(0.6f, 0.3f);   // segment 1, 20 s to 30 s
    ASSERT_EQ(editor->selectedSegment(), 1);
    move(0.4f, 0.96f);
    move(0.4f, 0.95f - 3.5f / 50.0f); // the controller panel open, row 3 under the mouse
    transport.time = 17.5f;
    const qmtest::Picture p = frame("editor-segment-and-panel");

    // The blue play line at 17.5 s (x 0.4375) over the curve area.
    const int playX = column(0.4375f);
    bool blue = false;
    for (int dx = -1; dx <= 1; ++dx)
        blue = blue || p.nearColour(playX + dx, row(0.33f), 51, 102, 178, 3);
    EXPECT_TRUE(blue);
    // The key boxes of "Test: A" in the strip, and no key box where B has its keys.
    EXPECT_TRUE(p.is(column(0.25f) + 4, row(0.23f), 51, 51, 178, 3));
    EXPECT_TRUE(p.is(column(0.75f) + 4, row(0.23f), 51, 51, 178, 3));
    EXPECT_FALSE(p.is(column(0.375f) + 4, row(0.23f), 51, 51, 178, 20));
    // The shape buttons stand over the segment's start key (x 0.5) from y 0.445 up.
    EXPECT_GT(countIn(p, 0.5f, 0.45f, 0.525f, 0.69f, 5, 6, 13, 12), 200);
    EXPECT_GT(countIn(p, 0.5f, 0.63f, 0.525f, 0.69f, 255, 176, 74, 40), 10); // the ember curve of "linear"
    // The segment's shape (linear) and ends (valval) framed among the buttons, no other.
    EXPECT_GT(countIn(p, 0.49f, 0.62f, 0.535f, 0.695f, 112, 212, 232, 12), 20);
    EXPECT_GT(countIn(p, 0.527f, 0.44f, 0.573f, 0.515f, 112, 212, 232, 12), 20);
    EXPECT_EQ(countIn(p, 0.49f, 0.44f, 0.525f, 0.62f, 112, 212, 232, 12), 0);
    // The red record-mode banner, naming the controller, and white text in the open panel.
    EXPECT_GT(countIn(p, 0.6f, 0.985f, 0.85f, 1.0f, 255, 0, 0, 10), 20);
    EXPECT_GT(countIn(p, 0.33f, 0.84f, 0.52f, 0.95f, 255, 255, 255, 10), 100);
    // The clock in its larger type at the top right.
    EXPECT_GT(countIn(p, 0.9f, 0.95f, 1.0f, 0.975f, 255, 255, 255, 10), 60);
    // The edited controller's name and value at the top left of the curve area.
    EXPECT_GT(countIn(p, 0.0f, 0.375f, 0.25f, 0.4f, 255, 229, 153, 12), 30);

    // Over a shape button (smoothstep) its name shows beside the pointer.
    move(0.51f, 0.59f);
    const qmtest::Picture named = frame("editor-button-name");
    EXPECT_GT(countIn(named, 0.54f, 0.555f, 0.7f, 0.59f, 255, 255, 255, 10), 20);
}

TEST_F(EditorView, ZoomedWithTheCursorOnAKeyAndTheHelpOverlay) {
    press(PointerButton::Left, 0.125f, 0.1f); // zoom to 5 s .. 35 s
    move(0.875f, 0.1f);
    release(PointerButton::Left, 0.875f, 0.1f);
    clickWorkspaceItem(6); // help
    ASSERT_TRUE(editor->helpVisible());
    const float keyX = editor->timeAxis().timeToX(20.0f);
    move(keyX, 0.23f);
    ASSERT_EQ(editor->hoveredKey(), 1);
    transport.time = 26.0f;
    const qmtest::Picture p = frame("editor-zoomed-help");
    // The hovered key's read-out above the curve.
    EXPECT_GT(countIn(p, keyX - 0.03f, 0.405f, keyX + 0.05f, 0.445f, 153, 153, 153, 10), 30);
    // The help box darkens the middle of the frame.
    EXPECT_GT(countIn(p, 0.31f, 0.5f, 0.71f, 0.55f, 255, 255, 255, 10), 100);
}

TEST_F(EditorView, WithoutASelectedControllerNoCurveNoKeysNoRedLine) {
    SyncData empty;
    std::unique_ptr<SyncEditor> made = makeEditor(&empty);
    SyncEditor& bare = *made;
    std::vector<std::int16_t> song(kFrames * 2, 9000);
    bare.setSong(std::move(song), kFrames, kRate);
    bare.init();
    ASSERT_EQ(bare.selectedController(), nullptr);
    transport.time = 10.0f;
    bare.handleMessage(at(EventKind::PointerMove, 0.7f, 0.3f));
    ASSERT_TRUE(bare.cursorVisible());
    drawFrame();
    bare.draw();
    const qmtest::Picture p = qmtest::readFramebuffer(width, height);
    p.save("editor-no-controller");
    bare.shutdown();

    EXPECT_EQ(countIn(p, 0.0f, 0.0f, 1.0f, 0.4f, 255, 0, 0, 40), 0);
    EXPECT_EQ(countIn(p, 0.0f, 0.22f, 1.0f, 0.24f, 51, 51, 178, 3), 0);
    bool blue = false;
    for (int dx = -1; dx <= 1; ++dx)
        blue = blue || p.nearColour(column(0.25f) + dx, row(0.3f), 51, 102, 178, 3);
    EXPECT_TRUE(blue);
    // The time cursor under the mouse, violet through the workspace's veil.
    int violet = 0;
    for (int y = row(0.26f); y < row(0.39f); ++y)
        for (int x = column(0.7f) - 1; x <= column(0.7f) + 1; ++x) {
            const unsigned char* c = p.at(x, y);
            violet += c[2] > c[0] + 20 && c[2] > c[1] + 40;
        }
    EXPECT_GT(violet, 50);
    // The waveform's grey in both of its bands.
    EXPECT_GT(countIn(p, 0.0f, 0.0f, 1.0f, 0.09f, 128, 128, 128, 3), 500);
    EXPECT_GT(countIn(p, 0.0f, 0.09f, 1.0f, 0.18f, 128, 128, 128, 3), 500);
}

TEST_F(EditorView, FontsDrawOnlyTheirOwnGlyphs) {
    EditorFont font;
    ASSERT_TRUE(font.create("test", editorFontFile(), 14));
    // A list made right after the font takes the number byte 0x80 would reach.
    const GLuint trap = glGenLists(1);
    glNewList(trap, GL_COMPILE);
    glColor3f(1, 0, 0);
    glRectf(0, 0, 1, 1);
    glEndList();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    printText(&font, 0.1f, 0.5f, 1, 1, 1, 1, "Hi \x80\xff\x01 there");
    printText(&font, -0.5f, 0.3f, 1, 1, 1, 1, "edge"); // moved onto the window's edge
    const qmtest::Picture p = qmtest::readFramebuffer(width, height);
    EXPECT_EQ(p.count(255, 0, 0, 10), 0);
    // Ink from the baseline up to about the cap height, none far below or above.
    EXPECT_GT(countIn(p, 0.1f, 0.5f, 0.2f, 0.5f + 12.0f / 720.0f, 255, 255, 255, 10), 40);
    EXPECT_EQ(countIn(p, 0.1f, 0.5f + 20.0f / 720.0f, 0.3f, 0.6f, 255, 255, 255, 10), 0);
    EXPECT_GT(countIn(p, 0.0f, 0.3f, 0.03f, 0.32f, 255, 255, 255, 10), 10);
    EXPECT_FLOAT_EQ(font.textWidth("\x80"), font.textWidth("?"));
    glDeleteLists(trap, 1);
    font.release();
}

TEST_F(EditorView, TheRulerShowsBarsBeatsTheLoopAndBookmarks) {
    qmtest::writeFile("data/tempo.txt", "bpm 127\noffset 0.2\nbeats-per-bar 4\n");
    editor->shutdown();
    editor = makeEditor();
    editor->setSong(std::vector<std::int16_t>(kFrames * 2), kFrames, kRate);
    editor->init();
    // Pixels of a kind in the ruler strip (y 0.181 .. 0.199) between two x.
    auto count = [this](const qmtest::Picture& p, float x0, float x1, bool (*kind)(const unsigned char*)) {
        int n = 0;
        for (int y = row(0.181f); y < row(0.199f); ++y)
            for (int x = column(x0); x < column(x1); ++x)
                n += kind(p.at(x, y));
        return n;
    };
    auto amber = [](const unsigned char* c) { return c[0] > 120 && c[1] > 60 && c[1] < c[0] - 30 && c[2] < c[1]; };
    auto blue = [](const unsigned char* c) { return c[2] > c[0] + 25 && c[2] >= c[1]; };
    // The whole song (40 s): beats 15 pixels apart, so ticks, bar lines and numbers.
    EXPECT_GT(count(frame("editor-ruler-whole"), 0.0f, 1.0f, amber), 300);
    // Zoomed to 10 .. 12 s: nothing between beat 21 (x 0.061) and beat 22 (x 0.297).
    press(PointerButton::Left, 0.25f, 0.1f);
    move(0.3f, 0.1f);
    release(PointerButton::Left, 0.3f, 0.1f);
    const qmtest::Picture zoomed = frame("editor-ruler-zoomed");
    EXPECT_EQ(count(zoomed, 0.08f, 0.28f, amber), 0);
    EXPECT_GT(count(zoomed, 0.29f, 0.305f, amber), 1);
    EXPECT_EQ(count(zoomed, 0.1f, 0.4f, blue), 0);
    // The loop over the zoomed range, and a bookmark's flag at 11 s (x 0.5).
    keyDown(Key::L);
    transport.time = 11.0f;
    keyDown(Key::B);
    const qmtest::Picture marked = frame("editor-ruler-loop-bookmark");
    EXPECT_GT(count(marked, 0.1f, 0.4f, blue), 1000);
    EXPECT_GT(countIn(marked, 0.5f, 0.2f, 0.506f, 0.212f, 102, 255, 153, 40), 3);
}

TEST(TimeAxis, MapsTimeAndWindowAndSurvivesDegenerateSongs) {
    TimeAxis axis;
    axis.setSong(std::vector<std::int16_t>(200), 100000, 1000); // far too few samples for its frames
    EXPECT_TRUE(axis.samples.empty());
    axis.fullView();
    EXPECT_FLOAT_EQ(axis.timeToX(25.0f), 0.25f);
    EXPECT_FLOAT_EQ(axis.xToTime(0.25f), 25.0f);
    axis.viewStart = 20000;
    axis.viewEnd = 30000;
    EXPECT_FLOAT_EQ(axis.timeToX(25.0f), 0.5f);
    EXPECT_FLOAT_EQ(axis.timeToX(10.0f), -1.0f);
    EXPECT_FLOAT_EQ(axis.xToTime(1.0f), 30.0f);
    EXPECT_FLOAT_EQ(axis.timeToX(25.0009f), 0.5f); // whole frames
    EXPECT_EQ(axis.timeToFrame(-3.0f), 0u);
    EXPECT_EQ(axis.timeToFrame(1e30f), 0xFFFFFFFFu);
    axis.viewEnd = axis.viewStart; // no width: no division by zero
    EXPECT_FLOAT_EQ(axis.timeToX(25.0f), 0.0f);
    axis.setSong({}, 0, 0);
    axis.fullView();
    EXPECT_GT(axis.framesPerSecond, 0u);
    EXPECT_FLOAT_EQ(axis.xToTime(0.5f), 0.0f);
}

TEST_F(EditorView, ThinnedBarNumbersStartAtBarOne) {
    qmtest::writeFile("data/tempo.txt", "bpm 127\noffset 0.2\nbeats-per-bar 4\n");
    editor->shutdown();
    editor = makeEditor();
    constexpr std::uint32_t kLong = 200 * kRate; // 200 s: bars 12 pixels apart, every fourth numbered
    editor->setSong(std::vector<std::int16_t>(kLong * 2), kLong, kRate);
    editor->init();
    const qmtest::Picture p = frame("editor-ruler-thinned");
    // Number-coloured pixels just right of the bar line at this time.
    auto number = [&p](double seconds) {
        const float x = static_cast<float>(seconds / 200.0) + 0.0015f;
        return countIn(p, x, 0.18f, x + 0.006f, 0.196f, 255, 191, 102, 40);
    };
    const double bar = 4 * 60.0 / 127.0;
    EXPECT_GT(number(0.2), 3);           // bar 1
    EXPECT_EQ(number(0.2 + 2 * bar), 0); // bar 3
    EXPECT_GT(number(0.2 + 4 * bar), 3); // bar 5
}

TEST_F(EditorView, ARefusalStandsAboveItsFieldAndTheDragReadOutAboveTheCurve) {
    move(0.5f, 0.23f);
    editor->handleMessage(at(EventKind::DoubleClick, 0.5f, 0.23f, PointerButton::Left));
    release(PointerButton::Left, 0.5f, 0.23f);
    type("35");
    keyDown(Key::Enter);
    keyUp(Key::Enter);
    const qmtest::Picture refused = frame("editor-refusal");
    // Orange text just above the field over the key at x 0.5, none at the top right.
    EXPECT_GT(countIn(refused, 0.5f, 0.475f, 0.8f, 0.51f, 255, 176, 74, 30), 20);
    EXPECT_EQ(countIn(refused, 0.8f, 0.75f, 1.0f, 0.79f, 255, 176, 74, 30), 0);
    keyDown(Key::Escape);
    keyUp(Key::Escape);

    // The key at 10 s (value 0.2) dragged a little: its numbers in white, readable over
    // the workspace, above the line as it rises under them (to about y 0.318 at 14.2 s).
    press(PointerButton::Left, 0.25f, 0.23f);
    move(0.26f, 0.23f);
    const qmtest::Picture dragged = frame("editor-drag-read-out");
    EXPECT_GT(countIn(dragged, 0.27f, 0.322f, 0.36f, 0.36f, 255, 255, 255, 10), 20);
    EXPECT_EQ(countIn(dragged, 0.27f, 0.25f, 0.36f, 0.3f, 255, 255, 255, 10), 0);
    release(PointerButton::Left, 0.26f, 0.23f);
}
