#include "EditorFixture.h"

#include "platform/Mp3Encoder.h"
#include "sync/SyncFile.h"

#include <regex>

using namespace qelFramework;
using qmtest::keysOf;
using qmtest::Keys;

namespace {
using EditorInput = qmtest::EditorTest;
constexpr float kStrip = 0.23f; // the row where keys are hit
} // namespace

TEST_F(EditorInput, MiddleClickInTheKeyStripAddsAKeyOnTheCurve) {
    ASSERT_EQ(editor->selectedController(), a);
    // 15 s lies halfway between (10, 0.2) and (20, 0.8): the key takes the curve's 0.5.
    press(PointerButton::Middle, 0.375f, 0.21f);
    EXPECT_EQ(keysOf(a), (Keys{{10.0f, 0.2f}, {15.0f, 0.5f}, {20.0f, 0.8f}, {30.0f, 0.5f}}));
    ASSERT_EQ(editor->undoStack().size(), 1u);
    EXPECT_TRUE(platform::fileExists(editor->undoStack()[0]));
    // The snapshot holds the state before the insertion.
    SyncData saved;
    readSyncFile(editor->undoStack()[0], saved);
    EXPECT_EQ(keysOf(saved.getController("Test: A")).size(), 3u);

    // On an existing key, or outside the strip, nothing is added and no snapshot taken.
    press(PointerButton::Middle, 0.25f, kStrip);
    press(PointerButton::Middle, 0.6f, 0.3f);
    press(PointerButton::Middle, 0.6f, 0.1f);
    EXPECT_EQ(a->keyCount(), 4);
    EXPECT_EQ(editor->undoStack().size(), 1u);
}

// The layers read `changed` from the frame's own evaluation; the editor's adds, its
// curve drawing and its read-outs at any other time leave that untouched.
TEST_F(EditorInput, AddsAndProbesAtAnyTimeLeaveTheLayersNextChangeAlone) {
    transport.time = 20.0f; // on the second key
    a->evaluate(20.0f);
    ASSERT_TRUE(a->changed);
    for (int i = 1; i < 40; ++i) {
        const float x = static_cast<float>(i) / 40.0f;
        press(PointerButton::Middle, x, 0.21f);
        move(x, 0.3f); // the curve area
        editor->draw();
        a->evaluate(20.0f);
        ASSERT_FALSE(a->changed) << "x = " << x;
        ASSERT_EQ(a->keyTime(a->lastKey()), 20.0f) << "x = " << x;
    }
    EXPECT_GT(a->keyCount(), 30);
}

TEST_F(EditorInput, DraggingTheFirstKeyPastTheSecondIsRefusedAndResumesWhenTheMouseComesBack) {
    press(PointerButton::Left, 0.25f, kStrip);
    EXPECT_EQ(editor->dragMode(), SyncEditor::MovingKey);
    EXPECT_EQ(editor->selectedKeys(), std::vector<int>{0});
    EXPECT_EQ(editor->undoStack().size(), 1u);
    move(0.4f, 0.3f);
    EXPECT_FLOAT_EQ(a->keyTime(0), 16.0f);
    move(0.5f, 0.3f); // onto the second key's time
    EXPECT_FLOAT_EQ(a->keyTime(0), 16.0f);
    move(0.6f, 0.3f); // past it
    EXPECT_FLOAT_EQ(a->keyTime(0), 16.0f);
    move(0.3f, 0.3f);
    EXPECT_FLOAT_EQ(a->keyTime(0), 12.0f);
    release(PointerButton::Left, 0.3f, 0.3f);
    EXPECT_EQ(editor->dragMode(), SyncEditor::NoDrag);
    EXPECT_TRUE(editor->selectedKeys().empty());
    move(0.2f, 0.3f); // released: the key stays
    EXPECT_FLOAT_EQ(a->keyTime(0), 12.0f);
    EXPECT_EQ(editor->undoStack().size(), 1u); // one move, one snapshot
}

