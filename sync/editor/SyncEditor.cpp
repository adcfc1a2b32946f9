#include "sync/editor/SyncEditor.h"

#include "app/MusicStream.h"
#include "app/Trace.h"
#include "gl/GLHeaders.h"
#include "gl/GL_TextureManager.h"
#include "gl/UnitProjection.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Sound.h"
#include "sync/SyncData.h"
#include "sync/SyncFile.h"
#include "sync/SyncFileFormat.h"
#include "timeline/Timeline.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace qelFramework {

namespace {
const char* const kTag = "syncEditor";
// Without a decodable song the axis spans the schedule (or this) at this rate.
constexpr std::uint32_t kFallbackRate = 44100;
constexpr std::uint32_t kFallbackMilliseconds = 260000;
// How long a notice stays on screen.
constexpr double kNoticeSeconds = 6.0;
// Controllers 0 to 39 go into the first controller panel, the rest into the second.
constexpr int kFirstPanelControllers = 40;

struct ButtonPlace {
    const char* texture;
    bool shape; // else transport
    int id;
    float x, y;
};
const ButtonPlace kButtons[] = {
    {"editor//button-linear.png", true, 0, 0.0f, 0.23f},
    {"editor//button-smoothstep.png", true, 1, 0.0f, 0.17f},
    {"editor//button-exponential.png", true, 2, 0.0f, 0.11f},
    {"editor//button-minexponential.png", true, 3, 0.0f, 0.05f},
    {"editor//button-man-valval.png", true, 4, 0.038f, 0.05f},
    {"editor//button-man-valzero.png", true, 5, 0.038f, 0.11f},
    {"editor//button-man-valone.png", true, 6, 0.038f, 0.17f},
    {"editor//button-man-zeroval.png", true, 7, 0.038f, 0.23f},
    {"editor//button-man-oneval.png", true, 8, 0.066f, 0.23f},
    {"editor//button-man-oneone.png", true, 9, 0.066f, 0.17f},
    {"editor//button-man-zerozero.png", true, 10, 0.066f, 0.11f},
    {"editor//button-play.png", false, 0, 0.0f, 0.0f},
    {"editor//button-pause.png", false, 1, 0.033f, 0.0f},
    {"editor//button-record.png", false, 2, 0.066f, 0.0f},
};

// The shape buttons: ids 0..3 set the kind (1..4), ids 4..10 the preset (1..7).
constexpr int kKindButtons = 4;

// The controls the help overlay lists.
const char* const kHelpRows[][2] = {
    {"title row", "opens a panel"},
    {"left click in the key strip", "select a key; drag to move it"},
    {"  with Shift", "snap to a key of the comparison"},
    {"  with Ctrl", "add to the selection"},
    {"right drag above the strip", "change the selected keys' value"},
    {"middle click in the strip", "add a key on the curve"},
    {"Delete + right click", "remove a key"},
    {"left click over the curve", "select a segment, then a shape"},
    {"left drag in the waveform", "zoom; right click there: whole song"},
    {"Tab + left click", "seek the music and the clock"},
    {"Shift + controller", "compare with another controller"},
    {"record button, then Space", "drop keys while the music plays"},
    {"Ctrl + Z", "undo"},
    {"Ctrl + Y, Ctrl + Shift + Z", "redo"},
    {"F5 / F6", "hide / show the editor"},
};

FSOUND_STREAM* streamOf(const Timeline& t) { return t.music ? t.music->stream : nullptr; }
} // namespace

SyncEditor::SyncEditor(Timeline& ownerTimeline) : owner(ownerTimeline) {}

SyncEditor::~SyncEditor() = default;

void SyncEditor::setSong(std::vector<std::int16_t> samples, std::uint32_t frameCount, std::uint32_t framesPerSecond) {
    axis.setSong(std::move(samples), frameCount, framesPerSecond);
    songGiven = true;
}

