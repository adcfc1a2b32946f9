#include "app/CommandLine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace qelFramework {

namespace {
enum class SizeCheck { Ok, Malformed, OutOfRange };

// "WIDTHxHEIGHT" in digits, each side from 64 to 16384.
SizeCheck parseSize(const std::string& text, int& width, int& height) {
    size_t x = text.find('x');
    if (x == std::string::npos || x == 0 || x + 1 >= text.size())
        return SizeCheck::Malformed;
    for (size_t i = 0; i < text.size(); ++i)
        if (i != x && (text[i] < '0' || text[i] > '9'))
            return SizeCheck::Malformed;
    // More than five digits (leading zeros aside) is past the bound whatever they say.
    auto side = [](const std::string& digits) {
        const size_t first = std::min(digits.find_first_not_of('0'), digits.size());
        return digits.size() - first > 5 ? 100000 : std::atoi(digits.c_str() + first);
    };
    const int w = side(text.substr(0, x));
    const int h = side(text.substr(x + 1));
    if (w < 64 || h < 64 || w > 16384 || h > 16384)
        return SizeCheck::OutOfRange;
    width = w;
    height = h;
    return SizeCheck::Ok;
}

// "K/N" with 1 <= K <= N <= 1000.
bool parseSegment(const std::string& text, int& segment, int& segments) {
    const size_t slash = text.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 >= text.size() || slash > 4 ||
        text.size() - slash - 1 > 4)
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (i != slash && (text[i] < '0' || text[i] > '9'))
            return false;
    const int k = std::atoi(text.substr(0, slash).c_str());
    const int n = std::atoi(text.substr(slash + 1).c_str());
    if (k < 1 || n < 1 || k > n || n > 1000)
        return false;
    segment = k;
    segments = n;
    return true;
}

bool parseSeconds(const std::string& text, double& seconds) {
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(v >= 0.0) || v > 100000.0)
        return false;
    seconds = v;
    return true;
}
} // namespace

bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
    out = CommandLine{};
    bool windowed = false;
    // Every option is given once: a second one would silently override the first.
    std::set<std::string> given;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!given.insert(a == "-h" ? "--help" : a).second) {
            error = "option " + a + " is given more than once";
            return false;
        }
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                error = "option " + a + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (a == "--version") {
            out.version = true;
        } else if (a == "--size") {
            std::string text;
            if (!value(text))
                return false;
            const SizeCheck size = parseSize(text, out.width, out.height);
            if (size == SizeCheck::Malformed) {
                error = "malformed size '" + text + "': expected WIDTHxHEIGHT, for example 1280x720";
                return false;
            }
            if (size == SizeCheck::OutOfRange) {
                error = "size '" + text + "' out of range: width and height go from 64 to 16384";
                return false;
            }
            out.sizeGiven = true;
        } else if (a == "--fullscreen") {
            out.fullscreen = true;
        } else if (a == "--windowed") {
            windowed = true;
        } else if (a == "--editor") {
            out.editor = true;
        } else if (a == "--sync-text") {
            if (!value(out.syncText))
                return false;
            if (out.syncText.empty()) {
                error = "--sync-text needs a file name";
                return false;
            }
        } else if (a == "--input-script") {
            if (!value(out.inputScript))
                return false;
        } else if (a == "--capture") {
            if (!value(out.capture))
                return false;
            if (out.capture.empty()) {
                error = "--capture needs a folder or a file name ending in .mp4";
                return false;
            }
        } else if (a == "--fps") {
            std::string text;
            if (!value(text))
                return false;
            char* end = nullptr;
            long fps = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || fps < 1 || fps > 240) {
                error = "malformed frame rate '" + text + "': expected a whole number from 1 to 240";
                return false;
            }
            out.fps = static_cast<int>(fps);
        } else if (a == "--from" || a == "--to") {
            std::string text;
            if (!value(text))
                return false;
            if (!parseSeconds(text, a == "--from" ? out.from : out.to)) {
                error = "malformed time '" + text + "' for " + a + ": expected seconds, for example 12.5";
                return false;
            }
        } else if (a == "--segment") {
            std::string text;
            if (!value(text))
                return false;
            if (!parseSegment(text, out.segment, out.segments)) {
                error = "malformed segment '" + text + "': expected K/N with 1 <= K <= N <= 1000, for example 2/4";
                return false;
            }
        } else {
            error = "unknown option '" + a + "'";
            return false;
        }
    }
    if (out.fullscreen && windowed) {
        error = "--fullscreen and --windowed exclude each other";
        return false;
    }
    if (out.capture.empty() && (out.fps != 60 || out.from != 0.0 || out.to >= 0.0 || out.segments != 1)) {
        error = "--fps, --from, --to and --segment only apply to --capture";
        return false;
    }
    if (!out.capture.empty() && out.fullscreen) {
        error = "--capture renders off screen; --fullscreen does not apply";
        return false;
    }
    if (out.to >= 0.0 && out.to < out.from) {
        error = "--to must not be before --from";
        return false;
    }
    if ((out.fullscreen || windowed) && !out.sizeGiven) {
        error = "--fullscreen and --windowed need --size WIDTHxHEIGHT";
        return false;
    }
    return true;
}

const char* usageText() {
    return "usage: quillmont [options]\n"
           "\n"
           "Plays the quillmont production. Without options a launcher asks for the\n"
           "resolution and full-screen mode.\n"
           "\n"
           "  --size WxH          play at this size without the launcher (windowed)\n"
           "  --fullscreen        with --size: switch the display to that size\n"
           "  --windowed          with --size: play in a window (the default)\n"
           "  --editor            attach the sync editor over the production (edit the\n"
           "                      controllers against the music; saves data/demosynch.dat)\n"
           "  --sync-text FILE    take the sync data from the text FILE (the form of\n"
           "                      quillmont-sync) instead of data/demosynch.dat; FILE is\n"
           "                      watched and reloaded when it changes, and the editor's\n"
           "                      save writes it\n"
           "  --input-script FILE feed timed synthetic input (automated runs)\n"
           "  --capture OUT       play on a frame clock and write every frame: numbered PNG\n"
           "                      files when OUT is a folder, an H.264 video with the\n"
           "                      soundtrack when OUT ends in .mp4 or .MP4 (no launcher, no\n"
           "                      sound device, works without a display)\n"
           "  --fps N             capture frame rate (default 60)\n"
           "  --from S, --to S    capture from / to this production second (exactly the\n"
           "                      frames a capture from the start shows there)\n"
           "  --segment K/N       capture only the K-th of N equal parts of the range (a\n"
           "                      video part has no sound; scripts/render joins the parts)\n"
           "  --version           print the version and exit\n"
           "  --help              print this text and exit\n"
           "\n"
           "Keys: Escape quits; Enter (held) shows the clock-minus-music latency in the\n"
           "title; F10 (held) shows the frame-time graph and the frame rate.\n";
}

} // namespace qelFramework
