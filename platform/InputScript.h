#pragma once
// The input script: timed synthetic input for automated runs, played into the newest
// window as if it came from the window system.
#include <string>

namespace qelFramework::platform {

// Loads an input script. One command a line:
//   wait MS | move X Y | click X Y | rclick X Y | key NAME | keydown NAME | keyup NAME |
//   type TEXT (typed characters, the rest of the line)
// Blank lines and lines starting with # are skipped. Returns false with a message in
// error when the script cannot be read or a line is malformed.
bool loadInputScript(const std::string& path, std::string& error);

// Used by the event queue: injects the next step when it is due, and forgets the script.
void runInputScript();
void clearInputScript();

} // namespace qelFramework::platform
