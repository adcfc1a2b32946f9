#include "timeline/Timeline.h"

#include "gl/GL_TextureManager.h"
#include "sync/SyncFile.h"
#include "timeline/Layer_Base.h"

#include <cstring>

namespace qelFramework {

Timeline& Timeline::instance() {
    static Timeline timeline;
    return timeline;
}

Timeline::Timeline() { clock.reset(0.0f); }

bool Timeline::setUp(SyncData* newSync, MusicStream* newMusic) {
    textures = new GL_TextureManager;
    sync = newSync;
    music = newMusic;
    if (sync)
        readSyncFile(kSyncFile, *sync);
    editor = nullptr;
    return true;
}

void Timeline::registerLayer(Layer_Base* layer, const std::string& name) { registry.emplace_back(layer, name); }

Layer_Base* Timeline::findLayer(const char* name) const {
    for (const auto& element : registry)
        if (element.second == name)
            return element.first;
    return nullptr;
}

bool Timeline::addEntry(const std::string& name, unsigned track, unsigned start, unsigned end) {
    if (state != Setup || track >= static_cast<unsigned>(kTrackCount))
        return false;
    Layer_Base* layer = findLayer(name.c_str());
    if (!layer)
        return false;
    if (start < earliestStart)
        earliestStart = start;
    if (end > latestEnd)
        latestEnd = end;
    // The active table points into the schedule, so it is rebuilt before the next use.
    schedule.push_back(TimelineEntry{layer, track, start, end});
    return true;
}

bool Timeline::selectActive(std::uint32_t now) {
    for (auto& slot : active)
        slot = nullptr;
    bool any = false;
    for (TimelineEntry& entry : schedule) {
        if (entry.start <= now && now <= entry.end) {
            active[entry.track] = &entry;
            any = true;
        }
    }
    return any;
}

FrameInfo Timeline::frameInfo(const TimelineEntry& entry, std::uint32_t now) const {
    FrameInfo info;
    info.time = clock.offset + clock.accumulated;
    info.delta = clock.delta;
    info.duration = static_cast<float>(entry.end - entry.start) / 1000.0f;
    info.remaining = static_cast<float>(entry.end) / 1000.0f - info.time;
    info.start = static_cast<float>(entry.start) / 1000.0f;
    const float frameMsFloat = 1000.0f * clock.delta;
    const std::uint32_t frameMs = frameMsFloat > 0.0f ? static_cast<std::uint32_t>(frameMsFloat) : 0u;
    // Unsigned on purpose: when frameMs exceeds now the difference wraps and the entry
    // does not count as just started.
    info.justStarted = entry.start >= now - frameMs;
    info.aboutToEnd = entry.end <= now + frameMs;
    return info;
}

bool Timeline::runLoadingScreen(HWND newWindow) { return loadingScreen.runLoadingScreen(*this, newWindow); }

void Timeline::reset() {
    for (auto& element : registry)
        delete element.first;
    registry.clear();
    schedule.clear();
    for (auto& slot : active)
        slot = nullptr;
    delete textures;
    textures = nullptr;
    sync = nullptr;
    music = nullptr;
    earliestStart = 0xFFFFFFFFu;
    latestEnd = 0;
    std::memset(frameTimeHistory, 0, sizeof(frameTimeHistory));
    historyIndex = 0;
    editor = nullptr;
    window = nullptr;
    frameSink = nullptr;
    startSeconds = 0.0f;
    heldAtEnd = false;
    state = Setup;
    clock = HiResTimer{};
    clock.reset(0.0f);
}

} // namespace qelFramework
