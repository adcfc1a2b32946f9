#pragma once
// The program's input queue: events the program posts, then the window system's input
// (the input script's included) as InputEvents, each with the moment it happened; the
// key state, and the request to quit.
#include "platform/InputEvent.h"

#include <optional>

namespace qelFramework::platform {

// Takes the next event; false when none is waiting. Posted events come first, then the
// window system's. A window-system event with no window of the program is dropped.
bool pollEvent(InputEvent& event);
// Queues an event; it carries the moment of its posting.
void postEvent(InputEvent event);

// Asks the running loop to end once it finds no event waiting.
void requestQuit(int exitCode);
// The exit code of a pending quit request, which this clears; none when there is none.
std::optional<int> takeQuitRequest();

// Whether the key is held, as the window system's key events (and the script's) left it.
bool isKeyDown(Key key);
// Sets it as if the key had been pressed or released, without an event (tests).
void setKeyDown(Key key, bool down);

// Observer of every window-system event before it becomes an InputEvent (the launcher's
// UI feeds its toolkit from it). The argument is the platform's own event record.
using RawEventHook = void (*)(const void* event);
void setRawEventHook(RawEventHook hook);

// Clears the queue, the key state, a quit request, the input script, the cursor's
// display count and the mapping of event times (tests).
void resetInput();

} // namespace qelFramework::platform
