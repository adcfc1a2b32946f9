// Keyboard editing: Left and Right walk the selected controller's keys, Ctrl with them
// nudges the selected keys' time by a frame (with Shift by a beat), Up and Down nudge
// their value, and G opens a field for the play line's time. Every nudge is one undo
// step; one that would reorder the keys or leave the song is refused with a notice.
#include "editor/SyncEditor.h"

#include "sync/SyncData.h"
#include "editor/EditorLayout.h"
#include "timeline/Transport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qelFramework {

using namespace EditorLayout;

namespace {
const char* const kTag = "keyboardEdit";
} // namespace

bool SyncEditor::onEditingKey(Key key) {
    const bool control = keyHeld(Key::Control), shift = keyHeld(Key::Shift);
    if (key == Key::Left || key == Key::Right) {
        const bool forward = key == Key::Right;
        if (!control)
            selectNeighbourKey(forward);
        else if (!shift)
            nudgeKeyTimes(forward ? kNudgeFrameSeconds : -kNudgeFrameSeconds, "a frame");
        else if (!grid.present())
            refuseAtKey(std::string("no beat grid: ") + kTempoFile + " is missing or damaged, so there is no beat to nudge by");
        else
            nudgeKeyTimes(static_cast<float>(forward ? grid.beatSeconds() : -grid.beatSeconds()), "a beat");
        return true;
    }
    if ((key == Key::Up || key == Key::Down) && !control) {
        const float step = shift ? kNudgeValueLarge : kNudgeValueSmall;
        nudgeKeyValues(key == Key::Up ? step : -step);
        return true;
    }
    // Letters typed over an open controller list filter it instead.
    if (key == Key::G && !control && !controllerPanelOpen()) {
        entry.openPlayLine(transport.currentTime());
        drag = NoDrag;
        return true;
    }
    return false;
}

void SyncEditor::selectNeighbourKey(bool forward) {
    if (!selected || selected->keyCount() == 0)
        return;
    const int last = selected->keyCount() - 1;
    int next = -1;
    if (!selectedKeyList.empty()) {
        const auto [low, high] = std::minmax_element(selectedKeyList.begin(), selectedKeyList.end());
        next = std::clamp(forward ? *high + 1 : *low - 1, 0, last);
    } else {
        // From the play line: the key at or after it, or at or before it.
        const float now = transport.currentTime();
        const std::vector<SyncKey>& keys = selected->keys();
        if (forward) {
            const auto at = std::lower_bound(keys.begin(), keys.end(), now,
                                             [](const SyncKey& k, float t) { return k.time < t; });
            next = at == keys.end() ? -1 : static_cast<int>(at - keys.begin());
        } else {
            const auto past = std::upper_bound(keys.begin(), keys.end(), now,
                                               [](float t, const SyncKey& k) { return t < k.time; });
            next = static_cast<int>(past - keys.begin()) - 1;
        }
    }
    if (next < 0)
        return;
    selectedKeyList.assign(1, next);
    drag = NoDrag;
}

void SyncEditor::nudgeKeyTimes(float by, const char* unit) {
    if (!selected || selectedKeyList.empty()) {
        refuseAtKey("select a key first (Left / Right, or a click)");
        return;
    }
    std::vector<int> chosen = selectedKeyList;
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    const int n = selected->keyCount();
    // The keys move together; each must stay inside the song and strictly before
    // (or after) the first neighbour that does not move with it.
    for (int index : chosen) {
        if (index < 0 || index >= n)
            return;
        const float t = selected->keyTime(index) + by;
        char why[160];
        if (!insideSong(t)) {
            std::snprintf(why, sizeof why, "nudge by %s refused: a key would leave the song (0 to %.3fs)", unit,
                          static_cast<double>(axis.songSeconds()));
            refuseAtKey(why);
            return;
        }
        const int neighbour = by > 0.0f ? index + 1 : index - 1;
        const bool moves = std::binary_search(chosen.begin(), chosen.end(), neighbour);
        if (neighbour < 0 || neighbour >= n || moves)
            continue;
        const float there = selected->keyTime(neighbour);
        if (by > 0.0f ? t >= there : t <= there) {
            std::snprintf(why, sizeof why, "nudge by %s refused: a key would reach its neighbour at %.3fs", unit,
                          static_cast<double>(there));
            refuseAtKey(why);
            return;
        }
    }
    takeSnapshot(chosen.size() == 1 ? "nudge key" : "nudge keys");
    // The leading key first, so that each moves into room already made.
    if (by > 0.0f)
        std::reverse(chosen.begin(), chosen.end());
    for (int index : chosen)
        selected->moveKey(index, selected->keyTime(index) + by);
}

void SyncEditor::nudgeKeyValues(float by) {
    if (!selected || selectedKeyList.empty()) {
        refuseAtKey("select a key first (Left / Right, or a click)");
        return;
    }
    bool changes = false;
    for (int index : selectedKeyList) {
        if (index < 0 || index >= selected->keyCount())
            return;
        const float v = selected->keyValue(index);
        changes = changes || std::clamp(v + by, 0.0f, 1.0f) != v;
    }
    if (!changes) {
        refuseAtKey(by > 0.0f ? "value already 1, the highest" : "value already 0, the lowest");
        return;
    }
    takeSnapshot(selectedKeyList.size() == 1 ? "nudge value" : "nudge values");
    for (int index : selectedKeyList) {
        // Rounded to the step, so that ten nudges of 0.01 make exactly 0.1 more.
        const float v = std::round((selected->keyValue(index) + by) * 1000.0f) / 1000.0f;
        selected->setKeyValue(index, std::clamp(v, 0.0f, 1.0f));
    }
}

void SyncEditor::applyPlayLineField() {
    float t = 0.0f;
    if (!entry.number(KeyEntry::Time, t) || !insideSong(t)) {
        char why[128];
        std::snprintf(why, sizeof why, "time refused: type seconds from 0 to %.3f",
                      static_cast<double>(axis.songSeconds()));
        notices.refuse(why, "keyEntry", entryX(), kEntryNoticeY);
        return;
    }
    entry.close();
    seekTo(t);
}

float SyncEditor::entryX() const {
    float t = transport.currentTime();
    if (!entry.forPlayLine() && selected && entry.keyIndex() < selected->keyCount())
        t = selected->keyTime(entry.keyIndex());
    return std::clamp(axis.timeToX(t), 0.0f, 1.0f - kEntryWidth);
}

void SyncEditor::refuseAtKey(const std::string& why) {
    // Beside the first selected key when it is in view, else beside the pointer.
    float x = mouseX, y = mouseY + kDragReadoutGap;
    if (selected && !selectedKeyList.empty() && selectedKeyList[0] < selected->keyCount()) {
        const float keyX = axis.timeToX(selected->keyTime(selectedKeyList[0]));
        if (keyX >= 0.0f && keyX <= 1.0f) {
            x = keyX;
            y = kCurveAreaTop + kLabelGap;
        }
    }
    notices.refuse(why, kTag, x, y);
}

void SyncEditor::refuseDrag(int key, float t) {
    const bool later = t > selected->keyTime(key);
    const int neighbour = later ? key + 1 : key - 1;
    if (neighbour < 0 || neighbour >= selected->keyCount())
        return;
    char why[128];
    std::snprintf(why, sizeof why, "move stops: a key cannot pass its neighbour at %.3fs",
                  static_cast<double>(selected->keyTime(neighbour)));
    notices.refuse(why, "keyMove", mouseX + kDragReadoutGap, mouseY - 3.0f * kDragReadoutGap);
}

} // namespace qelFramework
