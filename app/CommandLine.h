#pragma once
// The program's options. With none it shows the launcher; the rest serve Linux users
// and automated runs.
#include <string>
#include <vector>

namespace qelFramework {

struct CommandLine {
    bool help = false;
    bool version = false;
    bool sizeGiven = false;    // --size: skip the launcher
    int width = 0;
    int height = 0;
    bool fullscreen = false;   // --fullscreen (with --size); --windowed is the default then
    std::string inputScript;   // --input-script FILE: timed synthetic input
    bool editor = false;       // --editor: attach the sync editor
    std::string capture;       // --capture OUT: write every frame (folder of PNGs or .mp4)
    int fps = 60;              // --fps N (capture)
    float from = 0.0f;         // --from S (capture)
    float to = -1.0f;          // --to S (capture); negative: the end
};

// Parses argv[1..]. Returns false with a message in error for an unknown option, a
// missing value or a malformed size.
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

const char* usageText();

} // namespace qelFramework
