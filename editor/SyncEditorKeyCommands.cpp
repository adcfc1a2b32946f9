// The editor's key commands: the loop (L), bookmarks (B, PageUp, PageDown), and copy and
// paste of keys (Ctrl+C, Ctrl+V).
#include "editor/SyncEditor.h"

#include "sync/SyncData.h"
#include "editor/EditorLayout.h"
#include "timeline/Transport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qelFramework {

using namespace EditorLayout;

void SyncEditor::onKeyDown(Key key, bool fresh) {
    if (onEditingKey(key)) // arrows and G (SyncEditorKeyboard.cpp); the arrows repeat
        return;
    if (keyHeld(Key::Control)) {
        if (key == Key::C && fresh)
            copyKeys();
        else if (key == Key::V && fresh)
            pasteKeys();
        return;
    }
    // Letters typed over an open controller list filter it instead.
    const bool typing = controllerPanelOpen();
    if (key == Key::L && fresh && !typing)
        toggleLoop();
    else if (key == Key::B && fresh && !typing)
        toggleBookmark();
    else if (key == Key::PageUp || key == Key::PageDown)
        jumpToBookmark(key == Key::PageDown);
}

void SyncEditor::toggleLoop() {
    loopOn = !loopOn;
    axis.loopVisible = loopOn;
    if (!loopOn) {
        setNotice("loop off", false, "loop");
        return;
    }
    const double rate = axis.framesPerSecond;
    loopFrom = static_cast<float>(axis.viewStart / rate);
    loopTo = std::min(static_cast<float>(axis.viewEnd / rate), axis.songSeconds());
    axis.loopFrom = loopFrom;
    axis.loopTo = loopTo;
    char text[64];
    std::snprintf(text, sizeof text, "loop %.3fs to %.3fs", static_cast<double>(loopFrom), static_cast<double>(loopTo));
    setNotice(text, false, "loop");
    // A play line outside the range starts the loop from its beginning.
    const float now = transport.currentTime();
    if (now < loopFrom || now >= loopTo)
        seekTo(loopFrom);
    else
        lastFrameTime = now;
}

void SyncEditor::toggleBookmark() {
    // A bookmark answers within the reach a key has under the mouse.
    const float reach = axis.xToTime(kKeyHitHalfWidth) - axis.xToTime(0.0f);
    const float t = transport.currentTime();
    if (!marks.savable()) {
        setNotice(std::string("bookmarks not saved: ") + kBookmarksFile + " could not be read at start and is kept as it was",
                  true, "bookmarks");
        return;
    }
    const bool added = marks.toggle(t, reach);
    char text[64];
    std::snprintf(text, sizeof text, "%s %.3fs", added ? "bookmark at" : "bookmark removed at", static_cast<double>(t));
    if (marks.save(kBookmarksFile))
        setNotice(text, false, "bookmarks");
    else
        setNotice(std::string("bookmarks not saved: ") + kBookmarksFile + " kept as it was", true, "bookmarks");
}

void SyncEditor::jumpToBookmark(bool forward) {
    const float now = transport.currentTime();
    const float t = forward ? marks.after(now + 0.001f) : marks.atOrBefore(now - kBookmarkBackReach);
    if (insideSong(t)) // a mark past the song's end (a hand-edited file) is kept but not sought
        seekTo(t);
}

void SyncEditor::copyKeys() {
    if (!selected || selectedKeyList.empty())
        return;
    std::vector<int> chosen = selectedKeyList;
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    copied.clear();
    const double first = selected->keyTime(chosen.front());
    for (int index : chosen) {
        if (index < 0 || index >= selected->keyCount())
            continue;
        CopiedKey key;
        key.after = static_cast<double>(selected->keyTime(index)) - first;
        key.value = selected->keyValue(index);
        const std::vector<SyncSegment>& segments = selected->segments();
        const SyncSegment before = index > 0 && index - 1 < static_cast<int>(segments.size())
                                       ? segments[static_cast<std::size_t>(index - 1)]
                                       : SyncSegment{};
        key.kind = before.kind;
        key.ends = before.ends;
        copied.push_back(key);
    }
    setNotice("copied " + std::to_string(copied.size()) + (copied.size() == 1 ? " key" : " keys"), false, "clipboard");
}

void SyncEditor::pasteKeys() {
    if (!selected || copied.empty())
        return;
    const double at = transport.currentTime();
    std::vector<std::pair<float, const CopiedKey*>> placed;
    for (const CopiedKey& key : copied) {
        const float t = static_cast<float>(at + key.after);
        if (insideSong(t)) // keys past the song's end are left out, as by hand
            placed.emplace_back(t, &key);
    }
    if (placed.empty())
        return;
    takeSnapshot("paste keys"); // the whole paste is one edit
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const auto [t, key] = placed[i];
        selected->addKey(t, key->value); // after any key of the same time
        // The first pasted key keeps the segment that leads into it, as a key added by
        // hand does; the others bring the shape and preset they had in the copy.
        if (key == &copied.front())
            continue;
        const std::vector<SyncKey>& keys = selected->keys();
        const int index = static_cast<int>(std::upper_bound(keys.begin(), keys.end(), t,
                                                            [](float v, const SyncKey& k) { return v < k.time; }) -
                                           keys.begin()) - 1;
        if (index > 0) {
            selected->setSegmentKind(index - 1, key->kind);
            selected->setSegmentEnds(index - 1, key->ends);
        }
    }
    selectedKeyList.clear();
    segment = -1;
    hovered = -1;
    char text[96];
    std::snprintf(text, sizeof text, "pasted %zu %s at %.3fs", placed.size(), placed.size() == 1 ? "key" : "keys", at);
    setNotice(text, false, "clipboard");
}

} // namespace qelFramework