TEST_F(EditorInput, ShiftSnapsAKeyToAComparisonKeyWithinReach) {
    keyDown(Key::Shift);
    clickControllerRow(1); // "Test: B" as comparison, keys at 15 s (x 0.375) and 25 s (x 0.625)
    keyUp(Key::Shift);
    ASSERT_EQ(editor->timeAxis().comparison, b);
    EXPECT_EQ(editor->controllersPanel().secondHighlightId, 1);
    EXPECT_EQ(editor->selectedController(), a); // the selection stays

    press(PointerButton::Left, 0.5f, kStrip); // the key at 20 s
    keyDown(Key::Shift);
    move(0.6275f, 0.3f); // 0.0025 from the comparison key
    EXPECT_FLOAT_EQ(a->keyTime(1), 25.0f);
    move(0.6325f, 0.3f); // 0.0075: still within 0.008
    EXPECT_FLOAT_EQ(a->keyTime(1), 25.0f);
    move(0.64f, 0.3f); // 0.015: follows the mouse
    EXPECT_FLOAT_EQ(a->keyTime(1), 25.6f);
    keyUp(Key::Shift);
    move(0.6275f, 0.3f); // without Shift no snapping
    EXPECT_FLOAT_EQ(a->keyTime(1), 25.1f);
    release(PointerButton::Left, 0.6275f, 0.3f);

    // Shift-clicking the comparison again clears it; without Shift a click selects.
    keyDown(Key::Shift);
    clickControllerRow(1);
    keyUp(Key::Shift);
    EXPECT_EQ(editor->timeAxis().comparison, nullptr);
    EXPECT_EQ(editor->controllersPanel().secondHighlightId, -1);
    clickControllerRow(1);
    EXPECT_EQ(editor->selectedController(), b);
    EXPECT_EQ(editor->timeAxis().comparison, nullptr);
}

TEST_F(EditorInput, AValueDragMovesEverySelectedKeyToOneClampedValue) {
    // Ctrl keeps the selection between clicks.
    keyDown(Key::Control);
    click(0.25f, kStrip);
    click(0.5f, kStrip);
    keyUp(Key::Control);
    ASSERT_EQ(editor->selectedKeys(), (std::vector<int>{0, 1}));
    const std::size_t before = editor->undoStack().size();

    press(PointerButton::Right, 0.5f, 0.3f);
    EXPECT_EQ(editor->dragMode(), SyncEditor::ChangingValues);
    EXPECT_EQ(editor->undoStack().size(), before + 1);
    move(0.5f, 0.31f); // the last selected key started at 0.8: 0.8 + 10 x 0.01
    EXPECT_NEAR(a->keyValue(0), 0.9f, 1e-4f);
    EXPECT_NEAR(a->keyValue(1), 0.9f, 1e-4f);
    move(0.5f, 0.4f);
    EXPECT_FLOAT_EQ(a->keyValue(0), 1.0f);
    EXPECT_FLOAT_EQ(a->keyValue(1), 1.0f);
    move(0.5f, 0.1f);
    EXPECT_FLOAT_EQ(a->keyValue(0), 0.0f);
    EXPECT_FLOAT_EQ(a->keyValue(1), 0.0f);
    EXPECT_FLOAT_EQ(a->keyValue(2), 0.5f);
    release(PointerButton::Right, 0.5f, 0.1f);
    EXPECT_EQ(editor->dragMode(), SyncEditor::NoDrag);
    EXPECT_EQ(editor->selectedKeys().size(), 2u); // a selection of several stays

    // A right drag without a selection takes the hovered key, and lets it go afterwards.
    click(0.9f, 0.3f);
    press(PointerButton::Right, 0.75f, kStrip);
    move(0.75f, 0.25f);
    EXPECT_NEAR(a->keyValue(2), 0.7f, 1e-4f);
    release(PointerButton::Right, 0.75f, 0.25f);
    EXPECT_TRUE(editor->selectedKeys().empty());
}

