#include "sync/SyncFile.h"

#include "base/Trace.h"
#include "platform/Paths.h"
#include "sync/SyncData.h"
#include "sync/SyncFileFormat.h"
#include "sync/SyncText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>

namespace qelFramework {

namespace {
const char* const kTag = "syncFile";
unsigned g_snapshotCounter = 0;

constexpr int kMendWarnings = 10; // per file; the rest are counted in one more

bool sameKey(const SyncKey& a, const SyncFileKey& b) {
    return std::memcmp(&a.time, &b.time, sizeof a.time) == 0 && std::memcmp(&a.value, &b.value, sizeof a.value) == 0;
}

// The program's names end at a zero byte.
std::string programName(const std::string& stored) { return stored.substr(0, stored.find('\0')); }

// "key 2 has a time that is not a number and was left out", for up to three keys
// (counted from 1) and a count of the rest.
std::string notTimeList(const std::vector<std::uint32_t>& first, std::uint32_t count) {
    std::string text = count == 1 ? "key " : "keys ";
    for (std::size_t i = 0; i < first.size(); ++i)
        text += (i == 0 ? "" : i + 1 == first.size() && count == first.size() ? " and " : ", ") +
                std::to_string(first[i]);
    if (count > first.size())
        text += " and " + std::to_string(count - first.size()) + " more";
    return text + (count == 1 ? " has a time that is not a number and was left out"
                              : " have times that are not numbers and were left out");
}

// Fills one controller from the decoder's current record. Returns what reading changed
// against what the record stores ("" when nothing), for the warning. seen maps each name
// to its latest record, counted from 1.
std::string applyRecord(const SyncFileDecoder& decoder, SyncData& data,
                        std::unordered_map<std::string, std::uint32_t>& seen, SyncContents contents) {
    const std::string& stored = decoder.name();
    const std::string name = programName(stored);
    std::string mended;
    auto note = [&mended](const std::string& what) { mended += (mended.empty() ? "" : "; ") + what; };
    if (name.size() != stored.size())
        note("its stored name " + quoteSyncName(stored) + " holds a zero byte and was read up to it");
    const auto [earlier, first] = seen.emplace(name, decoder.recordsRead());
    if (!first) {
        note("record " + std::to_string(decoder.recordsRead()) + " gives it again and replaces the keys of record " +
             std::to_string(earlier->second));
        earlier->second = decoder.recordsRead();
    }

    SyncController* controller = data.getController(name);
    if (contents == SyncContents::save)
        controller->markNamedByFile();
    controller->clearKeys();
    const std::uint32_t count = decoder.keyCount();
    controller->reserveKeys(count); // the decoder has checked that the file holds them
    // addKey sorts the keys by time, a key after every key of its own time. order
    // follows the same stable sort, so that each stored key's kind and preset can go to
    // the segment that ends at that key wherever it landed.
    std::vector<std::uint32_t> order(count);
    bool inOrder = true;
    float latest = -INFINITY;
    std::vector<std::uint32_t> notTimes; // the first few keys whose time is not a number
    std::uint32_t notTimeCount = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const SyncFileKey key = decoder.key(i);
        controller->addKey(key.time, key.value);
        order[i] = i;
        if (std::isnan(key.time) && ++notTimeCount <= 3)
            notTimes.push_back(i + 1);
        if (key.time < latest)
            inOrder = false;
        else if (key.time > latest)
            latest = key.time;
    }
    if (!inOrder) {
        note("keys out of time order, sorted by time");
        std::stable_sort(order.begin(), order.end(), [&decoder](std::uint32_t a, std::uint32_t b) {
            const float ta = decoder.key(a).time, tb = decoder.key(b).time;
            return std::isnan(tb) ? !std::isnan(ta) : ta < tb; // not-a-number times last
        });
    }
    // Walks the sorted stored keys beside the controller's keys; a stored key that
    // addKey did not keep is passed over. The key that sorts first starts no segment,
    // so its kind and preset go nowhere; a zero (the first stored key has none) gives
    // the segment linear or valval.
    const std::vector<SyncKey>& keys = controller->keys();
    std::size_t at = 0;
    for (std::uint32_t index : order) {
        const SyncFileKey key = decoder.key(index);
        if (at == keys.size() || !sameKey(keys[at], key))
            continue;
        if (at > 0) {
            controller->setSegmentKind(static_cast<int>(at) - 1, key.kind != 0 ? key.kind : linear);
            controller->setSegmentEnds(static_cast<int>(at) - 1, key.ends != 0 ? key.ends : valval);
        }
        ++at;
    }
    if (notTimeCount > 0)
        note(notTimeList(notTimes, notTimeCount));
    if (keys.size() + notTimeCount < count)
        note(std::to_string(count - notTimeCount - keys.size()) + " of its " + std::to_string(count) +
             " keys could not be placed in time and were left out");
    return mended;
}
} // namespace

bool writeSyncFile(const std::string& path, const SyncData& data, SyncContents contents) {
    std::vector<unsigned char> image;
    std::string error;
    if (!encodeSyncData(data, image, error, contents) || !platform::writeWholeFile(path, image, error)) {
        Trace::write(Trace::Warning, kTag, "sync file %s not written, the old one is kept: %s", path.c_str(),
                     error.c_str());
        return false;
    }
    return true;
}

SyncReadResult readSyncFile(const std::string& path, SyncData& data, SyncContents contents) {
    platform::FileStamp stamp;
    if (platform::fileStamp(path, stamp) && stamp.size > static_cast<long long>(kSyncFileLimit)) {
        Trace::write(Trace::Warning, kTag, "sync file %s not read: %lld bytes, more than a sync file holds", path.c_str(),
                     stamp.size);
        return SyncReadResult::missing;
    }
    std::vector<unsigned char> image;
    std::string ignored;
    if (!platform::readWholeFile(path, image, kSyncFileLimit, ignored))
        return SyncReadResult::missing;
    return mergeSyncImage(image, path, data, contents);
}

SyncReadResult mergeSyncImage(const std::vector<unsigned char>& image, const std::string& path, SyncData& data,
                              SyncContents contents) {
    SyncFileDecoder decoder(image.data(), image.size());
    std::unordered_map<std::string, std::uint32_t> seen;
    int mendedRecords = 0;
    while (decoder.next()) {
        const std::string mended = applyRecord(decoder, data, seen, contents);
        if (mended.empty())
            continue;
        if (++mendedRecords <= kMendWarnings)
            Trace::write(Trace::Warning, kTag, "sync file %s: controller %s: %s", path.c_str(),
                         quoteSyncName(programName(decoder.name())).c_str(), mended.c_str());
    }
    if (mendedRecords > kMendWarnings)
        Trace::write(Trace::Warning, kTag, "sync file %s: %d more controllers read with changes like those above",
                     path.c_str(), mendedRecords - kMendWarnings);
    if (!decoder.damaged())
        return SyncReadResult::read;
    Trace::write(Trace::Warning, kTag, "sync file %s is damaged at byte %zu (%s); kept the %u controllers before it",
                 path.c_str(), decoder.problemOffset(), decoder.problem().c_str(), decoder.recordsRead());
    return SyncReadResult::damaged;
}

std::string snapshotFileName(unsigned counter, const platform::SystemTime& time) {
    char name[128];
    std::snprintf(name, sizeof name, "editor/--%u--%02d-%02d-%02d!%02d-%02d-%02d.dat", counter, time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return name;
}

std::string nextSnapshotFileName() {
    ++g_snapshotCounter;
    return snapshotFileName(g_snapshotCounter, platform::getSystemTimeUtc());
}

} // namespace qelFramework
