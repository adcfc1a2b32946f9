#include "layers/scenes/MotionFrames.h"

#include "base/PortableMath.h"
#include "base/Trace.h"
#include "gl/ScenePi.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace qelFramework {

namespace {

constexpr long kRecordSize = static_cast<long>(sizeof(MotionPoint));

bool farther(const MotionPoint& a, const MotionPoint& b) { return a.z > b.z; }

bool finite(const MotionPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(p.nx) &&
           std::isfinite(p.ny) && std::isfinite(p.nz);
}

// The file's size, or -1 when it cannot be measured; leaves the position at the start.
long fileSize(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    long size = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0)
        return -1;
    return size;
}

// Reads the whole file into `bytes` and checks that it holds the points it declares;
// `count` gets that number.
bool readAll(const std::string& path, std::vector<unsigned char>& bytes, std::uint32_t& count, std::string& problem) {
    std::FILE* file = platform::openFile(path, "rb");
    if (!file) {
        problem = std::string("it cannot be opened: ") + std::strerror(errno);
        return false;
    }
    long size = fileSize(file);
    bool ok = size >= 4;
    if (ok) {
        bytes.resize(static_cast<size_t>(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    if (!ok) {
        problem = size < 0 ? "it cannot be read" : size < 4 ? "it holds no point count" : "it could not be read to the end";
        return false;
    }
    count = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
            static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    const long held = (size - 4) / kRecordSize;
    if (static_cast<long long>(count) > held) {
        char text[160];
        std::snprintf(text, sizeof(text), "it declares %u points but holds %ld", static_cast<unsigned>(count), held);
        problem = text;
        return false;
    }
    long extra = size - 4 - static_cast<long>(count) * kRecordSize;
    if (extra > 0) {
        char text[96];
        std::snprintf(text, sizeof(text), "%ld bytes after the last point were ignored", extra);
        problem = text;
    }
    return true;
}

} // namespace

std::string motionFrameName(int frame) {
    char name[64];
    std::snprintf(name, sizeof(name), "data/kinect/anim%05d.par", frame);
    return name;
}

float motionFrameAngle(int frame) { return frame < kMotionTurnStart ? 0.0f : (frame - kMotionTurnStart) * 0.5f; }

MotionPlacement::MotionPlacement(float zOffset, float angleDegrees) : zOffset(zOffset) {
    float a = angleDegrees * kScenePi / 180.0f;
    float b = angleDegrees / 1.5f * kScenePi / 180.0f;
    cosA = portableCos(a);
    sinA = portableSin(a);
    cosB = portableCos(b);
    sinB = portableSin(b);
}

bool MotionPlacement::place(MotionPoint& p) const {
    p.z += zOffset;
    if (p.x > 0.15f && p.y < -0.3f)
        return false;
    // About x by a, then about y by a / 1.5; the normal turns with the position.
    float y = p.y * cosA - p.z * sinA, z = p.y * sinA + p.z * cosA;
    float ny = p.ny * cosA - p.nz * sinA, nz = p.ny * sinA + p.nz * cosA;
    p.y = y;
    p.ny = ny;
    float x = p.x * cosB + z * sinB;
    p.z = -p.x * sinB + z * cosB;
    p.x = x;
    float nx = p.nx * cosB + nz * sinB;
    p.nz = -p.nx * sinB + nz * cosB;
    p.nx = nx;
    p.y += 1.0f;
    return true;
}

bool loadMotionFrame(const std::string& path, float zOffset, float angleDegrees, std::vector<MotionPoint>& points) {
    points.clear();
    // One buffer for every file: the whole file is read in one go and the points are
    // placed straight from it into the frame.
    static thread_local std::vector<unsigned char> bytes;
    std::uint32_t count = 0;
    std::string problem;
    if (!readAll(path, bytes, count, problem)) {
        Trace::write(Trace::Warning, "motionFrames", "motion frame %s stays empty: %s", path.c_str(), problem.c_str());
        return false;
    }
    const MotionPlacement placement(zOffset, angleDegrees);
    points.reserve(count);
    size_t broken = 0;
    const unsigned char* record = bytes.data() + 4;
    for (std::uint32_t i = 0; i < count; ++i, record += kRecordSize) {
        MotionPoint p;
        std::memcpy(&p, record, sizeof(p)); // little-endian like this machine
        if (!finite(p)) {
            ++broken; // a NaN would break the depth order
            continue;
        }
        if (placement.place(p))
            points.push_back(p);
    }
    if (broken) {
        char text[96];
        std::snprintf(text, sizeof(text), "%s%zu points that are not numbers were left out",
                      problem.empty() ? "" : "; ", broken);
        problem += text;
    }
    if (!problem.empty())
        Trace::write(Trace::Warning, "motionFrames", "motion frame %s: %s", path.c_str(), problem.c_str());
    // Farthest first. Recorded frames usually come in this order already.
    if (!std::is_sorted(points.begin(), points.end(), farther))
        std::stable_sort(points.begin(), points.end(), farther);
    return true;
}

} // namespace qelFramework
