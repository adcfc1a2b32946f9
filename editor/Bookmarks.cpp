#include "editor/Bookmarks.h"

#include "base/Trace.h"
#include "platform/Paths.h"
#include "sync/SyncText.h"
#include "sync/TextLines.h"

#include <algorithm>
#include <cmath>

namespace qelFramework {

namespace {
const char* const kTag = "bookmarks";
// A few hundred lines at most in use; a file far larger than this is not a bookmarks file.
constexpr std::size_t kBookmarksFileLimit = 1u << 20;
} // namespace

std::vector<float> Bookmarks::parse(const std::string& text, int& bad, int& firstBad, std::string& firstBadText) {
    std::vector<float> times;
    bad = 0;
    firstBad = 0;
    firstBadText.clear();
    int line = 0;
    for (const std::string& whole : splitLines(text)) {
        ++line;
        const std::string content = withoutComment(whole);
        const std::size_t first = content.find_first_not_of(" \t\r");
        if (first == std::string::npos)
            continue;
        const std::size_t last = content.find_last_not_of(" \t\r");
        const std::string token = content.substr(first, last - first + 1);
        float t = 0.0f;
        if (parseSyncFloat(token, t) && std::isfinite(t) && t >= 0.0f) {
            times.push_back(t);
            continue;
        }
        if (bad++ == 0) {
            firstBad = line;
            firstBadText = token.substr(0, 40);
        }
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    return times;
}

std::string Bookmarks::format(const std::vector<float>& times) {
    std::string text;
    for (float t : times)
        text += formatSyncFloat(t) + "\n";
    return text;
}

bool Bookmarks::load(const std::string& path) {
    marks.clear();
    unreadable = false;
    if (!platform::fileExists(path))
        return true;
    std::vector<unsigned char> bytes;
    std::string error;
    if (!platform::readWholeFile(path, bytes, kBookmarksFileLimit, error)) {
        Trace::write(Trace::Warning, kTag, "%s cannot be read (%s): no bookmarks", path.c_str(), error.c_str());
        unreadable = true;
        return false;
    }
    int bad = 0, firstBad = 0;
    std::string firstBadText;
    marks = parse(std::string(bytes.begin(), bytes.end()), bad, firstBad, firstBadText);
    if (bad > 0)
        Trace::write(Trace::Warning, kTag, "%s: line %d: expected a time in seconds (0 or more), found '%s'; %d %s left out",
                     path.c_str(), firstBad, firstBadText.c_str(), bad, bad == 1 ? "line" : "lines");
    return true;
}

bool Bookmarks::save(const std::string& path) const {
    const std::string text = format(marks);
    std::string error;
    if (platform::writeWholeFile(path, std::vector<unsigned char>(text.begin(), text.end()), error))
        return true;
    Trace::write(Trace::Warning, kTag, "bookmarks not written, the old file is kept: %s", error.c_str());
    return false;
}

bool Bookmarks::toggle(float t, float reach) {
    if (!std::isfinite(t) || t < 0.0f)
        return false;
    auto nearest = marks.end();
    for (auto it = marks.begin(); it != marks.end(); ++it)
        if (std::fabs(*it - t) <= reach && (nearest == marks.end() || std::fabs(*it - t) < std::fabs(*nearest - t)))
            nearest = it;
    if (nearest != marks.end()) {
        marks.erase(nearest);
        return false;
    }
    marks.insert(std::upper_bound(marks.begin(), marks.end(), t), t);
    return true;
}

float Bookmarks::atOrBefore(float t) const {
    const auto it = std::upper_bound(marks.begin(), marks.end(), t);
    return it == marks.begin() ? -1.0f : *(it - 1);
}

float Bookmarks::after(float t) const {
    const auto it = std::upper_bound(marks.begin(), marks.end(), t);
    return it == marks.end() ? -1.0f : *it;
}

} // namespace qelFramework
