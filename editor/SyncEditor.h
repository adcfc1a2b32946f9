#pragma once
// The sync editor: an overlay over the finished frame with which the makers shape the
// controllers against the music. It shows the song's waveform, a ruler, the keys and
// the curve of the selected controller, drop-down panels (workspace commands, layers,
// controllers), transport buttons and the clock, and turns mouse and keyboard input
// into edits. Every edit first saves all controllers to a snapshot file in "editor",
// which undo reads back. The frame loop drives it when one is attached.
//
// SyncEditor.cpp holds its life and commands, SyncEditorKeyCommands.cpp the loop,
// bookmarks and copy and paste, SyncEditorKeyboard.cpp the arrow keys' selection and
// nudges, SyncEditorInput.cpp the input, SyncEditorOverlay.cpp the drawing;
// EditorLayout.h says where everything lies, Notices what the maker is told.
#include "platform/InputEvent.h"
#include "sync/SyncTextSource.h"
#include "editor/BeatGrid.h"
#include "editor/Bookmarks.h"
#include "editor/ButtonGroup.h"
#include "editor/DropDownList.h"
#include "editor/EditorFont.h"
#include "editor/EditorLayout.h"
#include "editor/KeyEntry.h"
#include "editor/Notices.h"
#include "editor/RecordingTake.h"
#include "editor/TimeAxis.h"
#include "editor/UndoHistory.h"

#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <string>
#include <vector>

namespace qelFramework {

class Timeline;
class Transport;
class SyncController;
class SyncData;
class GL_TextureManager;

class SyncEditor {
public:
    static constexpr const char* kSongFile = "data/quillmont.mp3";
    static constexpr const char* kSnapshotFolder = "editor";
    static constexpr const char* kTempoFile = "data/tempo.txt";
    static constexpr const char* kBookmarksFile = "editor/bookmarks.txt";
    // PageUp within this many seconds after a bookmark goes to the one before it, so
    // that presses while the music plays walk back.
    static constexpr float kBookmarkBackReach = 0.5f;

    // Keyboard nudges: a key's time by one frame at 60 frames a second, its value by a
    // small or (with Shift) a large step.
    static constexpr float kNudgeFrameSeconds = 1.0f / 60.0f;
    static constexpr float kNudgeValueSmall = 0.01f, kNudgeValueLarge = 0.1f;

    enum DragMode : int { NoDrag = 0, MovingKey = 1, ChangingValues = 2 };

    // Edits the controllers in sync, against the layers and schedule of timeline, moves
    // time through transport, and saves to (and resets from) syncFile.
    SyncEditor(const Timeline& timeline, SyncData& sync, Transport& transport, std::string syncFile);
    virtual ~SyncEditor();

    // With a sync text (--sync-text): "save" writes the text file, "reset" reads it back.
    void saveToSyncText(SyncTextSource* source) { textSource = source; }
    // The production's draft level, shown under the clock (1: full size, shown as nothing).
    void showDraft(int divisor) { draftDivisor = divisor; }

    // Before the first frame: fonts, button pictures, panels, the song, the beat grid and
    // the bookmarks. Needs the production's GL context to be current.
    virtual void init();
    // Every frame before the controllers are evaluated: when the play line has run past
    // the loop's end, the transport goes back to the loop's start.
    void beforeFrame();
    // The watched sync text changed: what compiled is merged as one edit (undo takes it
    // back; the selection and the view stay), and the trace record shows as a notice;
    // a text that did not compile changes nothing and shows its message as a warning.
    void takeSyncTextChange(SyncTextSource& source, SyncTextSource::Change change);
    // Every rendered frame, after the layers; compiles the curve list once a frame.
    virtual void draw();
    // Every input event, before the layers see it. True when the editor used the event
    // for itself: an Escape it took (closing a field, clearing a filter) then does not
    // quit the production.
    virtual bool handleMessage(const InputEvent& event);
    // Once at teardown: keeps edits never saved in a file of their own, deletes the
    // session's snapshot files and the GL objects the editor made.
    virtual void shutdown();

    // The song for the waveform and the time axis (interleaved 16-bit stereo). Without
    // one, init decodes the soundtrack.
    void setSong(std::vector<std::int16_t> samples, std::uint32_t frameCount, std::uint32_t framesPerSecond);

