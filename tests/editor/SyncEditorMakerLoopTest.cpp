// The maker's loop in the editor: the beat grid, the loop, bookmarks, copy and paste,
// and the watched sync text's reloads and saves.
#include "EditorFixture.h"

#include "sync/SyncTextSource.h"
#include "editor/BeatGrid.h"
#include "editor/Bookmarks.h"

using namespace qelFramework;
using qmtest::keysOf;
using qmtest::Keys;

namespace {
constexpr float kStrip = 0.23f; // the row where keys are hit
const char* const kTempo = "bpm 127\noffset 0.2\nbeats-per-bar 4\n";

// Beat n of 127 BPM from 0.2 s, as a float key time.
float beat(int n) { return static_cast<float>(0.2 + n * 60.0 / 127.0); }

// The editor with the forge's tempo file beside the song.
class EditorMakerLoop : public qmtest::EditorTest {
protected:
    void prepare() override { qmtest::writeFile("data/tempo.txt", kTempo); }
    using qmtest::EditorTest::press;
    void press(Key key) {
        keyDown(key);
        keyUp(key);
    }
    void ctrl(Key key) {
        keyDown(Key::Control);
        press(key);
        keyUp(Key::Control);
    }
    void restart() {
        editor->shutdown();
        editor = makeEditor();
        editor->setSong(std::vector<std::int16_t>(kFrames * 2), kFrames, kRate);
        editor->init();
    }
};
} // namespace

TEST_F(EditorMakerLoop, AltSnapsADraggedKeyAndARecordedKeyToTheNearestBeat) {
    press(PointerButton::Left, 0.5f, kStrip); // the key at 20 s
    keyDown(Key::Alt);
    move(0.3f, 0.3f); // 12 s: beat 25 lies at 12.011 s
    EXPECT_EQ(a->keyTime(1), beat(25));
    move(0.31f, 0.3f); // 12.4 s: beat 26, 12.483 s
    EXPECT_EQ(a->keyTime(1), beat(26));
    keyUp(Key::Alt);
    move(0.31f, 0.3f);
    EXPECT_FLOAT_EQ(a->keyTime(1), 12.4f);
    release(PointerButton::Left, 0.31f, 0.3f);

    keyDown(Key::Shift);
    clickControllerRow(1); // compare with "Test: B", keys at 15 s and 25 s
    press(PointerButton::Left, 0.31f, kStrip);
    keyDown(Key::Alt);
    move(0.3775f, 0.3f); // 15.1 s: Shift's comparison key in reach wins over beat 32
    EXPECT_EQ(a->keyTime(1), 15.0f);
    move(0.45f, 0.3f); // 18 s: no comparison key in reach: beat 38
    EXPECT_EQ(a->keyTime(1), beat(38));
    release(PointerButton::Left, 0.45f, 0.3f);
    keyUp(Key::Alt);
    keyUp(Key::Shift);

    // Record mode: Alt + Space on the beat nearest the press, Space alone on it.
    click(0.97f, 0.89f);
    for (float pressed : {12.2f, 13.0f}) {
        transport.time = pressed;
        if (pressed < 13.0f)
            keyDown(Key::Alt);
        keyDown(Key::Space);
        keyUp(Key::Space);
        keyUp(Key::Alt);
    }
    EXPECT_EQ(keysOf(a), (Keys{{10.0f, 0.2f}, {beat(25), 0.0f}, {13.0f, 0.0f}, {beat(38), 0.8f}, {30.0f, 0.5f}}));
}

TEST_F(EditorMakerLoop, SnapshotsLeftByAKilledSessionAreNamedAtStartAndKept) {
    for (const char* name : {"editor/--3--2026-01-01!00-00-00.dat", "editor/--9--2026-01-01!00-01-00.dat",
                             "editor/bookmarks.txt", "editor/unsaved-2026-01-01-00-02-00.dat"})
        qmtest::writeFile(name, "x");
    restart();
    const std::vector<std::string> records = trace.records();
    EXPECT_EQ(std::count(records.begin(), records.end(),
                         "WARNING (syncEditor): editor holds 2 undo snapshots of a session that did not end in order "
                         "(--9--2026-01-01!00-01-00.dat among them); they are kept, and quillmont-sync dump reads them"),
              1);
    EXPECT_TRUE(std::filesystem::exists("editor/--3--2026-01-01!00-00-00.dat"));
}

