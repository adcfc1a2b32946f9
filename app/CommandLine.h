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
    std::string syncText;      // --sync-text FILE: the sync data from this text, watched
    std::string syncTextPath;  // FILE from the root (main sets it before start-up moves the working folder)
    std::string capture;       // --capture OUT: write every frame (folder of PNGs or .mp4)
    int fps = 60;              // --fps N (capture)
    double from = 0.0;         // --from S (capture), as written: no float rounding
    double to = -1.0;          // --to S (capture); negative: the end
    int segment = 1;           // --segment K/N (capture): the K-th of N parts of the range
    int segments = 1;
};

// Parses argv[1..]. Returns false with a message in error for an unknown option, an
// option given twice, a missing value, or a size that is malformed or out of range.
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

const char* usageText();

} // namespace qelFramework
