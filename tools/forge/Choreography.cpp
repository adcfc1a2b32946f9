#include "Products.h"

#include "platform/Paths.h"
#include "sync/SyncFile.h"
#include "sync/SyncText.h"

namespace qelFramework::forge {

// The production's script lives in the source tree as text (content/choreography.txt);
// the forge turns it into the sync file the program reads.
bool compileChoreography(const std::string& path, std::string& note, std::string& error) {
    const std::string source = std::string(QM_CONTENT_DIR) + "/choreography.txt";
    std::vector<unsigned char> bytes;
    if (!platform::readWholeFile(source, bytes)) {
        error = "cannot read " + source;
        return false;
    }
    std::vector<SyncFileRecord> records;
    std::vector<std::string> notes;
    std::string problem;
    if (!parseSyncText(std::string(bytes.begin(), bytes.end()), records, problem, &notes)) {
        error = source + ": " + problem;
        return false;
    }
    // The production's own script is kept exactly as the program reads it.
    if (!notes.empty()) {
        error = source + ": " + notes.front();
        return false;
    }
    std::vector<unsigned char> image;
    if (!encodeSyncRecords(records, image, problem) || !platform::writeWholeFile(path, image, problem)) {
        error = problem;
        return false;
    }
    size_t keys = 0;
    for (const SyncFileRecord& r : records)
        keys += r.keys.size();
    note = std::to_string(records.size()) + " controllers, " + std::to_string(keys) + " keys";
    return true;
}

} // namespace qelFramework::forge
