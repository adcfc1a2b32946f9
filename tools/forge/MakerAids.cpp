// What the sync editor reads beside the content: the soundtrack's beat grid and a first
// set of bookmarks at the storyboard's scene changes.
#include "Products.h"
#include "SongMap.h"

#include "platform/Paths.h"
#include "editor/BeatGrid.h"
#include "editor/Bookmarks.h"

#include <vector>

namespace qelFramework::forge {

namespace {
bool writeText(const std::string& path, const std::string& text, std::string& error) {
    return platform::writeWholeFile(path, std::vector<unsigned char>(text.begin(), text.end()), error);
}
} // namespace

bool makeTempoFile(const std::string& path, std::string& note, std::string& error) {
    // SongMap's bar 0 is the grid's bar 1.
    if (!writeText(path, BeatGrid::format(song::kBeatsPerMinute, song::kFirstDownbeat, 4), error))
        return false;
    note = "127 BPM, bar 1 at 0.2 s, 4/4";
    return true;
}

const std::vector<double>& sceneChangeTimes() {
    // Where the storyboard's picture changes scene, each on its bar's downbeat.
    static const std::vector<double> times = {
        0.0,                             // the opening: fireworks over the town
        song::barTime(22),               // the descent from the fireworks into the town
        song::barTime(song::kCity),      // the town grows
        song::barTime(song::kIntense),   // the flash up to the performer's stage
        song::barTime(song::kSky),       // the sky opens over the burnt cloth
        song::barTime(song::kGreetings), // the first greeting
        song::barTime(song::kFinale),    // the finale's fireworks
        song::barTime(song::kLogoHit),   // the second descent
        song::barTime(song::kFinalHit),  // the final hit
    };
    return times;
}

bool makeFirstBookmarks(const std::string& path, std::string& note, std::string& error) {
    // The maker's own bookmarks are never replaced by a later forging.
    if (platform::fileExists(path)) {
        note = "kept (the maker's own)";
        return true;
    }
    std::vector<float> times;
    for (double t : sceneChangeTimes())
        times.push_back(static_cast<float>(t));
    if (!writeText(path, Bookmarks::format(times), error))
        return false;
    note = std::to_string(times.size()) + " scene changes";
    return true;
}

} // namespace qelFramework::forge
