#include "timeline/Timeline.h"

#include "timeline/Layer_Base.h"

namespace qelFramework {

Timeline::~Timeline() {
    for (auto& element : layers)
        delete element.first;
}

void Timeline::registerLayer(Layer_Base* layer, const std::string& name) { layers.emplace_back(layer, name); }

Layer_Base* Timeline::findLayer(const char* name) const {
    for (const auto& element : layers)
        if (element.second == name)
            return element.first;
    return nullptr;
}

bool Timeline::addEntry(const std::string& name, unsigned track, unsigned start, unsigned end) {
    if (playState != Setup || track >= static_cast<unsigned>(kTrackCount))
        return false;
    Layer_Base* layer = findLayer(name.c_str());
    if (!layer)
        return false;
    if (start < earliest)
        earliest = start;
    if (end > latest)
        latest = end;
    // The active table points into the schedule, so it is rebuilt before the next use.
    entries.push_back(TimelineEntry{layer, track, start, end});
    return true;
}

bool Timeline::selectActive(std::uint32_t now) {
    for (auto& slot : activeEntries)
        slot = nullptr;
    bool any = false;
    for (const TimelineEntry& entry : entries) {
        if (entry.start <= now && now <= entry.end) {
            activeEntries[entry.track] = &entry;
            any = true;
        }
    }
    return any;
}

FrameInfo Timeline::frameInfo(const TimelineEntry& entry, std::uint32_t now, float time, float delta) const {
    FrameInfo info;
    info.time = time;
    info.delta = delta;
    info.duration = static_cast<float>(entry.end - entry.start) / 1000.0f;
    info.remaining = static_cast<float>(entry.end) / 1000.0f - info.time;
    info.start = static_cast<float>(entry.start) / 1000.0f;
    const float frameMsFloat = 1000.0f * delta;
    const std::uint32_t frameMs = frameMsFloat > 0.0f ? static_cast<std::uint32_t>(frameMsFloat) : 0u;
    // Unsigned on purpose: when frameMs exceeds now the difference wraps and the entry
    // does not count as just started.
    info.justStarted = entry.start >= now - frameMs;
    info.aboutToEnd = entry.end <= now + frameMs;
    return info;
}

void Timeline::unloadLayers() {
    for (auto& element : layers) {
        element.first->unload();
        delete element.first;
    }
    layers.clear();
    entries.clear();
    for (auto& slot : activeEntries)
        slot = nullptr; // input dispatch must not reach deleted layers
}

} // namespace qelFramework
