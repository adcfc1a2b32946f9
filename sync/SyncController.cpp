#include "sync/SyncController.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace qelFramework {

namespace {
const char* const kKindNames[] = {"linear", "smoothstep", "exponential", "minexponential"};
const char* const kPresetNames[] = {"valval", "valzero", "valone", "zeroval", "oneval", "oneone", "zerozero"};

// The polynomial 3s^2 - 2s^3 on x clamped to 0..1, written as (3 - 2s) * s^2.
float smoothCurve(float x) {
    const float s = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
    return static_cast<float>((3.0f - 2.0f * s) * std::pow(s, 2.0));
}

void presetEnds(std::int32_t ends, float startValue, float endValue, float& from, float& to) {
    switch (ends) {
    case valval: from = startValue; to = endValue; break;
    case valzero: from = startValue; to = 0.0f; break;
    case valone: from = startValue; to = 1.0f; break;
    case zeroval: from = 0.0f; to = endValue; break;
    case oneval: from = 1.0f; to = endValue; break;
    case oneone: from = 1.0f; to = 1.0f; break;
    default: from = 0.0f; to = 0.0f; break; // zerozero and every unnamed number
    }
}
} // namespace

const char* interpolationKindName(std::int32_t kind) {
    return kind >= linear && kind <= minexponential ? kKindNames[kind - 1] : nullptr;
}

const char* endpointPresetName(std::int32_t ends) {
    return ends >= valval && ends <= zerozero ? kPresetNames[ends - 1] : nullptr;
}

std::int32_t interpolationKindFromName(const std::string& word) {
    for (int i = 0; i < 4; ++i)
        if (word == kKindNames[i])
            return i + 1;
    return 0;
}

std::int32_t endpointPresetFromName(const std::string& word) {
    for (int i = 0; i < 7; ++i)
        if (word == kPresetNames[i])
            return i + 1;
    return 0;
}

SyncController::SyncController(std::string name) : controllerName(std::move(name)) {}

int SyncController::keyIndexAt(float t) const {
    // The last key at or before t. Keys are in time order, and a time that is not a
    // number only ever stands alone, so "at or before t" holds for a leading run of keys;
    // a t that is not a number is before every key.
    const auto after = std::partition_point(keyList.begin(), keyList.end(),
                                            [t](const SyncKey& key) { return key.time <= t; });
    return static_cast<int>(after - keyList.begin()) - 1;
}

bool SyncController::curveValue(int i, float t, float& out) const {
    const int n = keyCount();
    if (n == 0)
        return false;
    if (i == -1) {
        out = keyList[0].value;
        return true;
    }
    if (i == n - 1) {
        out = keyList[n - 1].value;
        return true;
    }

    // Two keys of equal time never start the segment found here, so the gap is not zero.
    // A segment with an infinite end (or a span too wide for a float) gives no finite
    // position inside it: it holds its start value.
    const SyncKey& start = keyList[i];
    const SyncKey& end = keyList[i + 1];
    float u = (t - start.time) / (end.time - start.time);
    if (!std::isfinite(u))
        u = 0.0f;
    const SyncSegment& segment = segmentList[i];
    float from, to;
    presetEnds(segment.ends, start.value, end.value, from, to);

    // Between two equal infinite ends the blends below would give inf - inf, not a number:
    // such a segment holds its value. (Finite ends keep the arithmetic as it is.)
    const bool infiniteHold = from == to && std::isinf(from);
    float h;
    switch (segment.kind) {
    case linear:
        out = infiniteHold ? from : to * u + (1.0f - u) * from;
        return true;
    case smoothstep:
        h = smoothCurve(u);
        break;
    case exponential:
        h = smoothCurve(static_cast<float>(std::pow(u, 2.0)));
        break;
    case minexponential:
        h = smoothCurve(static_cast<float>(1.0f - std::pow(1.0f - u, 2.0)));
        break;
    default:
        return false; // an unknown shape produces nothing
    }
    out = infiniteHold ? from : from + (to - from) * h;
    return true;
}