void SyncEditor::loadSong() {
    std::vector<std::int16_t> samples;
    std::uint32_t frames = 0, rate = 0;
    if (platform::decodeSoundFile(kSongFile, samples, frames, rate) && frames > 0 && rate > 0) {
        axis.setSong(std::move(samples), frames, rate);
        return;
    }
    Trace::write(Trace::WARNING, kTag, "no waveform: %s could not be decoded (%s)", kSongFile,
                 platform::soundError().c_str());
    const std::uint32_t ms = owner.latestEnd > 0 ? owner.latestEnd : kFallbackMilliseconds;
    axis.setSong({}, static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms) * kFallbackRate / 1000), kFallbackRate);
}

void SyncEditor::makeFonts(int viewportHeight) {
    // Sizes follow the window: the panels' rows are 1/50 of its height apart.
    const float h = static_cast<float>(std::max(viewportHeight, 1));
    auto size = [h](float fraction, int smallest, int largest) {
        return std::clamp(static_cast<int>(std::lround(h * fraction)), smallest, largest);
    };
    normalFont.create("normal", kEditorFontFile, size(0.0165f, 8, 40));
    clockFont.create("clock", kEditorFontFile, size(0.028f, 10, 64));
    rulerFont.create("ruler", kEditorFontFile, size(0.0135f, 7, 32));
}

void SyncEditor::makeButtons() {
    textures = std::make_unique<GL_TextureManager>();
    shapes.clear();
    transport.clear();
    for (const ButtonPlace& b : kButtons) {
        // A missing picture leaves a blank button; it must not end the production the
        // way a texture that fails to load does.
        GL_Texture* texture = nullptr;
        if (platform::fileExists(b.texture))
            texture = textures->getTexture(b.texture);
        else
            Trace::write(Trace::WARNING, kTag, "button picture %s is missing; the button is drawn blank", b.texture);
        (b.shape ? shapes : transport).add(b.x, b.y, texture, b.id);
    }
    transport.setOrigin(0.9f, 0.87f);
}

void SyncEditor::fillPanels() {
    controllers.clearItems();
    controllers2.clearItems();
    const std::size_t count = owner.sync ? owner.sync->count() : 0;
    for (std::size_t i = 0; i < count; ++i)
        (static_cast<int>(i) < kFirstPanelControllers ? controllers : controllers2)
            .addItem(owner.sync->at(i)->name(), static_cast<int>(i));
    layers.clearItems();
    for (std::size_t i = 0; i < owner.registry.size(); ++i)
        layers.addItem(owner.registry[i].second, static_cast<int>(i));
    workspace.clearItems();
    workspace.addItem("save", 0);
    workspace.addItem("-------", DropDownList::kSeparator);
    workspace.addItem("undo", 1);
    workspace.addItem("-------", DropDownList::kSeparator);
    workspace.addItem("reset", 2);
    workspace.addItem("-------", DropDownList::kSeparator);
    workspace.addItem("help", 3);
    // Where draw puts them; placed now so that the mouse finds them before the first frame.
    workspace.place(0.025f, 0.95f, 0.1f);
    layers.place(0.15f, 0.95f, 0.15f);
    controllers.place(0.325f, 0.95f, 0.2f);
    controllers2.place(0.55f, 0.95f, 0.2f);
}

void SyncEditor::init() {
    if (!songGiven)
        loadSong();
    axis.fullView();
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    makeFonts(viewport[3]);
    axis.rulerFont = &rulerFont;
    makeButtons();
    hovered = -1;
    fillPanels();
    selectController(owner.sync && owner.sync->count() > 0 ? 0 : -1);
    initialised = true;
    rebuildCurveList();
    rememberSavedState();
}

void SyncEditor::selectController(int index) {
    SyncController* chosen = owner.sync && index >= 0 ? owner.sync->at(static_cast<std::size_t>(index)) : nullptr;
    // A segment index means nothing in another controller.
    if (chosen != selected)
        segment = -1;
    selectedIndex = index;
    selected = chosen;
    axis.selected = selected;
}

void SyncEditor::rebuildCurveList() {
    if (!initialised)
        return;
    axis.selected = selected;
    axis.selectedSegment = segment;
    axis.rebuildCurveList();
}