TEST_F(EditorInput, ATinyZoomDragChangesNothingAndARightClickInTheZoomBandRestoresTheSong) {
    press(PointerButton::Left, 0.25f, 0.1f);
    EXPECT_TRUE(editor->zooming());
    move(0.2525f, 0.1f); // 0.0025 of the width
    release(PointerButton::Left, 0.2525f, 0.1f);
    EXPECT_FALSE(editor->zooming());
    EXPECT_EQ(editor->timeAxis().viewStart, 0u);
    EXPECT_EQ(editor->timeAxis().viewEnd, kFrames);

    // Dragged right to left, 10 s to 20 s.
    press(PointerButton::Left, 0.5f, 0.1f);
    move(0.25f, 0.1f);
    EXPECT_TRUE(editor->timeAxis().rangeVisible);
    release(PointerButton::Left, 0.25f, 0.1f);
    EXPECT_EQ(editor->timeAxis().viewStart, 10000u);
    EXPECT_EQ(editor->timeAxis().viewEnd, 20000u);
    EXPECT_FALSE(editor->timeAxis().rangeVisible);
    EXPECT_FLOAT_EQ(editor->timeAxis().timeToX(15.0f), 0.5f);

    // A zoom past the song's end stops at its end.
    press(PointerButton::Left, 0.5f, 0.1f);
    move(1.0f, 0.1f);
    release(PointerButton::Left, 1.0f, 0.1f);
    EXPECT_EQ(editor->timeAxis().viewEnd, 20000u);

    press(PointerButton::Right, 0.5f, 0.1f);
    release(PointerButton::Right, 0.5f, 0.1f);
    EXPECT_EQ(editor->timeAxis().viewStart, 0u);
    EXPECT_EQ(editor->timeAxis().viewEnd, kFrames);
    EXPECT_FLOAT_EQ(editor->cursorTime(), 20.0f); // the time under the mouse follows the view
    EXPECT_TRUE(editor->undoStack().empty()); // zooming takes no snapshot
}

TEST_F(EditorInput, EveryPressOfSpaceInRecordModeIsAKeyAndTheRecordingIsOneUndoStep) {
    const Keys original = keysOf(a);
    click(0.97f, 0.89f); // the record button
    ASSERT_TRUE(editor->recordMode());
    EXPECT_TRUE(editor->undoStack().empty()); // switching on is no edit

    // Four quick taps between two frames (the clock last read 12 s): each key lands at
    // the moment of its own press, valued 0; a held key's repeats add nothing.
    transport.time = 12.0f;
    for (int ms : {100, 350, 600, 850}) {
        keyDown(Key::Space, ms);
        if (ms == 600)
            keyDown(Key::Space, ms); // the keyboard's repeat
        keyUp(Key::Space);
    }
    editor->draw();
    // At the last key's time the key lands after it; past the song's end there is none;
    // hidden, the editor records nothing.
    for (float t : {30.0f, 45.0f}) {
        transport.time = t;
        keyDown(Key::Space);
        keyUp(Key::Space);
    }
    platform::setKeyDown(Key::F5, true);
    editor->draw();
    platform::setKeyDown(Key::F5, false);
    transport.time = 36.0f;
    keyDown(Key::Space);
    keyUp(Key::Space);
    platform::setKeyDown(Key::F6, true);
    editor->draw();
    platform::setKeyDown(Key::F6, false);

    const Keys recorded{{10.0f, 0.2f}, {12.1f, 0.0f}, {12.35f, 0.0f}, {12.6f, 0.0f}, {12.85f, 0.0f},
                        {20.0f, 0.8f}, {30.0f, 0.5f}, {30.0f, 0.0f}};
    ASSERT_EQ(keysOf(a).size(), recorded.size());
    for (std::size_t i = 0; i < recorded.size(); ++i)
        EXPECT_NEAR(keysOf(a)[i].first, recorded[i].first, 1e-4f) << i;
    click(0.97f, 0.89f);
    ASSERT_FALSE(editor->recordMode());

    // One undo takes the whole recording back, and says so; redo brings it back.
    ASSERT_EQ(editor->undoStack().size(), 1u);
    editor->undo();
    EXPECT_EQ(keysOf(a), original);
    EXPECT_EQ(editor->notice(), "undo: record keys");
    editor->redo();
    EXPECT_EQ(keysOf(a).size(), recorded.size());
    EXPECT_EQ(editor->notice(), "redo: record keys");
}

