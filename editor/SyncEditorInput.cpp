// The editor's input: input events turned into selections, edits, typed numbers and
// transport moves.
#include "editor/SyncEditor.h"

#include "gl/GLHeaders.h"
#include "sync/SyncData.h"
#include "editor/EditorLayout.h"
#include "timeline/Transport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qelFramework {

using namespace EditorLayout;

namespace {
// The transport buttons' ids.
enum : int { PlayButton = 0, PauseButton = 1, RecordButton = 2 };
} // namespace

int SyncEditor::keyHitTest() const {
    if (!selected || mouseY < kKeyHitBottom || mouseY > kKeyHitTop)
        return -1;
    const std::vector<SyncKey>& keys = selected->keys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const float x = axis.timeToX(keys[i].time);
        if (x - kKeyHitHalfWidth <= mouseX && mouseX <= x + kKeyHitHalfWidth)
            return static_cast<int>(i);
    }
    return -1;
}

float SyncEditor::snapTime() const {
    if (!axis.comparison)
        return -1.0f;
    for (const SyncKey& key : axis.comparison->keys())
        if (std::fabs(axis.timeToX(key.time) - mouseX) <= kSnapReach)
            return key.time;
    return -1.0f;
}

bool SyncEditor::handleMessage(const InputEvent& event) {
    notices.seeInput(event); // a notice that waited for the next key or click goes
    if (event.kind == EventKind::KeyDown || event.kind == EventKind::KeyUp) {
        const Key key = event.key;
        if (key == Key::None || static_cast<int>(key) >= kKeyCount)
            return false;
        const bool fresh = !keyHeld(key);
        keyState[static_cast<int>(key)] = event.kind == EventKind::KeyDown;
        if (event.kind != EventKind::KeyDown)
            return false;
        // An open key-entry field takes the keyboard.
        if (initialised && entry.isOpen() && onEntryKey(key))
            return true;
        // Ctrl+Z undoes; Ctrl+Shift+Z and Ctrl+Y redo (auto-repeat keeps going).
        if (keyHeld(Key::Control)) {
            if (keyHeld(Key::Z) && !keyHeld(Key::Shift))
                undo();
            else if (keyHeld(Key::Z) || keyHeld(Key::Y))
                redo();
        }
        if (!initialised)
            return false;
        // Typing into a controller panel's filter: its letters come as typed text, its
        // editing keys here; the editor's letter keys wait until the panel closes. With
        // the panel closed the filter stays as it is and Escape quits.
        if (controllerPanelOpen()) {
            if (key == Key::Backspace) {
                const std::string& letters = controllers.filter();
                setControllerFilter(letters.substr(0, letters.empty() ? 0 : letters.size() - 1));
                return true;
            }
            if (key == Key::Escape && !controllers.filter().empty()) {
                setControllerFilter("");
                return true; // clears the filter, does not quit
            }
        }
        if (key == Key::Escape)
            return !(fresh && readyToQuit()); // the keyboard's repeats never quit
        if (key == Key::Space && fresh) {
            recordKeyAt(event.moment);
            return false;
        }
        if (key == Key::Enter && fresh && !keyHeld(Key::Control)) {
            // The key under the mouse first (looked up now: the hover mark is stale after a
            // drag), else the one selected key.
            const int under = overControl() ? -1 : keyHitTest();
            const int chosen = under >= 0 ? under : selectedKeyList.size() == 1 ? selectedKeyList[0] : -1;
            if (chosen >= 0)
                openKeyEntry(chosen);
            return false;
        }
        onKeyDown(key, fresh);
        return false;
    }
    if (!initialised)
        return false;
    switch (event.kind) {
    case EventKind::Text: return onTyped(event.text);
    case EventKind::PointerMove: onMouseMove(event.x, event.y); break;
    case EventKind::DoubleClick:
        // On a key: its exact numbers; anywhere else the second click is a click.
        if (!overControl() && keyHitTest() >= 0) {
            openKeyEntry(keyHitTest());
            break;
        }
        onLeftDown();
        break;
    case EventKind::ButtonDown:
        if (event.button == PointerButton::Left)
            onLeftDown();
        else if (event.button == PointerButton::Right)
            onRightDown();
        else if (event.button == PointerButton::Middle)
            onMiddleDown();
        break;
    case EventKind::ButtonUp:
        if (event.button == PointerButton::Left)
            onLeftUp();
        else if (event.button == PointerButton::Right)
            onRightUp();
        break;
    default: break;
    }
    return false;
}

