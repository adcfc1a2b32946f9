#pragma once
// The sync editor: an overlay over the finished frame with which the makers shape the
// controllers against the music. The frame loop drives it when one is attached.
#include "platform/WinTypes.h"

namespace qelFramework {

class Timeline;

class SyncEditor {
public:
    explicit SyncEditor(Timeline& owner);
    virtual ~SyncEditor();

    // Before the first frame.
    virtual void init();
    // Every rendered frame, after the layers.
    virtual void draw();
    // Every window message, before the layers see it.
    virtual void handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Once at teardown.
    virtual void shutdown();

protected:
    Timeline& owner;
};

} // namespace qelFramework
