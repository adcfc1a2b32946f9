// The editor's keyboard where it meets other state: a filter left set, the key under
// the mouse, a selection made right to left, and typed times at a neighbour's.
#include "EditorFixture.h"

using namespace qelFramework;
using qmtest::keysOf;
using qmtest::Keys;

namespace {
using EditorKeyboard = qmtest::EditorTest;
constexpr float kStrip = 0.23f; // the row where keys are hit
} // namespace

TEST_F(EditorKeyboard, EscapeClearsAFilterOnlyWhileAControllersPanelIsOpen) {
    move(0.4f, 0.96f);
    ASSERT_TRUE(editor->controllersPanel().open);
    type("Te");
    ASSERT_EQ(editor->controllersPanel().filter(), "Te");
    // With the panel closed and the filter still set, the first Escape quits.
    move(0.5f, 0.5f);
    ASSERT_FALSE(editor->controllersPanel().open || editor->controllers2Panel().open);
    EXPECT_FALSE(editor->handleMessage(InputEvent::keyDown(Key::Escape)));
}

TEST_F(EditorKeyboard, CopiesKeepTimeOrderWhateverTheOrderOfSelection) {
    // The key at 30 s first, then the one at 10 s.
    keyDown(Key::Control);
    click(0.75f, kStrip);
    click(0.25f, kStrip);
    keyDown(Key::C);
    keyUp(Key::C);
    keyUp(Key::Control);
    transport.time = 1.0f;
    keyDown(Key::Control);
    keyDown(Key::V);
    keyUp(Key::V);
    keyUp(Key::Control);
    EXPECT_EQ(keysOf(a), (Keys{{1.0f, 0.2f}, {10.0f, 0.2f}, {20.0f, 0.8f}, {21.0f, 0.5f}, {30.0f, 0.5f}}));
}

TEST_F(EditorKeyboard, ATypedTimeAtANeighboursTimeIsRefusedAndRecordsNoEdit) {
    move(0.5f, kStrip);
    const std::size_t edits = editor->undoStack().size();
    for (const char* neighbour : {"30", "10"}) {
        editor->handleMessage(at(EventKind::DoubleClick, 0.5f, kStrip, PointerButton::Left));
        release(PointerButton::Left, 0.5f, kStrip);
        ASSERT_TRUE(editor->keyEntry().isOpen());
        type(neighbour);
        keyDown(Key::Enter);
        keyUp(Key::Enter);
        EXPECT_TRUE(editor->keyEntry().isOpen()) << neighbour;
        EXPECT_NE(editor->notice().find("time refused"), std::string::npos) << neighbour;
        EXPECT_EQ(editor->undoStack().size(), edits) << neighbour;
        EXPECT_EQ(keysOf(a)[1], (std::pair<float, float>{20.0f, 0.8f}));
        keyDown(Key::Escape); // leaves the field
        keyUp(Key::Escape);
    }
}

TEST_F(EditorKeyboard, EnterOverAKeyOpensItsFieldAfterADragAndOverASelection) {
    // A drag ends with the mouse over the key it moved.
    press(PointerButton::Left, 0.5f, kStrip);
    move(0.525f, kStrip);
    release(PointerButton::Left, 0.525f, kStrip);
    ASSERT_EQ(keysOf(a)[1].first, 21.0f);
    keyDown(Key::Enter);
    keyUp(Key::Enter);
    ASSERT_TRUE(editor->keyEntry().isOpen());
    EXPECT_EQ(editor->keyEntry().keyIndex(), 1);
    keyDown(Key::Escape);
    keyUp(Key::Escape);
    // With another key selected, the key under the mouse is the one.
    keyDown(Key::Control);
    click(0.25f, kStrip);
    keyUp(Key::Control);
    move(0.75f, kStrip);
    keyDown(Key::Enter);
    keyUp(Key::Enter);
    ASSERT_TRUE(editor->keyEntry().isOpen());
    EXPECT_EQ(editor->keyEntry().keyIndex(), 2);
}