bool SyncEditor::onTyped(const std::string& characters) {
    bool taken = false;
    for (const char c : characters) {
        if (entry.isOpen()) {
            entry.type(c);
            taken = true;
        } else if (controllerPanelOpen() && c >= 32 && c < 127) {
            setControllerFilter(controllers.filter() + c);
            taken = true;
        }
    }
    return taken;
}

bool SyncEditor::onEntryKey(Key key) {
    switch (key) {
    case Key::Enter: applyKeyEntry(); return true;
    case Key::Escape: entry.close(); return true;
    case Key::Tab: entry.switchPart(); return true;
    case Key::Backspace: entry.erase(); return true;
    default:
        // Modifiers stay tracked; every other key belongs to the field while it is open.
        return key != Key::Shift && key != Key::Control && key != Key::Alt;
    }
}

void SyncEditor::openKeyEntry(int key) {
    if (!selected || key < 0 || key >= selected->keyCount())
        return;
    entry.open(key, selected->keyTime(key), selected->keyValue(key));
    drag = NoDrag;
}

void SyncEditor::applyKeyEntry() {
    if (entry.forPlayLine())
        return applyPlayLineField();
    const int key = entry.keyIndex();
    if (!selected || key >= selected->keyCount()) {
        entry.close();
        return;
    }
    float t = 0.0f, v = 0.0f;
    if (!entry.number(KeyEntry::Time, t) || !entry.number(KeyEntry::Value, v)) {
        notices.refuse("type a number for the time and for the value", "keyEntry", entryX(), kEntryNoticeY);
        return;
    }
    // The rules of a move: inside the song, strictly between the neighbours.
    const float earliest = key > 0 ? selected->keyTime(key - 1) : 0.0f;
    const float latest = key + 1 < selected->keyCount() ? selected->nextKeyTime(key) : axis.songSeconds();
    const bool timeFits = insideSong(t) && (key == 0 || t > earliest) && (key + 1 == selected->keyCount() || t < latest);
    if (!timeFits) {
        char why[128];
        std::snprintf(why, sizeof why, "time refused: it must lie between %.3f and %.3f", static_cast<double>(earliest),
                      static_cast<double>(latest));
        notices.refuse(why, "keyEntry", entryX(), kEntryNoticeY);
        return;
    }
    if (v < 0.0f || v > 1.0f) {
        notices.refuse("value refused: it must lie between 0 and 1", "keyEntry", entryX(), kEntryNoticeY);
        return;
    }
    if (t != selected->keyTime(key) || v != selected->keyValue(key)) {
        takeSnapshot("type time and value");
        selected->moveKey(key, t);
        selected->setKeyValue(key, v);
    }
    entry.close();
}

void SyncEditor::setControllerFilter(const std::string& letters) {
    controllers.setFilter(letters);
    controllers2.setFilter(letters);
}

bool SyncEditor::overPanel() const {
    for (const DropDownList* panel : {&workspace, &layers, &controllers, &controllers2})
        if (panel->covers(mouseX, mouseY))
            return true;
    return false;
}

bool SyncEditor::overControl() const {
    if (overPanel() || playButtons.hitTest(mouseX, mouseY) >= 0)
        return true;
    return segment >= 0 && selected && shapes.hitTest(mouseX, mouseY) >= 0;
}

