#pragma once
// The sync data as text that people write and read, kept in version control and turned
// into the sync file:
//
//     # comments run from '#' to the end of the line; blank lines are ignored
//     controller "Postprocessor: fade to black"
//         0     0
//         12.5  1     smoothstep
//         20    0.25  exponential valzero
//
// A controller line names a controller in double quotes (\" and \\ stand for a quote
// and a backslash, \xHH for any other byte, a zero byte included). Each following line
// is one key: its time in seconds and its value, then for every key but the first the
// shape of the segment that ends at that key (linear when left out) and its preset
// (valval when left out). A shape or preset the program has no word for is written as
// its number. Text and file map one to one: whatever a file holds, keys out of time
// order and a name given twice included, has a text that builds it again.
#include "sync/SyncFileFormat.h"

#include <string>
#include <vector>

namespace qelFramework {

// The records as text: one block per record, separated by blank lines.
std::string formatSyncText(const std::vector<SyncFileRecord>& records);

// Parses text into records. False with "line N: ..." in error, naming what was expected.
// What the text may hold but the program would change when it reads the file (a key
// before the previous key's time, a name given a second time, a zero byte in a name) is
// accepted and, when notes is given, described there, one "line N: ..." a line.
// What a line of the text gave: the record it belongs to (-1 before the first
// controller line) and, for a key line, the key's index in that record and whether the
// line spelt out a shape.
struct SyncTextLine {
    int record = -1;
    int key = -1;
    bool shaped = false;
};

bool parseSyncText(const std::string& text, std::vector<SyncFileRecord>& records, std::string& error,
                   std::vector<std::string>* notes = nullptr, std::vector<SyncTextLine>* lines = nullptr);

// One key line as formatSyncText writes it (without the line end); the first key of a
// record has no shape and preset.
std::string formatSyncKeyLine(const SyncFileKey& key, bool first);

// A name in double quotes as the text writes it, escapes included.
std::string quoteSyncName(const std::string& name);

// The shortest decimal text that reads back to the same float bits ("0.2", "100",
// "1e-05"); a not-a-number other than the plain one is written "nan:7fc00001".
std::string formatSyncFloat(float f);
// Reads what formatSyncFloat writes, and any other decimal number; false for anything
// else or a finite number too large for a float.
bool parseSyncFloat(const std::string& token, float& f);

} // namespace qelFramework