void SyncEditor::setNotice(const std::string& text, bool warning) {
    noticeText = text;
    noticeIsWarning = warning;
    const std::int64_t frequency = platform::queryPerformanceFrequency();
    noticeUntil = platform::queryPerformanceCounter() + static_cast<std::int64_t>(kNoticeSeconds * frequency);
}

bool SyncEditor::writeSnapshot(std::string& name) {
    // The folder may be missing where the content was installed without it.
    if (!platform::makeFolder(kSnapshotFolder))
        Trace::write(Trace::WARNING, kTag, "cannot make the folder \"%s\" for the undo snapshots", kSnapshotFolder);
    name = nextSnapshotFileName();
    if (!writeSyncFile(name, *owner.sync))
        return false;
    snapshotsMade.push_back(name);
    return true;
}

void SyncEditor::takeSnapshot() {
    if (!owner.sync)
        return;
    redoSnapshots.clear(); // a new edit: what was undone cannot come back
    std::string name;
    if (writeSnapshot(name)) {
        snapshots.push_back(name);
        return;
    }
    // The edit goes ahead; only this step cannot be undone.
    Trace::write(Trace::WARNING, kTag, "snapshot %s not written: this edit cannot be undone", name.c_str());
    setNotice("snapshot not written: this edit cannot be undone", true);
}

void SyncEditor::restoreSnapshot(const std::string& name, const char* what) {
    const SyncReadResult result = readSyncFile(name, *owner.sync);
    if (result == SyncReadResult::missing) {
        Trace::write(Trace::WARNING, kTag, "%s: snapshot %s could not be read; nothing restored", what, name.c_str());
        setNotice(std::string(what) + ": snapshot missing, nothing restored", true);
    } else if (result == SyncReadResult::damaged) {
        setNotice(std::string(what) + ": snapshot damaged, restored in part", true);
    }
    rebuildCurveList();
}

void SyncEditor::undo() {
    if (snapshots.empty() || !owner.sync)
        return;
    std::string leaving;
    if (writeSnapshot(leaving)) {
        redoSnapshots.push_back(leaving);
    } else {
        Trace::write(Trace::WARNING, kTag, "snapshot %s not written: this undo cannot be redone", leaving.c_str());
        setNotice("snapshot not written: this undo cannot be redone", true);
    }
    const std::string name = snapshots.back();
    snapshots.pop_back();
    restoreSnapshot(name, "undo");
}

void SyncEditor::redo() {
    if (redoSnapshots.empty() || !owner.sync)
        return;
    std::string leaving;
    if (writeSnapshot(leaving)) {
        snapshots.push_back(leaving);
    } else {
        Trace::write(Trace::WARNING, kTag, "snapshot %s not written: this redo cannot be undone", leaving.c_str());
        setNotice("snapshot not written: this redo cannot be undone", true);
    }
    const std::string name = redoSnapshots.back();
    redoSnapshots.pop_back();
    restoreSnapshot(name, "redo");
}

void SyncEditor::rememberSavedState() {
    std::string problem;
    savedImage.clear();
    if (owner.sync && !encodeSyncData(*owner.sync, savedImage, problem))
        savedImage.clear();
}

bool SyncEditor::hasUnsavedEdits() const {
    if (!owner.sync)
        return false;
    std::vector<unsigned char> now;
    std::string problem;
    // Controllers that cannot be encoded cannot have been saved either.
    return !encodeSyncData(*owner.sync, now, problem) || now != savedImage;
}

