#include "sync/SyncTextFile.h"

#include "platform/Paths.h"
#include "sync/SyncData.h"
#include "sync/SyncText.h"

#include <cstring>
#include <unordered_map>

namespace qelFramework {

namespace {
bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The program's names end at a zero byte.
std::string programName(const std::string& stored) { return stored.substr(0, stored.find('\0')); }

// Whether an old key line reads back as this key at this place (the first key of a
// controller writes no shape; a later key without one is linear, valval).
bool lineStillSays(const SyncFileKey& old, bool oldShaped, const SyncFileKey& now, bool first) {
    if (!sameBits(old.time, now.time) || !sameBits(old.value, now.value))
        return false;
    if (first)
        return !oldShaped;
    if (!oldShaped)
        return now.kind == linear && now.ends == valval;
    return old.kind == now.kind && old.ends == now.ends;
}

// The text's lines, each with its line end ("" for a last line without one).
struct TextLine {
    std::string body, end;
};
std::vector<TextLine> splitLines(const std::string& text) {
    std::vector<TextLine> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos)
            end = text.size();
        TextLine line{text.substr(start, end - start), text.substr(end, next - end)};
        if (!line.body.empty() && line.body.back() == '\r') {
            line.body.pop_back();
            line.end.insert(0, "\r");
        }
        lines.push_back(std::move(line));
        start = next;
    }
    return lines;
}

// A key line's comment, from its '#' on (key lines hold no quotes), or "".
std::string commentOf(const std::string& line) {
    const std::size_t hash = line.find('#');
    return hash == std::string::npos ? std::string() : line.substr(hash);
}
} // namespace

bool compileSyncTextFile(const std::string& path, const std::string& shownName, std::vector<unsigned char>& image,
                         std::size_t& controllers, std::string& error) {
    std::vector<unsigned char> bytes;
    std::string why;
    if (!platform::readWholeFile(path, bytes, kSyncTextLimit, why)) {
        error = shownName + ": cannot be read: " + why;
        return false;
    }
    std::vector<SyncFileRecord> records;
    if (!parseSyncText(std::string(bytes.begin(), bytes.end()), records, why)) {
        error = shownName + ": " + why;
        return false;
    }
    if (!encodeSyncRecords(records, image, why)) { // the parser keeps names short: not expected
        error = shownName + ": " + why;
        return false;
    }
    controllers = records.size();
    return true;
}

