// The production window's input: the editor sees every event first, then the layers of
// the active tracks. Escape and the window's close box quit; F7 cycles the draft picture.
#include "app/Production.h"

#include "editor/SyncEditor.h"
#include "platform/EventQueue.h"
#include "platform/Window.h"
#include "timeline/Layer_Base.h"

namespace qelFramework {

void Production::dispatchInput(const InputEvent& event) {
    // An Escape the editor takes for itself (closing a field, clearing a filter) does not quit.
    const bool taken = attachedEditor && attachedEditor->handleMessage(event);
    if (event.kind == EventKind::CloseRequest)
        platform::requestQuit(0);
    else if (event.kind == EventKind::KeyDown && event.key == Key::Escape && !taken)
        platform::postEvent(InputEvent::closeRequest(event.window));
    else if (event.kind == EventKind::KeyDown && event.key == Key::F7 && attachedEditor && !frameSink)
        cycleDraft(); // the draft picture is the editor's; a capture is always full size

    for (int track = 0; track < Timeline::kTrackCount; ++track)
        if (const TimelineEntry* entry = tracks.active(track); entry && entry->layer)
            entry->layer->handleMessage(event);
    if (event.kind == EventKind::CloseRequest)
        platform::hideOnClose(event.window);
}

} // namespace qelFramework