bool SyncEditor::keepUnsavedEdits() {
    const platform::SystemTime time = platform::getSystemTimeUtc();
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "unsaved-%04d-%02d-%02d-%02d-%02d-%02d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    platform::makeFolder(kSnapshotFolder);
    // A second quit within the same second gets a name of its own.
    std::string name = std::string(kSnapshotFolder) + "/" + stamp + ".dat";
    for (int n = 2; platform::fileExists(name) && n < 100; ++n)
        name = std::string(kSnapshotFolder) + "/" + stamp + "-" + std::to_string(n) + ".dat";
    if (!writeSyncFile(name, *owner.sync)) {
        Trace::write(Trace::WARNING, kTag, "unsaved edits could not be kept in %s; the undo snapshots stay in %s/",
                     name.c_str(), kSnapshotFolder);
        std::fprintf(stderr, "quillmont: unsaved edits could not be kept in %s; the undo snapshots stay in %s/\n",
                     name.c_str(), kSnapshotFolder);
        return false;
    }
    unsavedFile = name;
    Trace::write(Trace::WARNING, kTag, "unsaved edits kept in %s", name.c_str());
    std::fprintf(stderr, "quillmont: unsaved edits kept in %s\n", name.c_str());
    return true;
}

int SyncEditor::keyHitTest() const {
    if (!selected || mouseY < 0.22f || mouseY > 0.24f)
        return -1;
    const std::vector<SyncKey>& keys = selected->keys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const float x = axis.timeToX(keys[i].time);
        if (x - 0.005f <= mouseX && mouseX <= x + 0.005f)
            return static_cast<int>(i);
    }
    return -1;
}

float SyncEditor::snapTime() const {
    if (!axis.comparison)
        return -1.0f;
    for (const SyncKey& key : axis.comparison->keys())
        if (std::fabs(axis.timeToX(key.time) - mouseX) <= 0.008f)
            return key.time;
    return -1.0f;
}

void SyncEditor::seek(float t) {
    owner.clock.accumulated = t;
    if (FSOUND_STREAM* stream = streamOf(owner)) {
        const double ms = std::clamp(static_cast<double>(t) * 1000.0, 0.0, static_cast<double>(INT_MAX));
        FSOUND_Stream_SetTime(stream, static_cast<int>(ms));
    }
    // Held at the end of the show: the seek plays on from the new time.
    if (owner.heldAtEnd)
        play();
}

void SyncEditor::play() {
    resumeMusic(owner.music);
    owner.state = Playing;
    owner.heldAtEnd = false;
}

void SyncEditor::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_KEYUP) {
        if (wParam >= 256)
            return;
        keyState[wParam] = message == WM_KEYDOWN;
        // Ctrl+Z undoes; Ctrl+Shift+Z and Ctrl+Y redo (auto-repeat keeps going).
        if (message == WM_KEYDOWN && keyHeld(VK_CONTROL)) {
            if (keyHeld('Z') && !keyHeld(VK_SHIFT))
                undo();
            else if (keyHeld('Z') || keyHeld('Y'))
                redo();
        }
        return;
    }
    if (!initialised)
        return;
    switch (message) {
    case WM_MOUSEMOVE: onMouseMove(lParam); break;
    case WM_LBUTTONDOWN: onLeftDown(); break;
    case WM_LBUTTONUP: onLeftUp(); break;
    case WM_RBUTTONDOWN: onRightDown(); break;
    case WM_RBUTTONUP: onRightUp(); break;
    case WM_MBUTTONDOWN: onMiddleDown(); break;
    default: break;
    }
}

void SyncEditor::onMouseMove(LPARAM lParam) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[2] <= 0 || viewport[3] <= 0)
        return;
    mouseX = static_cast<float>(signedLowWord(lParam)) / static_cast<float>(viewport[2]);
    mouseY = 1.0f - static_cast<float>(signedHighWord(lParam) - viewport[1]) / static_cast<float>(viewport[3]);
    cursorShown = false;

    char status[96];
    std::snprintf(status, sizeof(status), "%.2f %.2f - %d", static_cast<double>(mouseX), static_cast<double>(mouseY),
                  selectedIndex);
    mouseStatusText = status;

    hovered = keyHitTest();
    if (drag == MovingKey && selectedKeyList.size() == 1 && selected) {
        float t = keyHeld(VK_SHIFT) ? snapTime() : -1.0f;
        if (!keyHeld(VK_SHIFT) || t < 0.0f)
            t = axis.xToTime(mouseX);
        t = std::clamp(t, 0.0f, axis.songSeconds()); // a key never leaves the song
        selected->moveKey(selectedKeyList[0], t); // refuses a time that would reorder the keys
        hovered = -1;
        rebuildCurveList();
    } else if (drag == ChangingValues && !selectedKeyList.empty() && selected) {
        const float value = (mouseY - dragStartY) * 10.0f + dragStartValue;
        for (int key : selectedKeyList)
            selected->setKeyValue(key, value);
        hovered = -1;
        rebuildCurveList();
    }

    if (mouseY < 0.4f && drag == NoDrag) {
        cursorShown = true;
        cursorAt = axis.xToTime(mouseX);
    }
    if (zoomDragging) {
        zoomCurrent = axis.xToTime(mouseX);
        axis.rangeFrom = zoomAnchor;
        axis.rangeTo = zoomCurrent;
        axis.rangeVisible = true;
    }
    for (DropDownList* panel : {&workspace, &layers, &controllers, &controllers2})
        panel->trackMouse(mouseX, mouseY);
}

