#pragma once
// The maker's bookmarks: marked places in the song, kept in a text file with one time in
// seconds a line (blank lines and '#' comments are ignored), read at start and written
// whole on every change.
#include <string>
#include <vector>

namespace qelFramework {

class Bookmarks {
public:
    // Reads path in place of the bookmarks held. A missing file gives none and says
    // nothing; a line that is not a time of 0 or more is left out, and one WARNING names
    // the first such line and how many there were. False when the file is there but
    // could not be read whole.
    bool load(const std::string& path);
    // Writes every bookmark to path, whole or not at all; false (with a WARNING) when
    // that fails, the old file then kept.
    bool save(const std::string& path) const;

    // Parses a bookmarks file's text into sorted times without repeats; every line that
    // does not hold one time of 0 or more is left out, counted in bad, the first of them
    // in firstBad with what it held.
    static std::vector<float> parse(const std::string& text, int& bad, int& firstBad, std::string& firstBadText);
    static std::string format(const std::vector<float>& times);

    // Removes the bookmark nearest t when one lies within reach of it, else adds one at
    // t. True when one was added.
    bool toggle(float t, float reach);
    // The last bookmark at or before t, or the first after it; -1 when there is none.
    float atOrBefore(float t) const;
    float after(float t) const;

    // False after a load that found the file but could not read it: saving would
    // replace marks that were never seen.
    bool savable() const { return !unreadable; }

    const std::vector<float>& times() const { return marks; }
    void clear() { marks.clear(); }

private:
    std::vector<float> marks; // ascending
    bool unreadable = false;
};

} // namespace qelFramework
