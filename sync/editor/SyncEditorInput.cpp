// The editor's input: window messages turned into selections, edits and transport
// moves, and the record key polled once a frame.
#include "sync/editor/SyncEditor.h"

#include "gl/GLHeaders.h"
#include "platform/Messages.h"
#include "sync/SyncData.h"
#include "sync/editor/EditorLayout.h"
#include "timeline/Transport.h"

#include <algorithm>
#include <cmath>

namespace qelFramework {

using namespace EditorLayout;

namespace {
// The shape buttons: ids 0..3 set the kind (1..4), ids 4..10 the preset (1..7).
constexpr int kKindButtons = 4;
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

void SyncEditor::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_KEYUP) {
        if (wParam >= 256)
            return;
        const bool fresh = !keyState[wParam];
        keyState[wParam] = message == WM_KEYDOWN;
        // Ctrl+Z undoes; Ctrl+Shift+Z and Ctrl+Y redo (auto-repeat keeps going).
        if (message == WM_KEYDOWN && keyHeld(VK_CONTROL)) {
            if (keyHeld('Z') && !keyHeld(VK_SHIFT))
                undo();
            else if (keyHeld('Z') || keyHeld('Y'))
                redo();
        }
        if (message == WM_KEYDOWN && initialised)
            onKeyDown(static_cast<int>(wParam), fresh);
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
        // Shift snaps to a comparison key within reach, Alt to the nearest beat.
        float t = keyHeld(VK_SHIFT) ? snapTime() : -1.0f;
        if (t < 0.0f && keyHeld(VK_MENU))
            t = grid.nearestBeat(axis.xToTime(mouseX), 0.0f, axis.songSeconds());
        if (t < 0.0f)
            t = axis.xToTime(mouseX);
        t = std::clamp(t, 0.0f, axis.songSeconds()); // a key never leaves the song
        selected->moveKey(selectedKeyList[0], t);    // refuses a time that would reorder the keys
        hovered = -1;
    } else if (drag == ChangingValues && !selectedKeyList.empty() && selected) {
        const float value = (mouseY - dragStartY) * kValueDragGain + dragStartValue;
        for (int key : selectedKeyList)
            selected->setKeyValue(key, value);
        hovered = -1;
    }

    if (mouseY < kCurveAreaTop && drag == NoDrag) {
        cursorShown = true;
        cursorAt = axis.xToTime(mouseX);
    }
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
    if (!keyHeld(VK_CONTROL))
        selectedKeyList.clear();

    if (keyHeld(VK_TAB)) {
        seekTo(axis.xToTime(mouseX));
        return;
    }

    switch (playButtons.hitTest(mouseX, mouseY)) {
    case PlayButton: transport.play(); break;
    case PauseButton: transport.pause(); break;
    case RecordButton:
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

    if (segment >= 0 && selected && mouseY > kCurveAreaBottom) {
        const int id = shapes.hitTest(mouseX, mouseY);
        if (id >= 0) {
            takeSnapshot();
            if (id < kKindButtons)
                selected->setSegmentKind(segment, id + 1);
            else
                selected->setSegmentEnds(segment, id - kKindButtons + 1);
        }
    } else if (mouseY >= kKeyStripTop) {
        segment = -1;
    } else if (mouseY >= kZoomBandTop) {
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
        zoomAnchor = zoomCurrent = axis.xToTime(mouseX);
        zoomDragging = true;
        axis.rangeFrom = axis.rangeTo = zoomAnchor;
        axis.rangeVisible = true;
    }

    if (mouseY > kCurveAreaBottom && mouseY < kCurveAreaTop && selected)
        segment = selected->segmentAt(axis.xToTime(mouseX));
}

void SyncEditor::pickController(DropDownList& clicked, DropDownList& other, int id) {
    if (!keyHeld(VK_SHIFT)) {
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
    if (!keyHeld(VK_CONTROL))
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
    } else if (mouseY <= kZoomBandTop) {
        axis.fullView();
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
    selectedKeyList.clear();
    if (keyHitTest() >= 0 || !selected || !(mouseY > kAddKeyBottom && mouseY < kKeyStripTop))
        return;
    const float t = axis.xToTime(mouseX);
    if (!insideSong(t))
        return;
    takeSnapshot();
    selected->evaluate(t);
    selected->addKey(t, selected->value); // on the curve as it runs there
    hovered = keyHitTest();
}

void SyncEditor::onKeyDown(int key, bool fresh) {
    if (keyHeld(VK_CONTROL)) {
        if (key == 'C' && fresh)
            copyKeys();
        else if (key == 'V' && fresh)
            pasteKeys();
        return;
    }
    if (key == 'L' && fresh)
        toggleLoop();
    else if (key == 'B' && fresh)
        toggleBookmark();
    else if (key == VK_PRIOR || key == VK_NEXT)
        jumpToBookmark(key == VK_NEXT);
}

bool SyncEditor::pollRecordKey() {
    const bool down = platform::getAsyncKeyState(VK_SPACE) != 0;
    if (!down) {
        recordLatch = false;
        return false;
    }
    if (!recording || recordLatch)
        return false;
    recordLatch = true;
    // The heard moment: the music's position, or the production clock without music;
    // with Alt the beat nearest it.
    float t = transport.heardTime();
    if (platform::getAsyncKeyState(VK_MENU) && grid.present())
        t = grid.nearestBeat(t, 0.0f, axis.songSeconds());
    if (!selected || !insideSong(t))
        return false;
    selected->addKey(t, 0.0f);
    return true;
}

} // namespace qelFramework
