// Editing from the keyboard: the arrows walk and nudge keys, G types the play line's
// time; every nudge is one undo step, and a refused one says why beside the key, in the
// trace, until the next key or click.
#include "EditorFixture.h"

#include <climits>

using namespace qelFramework;
using qmtest::keysOf;
using qmtest::Keys;

namespace {
struct EditorKeys : qmtest::EditorTest {
    void stroke(std::initializer_list<Key> held, Key key) {
        for (Key k : held)
            keyDown(k);
        keyDown(key);
        keyUp(key);
        for (Key k : held)
            keyUp(k);
    }
    bool showing() const { return editor->noticeBoard().showing(LLONG_MAX / 2); }
    std::vector<int> selection() const { return editor->selectedKeys(); }
};

class EditorKeysWithBeats : public EditorKeys {
    void prepare() override { qmtest::writeFile("data/tempo.txt", "bpm 120\noffset 0\nbeats-per-bar 4\n"); }
};
} // namespace

TEST_F(EditorKeys, LeftAndRightWalkTheKeysFromTheSelectionOrThePlayLine) {
    transport.time = 15.0f;
    stroke({}, Key::Right);
    EXPECT_EQ(selection(), std::vector<int>{1}); // the key after the play line
    stroke({}, Key::Right);
    stroke({}, Key::Right);
    EXPECT_EQ(selection(), std::vector<int>{2}); // stays on the last
    stroke({}, Key::Left);
    EXPECT_EQ(selection(), std::vector<int>{1});
    // Without a selection: at or before the play line, nothing before the first key.
    click(0.9f, 0.23f);
    ASSERT_TRUE(selection().empty());
    transport.time = 20.0f;
    stroke({}, Key::Left);
    EXPECT_EQ(selection(), std::vector<int>{1});
    click(0.9f, 0.23f);
    transport.time = 5.0f;
    stroke({}, Key::Left);
    EXPECT_TRUE(selection().empty());
    EXPECT_TRUE(editor->undoStack().empty()); // selecting is no edit
}

TEST_F(EditorKeys, CtrlArrowsNudgeTheSelectedKeysAFrameEachAnUndoStep) {
    transport.time = 15.0f;
    stroke({}, Key::Right);
    stroke({Key::Control}, Key::Right);
    EXPECT_FLOAT_EQ(keysOf(a)[1].first, 20.0f + 1.0f / 60.0f);
    stroke({Key::Control}, Key::Left);
    stroke({Key::Control}, Key::Left);
    EXPECT_NEAR(keysOf(a)[1].first, 20.0f - 1.0f / 60.0f, 1e-5f);
    EXPECT_EQ(editor->undoStack().size(), 3u);
    stroke({Key::Control}, Key::Z);
    EXPECT_EQ(editor->notice(), "undo: nudge key");
    EXPECT_NEAR(keysOf(a)[1].first, 20.0f, 1e-5f);

    // Two selected keys move together, as one step.
    click(0.9f, 0.23f);
    keyDown(Key::Control);
    click(0.25f, 0.23f);
    click(0.5f, 0.23f);
    keyUp(Key::Control);
    ASSERT_EQ(selection().size(), 2u);
    stroke({Key::Control}, Key::Right);
    EXPECT_NEAR(keysOf(a)[0].first, 10.0f + 1.0f / 60.0f, 1e-5f);
    EXPECT_NEAR(keysOf(a)[1].first, 20.0f + 1.0f / 60.0f, 1e-5f);
    stroke({Key::Control}, Key::Z);
    EXPECT_EQ(editor->notice(), "undo: nudge keys");
}

TEST_F(EditorKeys, ANudgeThatWouldReachANeighbourOrLeaveTheSongIsRefusedBesideTheKey) {
    a->moveKey(2, 20.01f);
    transport.time = 15.0f;
    stroke({}, Key::Right); // the key at 20 s
    const Keys before = keysOf(a);
    stroke({Key::Control}, Key::Right);
    EXPECT_EQ(keysOf(a), before);
    EXPECT_TRUE(editor->undoStack().empty());
    EXPECT_NE(editor->notice().find("refused: a key would reach its neighbour at 20.010s"), std::string::npos)
        << editor->notice();
    EXPECT_TRUE(trace.contains("WARNING (keyboardEdit): nudge by a frame refused")) << trace.text();
    EXPECT_TRUE(editor->noticeBoard().anchored());
    EXPECT_NEAR(editor->noticeBoard().anchorX(), 0.5f, 0.01f);
    // It stays through time, pointer moves and modifiers, and goes at the next key.
    move(0.3f, 0.6f);
    keyDown(Key::Shift);
    keyUp(Key::Shift);
    EXPECT_TRUE(showing());
    stroke({}, Key::Left);
    EXPECT_FALSE(showing());

    // The first key cannot go before the song's start; a key is needed at all.
    a->moveKey(0, 0.01f);
    stroke({}, Key::Left);
    stroke({Key::Control}, Key::Left);
    EXPECT_NE(editor->notice().find("leave the song"), std::string::npos) << editor->notice();
    EXPECT_TRUE(editor->undoStack().empty());
    click(0.9f, 0.23f);
    stroke({Key::Control}, Key::Left);
    EXPECT_NE(editor->notice().find("select a key first"), std::string::npos);
    // Without a beat grid there is no beat to nudge by.
    stroke({}, Key::Right);
    stroke({Key::Control, Key::Shift}, Key::Right);
    EXPECT_NE(editor->notice().find("no beat grid"), std::string::npos);
    EXPECT_TRUE(editor->undoStack().empty());
}