void SyncEditor::onMouseMove(int x, int y) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[2] <= 0 || viewport[3] <= 0)
        return;
    mouseX = static_cast<float>(x) / static_cast<float>(viewport[2]);
    mouseY = 1.0f - static_cast<float>(y - viewport[1]) / static_cast<float>(viewport[3]);
    cursorShown = false;

    char status[96];
    std::snprintf(status, sizeof(status), "%.2f %.2f - %d", static_cast<double>(mouseX), static_cast<double>(mouseY),
                  selectedIndex);
    mouseStatusText = status;
    hovered = keyHitTest();

    if (drag == MovingKey && selectedKeyList.size() == 1 && selected) {
        // Shift snaps to a comparison key within reach, Alt to the nearest beat.
        float t = keyHeld(Key::Shift) ? snapTime() : -1.0f;
        if (t < 0.0f && keyHeld(Key::Alt))
            t = grid.nearestBeat(axis.xToTime(mouseX), 0.0f, axis.songSeconds());
        if (t < 0.0f)
            t = axis.xToTime(mouseX);
        t = std::clamp(t, 0.0f, axis.songSeconds()); // a key never leaves the song
        selected->moveKey(selectedKeyList[0], t);    // refuses a time that would reorder the keys
        if (selected->keyTime(selectedKeyList[0]) != t)
            refuseDrag(selectedKeyList[0], t);
        hovered = -1;
    } else if (drag == ChangingValues && !selectedKeyList.empty() && selected) {
        const float value = (mouseY - dragStartY) * kValueDragGain + dragStartValue;
        for (int key : selectedKeyList)
            selected->setKeyValue(key, value);
        hovered = -1;
    }

    if (mouseY < kCurveAreaTop && drag == NoDrag)
        cursorShown = true;
    if (zoomDragging) {
        zoomCurrent = axis.xToTime(mouseX);
        axis.rangeFrom = zoomAnchor;
        axis.rangeTo = zoomCurrent;
        axis.rangeVisible = true;
    }
    for (auto [panel, place] : panelPlaces())
        panel->trackMouse(mouseX, mouseY);
}