void SyncEditor::onLeftDown() {
    const bool helpWasShown = helpShown;
    helpShown = false;
    if (!keyHeld(VK_CONTROL))
        selectedKeyList.clear();

    if (keyHeld(VK_TAB)) {
        seek(axis.xToTime(mouseX));
        return;
    }

    switch (transport.hitTest(mouseX, mouseY)) {
    case 0:
        play();
        break;
    case 1:
        pauseMusic(owner.music);
        owner.state = Paused;
        break;
    case 2:
        // A snapshot on both switches, so that undo takes a recording back as one step
        // and the recorded keys survive the undo right after switching off.
        takeSnapshot();
        recording = !recording;
        recordLatch = false;
        break;
    default: break;
    }

    const int command = workspace.hitTest(mouseX, mouseY);
    if (command >= 0) {
        if (command == 3)
            helpShown = !helpWasShown;
        else
            workspaceCommand(command);
        workspace.open = false;
    }
    const int first = controllers.hitTest(mouseX, mouseY);
    if (first >= 0)
        pickController(controllers, controllers2, first);
    const int second = controllers2.hitTest(mouseX, mouseY);
    if (second >= 0)
        pickController(controllers2, controllers, second);

    if (segment >= 0 && selected && mouseY > 0.25f) {
        const int id = shapes.hitTest(mouseX, mouseY);
        if (id >= 0) {
            takeSnapshot();
            if (id < kKindButtons)
                selected->setSegmentKind(segment, id + 1);
            else
                selected->setSegmentEnds(segment, id - kKindButtons + 1);
            rebuildCurveList();
        }
    } else if (mouseY >= 0.25f) {
        segment = -1;
        rebuildCurveList();
    } else if (mouseY >= 0.18f) {
        const int key = keyHitTest();
        if (key >= 0)
            selectedKeyList.push_back(key);
        if (!selectedKeyList.empty()) {
            takeSnapshot();
            cursorShown = false;
            drag = MovingKey;
        }
    } else {
        segment = -1;
        rebuildCurveList();
        zoomAnchor = zoomCurrent = axis.xToTime(mouseX);
        zoomDragging = true;
        axis.rangeFrom = axis.rangeTo = zoomAnchor;
        axis.rangeVisible = true;
    }

    if (mouseY > 0.25f && mouseY < 0.4f && selected) {
        segment = selected->segmentAt(axis.xToTime(mouseX));
        rebuildCurveList();
    }
}

void SyncEditor::pickController(DropDownList& clicked, DropDownList& other, int id) {
    if (!keyHeld(VK_SHIFT)) {
        selectController(id);
    } else {
        SyncController* chosen = owner.sync ? owner.sync->at(static_cast<std::size_t>(id)) : nullptr;
        axis.comparison = axis.comparison == chosen ? nullptr : chosen;
        rebuildCurveList();
        clicked.secondHighlightId = clicked.secondHighlightId == id ? -1 : id;
        other.secondHighlightId = -1;
    }
    selectedKeyList.clear();
}