TEST(BeatGrid, TempoFilesThatAreMissingCutOrDamagedGiveNoGridAndNameTheLine) {
    qmtest::WorkingFolder folder;
    qmtest::TraceCapture trace;
    Trace::setHighestLevel(Trace::Info);
    BeatGrid grid;
    EXPECT_EQ(grid.load("tempo.txt"), BeatGrid::Load::missing);
    EXPECT_TRUE(trace.records().empty());
    const std::string text = kTempo;
    for (std::size_t cut = 0; cut < text.size(); ++cut) {
        std::string error;
        const bool whole = cut == text.size() - 1; // only the last line end may go
        EXPECT_EQ(grid.parse(text.substr(0, cut), error), whole) << cut << " " << error;
        if (!whole) {
            EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
        }
    }
    const std::pair<const char*, const char*> damaged[] = {
        {"bpm 127\noffset 0.2\n", "line 3: expected 'beats-per-bar N' (1 to 32), found the end of the file"},
        {"bpm nan\noffset 1e30\n", "line 1: expected 'bpm"},
        {"bpm 127\noffset 1e30\n", "line 2: expected 'offset"},
        {"beats-per-bar 4.5\n", "line 1: expected 'beats-per-bar"},
        {"bpm 90\noffset 0\nbeats-per-bar 33\n", "line 3: expected 'beats-per-bar N' (1 to 32)"},
        {"bpm 127\nbpm 120\n", "line 2: bpm given twice"},
        {"\x01\xff\n", "line 1: expected bpm, offset or beats-per-bar, found '\x01\xff'"},
    };
    for (auto [bad, message] : damaged) {
        std::string error;
        EXPECT_FALSE(grid.parse(bad, error)) << bad;
        EXPECT_EQ(error.rfind(message, 0), 0u) << error;
    }
    std::string error;
    EXPECT_TRUE(grid.parse("bpm 90\noffset 0\nbeats-per-bar 32\n", error)) << error;
    EXPECT_TRUE(grid.parse("# waltz\n\nbeats-per-bar 3 # three\n offset -0.5\nbpm 90\n", error)) << error;
    EXPECT_EQ(grid.barOf(-1), 0);
    EXPECT_EQ(grid.barOf(3), 2);

    qmtest::writeFile("tempo.txt", "bpm 127\noffset 0.2\nbeats-per-bar four\n");
    EXPECT_EQ(grid.load("tempo.txt"), BeatGrid::Load::damaged);
    EXPECT_FALSE(grid.present());
    EXPECT_EQ(trace.records(), std::vector<std::string>{"WARNING (beatGrid): tempo.txt: line 3: expected 'beats-per-bar N' "
                                                        "(1 to 32), found 'beats-per-bar four': no beat grid"});
    qmtest::writeFile("tempo.txt", text + std::string(5000, '\n'));
    EXPECT_EQ(grid.load("tempo.txt"), BeatGrid::Load::damaged);
    EXPECT_NE(trace.text().find("larger than 4096 bytes"), std::string::npos);
    Trace::reset();
}

TEST_F(EditorMakerLoop, TheLoopWrapsAtTheEndOfTheZoomedRangeButNotAfterASeek) {
    press(PointerButton::Left, 0.25f, 0.1f); // zoom to 10 s .. 20 s
    move(0.5f, 0.1f);
    release(PointerButton::Left, 0.5f, 0.1f);
    press(Key::L);
    EXPECT_TRUE(editor->looping());
    EXPECT_TRUE(editor->timeAxis().loopVisible);
    EXPECT_EQ(editor->loopEnd(), 20.0f);
    EXPECT_EQ(transport.seeks, std::vector<float>{10.0f}); // the play line was outside: to its start
    for (float t : {15.0f, 19.99f, 20.01f}) {
        transport.time = t;
        editor->beforeFrame();
    }
    EXPECT_EQ(transport.seeks, (std::vector<float>{10.0f, 10.0f}));

    // A seek past the end is the maker's and stays; L again ends the loop.
    press(PointerButton::Right, 0.5f, 0.1f); // the whole song in view; the loop stays
    keyDown(Key::Tab);
    click(0.75f, 0.3f);
    keyUp(Key::Tab);
    transport.time = 31.0f;
    editor->beforeFrame();
    press(Key::L);
    transport.time = 15.0f;
    editor->beforeFrame();
    transport.time = 21.0f;
    editor->beforeFrame();
    EXPECT_EQ(transport.seeks, (std::vector<float>{10.0f, 10.0f, 30.0f}));
    EXPECT_FALSE(editor->looping());
}

