#pragma once
// The console a window program was started from.

namespace qelFramework::platform {

// On Windows the production is a window program, so that started from Explorer it opens
// no console beside its window. Started from a console, it writes its help, progress and
// trace there all the same: this attaches it to that console, leaving a standard stream
// that was redirected (to a file or a pipe) as it is. Elsewhere, and where there is no
// such console, nothing changes.
void attachStartingConsole();

} // namespace qelFramework::platform