void SyncEditor::workspaceCommand(int id) {
    if (!owner.sync)
        return;
    if (id == 0) {
        if (writeSyncFile(Timeline::kSyncFile, *owner.sync)) {
            rememberSavedState();
            Trace::write(Trace::INFO, kTag, "saved %s", Timeline::kSyncFile);
            setNotice(std::string("saved ") + Timeline::kSyncFile, false);
        } else {
            // writeSyncFile has traced the reason; the old file is untouched.
            setNotice(std::string("save failed: ") + Timeline::kSyncFile + " kept as it was", true);
        }
    } else if (id == 1) {
        undo();
    } else if (id == 2) {
        // The edits since the last save stay on the undo stack, so that a reset can be undone.
        takeSnapshot();
        const SyncReadResult result = readSyncFile(Timeline::kSyncFile, *owner.sync);
        if (result == SyncReadResult::missing) {
            Trace::write(Trace::WARNING, kTag, "reset: %s could not be read; nothing changed", Timeline::kSyncFile);
            setNotice(std::string("reset: ") + Timeline::kSyncFile + " could not be read", true);
        } else if (result == SyncReadResult::damaged) {
            setNotice(std::string("reset: ") + Timeline::kSyncFile + " is damaged, read in part", true);
        } else {
            setNotice(std::string("reset to ") + Timeline::kSyncFile, false);
        }
        rebuildCurveList();
    }
}

void SyncEditor::onLeftUp() {
    if (!keyHeld(VK_CONTROL))
        selectedKeyList.clear();
    if (selected && segment >= 0) {
        const bool exists = segment + 1 < selected->keyCount();
        const float from = axis.timeToX(selected->keyTime(segment)) - 0.01f;
        const float to = axis.timeToX(selected->nextKeyTime(segment)) + 0.01f;
        if (!exists || mouseX < from || mouseX > to) {
            segment = -1;
            rebuildCurveList();
        }
    }
    if (zoomDragging) {
        const std::uint32_t a = axis.timeToFrame(axis.rangeFrom);
        const std::uint32_t b = axis.timeToFrame(axis.rangeTo);
        const double width = static_cast<double>(axis.viewEnd) - static_cast<double>(axis.viewStart);
        const double apart = width > 0.0 ? std::fabs(static_cast<double>(a) - static_cast<double>(b)) / width : 0.0;
        if (apart > 0.005) {
            const std::uint32_t start = std::min(a, b);
            const std::uint32_t end = std::min(std::max(a, b), axis.frameCount);
            if (start < end) { // a range wholly past the song's end changes nothing
                axis.viewStart = start;
                axis.viewEnd = end;
                rebuildCurveList();
            }
        }
        axis.rangeVisible = false;
        cursorAt = axis.xToTime(mouseX);
        zoomDragging = false;
    }
    drag = NoDrag;
}

void SyncEditor::onRightDown() {
    if (keyHeld(VK_DELETE)) {
        const int key = keyHitTest();
        takeSnapshot();
        if (key >= 0 && selected)
            selected->removeKey(key);
        hovered = -1;
        segment = -1;
        rebuildCurveList();
    } else if (mouseY <= 0.18f) {
        axis.fullView();
        rebuildCurveList();
        axis.rangeVisible = false;
    } else {
        if (selectedKeyList.empty() && hovered >= 0)
            selectedKeyList.push_back(hovered);
        if (!selectedKeyList.empty() && selected) {
            takeSnapshot();
            dragStartY = mouseY;
            cursorShown = false;
            drag = ChangingValues;
            dragStartValue = selected->keyValue(selectedKeyList.back());
        }
    }
}

void SyncEditor::onRightUp() {
    if (drag == ChangingValues && selectedKeyList.size() == 1)
        selectedKeyList.clear();
    drag = NoDrag;
}

void SyncEditor::onMiddleDown() {
    segment = -1;
    rebuildCurveList();
    selectedKeyList.clear();
    if (keyHitTest() < 0 && selected && mouseY > 0.2f && mouseY < 0.25f) {
        const float t = axis.xToTime(mouseX);
        if (!insideSong(t)) {
            rebuildCurveList();
            return;
        }
        takeSnapshot();
        selected->evaluate(t);
        selected->addKey(t, selected->value); // on the curve as it runs there
        hovered = keyHitTest();
    }
    rebuildCurveList();
}

