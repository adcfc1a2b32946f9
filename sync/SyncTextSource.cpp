#include "sync/SyncTextSource.h"

#include "base/Trace.h"
#include "platform/Kernel.h"
#include "sync/SyncData.h"
#include "sync/SyncFile.h"
#include "sync/SyncTextFile.h"

namespace qelFramework {

namespace {
const char* const kTag = "syncText";
} // namespace

SyncTextSource::SyncTextSource(std::string path, std::string shownName, double checkSeconds)
    : filePath(std::move(path)), name(std::move(shownName)),
      checkTicks(static_cast<std::int64_t>(checkSeconds * static_cast<double>(platform::queryPerformanceFrequency()))) {}

// A version whose file is there but could not be read (another program holding it) is
// not seen: the next look reads it again, and a save is refused until one has, so that
// the text it holds is not merged away.
void SyncTextSource::noteLook(const platform::FileStamp& stamp, bool read) {
    seen = read || stamp.size < 0 ? stamp : platform::FileStamp{};
}

bool SyncTextSource::load(SyncData& data, std::string& error) {
    // A load is a look: a version that failed here is not warned about again.
    platform::FileStamp stamp;
    platform::fileStamp(filePath, stamp);
    pending = false;
    nextCheck = platform::queryPerformanceCounter() + checkTicks;
    std::vector<unsigned char> image;
    std::size_t controllers = 0;
    bool read = false;
    const bool compiledNow = compileSyncTextFile(filePath, name, image, controllers, error, &read);
    noteLook(stamp, read);
    warned = stamp;
    if (!compiledNow)
        return false;
    mergeSyncImage(image, name, data);
    return true;
}

SyncTextSource::Change SyncTextSource::poll() {
    const std::int64_t now = platform::queryPerformanceCounter();
    if (now < nextCheck)
        return Change::none;
    nextCheck = now + checkTicks;
    platform::FileStamp stamp;
    platform::fileStamp(filePath, stamp);
    if (stamp == seen)
        return Change::none;
    // The stamp is taken before the read: a save that lands during the read shows as
    // another change at the next look.
    std::string error;
    bool read = false;
    const bool compiledNow = compileSyncTextFile(filePath, name, compiled, compiledControllers, error, &read);
    noteLook(stamp, read);
    if (!compiledNow) {
        pending = false;
        compiled.clear();
        if (stamp == warned)
            return Change::none; // said once per version
        warned = stamp;
        lastMessage = error;
        Trace::write(Trace::Warning, kTag, "%s", error.c_str());
        return Change::failed;
    }
    pending = true;
    lastMessage = "reloaded " + name + ": " + std::to_string(compiledControllers) + " controllers";
    return Change::compiled;
}

void SyncTextSource::merge(SyncData& data) {
    if (!pending)
        return;
    pending = false;
    mergeSyncImage(compiled, name, data);
    Trace::write(Trace::Info, kTag, "%s", lastMessage.c_str());
}

bool SyncTextSource::save(const SyncData& data, std::string& error) {
    // A text written since the last look (the maker's text editor, a moment ago) would be
    // merged away by this save: it comes in first, at the next poll, which looks at once.
    platform::FileStamp stamp;
    platform::fileStamp(filePath, stamp);
    if (stamp != seen) {
        nextCheck = 0;
        error = name + " changed since it was last read; its new text comes in first, then save again";
        return false;
    }
    if (!writeSyncTextFile(filePath, data, error))
        return false;
    platform::fileStamp(filePath, seen);
    return true;
}

} // namespace qelFramework
