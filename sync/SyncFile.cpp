#include "sync/SyncFile.h"

#include "app/Trace.h"
#include "platform/Paths.h"
#include "sync/SyncData.h"
#include "sync/SyncFileFormat.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qelFramework {

namespace {
const char* const kTag = "syncFile";
unsigned g_snapshotCounter = 0;

// Fills one controller from the decoder's current record.
void applyRecord(const SyncFileDecoder& decoder, SyncData& data) {
    SyncController* controller = data.getController(decoder.name());
    controller->clearKeys();
    const std::uint32_t count = decoder.keyCount();
    controller->reserveKeys(count); // the decoder has checked that the file holds them
    for (std::uint32_t i = 0; i < count; ++i) {
        const SyncFileKey key = decoder.key(i);
        controller->addKey(key.time, key.value);
        if (i > 0) {
            // A zero keeps the linear / valval the new segment starts with; a segment
            // that does not exist (keys out of order or repeated) is left alone.
            const int segment = static_cast<int>(i) - 1;
            if (key.kind != 0)
                controller->setSegmentKind(segment, key.kind);
            if (key.ends != 0)
                controller->setSegmentEnds(segment, key.ends);
        }
    }
}
} // namespace

bool writeSyncFile(const std::string& path, const SyncData& data) {
    std::vector<unsigned char> image;
    std::string error;
    if (!encodeSyncData(data, image, error) || !platform::writeWholeFile(path, image, error)) {
        Trace::write(Trace::WARNING, kTag, "sync file %s not written, the old one is kept: %s", path.c_str(),
                     error.c_str());
        return false;
    }
    return true;
}

SyncReadResult readSyncFile(const std::string& path, SyncData& data) {
    std::vector<unsigned char> image;
    if (!platform::readWholeFile(path, image))
        return SyncReadResult::missing;
    SyncFileDecoder decoder(image.data(), image.size());
    while (decoder.next())
        applyRecord(decoder, data);
    if (!decoder.damaged())
        return SyncReadResult::read;
    Trace::write(Trace::WARNING, kTag, "sync file %s is damaged at byte %zu (%s); kept the %u controllers before it",
                 path.c_str(), decoder.problemOffset(), decoder.problem().c_str(), decoder.recordsRead());
    return SyncReadResult::damaged;
}

std::string snapshotFileName(unsigned counter, const platform::SystemTime& time) {
    char name[128];
    std::snprintf(name, sizeof name, "editor\\--%u--%02d-%02d-%02d!%02d-%02d-%02d.dat", counter, time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return name;
}

std::string nextSnapshotFileName() {
    ++g_snapshotCounter;
    return snapshotFileName(g_snapshotCounter, platform::getSystemTimeUtc());
}

} // namespace qelFramework