TEST_F(EditorInput, UndoWalksBackOneActionAtATime) {
    std::vector<Keys> states{keysOf(a)};
    press(PointerButton::Middle, 0.625f, 0.21f); // add a key at 25 s
    states.push_back(keysOf(a));
    press(PointerButton::Left, 0.25f, kStrip); // move the first key to 5 s
    move(0.125f, 0.3f);
    release(PointerButton::Left, 0.125f, 0.3f);
    states.push_back(keysOf(a));
    press(PointerButton::Right, 0.5f, kStrip); // raise the key at 20 s
    move(0.5f, 0.24f);
    release(PointerButton::Right, 0.5f, 0.24f);
    states.push_back(keysOf(a));
    click(0.7f, 0.3f); // a segment, then its shape: exponential
    ASSERT_EQ(editor->selectedSegment(), 2);
    editor->draw(); // places the shape buttons over the segment
    click(0.625f + 0.005f, 0.4f + 0.11f + 0.02f); // over the segment's start key at 25 s
    EXPECT_EQ(a->segments()[2].kind, exponential);
    states.push_back(keysOf(a));
    keyDown(Key::Delete); // remove the key at 25 s
    press(PointerButton::Right, 0.625f, kStrip);
    keyUp(Key::Delete);
    states.push_back(keysOf(a));
    ASSERT_EQ(editor->undoStack().size(), 5u);
    ASSERT_EQ(a->keyCount(), 3);

    keyDown(Key::Control);
    for (int step = 4; step >= 0; --step) {
        keyDown(Key::Z);
        keyUp(Key::Z);
        EXPECT_EQ(keysOf(a), states[static_cast<std::size_t>(step)]) << "undo back to state " << step;
        if (step == 4) {
            EXPECT_EQ(a->segments()[2].kind, exponential);
        }
        if (step == 3) {
            EXPECT_EQ(a->segments()[2].kind, linear);
        }
    }
    EXPECT_TRUE(editor->undoStack().empty());
    keyDown(Key::Z); // nothing left to undo
    keyUp(Key::Z);
    EXPECT_EQ(keysOf(a), states[0]);

    // Redo brings the steps back one at a time, with Ctrl+Y or Ctrl+Shift+Z.
    for (std::size_t step = 1; step <= 5; ++step) {
        if (step % 2) {
            keyDown(Key::Y);
            keyUp(Key::Y);
        } else {
            keyDown(Key::Shift);
            keyDown(Key::Z);
            keyUp(Key::Z);
            keyUp(Key::Shift);
        }
        EXPECT_EQ(keysOf(a), states[step]) << "redo to state " << step;
    }
    EXPECT_EQ(a->segments()[2].kind, exponential);
    keyDown(Key::Y); // nothing left to redo
    keyUp(Key::Y);
    EXPECT_EQ(keysOf(a), states[5]);
    // Undo again, then a new edit: the redo list is gone.
    keyDown(Key::Z);
    keyUp(Key::Z);
    keyUp(Key::Control);
    EXPECT_EQ(keysOf(a), states[4]);
    EXPECT_EQ(editor->redoStack().size(), 1u);
    press(PointerButton::Middle, 0.9f, 0.21f);
    EXPECT_TRUE(editor->redoStack().empty());
    const Keys last = keysOf(a);
    keyDown(Key::Control);
    keyDown(Key::Y);
    keyUp(Key::Y);
    keyUp(Key::Control);
    EXPECT_EQ(keysOf(a), last);
}

namespace {
// A soundtrack of 40 s of quiet noise in data/quillmont.mp3.
class EditorWithSoundtrack : public qmtest::EditorTest {
protected:
    void prepare() override {
        std::vector<std::int16_t> pcm(40 * 8000 * 2);
        for (std::size_t i = 0; i < pcm.size(); ++i)
            pcm[i] = static_cast<std::int16_t>((i * 7919) % 200) - 100;
        std::string error;
        ASSERT_TRUE(platform::encodeMp3File("data/quillmont.mp3", pcm, 8000, 32, error)) << error;
    }
};
} // namespace

TEST_F(EditorWithSoundtrack, TheSongIsDecodedFromTheSoundtrackWhenNoneWasGiven) {
    std::unique_ptr<SyncEditor> made = makeEditor();
    SyncEditor& decoding = *made;
    decoding.init();
    EXPECT_EQ(decoding.timeAxis().framesPerSecond, 8000u);
    EXPECT_NEAR(decoding.timeAxis().songSeconds(), 40.0f, 0.1f);
    EXPECT_EQ(decoding.timeAxis().viewStart, 0u);
    EXPECT_EQ(decoding.timeAxis().viewEnd, decoding.timeAxis().frameCount);
    decoding.shutdown();
}

