// The recorded performer: 539 depth-camera frames of the dancer at 30 frames a second,
// written beside the first frame's file. Each frame is stored in the order the program
// draws it (farthest first once placed in the scene), so loading need not sort.
#include "Dancer.h"
#include "Products.h"

#include "layers/scenes/MotionFrames.h"
#include "platform/Kernel.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>

namespace qelFramework::forge {

namespace {

constexpr float kFramesPerSecond = 30.f;

// The frame's points sorted by the depth the program gives them, farthest first.
void orderForDrawing(int frame, std::vector<MotionPoint>& points) {
    const MotionPlacement placement(kMotionZOffset, motionFrameAngle(frame));
    std::vector<std::pair<float, std::uint32_t>> keyed;
    keyed.reserve(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        MotionPoint placed = points[i];
        // Points the program cuts away keep a key too; their place does not matter.
        placement.place(placed);
        keyed.push_back({placed.z, static_cast<std::uint32_t>(i)});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<MotionPoint> ordered(points.size());
    for (size_t i = 0; i < keyed.size(); ++i)
        ordered[i] = points[keyed[i].second];
    points.swap(ordered);
}

bool writeFrame(const std::string& path, const std::vector<MotionPoint>& points, std::string& error) {
    std::vector<unsigned char> bytes(4 + points.size() * sizeof(MotionPoint));
    const auto count = static_cast<std::uint32_t>(points.size());
    for (int b = 0; b < 4; ++b)
        bytes[b] = static_cast<unsigned char>(count >> (8 * b));
    if (!points.empty())
        std::memcpy(bytes.data() + 4, points.data(), points.size() * sizeof(MotionPoint));
    // Whole or not at all: written beside the target, then renamed over it.
    const std::string temporary = path + ".part";
    std::FILE* file = platform::openFile(temporary, "wb");
    bool ok = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file && std::fclose(file) != 0)
        ok = false;
    ok = ok && platform::replaceFile(temporary, path);
    if (!ok) {
        platform::deleteFile(temporary.c_str());
        error = "cannot write " + path;
    }
    return ok;
}

} // namespace

bool makePerformer(const std::string& path, std::string& note, std::string& error) {
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::string> errors(workers);
    std::vector<size_t> totals(workers, 0), cut(workers, 0);
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w)
        threads.emplace_back([&, w] {
            std::vector<MotionPoint> points;
            for (int f = static_cast<int>(w); f < kMotionFrameCount && errors[w].empty(); f += static_cast<int>(workers)) {
                scanBody(dancerAt(f / kFramesPerSecond), static_cast<std::uint32_t>(f), points);
                for (const MotionPoint& p : points)
                    cut[w] += p.x > 0.15f && p.y < -0.3f;
                orderForDrawing(f, points);
                char name[32];
                std::snprintf(name, sizeof(name), "anim%05d.par", f);
                if (!writeFrame(folder + name, points, errors[w]))
                    break;
                totals[w] += points.size();
            }
        });
    for (std::thread& t : threads)
        t.join();
    for (const std::string& e : errors)
        if (!e.empty()) {
            error = e;
            return false;
        }
    size_t total = 0, dropped = 0;
    for (unsigned w = 0; w < workers; ++w) {
        total += totals[w];
        dropped += cut[w];
    }
    char text[128];
    std::snprintf(text, sizeof(text), "%d frames, %zu points a frame on average, %zu in the cut-away corner",
                  kMotionFrameCount, total / kMotionFrameCount, dropped);
    note = text;
    return true;
}

} // namespace qelFramework::forge
