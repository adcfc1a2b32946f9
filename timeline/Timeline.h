#pragma once
// The registry of named layers, the schedule of tracks, the play state and the entries
// active in the current frame. It owns its layers from registration until they are
// unloaded.
#include "timeline/FrameInfo.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qelFramework {

class Layer_Base;

enum TimelineState : int { Setup = 0, Loaded = 1, Playing = 2, Paused = 3, Stopped = 4 };

struct TimelineEntry {
    Layer_Base* layer = nullptr; // not owned
    std::uint32_t track = 0;     // 0 to 127; lower tracks are drawn first
    std::uint32_t start = 0;     // first production millisecond, inclusive
    std::uint32_t end = 0;       // last production millisecond, inclusive
};

class Timeline {
public:
    static constexpr int kTrackCount = 128;
    using Registry = std::vector<std::pair<Layer_Base*, std::string>>;

    Timeline() = default;
    // Deletes the layers still registered (without unloading them).
    ~Timeline();
    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;

    // Appends the layer to the registry, which owns it from now on.
    void registerLayer(Layer_Base* layer, const std::string& name);
    // The first layer registered under exactly that name, or null.
    Layer_Base* findLayer(const char* name) const;
    // Schedules a registered layer on a track from start to end (ms, both inclusive).
    // False (and nothing changes) after Setup, for an unknown name, or a track of 128 or more.
    bool addEntry(const std::string& name, unsigned track, unsigned start, unsigned end);

    // Fills the active table for millisecond now: per track the last entry added that
    // covers it. True when any entry was stored.
    bool selectActive(std::uint32_t now);
    // The time record of an entry at production time `time` (seconds), millisecond now,
    // after a frame of `delta` seconds.
    FrameInfo frameInfo(const TimelineEntry& entry, std::uint32_t now, float time, float delta) const;
    // Unloads and deletes every layer in registration order; the registry, the schedule
    // and the active table are empty afterwards.
    void unloadLayers();

    const Registry& registry() const { return layers; }
    const std::vector<TimelineEntry>& schedule() const { return entries; }
    // The entry of a track in the current frame, or null.
    const TimelineEntry* active(int track) const { return activeEntries[track]; }
    std::uint32_t earliestStart() const { return earliest; }
    std::uint32_t latestEnd() const { return latest; }

    TimelineState state() const { return playState; }
    void setState(TimelineState state) { playState = state; }

private:
    TimelineState playState = Setup;
    Registry layers;
    std::vector<TimelineEntry> entries;
    const TimelineEntry* activeEntries[kTrackCount] = {};
    std::uint32_t earliest = 0xFFFFFFFFu;
    std::uint32_t latest = 0;
};

} // namespace qelFramework
