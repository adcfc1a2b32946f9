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

bool readFileBytes(const std::string& path, std::vector<unsigned char>& bytes) {
    bytes.clear();
    std::FILE* file = platform::openFile(path, "rb");
    if (!file)
        return false;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    std::rewind(file);
    unsigned char chunk[65536];
    std::size_t n = std::fread(chunk, 1, sizeof chunk, file);
    bytes.assign(chunk, chunk + n);
    // Once the first chunk has come back whole the size is taken as a guess for one
    // read; what fread delivers counts.
    if (n == sizeof chunk && size > static_cast<long>(n)) {
        bytes.resize(static_cast<std::size_t>(size));
        bytes.resize(n + std::fread(bytes.data() + n, 1, bytes.size() - n, file));
    }
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        bytes.clear();
    return !failed;
}

bool writeFileReplacing(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error) {
    const std::string temporary = path + ".tmp";
    std::FILE* file = platform::openFile(temporary, "wb");
    if (!file) {
        error = "cannot create " + temporary + ": " + std::strerror(errno);
        return false;
    }
    errno = 0;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    const int writeErrno = errno;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        error = "cannot write " + temporary + ": " + std::strerror(writeErrno ? writeErrno : errno);
        platform::deleteFile(temporary.c_str());
        return false;
    }
    if (!platform::replaceFile(temporary, path)) {
        error = "cannot replace " + path + ": " + std::strerror(errno);
        platform::deleteFile(temporary.c_str());
        return false;
    }
    return true;
}

bool writeSyncFile(const std::string& path, const SyncData& data) {
    std::vector<unsigned char> image;
    std::string error;
    if (!encodeSyncData(data, image, error) || !writeFileReplacing(path, image, error)) {
        Trace::write(Trace::WARNING, kTag, "sync file %s not written, the old one is kept: %s", path.c_str(),
                     error.c_str());
        return false;
    }
    return true;
}

SyncReadResult readSyncFile(const std::string& path, SyncData& data) {
    std::vector<unsigned char> image;
    if (!readFileBytes(path, image))
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
