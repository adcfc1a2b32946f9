#include "sync/SyncTextFile.h"

#include "platform/Paths.h"
#include "sync/SyncData.h"
#include "sync/SyncText.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <unordered_map>

namespace qelFramework {

namespace {
bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The program's names end at a zero byte.
std::string programName(const std::string& stored) { return stored.substr(0, stored.find('\0')); }

// The shape a key line gives the segment that ends at its key: the first line of a block
// spells none and a later one may leave it out, both read as linear, valval.
std::pair<std::int32_t, std::int32_t> shapeOf(const SyncFileKey& key) {
    return {key.kind != 0 ? key.kind : linear, key.ends != 0 ? key.ends : valval};
}

// Whether an old key line still reads back as this key, the sorted-first key of its
// controller (whose shape goes nowhere) or a later one.
bool lineStillSays(const SyncFileKey& old, const SyncFileKey& now, bool sortedFirst) {
    if (!sameBits(old.time, now.time) || !sameBits(old.value, now.value))
        return false;
    return sortedFirst || shapeOf(old) == shapeOf(now);
}

// A record's keys as the program holds them after reading: sorted by time (a key after
// those of its own time), a time that is not a number left out, each shape on the
// segment that ends at its key, the first key's nowhere.
std::vector<SyncFileKey> programKeys(const std::vector<SyncFileKey>& stored) {
    std::vector<SyncFileKey> keys;
    for (const SyncFileKey& key : stored)
        if (!std::isnan(key.time))
            keys.push_back(key);
    std::stable_sort(keys.begin(), keys.end(), [](const SyncFileKey& a, const SyncFileKey& b) { return a.time < b.time; });
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const auto shape = i == 0 ? std::make_pair(0, 0) : shapeOf(keys[i]);
        keys[i].kind = shape.first;
        keys[i].ends = shape.second;
    }
    return keys;
}

bool sameKeys(const std::vector<SyncFileKey>& a, const std::vector<SyncFileKey>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!lineStillSays(a[i], b[i], false) || a[i].kind != b[i].kind || a[i].ends != b[i].ends)
            return false;
    return true;
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
                         std::size_t& controllers, std::string& error, bool* read) {
    std::vector<unsigned char> bytes;
    std::string why;
    const bool gotBytes = platform::readWholeFile(path, bytes, kSyncTextLimit, why);
    if (read)
        *read = gotBytes;
    if (!gotBytes) {
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

namespace {
// One controller block of the old text (lines [begin, end): its controller line, key lines,
// comments and blank lines) written with the keys the program now holds for it (sorted).
// Every old key line is matched to a key first by what it says, then by its time alone
// (a changed key); an unmatched line's key was removed. Kept lines stand where they stood,
// whatever their order; new keys go before the first old key line of a later time. With
// sorted, all keys go in time order at the first key line instead, each with the comment
// of its old line. False when the block cannot be written this way (the first key line
// would need a shape).
class BlockMerge {
public:
    BlockMerge(const std::vector<TextLine>& lines, const std::vector<SyncTextLine>& where, const SyncFileRecord& old,
               const std::vector<SyncFileKey>& keys, const std::string& newLine, std::string& out)
        : lines(lines), where(where), old(old), keys(keys), newLine(newLine), out(out) {}

    bool write(std::size_t begin, std::size_t end, bool sorted) {
        std::vector<std::size_t> keyLines;
        for (std::size_t i = begin; i < end; ++i)
            if (where[i].key >= 0)
                keyLines.push_back(i);
        match(keyLines);
        written = 0;
        if (sorted)
            return writeSorted(begin, end, keyLines);
        // Where each new key goes: before the first old key line of a later time, found by
        // the running latest time of the lines (not-a-number times count as none).
        std::vector<float> latest;
        float running = -INFINITY;
        for (std::size_t line : keyLines) {
            const float t = oldKey(line).time;
            running = t > running ? t : running;
            latest.push_back(running);
        }
        std::vector<std::vector<std::size_t>> before(keyLines.size() + 1);
        for (std::size_t k = 0; k < keys.size(); ++k)
            if (owner[k] < 0)
                before[static_cast<std::size_t>(std::upper_bound(latest.begin(), latest.end(), keys[k].time) -
                                                latest.begin())]
                    .push_back(k);
        std::size_t nextKeyLine = 0;
        for (std::size_t i = begin; i < end; ++i) {
            if (where[i].key < 0) {
                put(lines[i].body, lines[i].end);
            } else {
                for (std::size_t k : before[nextKeyLine])
                    if (!putKey(k, std::string::npos))
                        return false;
                const int matched = lineMatch[nextKeyLine++];
                if (std::isnan(oldKey(i).time))
                    putUnread(i);
                else if (matched >= 0 && !putKey(static_cast<std::size_t>(matched), i))
                    return false;
            }
            if (i == (keyLines.empty() ? begin : keyLines.back()))
                for (std::size_t k : before.back())
                    if (!putKey(k, std::string::npos))
                        return false;
        }
        return true;
    }

private:
    const SyncFileKey& oldKey(std::size_t line) const { return old.keys[static_cast<std::size_t>(where[line].key)]; }

    // Keys of one time (and for an exact match one value and shape), in time order, with
    // the first that no line has taken yet; lines only ever take keys, so each bucket is
    // walked once, whatever the text holds.
    struct Bucket {
        std::vector<std::size_t> keys;
        std::size_t next = 0;
    };
    static std::string bucketName(const SyncFileKey& key, bool withValueAndShape) {
        const std::pair<std::int32_t, std::int32_t> shape = shapeOf(key);
        const std::int32_t fields[] = {shape.first, shape.second};
        std::string name(reinterpret_cast<const char*>(&key.time), sizeof key.time);
        if (withValueAndShape)
            name.append(reinterpret_cast<const char*>(&key.value), sizeof key.value)
                .append(reinterpret_cast<const char*>(fields), sizeof fields);
        return name;
    }
    int take(std::unordered_map<std::string, Bucket>& buckets, const std::string& name) {
        const auto found = buckets.find(name);
        if (found == buckets.end())
            return -1;
        Bucket& bucket = found->second;
        while (bucket.next < bucket.keys.size() && owner[bucket.keys[bucket.next]] >= 0)
            ++bucket.next;
        return bucket.next < bucket.keys.size() ? static_cast<int>(bucket.keys[bucket.next]) : -1;
    }

    void match(const std::vector<std::size_t>& keyLines) {
        std::unordered_map<std::string, Bucket> same, atTime;
        for (std::size_t k = 0; k < keys.size(); ++k) {
            same[bucketName(keys[k], true)].keys.push_back(k);
            atTime[bucketName(keys[k], false)].keys.push_back(k);
        }
        owner.assign(keys.size(), -1);
        exact.assign(keys.size(), false);
        lineMatch.assign(keyLines.size(), -1);
        // First the lines that still say a key (the sorted-first key's shape goes nowhere),
        // then those of a key's time alone: a changed key.
        for (int pass = 0; pass < 2; ++pass)
            for (std::size_t j = 0; j < keyLines.size(); ++j) {
                if (lineMatch[j] >= 0)
                    continue;
                const SyncFileKey& was = oldKey(keyLines[j]);
                int k = -1;
                if (pass == 1)
                    k = take(atTime, bucketName(was, false));
                else if (!keys.empty() && owner[0] < 0 && lineStillSays(was, keys[0], true))
                    k = 0;
                else
                    k = take(same, bucketName(was, true));
                if (k < 0)
                    continue;
                owner[static_cast<std::size_t>(k)] = static_cast<int>(keyLines[j]);
                exact[static_cast<std::size_t>(k)] = pass == 0;
                lineMatch[j] = k;
            }
    }

    bool writeSorted(std::size_t begin, std::size_t end, const std::vector<std::size_t>& keyLines) {
        const std::size_t at = keyLines.empty() ? begin : keyLines.front();
        for (std::size_t i = begin; i < end; ++i) {
            if (where[i].key < 0)
                put(lines[i].body, lines[i].end);
            else if (std::isnan(oldKey(i).time))
                putUnread(i);
            if (i == at)
                for (std::size_t k = 0; k < keys.size(); ++k)
                    if (!putKey(k, owner[k] >= 0 ? static_cast<std::size_t>(owner[k]) : std::string::npos))
                        return false;
        }
        return true;
    }

    // A line, after a line end for the line before it when that had none.
    void put(const std::string& body, const std::string& end) {
        if (!out.empty() && out.back() != '\n')
            out += newLine;
        out += body + end;
    }

    // A key line whose time is not a number: the program never reads its key, so it stays
    // as the maker wrote it (unless it would now be the block's first and spells a shape).
    void putUnread(std::size_t line) {
        if (written == 0 && where[line].shaped)
            return;
        ++written;
        put(lines[line].body, lines[line].end);
    }

    // Key k, on its old line (npos: none) as it stands when that still says it here, else
    // written afresh with the line's comment. The first key line of a block spells no shape.
    bool putKey(std::size_t k, std::size_t line) {
        const bool firstLine = written++ == 0;
        if (line != std::string::npos && exact[k] && owner[k] == static_cast<int>(line) &&
            !(firstLine && where[line].shaped)) {
            put(lines[line].body, lines[line].end);
            return true;
        }
        if (firstLine && k != 0 && shapeOf(keys[k]) != std::make_pair<std::int32_t, std::int32_t>(linear, valval))
            return false;
        const std::string comment = line == std::string::npos ? std::string() : commentOf(lines[line].body);
        put(formatSyncKeyLine(keys[k], firstLine || k == 0) + (comment.empty() ? "" : "  " + comment), newLine);
        return true;
    }

    const std::vector<TextLine>& lines;
    const std::vector<SyncTextLine>& where;
    const SyncFileRecord& old;
    const std::vector<SyncFileKey>& keys;
    const std::string& newLine;
    std::string& out;
    std::vector<int> owner;     // per key: the old line that holds it, or -1 for a new key
    std::vector<bool> exact;    // per key: that line still says it
    std::vector<int> lineMatch; // per old key line: its key, or -1 for a removed one
    std::size_t written = 0;    // key lines written so far in the block
};

// Whether text reads, controller by controller, as the records do.
bool readsAs(const std::string& text, const std::vector<SyncFileRecord>& records) {
    std::vector<SyncFileRecord> parsed;
    std::string error;
    if (!parseSyncText(text, parsed, error))
        return false;
    std::unordered_map<std::string, const SyncFileRecord*> read;
    for (const SyncFileRecord& record : parsed)
        read[programName(record.name)] = &record;
    for (const SyncFileRecord& record : records) {
        const auto found = read.find(programName(record.name));
        if (found == read.end() || !sameKeys(programKeys(found->second->keys), programKeys(record.keys)))
            return false;
    }
    return true;
}

bool mergeText(const std::vector<TextLine>& lines, const std::vector<SyncTextLine>& where,
               const std::vector<SyncFileRecord>& old, const std::vector<SyncFileRecord>& records, bool sorted,
               std::string& merged) {
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
        std::size_t blockEnd = i + 1;
        while (blockEnd < lines.size() && where[blockEnd].record == r)
            ++blockEnd;
        // Lines before the first controller, earlier blocks of a name given again and
        // blocks of names the records lack stay as they are.
        if (!now) {
            for (; i < blockEnd; ++i) {
                if (!merged.empty() && merged.back() != '\n')
                    merged += newLine;
                merged += lines[i].body + lines[i].end;
            }
            continue;
        }
        const std::vector<SyncFileKey> keys = programKeys(now->keys);
        if (!BlockMerge(lines, where, old[static_cast<std::size_t>(r)], keys, newLine, merged).write(i, blockEnd, sorted))
            return false;
        i = blockEnd;
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
} // namespace

bool mergeIntoSyncText(const std::string& oldText, const std::vector<SyncFileRecord>& records, std::string& merged,
                       std::string& error) {
    std::vector<SyncFileRecord> old;
    std::vector<SyncTextLine> where;
    if (!parseSyncText(oldText, old, error, nullptr, &where))
        return false;
    const std::vector<TextLine> lines = splitLines(oldText);
    // Lines kept where they stand, out of time order included, must still read as the
    // data; where they would not, each block's keys go in time order with their comments.
    if (mergeText(lines, where, old, records, false, merged) && readsAs(merged, records))
        return true;
    if (mergeText(lines, where, old, records, true, merged) && readsAs(merged, records))
        return true;
    error = "the merged text would not read back as the data";
    return false;
}

std::vector<SyncFileRecord> syncRecordsOf(const SyncData& data, SyncContents contents) {
    std::vector<SyncFileRecord> records;
    records.reserve(data.count());
    for (std::size_t c = 0; c < data.count(); ++c) {
        const SyncController& controller = *data.at(c);
        if (!syncContentsHold(contents, controller))
            continue;
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
    const std::vector<SyncFileRecord> records = syncRecordsOf(data, SyncContents::save);
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
