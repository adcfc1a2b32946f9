#pragma once
// Folders outside the content where the program may keep a maker's files when its own
// folder cannot take them.
#include <string>

namespace qelFramework::platform {

// The user's state folder for this program: $XDG_STATE_HOME/quillmont when that variable
// holds an absolute path, else $HOME/.local/state/quillmont (on Windows
// %LOCALAPPDATA%/quillmont); empty when neither is known.
// It is not made here.
std::string userStateFolder();

// The system's folder for temporary files: $TMPDIR when that holds an absolute path, else
// /tmp (on Windows the one the system names).
std::string temporaryFolder();

// Makes a folder and the folders above it that are missing; true when it exists
// afterwards, else false with the system's reason in error.
bool makeFolders(const std::string& path, std::string& error);

} // namespace qelFramework::platform
