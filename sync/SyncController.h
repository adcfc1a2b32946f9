#pragma once
// A named curve of keys over song time. The frame loop evaluates it once per frame;
// layers read only `value` and `changed`.
#include <cstdint>
#include <string>
#include <vector>

namespace qelFramework {

// Shape of a segment; the editor's four shape buttons carry these words.
enum InterpolationKind : std::int32_t {
    linear = 1,
    smoothstep = 2,
    exponential = 3,
    minexponential = 4,
};

// The two values a segment runs between; the editor's seven preset buttons carry these words.
enum EndpointPreset : std::int32_t {
    valval = 1,
    valzero = 2,
    valone = 3,
    zeroval = 4,
    oneval = 5,
    oneone = 6,
    zerozero = 7,
};

// The word of a kind or preset, or null for a stored number that has none.
const char* interpolationKindName(std::int32_t kind);
const char* endpointPresetName(std::int32_t ends);
// The number of a word, or 0 when the word names none.
std::int32_t interpolationKindFromName(const std::string& word);
std::int32_t endpointPresetFromName(const std::string& word);

struct SyncKey {
    float time = 0.0f; // seconds of song time
    float value = 0.0f;
};

struct SyncSegment {
    std::int32_t kind = linear; // InterpolationKind; anything else produces nothing
    std::int32_t ends = valval; // EndpointPreset; anything else runs from 0 to 0
};

class SyncController {
public:
    explicit SyncController(std::string name);

    // The curve's value at the last evaluation (0 at creation), and whether that
    // evaluation entered another key interval than the one before.
    float value = 0.0f;
    bool changed = false;

    // Moves to time t: sets value (an unknown shape keeps the previous one) and changed.
    void evaluate(float t);
    // The value evaluate(t) would set, changing nothing: the editor's drawing, probes
    // and read-outs, which must not disturb the layers' key interval.
    float valueAt(float t) const;

    // Inserts a key after any keys of the same time (a time that is not a number adds
    // nothing). The segment that used to span the insertion point keeps its
    // shape and now ends at the new key; the new key's own segment is linear, valval.
    // A key added at or before the time of the last evaluation counts as passed: the
    // next evaluation at that time reports no change for it.
    void addKey(float time, float keyValue);
    // Writes the time only if the keys stay in strict order around the key.
    void moveKey(int index, float time);
    // Removes a key and the segment that joined it to its neighbours. When fewer than
    // two keys remain the segments are left as they are: a lone key may keep a stale
    // segment, which the next appended key takes as its own.
    void removeKey(int index);
    // Stores the value clamped to 0..1.
    void setKeyValue(int index, float keyValue);
    void setSegmentKind(int index, std::int32_t kind);
    void setSegmentEnds(int index, std::int32_t ends);
    // The segment a click at this time belongs to (a time before the first key gives
    // segment 0), or -1 with fewer than two keys or after the last key.
    int segmentAt(float time) const;

    // 0 when the key asked for does not exist.
    float keyTime(int index) const;
    float keyValue(int index) const;
    float nextKeyTime(int index) const; // time of key index+1

    std::string name() const { return controllerName; }
    const std::string& nameRef() const { return controllerName; }
    int lastKey() const { return lastKeyIndex; }
    // Whether a sync file read named this controller. A save leaves out an empty
    // controller that none did: one a layer only looked up.
    bool namedByFile() const { return fromFile; }
    void markNamedByFile() { fromFile = true; }
    int keyCount() const { return static_cast<int>(keyList.size()); }
    int segmentCount() const { return static_cast<int>(segmentList.size()); }
    const std::vector<SyncKey>& keys() const { return keyList; }
    const std::vector<SyncSegment>& segments() const { return segmentList; }

    // Drops every key and segment and sets the value to 0 (the file reader's first step).
    void clearKeys();
    // Room for this many keys and segments without growing again.
    void reserveKeys(std::size_t count);

private:
    // The index of the last key at or before t, -1 before the first.
    int keyIndexAt(float t) const;
    // The curve at t in the interval of key i; false where it produces nothing.
    bool curveValue(int i, float t, float& out) const;
    // Keeps the last evaluation's key interval in place for a key inserted at index.
    void keepPlace(int index, float time);

    std::string controllerName;
    std::int32_t lastKeyIndex = -1;
    float lastTime = 0.0f; // the time of the last evaluation
    bool fromFile = false;
    std::vector<SyncKey> keyList;         // non-decreasing times
    std::vector<SyncSegment> segmentList; // entry i shapes key i to key i+1
};

} // namespace qelFramework