TEST_F(EditorInput, TabClickSeeksThroughTheTransportAndChangesNothingElse) {
    click(0.625f, 0.3f); // select segment 1
    ASSERT_EQ(editor->selectedSegment(), 1);
    const Keys keysA = keysOf(a), keysB = keysOf(b);
    transport.isPlaying = true;

    keyDown(Key::Tab);
    press(PointerButton::Left, 0.5f, kStrip); // on a key: would start a move without Tab
    keyUp(Key::Tab);
    EXPECT_EQ(transport.seeks, std::vector<float>{20.0f});
    EXPECT_EQ(editor->dragMode(), SyncEditor::NoDrag);
    EXPECT_TRUE(editor->selectedKeys().empty());
    EXPECT_EQ(editor->selectedSegment(), 1);
    EXPECT_TRUE(editor->undoStack().empty());
    EXPECT_EQ(keysOf(a), keysA);
    EXPECT_EQ(keysOf(b), keysB);
    EXPECT_EQ(editor->selectedController(), a);
    EXPECT_TRUE(transport.isPlaying);

    // The transport buttons: pause and play.
    click(0.94f, 0.89f);
    EXPECT_FALSE(transport.isPlaying);
    click(0.93f, 0.89f); // between the buttons
    click(0.875f, 0.89f);
    EXPECT_FALSE(transport.isPlaying);
    click(0.905f, 0.88f);
    EXPECT_TRUE(transport.isPlaying);
    EXPECT_EQ(transport.seeks.size(), 1u);
}

TEST_F(EditorInput, QuittingKeepsUnsavedEditsInAFileAndLeavesNoSnapshots) {
    // Edits that were saved, or taken back, are not unsaved.
    press(PointerButton::Middle, 0.3f, 0.21f);
    clickWorkspaceItem(0);
    EXPECT_FALSE(editor->hasUnsavedEdits());
    press(PointerButton::Middle, 0.4f, 0.21f);
    EXPECT_TRUE(editor->hasUnsavedEdits());
    editor->undo();
    EXPECT_FALSE(editor->hasUnsavedEdits());
    editor->redo();
    editor->undo();
    press(PointerButton::Middle, 0.6f, 0.21f);
    const Keys edited = keysOf(a);

    testing::internal::CaptureStderr();
    editor->shutdown();
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string kept = editor->keptUnsavedFile();
    EXPECT_TRUE(std::regex_match(kept, std::regex(R"(editor/unsaved-\d{4}(-\d\d){5}\.dat)"))) << kept;
    EXPECT_NE(err.find("unsaved edits kept in " + kept), std::string::npos) << err;
    EXPECT_TRUE(trace.contains("unsaved edits kept in " + kept)) << trace.text();
    SyncData restored;
    ASSERT_EQ(readSyncFile(kept, restored), SyncReadResult::read);
    EXPECT_EQ(keysOf(restored.getController("Test: A")), edited);
    // Every snapshot, undone or not, is gone: only the kept edits stay.
    const std::vector<std::string> left = snapshotFiles();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_NE(left[0].find("unsaved-"), std::string::npos);

    // A session without edits keeps nothing.
    std::unique_ptr<SyncEditor> made = makeEditor();
    SyncEditor& quiet = *made;
    quiet.setSong(std::vector<std::int16_t>(kFrames * 2), kFrames, kRate);
    quiet.init();
    quiet.shutdown();
    EXPECT_TRUE(quiet.keptUnsavedFile().empty());
    EXPECT_EQ(snapshotFiles().size(), 1u);
    editor.reset();
}