    // Saves every controller to a new snapshot file and pushes its name with the edit's
    // (what: "move key"); the edit that follows clears the redo list.
    void takeSnapshot(const char* what);
    // Restores the newest snapshot and pops it, after saving the state it leaves for redo.
    void undo();
    // Brings back what the last undo took, after saving the state it leaves for undo.
    void redo();
    // True when the controllers differ from what was last loaded, saved or kept.
    bool hasUnsavedEdits() const;

    // What the editor shows and holds, for its users and tests.
    TimeAxis& timeAxis() { return axis; }
    const TimeAxis& timeAxis() const { return axis; }
    SyncController* selectedController() const { return selected; }
    int selectedControllerIndex() const { return selectedIndex; }
    const std::vector<int>& selectedKeys() const { return selectedKeyList; }
    int selectedSegment() const { return segment; }
    int hoveredKey() const { return hovered; }
    int dragMode() const { return drag; }
    bool recordMode() const { return recording; }
    bool hidden() const { return isHidden; }
    bool zooming() const { return zoomDragging; }
    bool cursorVisible() const { return cursorShown; }
    // The time under the mouse in the current view.
    float cursorTime() const { return axis.xToTime(mouseX); }
    // The field for typing a key's time and value, while open.
    const KeyEntry& keyEntry() const { return entry; }
    bool helpVisible() const { return helpShown; }
    const std::vector<std::string>& undoStack() const { return history.undoStack(); }
    const std::vector<std::string>& redoStack() const { return history.redoStack(); }
    // Where edits that were never saved were kept (at a quit, or by shutdown); empty when
    // none were.
    const std::string& keptUnsavedFile() const { return unsavedFile; }
    // Whether shutdown found edits it could keep nowhere (the program then ends with 3).
    bool lostEdits() const { return editsLost; }
    // How long a second Escape may follow the first that could not keep the edits.
    static constexpr double kQuitAgainSeconds = 5.0;
    const std::string& mouseStatus() const { return mouseStatusText; }
    // The last notice given (saves, refusals, undo...), shown or gone; empty when none.
    const std::string& notice() const { return notices.text(); }
    const Notices& noticeBoard() const { return notices; }
    const BeatGrid& beatGrid() const { return grid; }
    const Bookmarks& bookmarks() const { return marks; }
    bool looping() const { return loopOn; }
    float loopStart() const { return loopFrom; }
    float loopEnd() const { return loopTo; }
    // Keys Ctrl+C copied: the time after the first copied key, value, and the shape and
    // preset of the segment that ends at the key.
    struct CopiedKey {
        double after = 0.0;
        float value = 0.0f;
        std::int32_t kind = 0, ends = 0;
    };
    const std::vector<CopiedKey>& copiedKeys() const { return copied; }
    DropDownList& workspacePanel() { return workspace; }
    DropDownList& layersPanel() { return layers; }
    DropDownList& controllersPanel() { return controllers; }
    DropDownList& controllers2Panel() { return controllers2; }
    ButtonGroup& shapeButtons() { return shapes; }
    ButtonGroup& transportButtons() { return playButtons; }

protected:
    const Timeline& timeline;
    SyncData& sync;
    Transport& transport;

private:
    int draftDivisor = 1; // the production's draft level, for the read-out
    void loadSong();
    void makeFonts(int viewportHeight);
    void makeButtons();
    void fillPanels();
    void selectController(int index);
    // The four panels with the places they are drawn at.
    std::array<std::pair<DropDownList*, EditorLayout::PanelPlace>, 4> panelPlaces();
    // A notice at the top right for a few seconds, traced under source (null: already traced).
    void setNotice(const std::string& text, bool warning, const char* source = "syncEditor");
    void reportStep(const UndoHistory::Step& step, const char* what);
    void rememberSavedState();
    // Writes edits never saved to the first folder that takes them: the snapshot
    // folder, the user's state folder, the temporary folder. False when none does: with
    // why, each folder's reason goes there; without, it is said on standard error and in
    // the trace.
    bool keepUnsavedEdits(std::string* why = nullptr);
    // An Escape that would quit: true when it may. With unsaved edits they are kept first;
    // when they can be kept nowhere the first Escape is held with a notice, and a second
    // within kQuitAgainSeconds quits without them.
    bool readyToQuit();

    int keyHitTest() const;
    float snapTime() const;
    // Seeks, and counts the new time as seen by the loop (a seek is no run past its end).
    void seekTo(float t);
    // After the data changed under the editor: indices that no longer exist are dropped.
    void keepSelectionValid();
    bool keyHeld(Key key) const { return keyState[static_cast<int>(key)]; }

