#pragma once
// The one fixed order in which the production is brought up, played and taken down.
#include "app/CommandLine.h"

#include <string>

namespace qelFramework {

class GL_Window;

// The statically allocated production window.
GL_Window& productionWindow();

// Before start-up moves the working folder: names --sync-text's file from the root
// (options.syncTextPath) and compiles it. False with the message when it cannot be read
// or does not compile.
bool checkSyncText(CommandLine& options, std::string& error);

// Runs the whole production; returns the exit code: 0, or 1 when a capture could not
// be made or completed.
int runProduction(const CommandLine& options);

} // namespace qelFramework
