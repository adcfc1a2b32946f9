#pragma once
// The arguments the program was started with, as UTF-8.
#include <string>
#include <vector>

namespace qelFramework::platform {

// The arguments after the program's name. main's argv on POSIX systems; on Windows the
// command line as the system holds it (UTF-16, whatever the code page), split the
// system's way, so that a name outside the code page arrives whole.
std::vector<std::string> programArguments(int argc, char** argv);

// The command line a Windows program is started with so that its runtime splits it back
// into exactly these arguments (the first one the program's name); on every system.
std::string windowsCommandLine(const std::vector<std::string>& args);

} // namespace qelFramework::platform