TEST_F(EditorInput, ADragPastTheWindowsEdgesKeepsTheKeyInTheSongAndTheValueInRange) {
    press(PointerButton::Left, 0.25f, kStrip); // the key at 10 s
    move(-0.1f, 0.3f);                    // 40 pixels left of the window
    EXPECT_FLOAT_EQ(a->keyTime(0), 0.0f);
    release(PointerButton::Left, -0.1f, 0.3f);
    press(PointerButton::Left, 0.75f, kStrip); // the key at 30 s
    move(1.3f, 0.3f);                     // right of the window, past the song's 40 s
    EXPECT_FLOAT_EQ(a->keyTime(2), 40.0f);
    release(PointerButton::Left, 1.3f, 0.3f);
    // A value drag past the top edge: the value goes up, to 1.
    press(PointerButton::Right, 0.5f, kStrip);
    move(0.5f, 1.1f);
    EXPECT_FLOAT_EQ(a->keyValue(1), 1.0f);
    release(PointerButton::Right, 0.5f, 1.1f);
}

TEST_F(EditorInput, SnapshotsMakeTheirFolderAndAFailedSnapshotStillEdits) {
    std::filesystem::remove_all("editor");
    press(PointerButton::Middle, 0.3f, 0.21f);
    ASSERT_EQ(editor->undoStack().size(), 1u);
    EXPECT_TRUE(platform::fileExists(editor->undoStack()[0]));

    // A file where the folder should be: the edit is made, the step cannot be undone.
    std::filesystem::remove_all("editor");
    qmtest::writeFile("editor", "not a folder");
    press(PointerButton::Middle, 0.4f, 0.21f);
    EXPECT_EQ(a->keyCount(), 5);
    EXPECT_EQ(editor->undoStack().size(), 1u);
    EXPECT_NE(editor->notice().find("cannot be undone"), std::string::npos);
    EXPECT_TRUE(trace.contains("WARNING"));
    EXPECT_FALSE(trace.contains("ERROR")) << trace.text();
}

TEST_F(EditorInput, TheWorkspacePanelSavesResetsAndKeepsTheOldFileWhenASaveFails) {
    clickWorkspaceItem(0); // save
    EXPECT_FALSE(editor->workspacePanel().open);
    EXPECT_NE(editor->notice().find("saved"), std::string::npos);
    const std::string saved = qmtest::readFile("data/demosynch.dat");
    ASSERT_FALSE(saved.empty());

    press(PointerButton::Middle, 0.3f, 0.21f); // an edit ...
    ASSERT_EQ(a->keyCount(), 4);
    clickWorkspaceItem(4); // ... reset brings back the saved keys ...
    EXPECT_EQ(a->keyCount(), 3);
    EXPECT_EQ(editor->undoStack().size(), 2u);
    clickWorkspaceItem(2); // ... and undo (from the panel) the edit
    EXPECT_EQ(a->keyCount(), 4);
    EXPECT_EQ(editor->undoStack().size(), 1u);

    // The temporary file of the save cannot be made: the saved file stays as it was.
    press(PointerButton::Middle, 0.3f, 0.21f);
    std::filesystem::create_directory("data/demosynch.dat.quillmont-tmp");
    trace.clear();
    clickWorkspaceItem(0);
    EXPECT_EQ(qmtest::readFile("data/demosynch.dat"), saved);
    EXPECT_NE(editor->notice().find("save failed"), std::string::npos);
    EXPECT_TRUE(trace.contains("WARNING"));
    EXPECT_FALSE(trace.contains("ERROR"));

    // Help only closes the panel, and shows the controls until the next click.
    clickWorkspaceItem(6);
    EXPECT_TRUE(editor->helpVisible());
    EXPECT_FALSE(editor->workspacePanel().open);
    click(0.5f, 0.6f);
    EXPECT_FALSE(editor->helpVisible());
}

TEST_F(EditorInput, EventsBeforeInitAndOddKeysAreHarmless) {
    std::unique_ptr<SyncEditor> made = makeEditor();
    SyncEditor& fresh = *made;
    fresh.handleMessage(at(EventKind::PointerMove, 0.5f, 0.3f));
    fresh.handleMessage(at(EventKind::ButtonDown, 0.5f, 0.3f, PointerButton::Left));
    fresh.handleMessage(InputEvent::keyDown(static_cast<Key>(kKeyCount)));
    fresh.draw();
    fresh.shutdown();
    editor->handleMessage(InputEvent::keyDown(static_cast<Key>(200)));
    editor->handleMessage(InputEvent::keyUp(static_cast<Key>(255)));
    editor->handleMessage(InputEvent::pointer(EventKind::ButtonDown, PointerButton::None, 0, 0));
    EXPECT_EQ(a->keyCount(), 3);
}