TEST_F(EditorKeysWithBeats, CtrlShiftArrowsNudgeByABeat) {
    transport.time = 25.0f;
    stroke({}, Key::Right);
    stroke({Key::Control, Key::Shift}, Key::Left);
    EXPECT_FLOAT_EQ(keysOf(a)[2].first, 29.5f);
    EXPECT_EQ(editor->undoStack().size(), 1u);
}

TEST_F(EditorKeys, UpAndDownNudgeTheValueWithinZeroAndOne) {
    transport.time = 0.0f;
    stroke({}, Key::Right); // the key at 10 s, value 0.2
    stroke({}, Key::Up);
    EXPECT_FLOAT_EQ(keysOf(a)[0].second, 0.21f);
    stroke({Key::Shift}, Key::Down);
    EXPECT_FLOAT_EQ(keysOf(a)[0].second, 0.11f);
    stroke({Key::Shift}, Key::Down);
    stroke({Key::Shift}, Key::Down);
    EXPECT_FLOAT_EQ(keysOf(a)[0].second, 0.0f); // clamped
    EXPECT_EQ(editor->undoStack().size(), 4u);
    stroke({}, Key::Down);
    EXPECT_NE(editor->notice().find("already 0"), std::string::npos);
    EXPECT_EQ(editor->undoStack().size(), 4u);
    for (int i = 0; i < 10; ++i)
        stroke({}, Key::Up);
    EXPECT_FLOAT_EQ(keysOf(a)[0].second, 0.1f); // ten small steps make one large
    stroke({Key::Control}, Key::Z);
    EXPECT_EQ(editor->notice(), "undo: nudge value");

    // A Ctrl+click on a key already selected keeps it selected once: one nudge, one step.
    click(0.9f, 0.23f);
    keyDown(Key::Control);
    click(0.25f, 0.23f);
    click(0.25f, 0.23f);
    keyUp(Key::Control);
    EXPECT_EQ(selection(), std::vector<int>{0});
    stroke({}, Key::Up);
    EXPECT_FLOAT_EQ(keysOf(a)[0].second, 0.1f);
}

TEST_F(EditorKeys, GTypesThePlayLinesTimeAndRefusesOneOutsideTheSong) {
    stroke({}, Key::G);
    ASSERT_TRUE(editor->keyEntry().isOpen());
    ASSERT_TRUE(editor->keyEntry().forPlayLine());
    type("g99");
    stroke({}, Key::Enter);
    EXPECT_TRUE(editor->keyEntry().isOpen());
    EXPECT_TRUE(transport.seeks.empty());
    EXPECT_NE(editor->notice().find("time refused: type seconds from 0 to 40.000"), std::string::npos)
        << editor->notice();
    EXPECT_TRUE(trace.contains("WARNING (keyEntry): time refused")) << trace.text();
    stroke({}, Key::Backspace);
    stroke({}, Key::Backspace);
    type("12.5");
    stroke({}, Key::Tab); // the field has no value part
    stroke({}, Key::Enter);
    EXPECT_FALSE(editor->keyEntry().isOpen());
    EXPECT_EQ(transport.seeks, std::vector<float>{12.5f});
    editor->draw(); // the field's drawing, open or closed, is no trouble
    // Over an open controllers panel G is a letter of the filter.
    move(0.4f, 0.96f);
    stroke({}, Key::G);
    EXPECT_FALSE(editor->keyEntry().isOpen());
}