TEST_F(EditorMakerLoop, BookmarksToggleJumpWithThePageKeysAndSurviveARestart) {
    for (float t : {12.0f, 30.0f, 30.1f, 30.0f}) { // 30.1 s lies within reach of 30 s: removes it
        transport.time = t;
        press(Key::B);
        if (t == 30.1f) {
            EXPECT_EQ(qmtest::readFile("editor/bookmarks.txt"), "12\n");
        }
    }
    transport.time = 0.0f;
    for (Key key : {Key::PageDown, Key::PageDown, Key::PageDown, Key::PageUp})
        press(key);
    transport.time = 12.3f; // just past a bookmark: the one before it (none)
    press(Key::PageUp);
    transport.time = 13.0f;
    press(Key::PageUp);
    EXPECT_EQ(transport.seeks, (std::vector<float>{12.0f, 30.0f, 12.0f, 12.0f}));
    EXPECT_TRUE(editor->undoStack().empty());

    restart();
    EXPECT_EQ(editor->bookmarks().times(), (std::vector<float>{12.0f, 30.0f}));
    std::filesystem::create_directory("editor/bookmarks.txt.quillmont-tmp"); // a write that fails keeps the file
    press(Key::B);
    EXPECT_EQ(qmtest::readFile("editor/bookmarks.txt"), "12\n30\n");
    EXPECT_NE(editor->notice().find("bookmarks not saved"), std::string::npos);

    // A hand-written mark past the song's end is kept but never sought; a file that could
    // not be read is never written over.
    std::filesystem::remove("editor/bookmarks.txt.quillmont-tmp");
    qmtest::writeFile("editor/bookmarks.txt", "12\n1e30\n");
    restart();
    transport.seeks.clear();
    press(Key::PageDown);
    EXPECT_TRUE(transport.seeks.empty());
    std::filesystem::resize_file("editor/bookmarks.txt", (1u << 20) + 1);
    restart();
    press(Key::B);
    EXPECT_EQ(std::filesystem::file_size("editor/bookmarks.txt"), (1u << 20) + 1);
    EXPECT_NE(editor->notice().find("could not be read at start"), std::string::npos);
}

TEST(Bookmarks, CutAndDamagedFilesKeepTheGoodLinesWithOneWarning) {
    qmtest::WorkingFolder folder;
    qmtest::TraceCapture trace;
    Trace::setHighestLevel(Trace::Info);
    const std::string text = "12.5\n30 # chorus\n";
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        int bad = 0, first = 0;
        std::string what;
        EXPECT_LE(Bookmarks::parse(text.substr(0, cut), bad, first, what).size(), 2u);
        EXPECT_EQ(bad, 0) << cut; // a cut line is a shorter number, or nothing
    }
    qmtest::writeFile("b.txt", "30\n3x\n-1\n\n# c\n12 # first\n1e50\nnan\n12\n0\n");
    Bookmarks marks;
    ASSERT_TRUE(marks.load("b.txt"));
    EXPECT_EQ(marks.times(), (std::vector<float>{0.0f, 12.0f, 30.0f}));
    EXPECT_EQ(trace.records(), std::vector<std::string>{"WARNING (bookmarks): b.txt: line 2: expected a time in seconds "
                                                        "(0 or more), found '3x'; 4 lines left out"});
    std::filesystem::resize_file("b.txt", (1u << 20) + 1);
    EXPECT_FALSE(marks.load("b.txt"));
    EXPECT_TRUE(marks.times().empty());
    Trace::reset();
}

