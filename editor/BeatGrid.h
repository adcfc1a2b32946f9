#pragma once
// The song's beat grid, read from the tempo file the forge writes beside the soundtrack:
//
//     bpm 127
//     offset 0.2
//     beats-per-bar 4
//
// (the tempo in beats a minute, the time of bar 1's first beat in seconds, the beats of
// a bar; each once, in any order; blank lines and '#' comments are ignored). Beat n lies
// at offset + n * 60 / bpm, bar 1 starting at beat 0.
#include <string>

namespace qelFramework {

class BeatGrid {
public:
    enum class Load { read, missing, damaged };

    // Reads path. A missing file leaves no grid and says nothing; a damaged one leaves
    // no grid and writes one WARNING naming the file and the line.
    Load load(const std::string& path);
    // Parses a tempo file's text; false with "line L: ..." in error (and no grid).
    bool parse(const std::string& text, std::string& error);
    // The text of a tempo file.
    static std::string format(double bpm, double offset, int beatsPerBar);

    bool present() const { return valid; }
    double bpm() const { return beatsPerMinute; }
    double offset() const { return firstBeat; }
    int beatsPerBar() const { return barBeats; }
    double beatSeconds() const { return 60.0 / beatsPerMinute; }

    // The time of beat n (n may be negative: beats before bar 1).
    double beatTime(long long n) const;
    // The beat at or before t.
    long long beatAtOrBefore(double t) const;
    // The bar (from 1) that beat n belongs to.
    long long barOf(long long n) const;
    // The beat nearest t that lies within from .. to, as a float time; -1 without a grid
    // or when no beat lies there.
    float nearestBeat(float t, float from, float to) const;

private:
    bool valid = false;
    double beatsPerMinute = 120.0;
    double firstBeat = 0.0;
    int barBeats = 4;
};

} // namespace qelFramework