void SyncController::evaluate(float t) {
    if (keyList.empty())
        return;
    const int i = keyIndexAt(t);
    lastTime = t;
    changed = false;
    if (i != lastKeyIndex && i != -1) {
        lastKeyIndex = i;
        changed = true;
    }
    curveValue(i, t, value); // where the curve produces nothing the value stays
}

float SyncController::valueAt(float t) const {
    float out = value;
    curveValue(keyIndexAt(t), t, out);
    return out;
}

void SyncController::addKey(float time, float keyValue) {
    if (std::isnan(time))
        return; // not a place in time: nothing is added, and the keys after it still are
    const SyncKey key{time, keyValue};
    const SyncSegment segment{};
    if (keyList.empty()) {
        keyList.push_back(key);
        return;
    }
    // A key at the last key's time lands after it, as at any other key's time.
    if (keyList.back().time <= time) {
        keepPlace(keyCount(), time);
        segmentList.push_back(segment);
        keyList.push_back(key);
        return;
    }
    for (std::size_t p = 0; p < keyList.size(); ++p) {
        if (keyList[p].time > time) {
            keepPlace(static_cast<int>(p), time);
            keyList.insert(keyList.begin() + static_cast<std::ptrdiff_t>(p), key);
            if (segmentList.empty())
                segmentList.push_back(segment);
            else
                segmentList.insert(segmentList.begin() + static_cast<std::ptrdiff_t>(p), segment);
            return;
        }
    }
}

void SyncController::keepPlace(int index, float time) {
    // A key that lands before the interval of the last evaluation, or at or before the
    // time of that evaluation, counts as passed already: the interval's index moves
    // with it, so the next evaluation at that time reports no change.
    if (lastKeyIndex >= 0 && lastKeyIndex < keyCount() && (index <= lastKeyIndex || time <= lastTime))
        ++lastKeyIndex;
}

void SyncController::moveKey(int index, float time) {
    const int n = keyCount();
    if (index < 0 || index >= n)
        return;
    bool keepsOrder;
    if (n == 1)
        keepsOrder = true;
    else if (index == 0)
        keepsOrder = time < keyList[1].time;
    else if (index == n - 1)
        keepsOrder = time > keyList[n - 2].time;
    else
        keepsOrder = keyList[index - 1].time < time && time < keyList[index + 1].time;
    if (keepsOrder)
        keyList[index].time = time;
}

void SyncController::removeKey(int index) {
    if (index < 0 || index >= keyCount())
        return;
    keyList.erase(keyList.begin() + index);
    if (keyList.size() >= 2)
        segmentList.erase(segmentList.begin() + (index == 0 ? 0 : index - 1));
    if (keyList.empty())
        value = 0.0f;
}

void SyncController::setKeyValue(int index, float keyValue) {
    if (index < 0 || index >= keyCount())
        return;
    keyList[index].value = keyValue < 0.0f ? 0.0f : (keyValue > 1.0f ? 1.0f : keyValue);
}

void SyncController::setSegmentKind(int index, std::int32_t kind) {
    if (index >= 0 && index < segmentCount())
        segmentList[index].kind = kind;
}

void SyncController::setSegmentEnds(int index, std::int32_t ends) {
    if (index >= 0 && index < segmentCount())
        segmentList[index].ends = ends;
}

int SyncController::segmentAt(float time) const {
    const int n = keyCount();
    if (n < 2)
        return -1;
    for (int k = 1; k < n; ++k)
        if (keyList[k].time >= time)
            return k - 1;
    return -1;
}

float SyncController::keyTime(int index) const {
    return index >= 0 && index < keyCount() ? keyList[index].time : 0.0f;
}

float SyncController::keyValue(int index) const {
    return index >= 0 && index < keyCount() ? keyList[index].value : 0.0f;
}

float SyncController::nextKeyTime(int index) const {
    return index >= -1 && index < keyCount() - 1 ? keyList[index + 1].time : 0.0f;
}

void SyncController::clearKeys() {
    keyList.clear();
    segmentList.clear();
    value = 0.0f;
}

void SyncController::reserveKeys(std::size_t count) {
    keyList.reserve(count);
    segmentList.reserve(count);
}

} // namespace qelFramework
