#include "layers/scenes/MotionFrames.h"

#include "app/Trace.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace qelFramework {

namespace {

constexpr float kPi = 3.141f;
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

bool readAll(const std::string& path, std::vector<MotionPoint>& points, std::string& problem) {
    std::FILE* file = platform::openFile(path, "rb");
    if (!file) {
        problem = "it cannot be opened";
        return false;
    }
    long size = fileSize(file);
    unsigned char header[4];
    bool ok = size >= 4 && std::fread(header, 1, 4, file) == 4;
    if (!ok) {
        problem = "it holds no point count";
        std::fclose(file);
        return false;
    }
    std::uint32_t count = static_cast<std::uint32_t>(header[0]) | static_cast<std::uint32_t>(header[1]) << 8 |
                          static_cast<std::uint32_t>(header[2]) << 16 | static_cast<std::uint32_t>(header[3]) << 24;
    const long held = (size - 4) / kRecordSize;
    if (static_cast<long long>(count) > held) {
        char text[160];
        std::snprintf(text, sizeof(text), "it declares %u points but holds %ld", static_cast<unsigned>(count), held);
        problem = text;
        std::fclose(file);
        return false;
    }
    // The records are read straight into place: the files are little-endian like this
    // machine.
    points.resize(count);
    size_t got = count ? std::fread(points.data(), kRecordSize, count, file) : 0;
    std::fclose(file);
    if (got != count) {
        points.clear();
        problem = "it could not be read to the end";
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
    std::snprintf(name, sizeof(name), "data\\kinect\\anim%05d.par", frame);
    return name;
}

float motionFrameAngle(int frame) { return frame < kMotionTurnStart ? 0.0f : (frame - kMotionTurnStart) * 0.5f; }

MotionPlacement::MotionPlacement(float zOffset, float angleDegrees) : zOffset(zOffset) {
    float a = angleDegrees * kPi / 180.0f;
    float b = angleDegrees / 1.5f * kPi / 180.0f;
    cosA = std::cos(a);
    sinA = std::sin(a);
    cosB = std::cos(b);
    sinB = std::sin(b);
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
    std::string problem;
    if (!readAll(path, points, problem)) {
        Trace::write(Trace::WARNING, "motionFrames", "motion frame %s stays empty: %s", path.c_str(), problem.c_str());
        return false;
    }
    const MotionPlacement placement(zOffset, angleDegrees);
    size_t kept = 0, broken = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        MotionPoint p = points[i];
        if (!finite(p)) {
            ++broken; // a NaN would break the depth order
            continue;
        }
        if (placement.place(p))
            points[kept++] = p;
    }
    points.resize(kept);
    if (broken) {
        char text[96];
        std::snprintf(text, sizeof(text), "%s%zu points that are not numbers were left out",
                      problem.empty() ? "" : "; ", broken);
        problem += text;
    }
    if (!problem.empty())
        Trace::write(Trace::WARNING, "motionFrames", "motion frame %s: %s", path.c_str(), problem.c_str());
    // Farthest first. Recorded frames usually come in this order already.
    if (!std::is_sorted(points.begin(), points.end(), farther))
        std::stable_sort(points.begin(), points.end(), farther);
    return true;
}

} // namespace qelFramework
