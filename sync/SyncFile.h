#pragma once
// Reading and writing all controllers at once, and the names of the editor's snapshot
// files. Paths are written the program's way ("data\demosynch.dat").
#include "platform/Kernel.h"
#include "sync/SyncFileFormat.h"

#include <cstddef>
#include <string>
#include <vector>

namespace qelFramework {

class SyncData;

// No sync file is larger: the most keys a sync text may hold take far less. A larger
// file is refused unread.
constexpr std::size_t kSyncFileLimit = 64u << 20;

enum class SyncReadResult {
    read,    // the whole file was merged
    missing, // the file could not be opened or read (or is too large, with a WARNING); nothing changed
    damaged, // the whole records before the damage were merged; one WARNING was traced
};

// Writes every controller to path through a temporary file beside it that then replaces
// the target, so a failure part-way leaves the old file as it was. False, with a
// WARNING, when anything fails.
bool writeSyncFile(const std::string& path, const SyncData& data, SyncContents contents = SyncContents::snapshot);

// Merges the file into data by controller name: each controller the file names gets
// exactly the file's keys (created when missing); the others keep theirs. A damaged
// record and everything behind it are left out, and that controller keeps its keys.
SyncReadResult readSyncFile(const std::string& path, SyncData& data, SyncContents contents = SyncContents::save);
// The same merge from a file image held in memory; name stands for the file in warnings.
// Never missing: an empty image is a file without a controller count (damaged).
SyncReadResult mergeSyncImage(const std::vector<unsigned char>& image, const std::string& name, SyncData& data,
                              SyncContents contents = SyncContents::save);

// "editor/--<counter>--<year>-<month>-<day>!<hour>-<minute>-<second>.dat"
std::string snapshotFileName(unsigned counter, const platform::SystemTime& time);
// Advances the process-wide snapshot counter (the first call gives 1) and names a
// snapshot with it and the current UTC time.
std::string nextSnapshotFileName();

} // namespace qelFramework
