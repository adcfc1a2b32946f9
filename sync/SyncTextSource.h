#pragma once
// The production's sync data taken from a text file that the maker edits while the show
// runs: compiled in memory, watched by its modification time, and merged by controller
// name into the running data on every change. The trace says what each look found.
#include "platform/Paths.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qelFramework {

class SyncData;

class SyncTextSource {
public:
    enum class Change { none, compiled, failed };

    // path is the file to open, shownName the file as the maker named it (for the trace);
    // the file is looked at no more often than every checkSeconds.
    SyncTextSource(std::string path, std::string shownName, double checkSeconds = 1.0);

    // Compiles the file and merges it into data now, without a trace record. False with
    // the message in error, and nothing changed; either way this version counts as seen,
    // unless the file is there and could not be read (another program holding it).
    bool load(SyncData& data, std::string& error);

    // Once the check interval has passed: looks at the file's stamp and, when it changed
    // since the last load, look or save, reads and compiles it. A text that does not
    // compile (or a file that has gone) is failed, once per version, with one WARNING; a
    // file that is there but cannot be read is read again at each look.
    Change poll();
    // Merges what poll compiled into data and traces "reloaded NAME: N controllers".
    // Does nothing unless the last poll compiled.
    void merge(SyncData& data);
    // The record of the last poll that found a change (the WARNING's or the INFO's text).
    const std::string& message() const { return lastMessage; }

    // Writes data to the file in the text form, keeping its comments (see
    // writeSyncTextFile); the version written counts as seen. False with the reason, and
    // refused when the file changed since it was last looked at (the next poll then
    // looks at once), so that a save never merges away text the maker just wrote.
    bool save(const SyncData& data, std::string& error);

    const std::string& path() const { return filePath; }
    const std::string& shownName() const { return name; }

private:
    void noteLook(const platform::FileStamp& stamp, bool read);

    std::string filePath, name;
    std::int64_t checkTicks = 0;
    std::int64_t nextCheck = 0;
    platform::FileStamp seen;
    platform::FileStamp warned; // the last version a failed look was said for
    std::vector<unsigned char> compiled;
    std::size_t compiledControllers = 0;
    bool pending = false;
    std::string lastMessage;
};

} // namespace qelFramework