bool mergeIntoSyncText(const std::string& oldText, const std::vector<SyncFileRecord>& records, std::string& merged,
                       std::string& error) {
    std::vector<SyncFileRecord> old;
    std::vector<SyncTextLine> where;
    if (!parseSyncText(oldText, old, error, nullptr, &where))
        return false;
    const std::vector<TextLine> lines = splitLines(oldText);

    // The block of each name that the program reads (its last), and the records by name.
    std::unordered_map<std::string, std::size_t> lastBlock;
    for (std::size_t r = 0; r < old.size(); ++r)
        lastBlock[programName(old[r].name)] = r;
    std::unordered_map<std::string, const SyncFileRecord*> byName;
    for (const SyncFileRecord& record : records)
        byName[programName(record.name)] = &record; // the later of a name, as the program reads them
    const std::string newLine = !lines.empty() && lines[0].end == "\r\n" ? "\r\n" : "\n";

    merged.clear();
    std::size_t i = 0;
    while (i < lines.size()) {
        const int r = where[i].record;
        const SyncFileRecord* now = nullptr;
        if (r >= 0) {
            const std::string name = programName(old[static_cast<std::size_t>(r)].name);
            if (lastBlock[name] == static_cast<std::size_t>(r)) {
                const auto found = byName.find(name);
                now = found == byName.end() ? nullptr : found->second;
            }
        }
        // Lines before the first controller, earlier blocks of a name given again and
        // blocks of names the records lack stay as they are.
        std::size_t blockEnd = i + 1;
        while (blockEnd < lines.size() && where[blockEnd].record == r)
            ++blockEnd;
        if (!now) {
            for (; i < blockEnd; ++i)
                merged += lines[i].body + lines[i].end;
            continue;
        }
        // The new keys go in time order among the old lines; those left over follow the
        // block's last key line (or its controller line), before its trailing comments.
        std::size_t lastKeyLine = i;
        for (std::size_t k = i; k < blockEnd; ++k)
            if (where[k].key >= 0)
                lastKeyLine = k;
        const std::vector<SyncFileKey>& keys = now->keys;
        std::size_t next = 0;
        auto emitKey = [&](std::size_t index, const std::string& comment) {
            merged += formatSyncKeyLine(keys[index], index == 0) + (comment.empty() ? "" : "  " + comment) + newLine;
        };
        for (; i < blockEnd; ++i) {
            const TextLine& line = lines[i];
            if (where[i].key < 0) {
                merged += line.body + line.end;
            } else {
                const SyncFileKey& was = old[static_cast<std::size_t>(r)].keys[static_cast<std::size_t>(where[i].key)];
                while (next < keys.size() && keys[next].time < was.time)
                    emitKey(next++, std::string());
                if (next < keys.size() && keys[next].time == was.time) {
                    if (lineStillSays(was, where[i].shaped, keys[next], next == 0))
                        merged += line.body + (line.end.empty() ? newLine : line.end);
                    else
                        emitKey(next, commentOf(line.body));
                    ++next;
                }
                // Otherwise the key is gone, and its line with it.
            }
            if (i == lastKeyLine) {
                if (line.end.empty() && where[i].key < 0)
                    merged += newLine;
                while (next < keys.size())
                    emitKey(next++, std::string());
            }
        }
    }

    // Controllers the text does not name, in the records' order, after a blank line.
    std::vector<SyncFileRecord> added;
    for (const SyncFileRecord& record : records)
        if (!lastBlock.count(programName(record.name)))
            added.push_back(record);
    if (!added.empty()) {
        if (!merged.empty() && merged.back() != '\n')
            merged += newLine;
        if (!merged.empty())
            merged += newLine;
        std::string text = formatSyncText(added);
        if (newLine != "\n")
            for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
                text.insert(at, "\r");
        merged += text;
    }
    return true;
}

std::vector<SyncFileRecord> syncRecordsOf(const SyncData& data) {
    std::vector<SyncFileRecord> records;
    records.reserve(data.count());
    for (std::size_t c = 0; c < data.count(); ++c) {
        const SyncController& controller = *data.at(c);
        SyncFileRecord record{controller.nameRef(), {}};
        const std::vector<SyncKey>& keys = controller.keys();
        const std::vector<SyncSegment>& segments = controller.segments();
        record.keys.reserve(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            SyncFileKey key{keys[i].time, keys[i].value, 0, 0};
            if (i > 0 && i - 1 < segments.size()) {
                key.kind = segments[i - 1].kind;
                key.ends = segments[i - 1].ends;
            }
            record.keys.push_back(key);
        }
        records.push_back(std::move(record));
    }
    return records;
}

bool writeSyncTextFile(const std::string& path, const SyncData& data, std::string& error) {
    const std::vector<SyncFileRecord> records = syncRecordsOf(data);
    std::string text = formatSyncText(records);
    if (platform::fileExists(path)) {
        std::vector<unsigned char> bytes;
        std::string why;
        if (!platform::readWholeFile(path, bytes, kSyncTextLimit, why)) {
            error = path + " cannot be read: " + why;
            return false;
        }
        if (!mergeIntoSyncText(std::string(bytes.begin(), bytes.end()), records, text, why)) {
            error = path + " does not compile (" + why + ")";
            return false;
        }
    }
    return platform::writeWholeFile(path, std::vector<unsigned char>(text.begin(), text.end()), error);
}

} // namespace qelFramework