TEST_F(EditorInput, TypedNumbersSetAKeyOnlyWithinItsNeighboursAndTheSong) {
    // A double click on the key at 20 s opens the field on it.
    click(0.5f, kStrip);
    editor->handleMessage(at(EventKind::DoubleClick, 0.5f, kStrip, PointerButton::Left));
    release(PointerButton::Left, 0.5f, kStrip);
    ASSERT_TRUE(editor->keyEntry().isOpen());
    EXPECT_EQ(editor->keyEntry().keyIndex(), 1);
    EXPECT_EQ(editor->keyEntry().text(KeyEntry::Time), "20.000");
    const std::size_t edits = editor->undoStack().size();

    EXPECT_TRUE(type("31")); // past the next key at 30 s
    keyDown(Key::Tab);
    EXPECT_TRUE(type("0.25"));
    keyDown(Key::Enter);
    keyUp(Key::Enter);
    EXPECT_EQ(keysOf(a)[1], (std::pair<float, float>{20.0f, 0.8f}));
    EXPECT_TRUE(editor->keyEntry().isOpen());
    EXPECT_NE(editor->notice().find("time refused"), std::string::npos);
    keyDown(Key::Tab);
    keyDown(Key::Backspace);
    keyDown(Key::Backspace);
    EXPECT_TRUE(type("22.5"));
    keyDown(Key::Enter);
    keyUp(Key::Enter);
    EXPECT_EQ(keysOf(a)[1], (std::pair<float, float>{22.5f, 0.25f}));
    EXPECT_FALSE(editor->keyEntry().isOpen());
    EXPECT_EQ(editor->undoStack().size(), edits + 1);

    // Enter opens it on the one selected key; Escape leaves it without quitting.
    keyDown(Key::Control);
    click(0.25f, kStrip);
    keyUp(Key::Control);
    keyDown(Key::Enter);
    EXPECT_EQ(editor->keyEntry().keyIndex(), 0);
    EXPECT_TRUE(editor->handleMessage(InputEvent::keyDown(Key::Escape)));
    EXPECT_FALSE(editor->keyEntry().isOpen());
    EXPECT_EQ(keysOf(a)[0], (std::pair<float, float>{10.0f, 0.2f}));
}

namespace {
// 42 controllers: the list takes two columns, and row 30 ("Test: K", keys at 10, 20
// and 30 s) lies over the curve area when the first column is open.
class EditorWithManyControllers : public qmtest::EditorTest {
protected:
    void prepare() override {
        for (int i = 2; i < 40; ++i) {
            SyncController* c = sync.getController(i == 30 ? std::string("Test: K") : "Filler: " + std::to_string(i));
            if (i == 30)
                for (float t : {10.0f, 20.0f, 30.0f})
                    c->addKey(t, 0.5f);
        }
        sync.getController("Houses: Grow Main");
        sync.getController("Houses: Grow Ground");
    }
    void typeText(const char* text) {
        type(text);
    }
};
} // namespace

TEST_F(EditorWithManyControllers, AClickOnAnOpenPanelGoesToThePanelAlone) {
    const float rowY = 0.95f - 30.5f / 50.0f; // 0.34: over the curve area
    clickControllerRow(30);
    EXPECT_EQ(editor->selectedControllerIndex(), 30);
    EXPECT_EQ(editor->selectedSegment(), -1); // the curve behind the row stays unselected
    // Right and middle clicks on the open list add or change nothing.
    ASSERT_TRUE(editor->controllersPanel().open);
    press(PointerButton::Right, 0.4f, rowY);
    release(PointerButton::Right, 0.4f, rowY);
    press(PointerButton::Middle, 0.4f, 0.21f);
    EXPECT_EQ(editor->dragMode(), SyncEditor::NoDrag);
    EXPECT_TRUE(editor->undoStack().empty());
}