TEST_F(EditorKeys, NoticesGoToTheTraceAndAnswersStayUntilTheNextAction) {
    // A typed time refused: beside the field, until the next key or click.
    move(0.5f, 0.23f);
    editor->handleMessage(at(EventKind::DoubleClick, 0.5f, 0.23f, PointerButton::Left));
    release(PointerButton::Left, 0.5f, 0.23f);
    type("35");
    stroke({}, Key::Enter);
    EXPECT_TRUE(trace.contains("WARNING (keyEntry): time refused: it must lie between 10.000 and 30.000"))
        << trace.text();
    EXPECT_TRUE(editor->noticeBoard().anchored());
    EXPECT_TRUE(showing());
    editor->draw();
    stroke({}, Key::Escape);
    EXPECT_FALSE(showing());

    // Undo and redo say what they did until the next action.
    stroke({}, Key::Right);
    stroke({}, Key::Up);
    stroke({Key::Control}, Key::Z);
    EXPECT_TRUE(trace.contains("INFO (undo): undo: nudge value"));
    EXPECT_TRUE(showing());
    EXPECT_FALSE(editor->noticeBoard().anchored());
    click(0.9f, 0.23f);
    EXPECT_FALSE(showing());
    stroke({Key::Control}, Key::Y);
    EXPECT_TRUE(trace.contains("INFO (undo): redo: nudge value"));

    // Saves, loops, bookmarks and pastes are traced once each.
    clickWorkspaceItem(0);
    stroke({}, Key::Right);
    stroke({}, Key::L);
    stroke({}, Key::B);
    stroke({Key::Control}, Key::C);
    stroke({Key::Control}, Key::V);
    const std::vector<std::string> records = trace.records();
    for (const char* expected : {"INFO (syncEditor): saved data/demosynch.dat", "INFO (loop): loop 0.000s to 40.000s",
                                 "INFO (bookmarks): bookmark at 0.000s", "INFO (clipboard): copied 1 key",
                                 "INFO (clipboard): pasted 1 key at 0.000s"})
        EXPECT_EQ(std::count(records.begin(), records.end(), expected), 1) << expected << "\n" << trace.text();
    // Timed notices go by themselves.
    EXPECT_FALSE(showing());
    EXPECT_TRUE(editor->noticeBoard().showing(0));

    // A drag held against a neighbour says so beside the pointer, traced once.
    press(PointerButton::Left, 0.5f, 0.23f);
    for (float x : {0.7f, 0.8f, 0.85f, 0.6f, 0.8f})
        move(x, 0.23f);
    release(PointerButton::Left, 0.8f, 0.23f);
    EXPECT_NEAR(keysOf(a)[2].first, 24.0f, 0.05f); // where the pointer was last allowed (after the pasted key)
    EXPECT_EQ(editor->notice(), "move stops: a key cannot pass its neighbour at 30.000s");
    EXPECT_TRUE(showing());
    const std::vector<std::string> all = trace.records();
    EXPECT_EQ(std::count(all.begin(), all.end(), "WARNING (keyMove): " + editor->notice()), 1) << trace.text();
}

TEST(TimeAxis, ALabelBesideTheCurveKeepsOffItsLineInsideTheWorkspace) {
    TimeAxis axis;
    axis.setSong({}, 40000, 1000);
    axis.fullView();
    const float width = 0.08f; // 3.2 s of song
    struct Case {
        Keys keys;
        bool above;
    };
    const Case cases[] = {{{{0.0f, 0.1f}, {40.0f, 0.1f}}, true},              // low: room above
                          {{{0.0f, 0.95f}, {40.0f, 0.95f}}, false},           // high: below
                          {{{9.0f, 0.0f}, {11.0f, 1.0f}, {40.0f, 0.0f}}, false}, // a rise under the label
                          {{{0.0f, 0.3f}}, true}};                              // one key
    for (const Case& c : cases) {
        SyncController curve("Test: curve");
        for (auto [t, v] : c.keys)
            curve.addKey(t, v);
        const float x = 0.25f, y = axis.labelYOffCurve(curve, x, width);
        EXPECT_EQ(y > TimeAxis::valueToY(curve.valueAt(10.0f)), c.above) << c.keys.size();
        EXPECT_LE(y + TimeAxis::kLabelAscent, EditorLayout::kCurveAreaTop);
        EXPECT_GE(y - TimeAxis::kLabelDescent, 0.0f);
        for (int i = 0; i <= 100; ++i) {
            const float lineY = TimeAxis::valueToY(curve.valueAt(axis.xToTime(x + width * static_cast<float>(i) / 100.0f)));
            EXPECT_FALSE(lineY >= y - TimeAxis::kLabelDescent && lineY <= y + TimeAxis::kLabelAscent) << i;
        }
    }
}
