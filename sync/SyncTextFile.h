#pragma once
// The sync data kept as a text file (the form quillmont-sync and the forge read): read
// and compiled in memory by the same parser, and written back from the running data with
// the maker's comments, blank lines and untouched key lines kept as they were.
#include "sync/SyncFileFormat.h"

#include <cstddef>
#include <string>
#include <vector>

namespace qelFramework {

class SyncData;

// A choreography is some tens of kilobytes; a text far larger than this is not one.
constexpr std::size_t kSyncTextLimit = 16u << 20;

// Reads path and compiles it into a sync file image. False with the message in error:
// "NAME: line L: <what was expected>" (the sync tool's message) or "NAME: cannot be
// read: <reason>", where NAME is shownName. When read is given it says whether the file's
// bytes were read (a failure then lies in the text, not in reaching the file).
bool compileSyncTextFile(const std::string& path, const std::string& shownName, std::vector<unsigned char>& image,
                         std::size_t& controllers, std::string& error, bool* read = nullptr);

// The records (all controllers of the data, say) written into an existing text: every
// comment, blank line and controller line stays where it stands, and so does every key
// line whose key is unchanged; the key lines of a controller the records hold are
// replaced by its keys (a changed key written as formatSyncText writes it, with the
// line's comment kept; a removed key's line goes; a new key goes where its time puts
// it). A controller named twice takes the keys in its later block, which is the one the
// program reads; controllers the text does not name are added at its end. False, with
// the parser's message in error, when oldText does not compile.
bool mergeIntoSyncText(const std::string& oldText, const std::vector<SyncFileRecord>& records, std::string& merged,
                       std::string& error);

// The controllers of data as records, in list order (for a save, without the empty
// ones no file named).
std::vector<SyncFileRecord> syncRecordsOf(const SyncData& data, SyncContents contents = SyncContents::snapshot);

// Writes data as saved to path in the text form, whole or not at all, merged into the text there
// (a missing file is written afresh). False with the reason in error (the text there
// does not compile, or it cannot be read or written); path is then untouched.
bool writeSyncTextFile(const std::string& path, const SyncData& data, std::string& error);

} // namespace qelFramework