void SyncEditor::pollRecordKey() {
    const bool down = platform::getAsyncKeyState(VK_SPACE) != 0;
    if (!down) {
        recordLatch = false;
        return;
    }
    if (!recording || recordLatch)
        return;
    recordLatch = true;
    if (!owner.music || !selected)
        return;
    // The heard moment; without an open stream the production clock stands in for it.
    FSOUND_STREAM* stream = streamOf(owner);
    const float t = stream ? static_cast<float>(FSOUND_Stream_GetTime(stream)) / 1000.0f
                           : owner.clock.productionSeconds();
    if (insideSong(t))
        selected->addKey(t, 0.0f);
    rebuildCurveList();
}

void SyncEditor::drawOverlayText() {
    const EditorFont* font = &normalFont;
    if (selected && hovered >= 0 && hovered < selected->keyCount()) {
        const float t = selected->keyTime(hovered);
        const float x = axis.timeToX(t) - 0.025f;
        printText(font, x, 0.43f, 0.6f, 0.6f, 0.6f, 1.0f, "time: %.03fs", static_cast<double>(t));
        printText(font, x, 0.41f, 0.6f, 0.6f, 0.6f, 1.0f, "value: %.03fs",
                  static_cast<double>(selected->keyValue(hovered)));
    }
    if (selected && segment >= 0 && segment + 1 < selected->keyCount()) {
        const float from = selected->keyTime(segment), to = selected->nextKeyTime(segment);
        const float x = axis.timeToX(from);
        shapes.draw(x, 0.4f);
        glDisable(GL_TEXTURE_2D);
        printText(font, x, 0.71f, 0.6f, 0.6f, 0.6f, 1.0f, "length: %.03fs", static_cast<double>(to - from));
        printText(font, x, 0.69f, 0.6f, 0.6f, 0.6f, 1.0f, "from: %.03fs - to: %0.3fs", static_cast<double>(from),
                  static_cast<double>(to));
    }
    if (cursorShown) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBegin(GL_LINES);
        glColor4f(0.2f, 0.1f, 0.7f, 0.9f);
        glVertex2f(mouseX, 0.4f);
        glColor4f(0.2f, 0.1f, 0.7f, 0.5f);
        glVertex2f(mouseX, 0.0f);
        glEnd();
        printText(font, mouseX - 0.008f, 0.24f, 1.0f, 1.0f, 1.0f, 1.0f, "%.4fs", static_cast<double>(cursorAt));
    }
    if (zoomDragging)
        printText(font, axis.timeToX(zoomAnchor) - 0.008f, 0.24f, 0.5f, 0.5f, 1.0f, 1.0f, "%.4fs",
                  static_cast<double>(zoomAnchor));
    printText(font, 0.9f, 0.98f, 1.0f, 1.0f, 1.0f, 1.0f, "runtime");
    printText(&clockFont, 0.9f, 0.95f, 1.0f, 1.0f, 1.0f, 1.0f, "%0.3fs", static_cast<double>(axis.currentTime));
    printText(font, 0.9f, 0.8f, 1.0f, 1.0f, 1.0f, 1.0f, "%s", mouseStatusText.c_str());
    if (recording)
        printText(font, 0.43f, 0.985f, 1.0f, 0.0f, 0.0f, 1.0f, ">>>RECORD MODE<<<");
}