TEST_F(EditorWithManyControllers, TypingOverAnOpenControllerListFiltersBothColumns) {
    move(0.4f, 0.96f);
    ASSERT_TRUE(editor->controllersPanel().open);
    typeText("GrowL"); // any case; the L does not switch the loop on
    EXPECT_FALSE(editor->looping());
    EXPECT_TRUE(editor->controllersPanel().shownItems().empty());
    keyDown(Key::Backspace);
    EXPECT_EQ(editor->controllers2Panel().filter(), "Grow");
    const auto shown = editor->controllers2Panel().shownItems();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Houses: Grow Main");
    // The first row of the filtered column is the first match.
    move(0.6f, 0.96f);
    click(0.6f, 0.95f - 0.5f / 50.0f);
    EXPECT_EQ(editor->selectedControllerIndex(), 40);
    // Escape clears the filter and is taken (no quit); with no filter it is not.
    EXPECT_TRUE(editor->handleMessage(InputEvent::keyDown(Key::Escape)));
    EXPECT_EQ(editor->controllersPanel().shownItems().size(), 40u);
    keyUp(Key::Escape);
    EXPECT_FALSE(editor->handleMessage(InputEvent::keyDown(Key::Escape)));
}

// Edits never saved go to the first folder that takes them; where none does, the first
// Escape is held with a notice and the second quits without them.
TEST_F(EditorInput, UnsavedEditsGoWhereTheyCanBeKeptOrTheFirstEscapeIsHeld) {
    // The variables that name the user's state folder and the temporary folder.
#ifdef _WIN32
    const char* const stateVariable = "LOCALAPPDATA";
    const char* const temporaryVariable = "TMP";
#else
    const char* const stateVariable = "XDG_STATE_HOME";
    const char* const temporaryVariable = "TMPDIR";
#endif
    const char* saved[] = {std::getenv(stateVariable), std::getenv(temporaryVariable)};
    const std::string oldState = saved[0] ? saved[0] : "", oldTemporary = saved[1] ? saved[1] : "";
    // A plain file where editor/ should be: it takes neither snapshots nor the kept edits.
    std::filesystem::remove_all("editor");
    qmtest::writeFile("editor", "not a folder");
    setenv(stateVariable, folder.file("state").c_str(), 1);
    const auto escape = [this] {
        const bool held = editor->handleMessage(InputEvent::keyDown(Key::Escape));
        editor->handleMessage(InputEvent::keyUp(Key::Escape));
        return held;
    };

    press(PointerButton::Middle, 0.3f, 0.21f);
    const Keys edited = keysOf(a);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(escape()); // quits: kept in the state folder, named there
    std::string err = testing::internal::GetCapturedStderr();
    const std::string kept = editor->keptUnsavedFile();
    EXPECT_EQ(kept.rfind(folder.file("state/quillmont/unsaved-"), 0), 0u) << kept;
    EXPECT_NE(err.find("unsaved edits kept in " + kept), std::string::npos) << err;
    SyncData restored;
    ASSERT_EQ(readSyncFile(kept, restored), SyncReadResult::read);
    EXPECT_EQ(keysOf(restored.getController("Test: A")), edited);
    EXPECT_FALSE(editor->hasUnsavedEdits());

    // Neither the state folder nor the temporary folder can be made either. (The capture
    // of standard error starts first: it keeps its file in the temporary folder.)
    testing::internal::CaptureStderr();
    setenv(stateVariable, folder.file("editor/state").c_str(), 1);
    setenv(temporaryVariable, folder.file("editor/tmp").c_str(), 1);
    press(PointerButton::Middle, 0.4f, 0.21f);
    EXPECT_TRUE(escape()); // held
    EXPECT_NE(editor->notice().find("unsaved edits cannot be kept"), std::string::npos) << editor->notice();
    EXPECT_TRUE(trace.contains("editor/: Not a directory")) << trace.text();
    EXPECT_TRUE(trace.contains("press Escape again within 5 s")) << trace.text();
    EXPECT_FALSE(escape()); // the second quits
    editor->shutdown();
    err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(editor->lostEdits());
    // No snapshot was written, and none is claimed.
    EXPECT_EQ(err.find("snapshots stay"), std::string::npos) << err;
    EXPECT_NE(err.find("no undo snapshot was written"), std::string::npos) << err;

    for (auto [name, value] : {std::pair{stateVariable, oldState}, std::pair{temporaryVariable, oldTemporary}})
        value.empty() ? unsetenv(name) : setenv(name, value.c_str(), 1);
    editor.reset();
}