TEST_F(EditorMakerLoop, CopyAndPasteCarryValuesShapesAndSpacingAsOneEdit) {
    a->setSegmentKind(0, smoothstep); // 10 s to 20 s
    a->setSegmentEnds(0, valzero);
    const Keys original = keysOf(a);
    keyDown(Key::Control);
    click(0.25f, kStrip);
    click(0.5f, kStrip);
    press(Key::C);
    keyUp(Key::Control);

    // At the last key's time the first pasted key lands after it; 40 s is the song's end.
    const std::size_t edits = editor->undoStack().size();
    transport.time = 30.0f;
    ctrl(Key::V);
    EXPECT_EQ(keysOf(a), (Keys{{10.0f, 0.2f}, {20.0f, 0.8f}, {30.0f, 0.5f}, {30.0f, 0.2f}, {40.0f, 0.8f}}));
    EXPECT_EQ(a->segments()[2].kind, linear); // into the first pasted key: as by hand
    EXPECT_EQ(a->segments()[3].kind, smoothstep);
    EXPECT_EQ(a->segments()[3].ends, valzero);
    ASSERT_EQ(editor->undoStack().size(), edits + 1);
    editor->undo();
    EXPECT_EQ(keysOf(a), original);

    // Into another controller, the key past the song's end left out; with nothing
    // selected the copy stays, and a paste wholly past the end is no edit.
    clickControllerRow(1);
    transport.time = 35.0f;
    ctrl(Key::V);
    EXPECT_EQ(keysOf(b), (Keys{{15.0f, 0.3f}, {25.0f, 0.6f}, {35.0f, 0.2f}}));
    ctrl(Key::C);
    transport.time = 40.5f;
    ctrl(Key::V);
    EXPECT_EQ(editor->copiedKeys().size(), 2u);
    EXPECT_EQ(editor->undoStack().size(), edits + 1);
}

TEST_F(EditorMakerLoop, ASyncTextReloadIsOneEditThatKeepsTheViewAndSaveWritesTheTextWithItsComments) {
    const std::string text = "# mine\ncontroller \"Test: A\"\n10 0.2\n20 1 # peak\n30 0.5\n";
    qmtest::writeFile("c.txt", "controller \"Test: A\"\n10 0.2\n20 0.8\n30 0.5\n");
    SyncTextSource source("c.txt", "c.txt", 0.0);
    std::string error;
    ASSERT_TRUE(source.load(sync, error)) << error;
    editor->saveToSyncText(&source);
    clickControllerRow(1);
    press(PointerButton::Left, 0.25f, 0.1f); // zoom to 10 s .. 30 s
    move(0.75f, 0.1f);
    release(PointerButton::Left, 0.75f, 0.1f);

    qmtest::writeFile("c.txt", text + "controller \"Test: C\"\n5 1\n");
    editor->takeSyncTextChange(source, source.poll());
    EXPECT_EQ(a->keyValue(1), 1.0f);
    EXPECT_EQ(editor->selectedController(), b);
    EXPECT_EQ(editor->timeAxis().viewEnd, 30000u);
    EXPECT_EQ(editor->controllersPanel().allItems().size(), 3u);
    EXPECT_EQ(editor->notice(), "reloaded c.txt: 2 controllers");
    EXPECT_FALSE(editor->hasUnsavedEdits());
    ASSERT_EQ(editor->undoStack().size(), 1u);
    editor->undo();
    EXPECT_EQ(a->keyValue(1), 0.8f);
    editor->redo();

    // A broken text changes no key and shows its message; a save over it is refused.
    qmtest::writeFile("c.txt", "controller \"Test: A\"\n10 x\n");
    editor->takeSyncTextChange(source, source.poll());
    EXPECT_EQ(a->keyValue(1), 1.0f);
    EXPECT_EQ(editor->notice(), "c.txt: line 2: expected a value (a decimal number), found 'x'");
    clickWorkspaceItem(0);
    EXPECT_EQ(qmtest::readFile("c.txt"), "controller \"Test: A\"\n10 x\n");
    EXPECT_EQ(editor->notice(), "save failed: c.txt kept as it was");

    // Mended, edited here and saved: comments and untouched lines stay; reset reads it back.
    qmtest::writeFile("c.txt", text);
    editor->takeSyncTextChange(source, source.poll());
    clickControllerRow(0);
    press(PointerButton::Middle, 0.75f, 0.21f); // a key at 25 s
    clickWorkspaceItem(0);
    EXPECT_FALSE(editor->hasUnsavedEdits());
    EXPECT_EQ(qmtest::readFile("c.txt").rfind(
                  "# mine\ncontroller \"Test: A\"\n10 0.2\n20 1 # peak\n    25         0.75       linear valval\n30 0.5\n"
                  "\ncontroller \"Test: B\"\n",
                  0),
              0u)
        << qmtest::readFile("c.txt");
    EXPECT_EQ(source.poll(), SyncTextSource::Change::none);
    press(PointerButton::Middle, 0.9f, 0.21f);
    clickWorkspaceItem(4);
    EXPECT_EQ(a->keyCount(), 4);
}