void SyncEditor::drawHelp() {
    const float left = 0.3f, right = 0.72f, top = 0.88f;
    const float row = 0.025f;
    const float bottom = top - row * static_cast<float>(std::size(kHelpRows) + 2);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.0f, 0.75f);
    glRectf(left, bottom, right, top);
    glColor4f(0.8f, 0.8f, 0.8f, 0.65f);
    glBegin(GL_LINE_LOOP);
    glVertex2f(left, bottom);
    glVertex2f(right, bottom);
    glVertex2f(right, top);
    glVertex2f(left, top);
    glEnd();
    printText(&normalFont, left + 0.01f, top - row, 1.0f, 0.8f, 0.4f, 1.0f, "CONTROLS  (click anywhere to close)");
    for (std::size_t i = 0; i < std::size(kHelpRows); ++i) {
        const float y = top - row * static_cast<float>(i + 2);
        printText(&normalFont, left + 0.01f, y, 0.8f, 0.8f, 0.8f, 1.0f, "%s", kHelpRows[i][0]);
        printText(&normalFont, left + 0.2f, y, 1.0f, 1.0f, 1.0f, 1.0f, "%s", kHelpRows[i][1]);
    }
}

void SyncEditor::draw() {
    if (!initialised)
        return;
    // 1. The time axis takes the selection and the production time.
    axis.selected = selected;
    axis.selectedSegment = segment;
    axis.rebuildCurveList();
    axis.selectedKeys = selectedKeyList;
    axis.currentTime = owner.clock.productionSeconds();

    // 2. Hide and show.
    if (platform::getAsyncKeyState(VK_F5))
        isHidden = true;
    if (platform::getAsyncKeyState(VK_F6))
        isHidden = false;
    if (isHidden)
        return;
    // 3. Record mode.
    pollRecordKey();

    // 4. The overlay's state; whatever the layers left is restored afterwards.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glUseProgram(0);
    glDepthMask(GL_TRUE);
    glClear(GL_DEPTH_BUFFER_BIT);
    glDepthMask(GL_FALSE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glDisable(GL_ALPHA_TEST);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    pushUnitProjection(false);

    // 5 to 9. Read-outs.
    drawOverlayText();

    // 10. Workspace, panels, transport.
    popUnitProjection();
    axis.drawWorkspace();
    pushUnitProjection(false);
    workspace.draw(&normalFont, 0.025f, 0.95f, 0.1f, -1);
    layers.draw(&normalFont, 0.15f, 0.95f, 0.15f, selectedIndex);
    controllers.draw(&normalFont, 0.325f, 0.95f, 0.2f, selectedIndex);
    controllers2.draw(&normalFont, 0.55f, 0.95f, 0.2f, selectedIndex);
    transport.draw(0.9f, 0.87f);
    glDisable(GL_TEXTURE_2D);

    if (helpShown)
        drawHelp();
    if (!noticeText.empty() && platform::queryPerformanceCounter() < noticeUntil) {
        GLint viewport[4] = {0, 0, 1, 1};
        glGetIntegerv(GL_VIEWPORT, viewport);
        const float width = normalFont.textWidth(noticeText) / static_cast<float>(std::max(viewport[2], 1));
        const float x = std::max(0.0f, 0.995f - width);
        if (noticeIsWarning)
            printText(&normalFont, x, 0.76f, 1.0f, 0.69f, 0.29f, 1.0f, "%s", noticeText.c_str());
        else
            printText(&normalFont, x, 0.76f, 0.7f, 0.9f, 0.7f, 1.0f, "%s", noticeText.c_str());
    }

    popUnitProjection();
    glDepthMask(GL_TRUE);
    glUseProgram(static_cast<GLuint>(program));
    glPopAttrib();
}

void SyncEditor::shutdown() {
    // Edits never saved are kept in a file of their own before the snapshots go; if that
    // cannot be written the snapshots stay.
    const bool kept = !initialised || !hasUnsavedEdits() || keepUnsavedEdits();
    if (kept)
        for (const std::string& name : snapshotsMade)
            platform::deleteFile(name.c_str());
    snapshotsMade.clear();
    snapshots.clear();
    redoSnapshots.clear();
    if (!initialised)
        return;
    normalFont.release();
    clockFont.release();
    rulerFont.release();
    for (ButtonGroup* group : {&shapes, &transport}) {
        for (const ButtonGroup::Button& b : group->all())
            if (b.texture)
                b.texture->release();
        group->clear();
    }
    textures.reset();
    axis.release();
    selectedKeyList.clear();
    initialised = false;
}

} // namespace qelFramework
