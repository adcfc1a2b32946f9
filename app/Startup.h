#pragma once
// The one fixed order in which the production is brought up, played and taken down.
#include "app/CommandLine.h"

namespace qelFramework {

class GL_Window;

// The statically allocated production window.
GL_Window& productionWindow();

// Runs the whole production; returns the exit code: 0, or 1 when a capture could not
// be made or completed.
int runProduction(const CommandLine& options);

} // namespace qelFramework
