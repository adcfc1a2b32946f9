#include "editor/BeatGrid.h"

#include "base/Trace.h"
#include "platform/Paths.h"
#include "sync/SyncText.h"
#include "sync/TextLines.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace qelFramework {

namespace {
// Three short lines; anything much longer is not a tempo file.
constexpr std::size_t kTempoFileLimit = 4096;
// What a grid may hold: tempi a song has, offsets within an hour, bars of up to 32 beats.
constexpr double kLowestBpm = 1.0, kHighestBpm = 1000.0;
constexpr double kFarthestOffset = 3600.0;
constexpr int kMostBeatsPerBar = 32;

bool parseNumber(const std::string& token, double& out) {
    float f = 0.0f;
    if (!parseSyncFloat(token, f) || !std::isfinite(f))
        return false;
    // Read again as a double: "0.2" is the decimal 0.2, not the float nearest it.
    out = std::strtod(token.c_str(), nullptr);
    return true;
}
} // namespace

bool BeatGrid::parse(const std::string& text, std::string& error) {
    valid = false;
    double bpm = 0.0, offset = 0.0;
    int beats = 0;
    bool seen[3] = {false, false, false};
    static const char* const kWords[3] = {"bpm", "offset", "beats-per-bar"};
    static const char* const kForms[3] = {"'bpm BEATS-A-MINUTE' (1 to 1000)", "'offset SECONDS' (-3600 to 3600)",
                                          "'beats-per-bar N' (1 to 32)"};
    int line = 0;
    for (const std::string& whole : splitLines(text)) {
        ++line;
        const std::string content = withoutComment(whole);
        std::istringstream in(content);
        std::string word, value, extra;
        if (!(in >> word))
            continue;
        in >> value >> extra;
        int which = -1;
        for (int w = 0; w < 3; ++w)
            if (word == kWords[w])
                which = w;
        const auto fail = [&](const std::string& what) {
            error = "line " + std::to_string(line) + ": " + what;
            return false;
        };
        if (which < 0)
            return fail("expected bpm, offset or beats-per-bar, found '" + word + "'");
        if (seen[which])
            return fail(std::string(kWords[which]) + " given twice");
        double number = 0.0;
        bool ok = !value.empty() && extra.empty() && parseNumber(value, number);
        if (which == 0)
            ok = ok && number >= kLowestBpm && number <= kHighestBpm;
        else if (which == 1)
            ok = ok && std::fabs(number) <= kFarthestOffset;
        else
            ok = ok && number >= 1.0 && number <= kMostBeatsPerBar && number == std::floor(number);
        if (!ok)
            return fail(std::string("expected ") + kForms[which] + ", found '" + content + "'");
        seen[which] = true;
        if (which == 0)
            bpm = number;
        else if (which == 1)
            offset = number;
        else
            beats = static_cast<int>(number);
    }
    for (int w = 0; w < 3; ++w)
        if (!seen[w]) {
            error = "line " + std::to_string(line + 1) + ": expected " + kForms[w] + ", found the end of the file";
            return false;
        }
    beatsPerMinute = bpm;
    firstBeat = offset;
    barBeats = beats;
    valid = true;
    return true;
}

BeatGrid::Load BeatGrid::load(const std::string& path) {
    valid = false;
    if (!platform::fileExists(path))
        return Load::missing;
    std::vector<unsigned char> bytes;
    std::string error;
    if (!platform::readWholeFile(path, bytes, kTempoFileLimit, error)) {
        Trace::write(Trace::Warning, "beatGrid", "%s cannot be read (%s): no beat grid", path.c_str(), error.c_str());
        return Load::damaged;
    }
    if (!parse(std::string(bytes.begin(), bytes.end()), error)) {
        Trace::write(Trace::Warning, "beatGrid", "%s: %s: no beat grid", path.c_str(), error.c_str());
        return Load::damaged;
    }
    return Load::read;
}

std::string BeatGrid::format(double bpm, double offset, int beatsPerBar) {
    char text[128];
    std::snprintf(text, sizeof text, "bpm %.9g\noffset %.9g\nbeats-per-bar %d\n", bpm, offset, beatsPerBar);
    return text;
}

double BeatGrid::beatTime(long long n) const { return firstBeat + static_cast<double>(n) * 60.0 / beatsPerMinute; }

long long BeatGrid::beatAtOrBefore(double t) const {
    return static_cast<long long>(std::floor((t - firstBeat) * beatsPerMinute / 60.0));
}

long long BeatGrid::barOf(long long n) const {
    const long long bar = n >= 0 ? n / barBeats : -((-n + barBeats - 1) / barBeats);
    return bar + 1;
}

float BeatGrid::nearestBeat(float t, float from, float to) const {
    if (!valid || !std::isfinite(t) || !(from <= to))
        return -1.0f;
    // Times far outside any song stay out of the beat arithmetic.
    const double clamped = std::fmin(std::fmax(static_cast<double>(t), static_cast<double>(from)), static_cast<double>(to));
    const long long below = beatAtOrBefore(clamped);
    float best = -1.0f;
    double bestDistance = INFINITY;
    for (long long n = below - 1; n <= below + 2; ++n) {
        const float beat = static_cast<float>(beatTime(n));
        const double distance = std::fabs(static_cast<double>(beat) - static_cast<double>(t));
        if (beat >= from && beat <= to && distance < bestDistance) {
            best = beat;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace qelFramework