    // The pointer at x, y in window pixels.
    void onMouseMove(int x, int y);
    void onLeftDown();
    void onLeftUp();
    void onRightDown();
    void onRightUp();
    void onMiddleDown();
    // A key pressed with the editor ready; fresh is false for the keyboard's repeats.
    void onKeyDown(Key key, bool fresh);
    // Typed characters: into the key-entry field, or the controller filter; true when taken.
    bool onTyped(const std::string& characters);
    void toggleLoop();
    void toggleBookmark();
    // Names the snapshots a killed session left in the snapshot folder (one WARNING).
    void reportLeftoverSnapshots() const;
    void jumpToBookmark(bool forward);
    void copyKeys();
    void pasteKeys();
    void pickController(DropDownList& clicked, DropDownList& other, int id);
    void workspaceCommand(int id);
    bool insideSong(float t) const { return t >= 0.0f && t <= axis.songSeconds(); }
    // A press of Space in record mode, at the performance-counter reading it happened.
    void recordKeyAt(std::int64_t counter);
    // True when the mouse lies on a panel (its title, and its rows while open); with
    // overControl also on a transport button or a shape button being shown. A click
    // there goes to that element alone.
    bool overPanel() const;
    bool overControl() const;
    bool controllerPanelOpen() const { return controllers.open || controllers2.open; }
    void setControllerFilter(const std::string& letters);
    // Keyboard editing (SyncEditorKeyboard.cpp): true when the key was taken.
    bool onEditingKey(Key key);
    void selectNeighbourKey(bool forward);
    void nudgeKeyTimes(float by, const char* unit);
    void nudgeKeyValues(float by);
    void applyPlayLineField();
    // The open field's left edge (window x): over its key, or over the play line.
    float entryX() const;
    // A refusal beside the first selected key, else beside the pointer.
    void refuseAtKey(const std::string& why);
    // A drag of key that could not follow the pointer to t: says where it stops.
    void refuseDrag(int key, float t);
    // The key-entry field: opens on a key, and Enter applies what was typed.
    void openKeyEntry(int key);
    void applyKeyEntry();
    bool onEntryKey(Key key);

    void drawOverlayText();
    void drawDragReadout();
    void drawHelp();
    void drawNotice();
    void drawKeyEntry();
    void drawControllerName();
    void drawButtonName();
    // Text in the normal font, in window fractions: its width, and drawn to end at x.
    float textWidth(const std::string& text) const;

    // The WORKSPACE panel's items.
    enum WorkspaceItem : int { WorkspaceSave = 0, WorkspaceUndo = 1, WorkspaceReset = 2, WorkspaceHelp = 3 };

    TimeAxis axis;
    SyncController* selected = nullptr;
    EditorFont normalFont;
    EditorFont clockFont;
    EditorFont rulerFont;
    int hovered = -1;
    std::vector<int> selectedKeyList;
    int selectedIndex = -1;
    int segment = -1;
    bool cursorShown = false;
    float mouseX = 0.0f, mouseY = 0.0f;
    std::array<bool, kKeyCount> keyState{};
    bool recording = false;
    float zoomAnchor = 0.0f, zoomCurrent = 0.0f;
    bool zoomDragging = false;
    std::unique_ptr<GL_TextureManager> textures;
    std::string syncFile;
    UndoHistory history;
    std::vector<unsigned char> savedImage;   // the controllers as last loaded or saved
    std::string unsavedFile;
    bool editsLost = false;
    std::int64_t quitHeldAt = 0; // performance-counter reading of the Escape that was held, or 0

    ButtonGroup shapes;
    ButtonGroup playButtons; // play, pause, record
    DropDownList workspace{"WORKSPACE"};
    DropDownList layers{"LAYERS"};
    DropDownList controllers{"CONTROLLERS"};
    DropDownList controllers2{"CONTROLLERS 2"};

    SyncTextSource* textSource = nullptr;
    BeatGrid grid;
    Bookmarks marks;
    bool loopOn = false;
    float loopFrom = 0.0f, loopTo = 0.0f;
    float lastFrameTime = 0.0f; // the production time the loop saw last
    std::vector<CopiedKey> copied;

    int drag = NoDrag;
    float dragStartY = 0.0f, dragStartValue = 0.0f;
    bool recordedThisTake = false; // a key of the current recording took its snapshot
    RecordingTake take;            // where the current recording's presses land
    KeyEntry entry;
    bool isHidden = false;
    std::string mouseStatusText;
    bool helpShown = false;
    Notices notices;
    bool songGiven = false;
    bool initialised = false;
};

} // namespace qelFramework