void SyncEditor::onLeftDown() {
    const bool helpWasShown = helpShown;
    helpShown = false;
    if (!keyHeld(Key::Control))
        selectedKeyList.clear();
    entry.close(); // a click elsewhere leaves the typed numbers unused

    if (keyHeld(Key::Tab)) {
        seekTo(axis.xToTime(mouseX));
        return;
    }

    // A click on a button or a panel goes to it alone.
    switch (playButtons.hitTest(mouseX, mouseY)) {
    case PlayButton: transport.play(); return;
    case PauseButton: transport.pause(); return;
    case RecordButton:
        // The first key recorded takes the snapshot, so a recording is one undo step.
        recording = !recording;
        recordedThisTake = false;
        take.restart();
        return;
    default: break;
    }
    const int command = workspace.hitTest(mouseX, mouseY);
    if (command >= 0) {
        if (command == WorkspaceHelp)
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
    if (command >= 0 || first >= 0 || second >= 0 || overPanel())
        return;

    if (segment >= 0 && selected && mouseY > kCurveAreaBottom) {
        const int id = shapes.hitTest(mouseX, mouseY);
        if (id >= 0) {
            if (id < kKindButtonCount) {
                takeSnapshot("segment shape");
                selected->setSegmentKind(segment, id + 1);
            } else {
                takeSnapshot("segment ends");
                selected->setSegmentEnds(segment, id - kKindButtonCount + 1);
            }
        }
    } else if (mouseY >= kKeyStripTop) {
        segment = -1;
    } else if (mouseY >= kZoomBandTop) {
        // A key already selected (Ctrl+click on it) stays in the selection once, so that
        // a nudge moves it once.
        const int key = keyHitTest();
        if (key >= 0 && std::find(selectedKeyList.begin(), selectedKeyList.end(), key) == selectedKeyList.end())
            selectedKeyList.push_back(key);
        if (!selectedKeyList.empty()) {
            takeSnapshot("move key");
            cursorShown = false;
            drag = MovingKey;
        }
    } else {
        segment = -1;
        zoomAnchor = zoomCurrent = axis.xToTime(mouseX);
        zoomDragging = true;
        axis.rangeFrom = axis.rangeTo = zoomAnchor;
        axis.rangeVisible = true;
    }

    if (mouseY > kCurveAreaBottom && mouseY < kCurveAreaTop && selected)
        segment = selected->segmentAt(axis.xToTime(mouseX));
}

void SyncEditor::pickController(DropDownList& clicked, DropDownList& other, int id) {
    if (!keyHeld(Key::Shift)) {
        selectController(id);
    } else {
        SyncController* chosen = sync.at(static_cast<std::size_t>(id));
        axis.comparison = axis.comparison == chosen ? nullptr : chosen;
        clicked.secondHighlightId = clicked.secondHighlightId == id ? -1 : id;
        other.secondHighlightId = -1;
    }
    selectedKeyList.clear();
}

void SyncEditor::onLeftUp() {
    if (!keyHeld(Key::Control))
        selectedKeyList.clear();
    if (selected && segment >= 0) {
        const bool exists = segment + 1 < selected->keyCount();
        const float from = axis.timeToX(selected->keyTime(segment)) - kSegmentKeepMargin;
        const float to = axis.timeToX(selected->nextKeyTime(segment)) + kSegmentKeepMargin;
        if (!exists || mouseX < from || mouseX > to)
            segment = -1;
    }
    if (zoomDragging) {
        const std::uint32_t a = axis.timeToFrame(axis.rangeFrom);
        const std::uint32_t b = axis.timeToFrame(axis.rangeTo);
        const double width = static_cast<double>(axis.viewEnd) - static_cast<double>(axis.viewStart);
        const double apart = width > 0.0 ? std::fabs(static_cast<double>(a) - static_cast<double>(b)) / width : 0.0;
        if (apart > kShortestZoom) {
            const std::uint32_t start = std::min(a, b);
            const std::uint32_t end = std::min(std::max(a, b), axis.frameCount);
            if (start < end) { // a range wholly past the song's end changes nothing
                axis.viewStart = start;
                axis.viewEnd = end;
            }
        }
        axis.rangeVisible = false;
        zoomDragging = false;
    }
    drag = NoDrag;
}

void SyncEditor::onRightDown() {
    if (overControl())
        return; // a panel or a button is no place for a key
    if (keyHeld(Key::Delete)) {
        const int key = keyHitTest();
        takeSnapshot("delete key");
        if (key >= 0 && selected)
            selected->removeKey(key);
        hovered = -1;
        segment = -1;
    } else if (mouseY <= kZoomBandTop) {
        axis.fullView();
        axis.rangeVisible = false;
    } else {
        if (selectedKeyList.empty() && hovered >= 0)
            selectedKeyList.push_back(hovered);
        if (!selectedKeyList.empty() && selected) {
            takeSnapshot(selectedKeyList.size() == 1 ? "change value" : "change values");
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
    if (overControl())
        return;
    segment = -1;
    selectedKeyList.clear();
    if (keyHitTest() >= 0 || !selected || !(mouseY > kAddKeyBottom && mouseY < kKeyStripTop))
        return;
    const float t = axis.xToTime(mouseX);
    if (!insideSong(t))
        return;
    takeSnapshot("add key");
    selected->addKey(t, selected->valueAt(t)); // on the curve as it runs there
    hovered = keyHitTest();
}

void SyncEditor::recordKeyAt(std::int64_t counter) {
    if (!recording || isHidden || !selected)
        return;
    // The production time of the press itself; with Alt on a beat (see RecordingTake).
    const float t = take.place(transport.timeAt(counter), *selected, keyHeld(Key::Alt) && grid.present() ? &grid : nullptr,
                               axis.songSeconds());
    if (std::isnan(t))
        return;
    if (!recordedThisTake) {
        takeSnapshot("record keys");
        recordedThisTake = true;
    }
    selected->addKey(t, 0.0f);
}

} // namespace qelFramework
