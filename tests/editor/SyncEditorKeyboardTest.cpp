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
