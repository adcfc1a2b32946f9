#include "models/ClothDrape.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

namespace qelFramework {

namespace {

constexpr int N = kClothGridSize;
constexpr float kStartHeight = 1.3f;
constexpr float kSupportThreshold = 0.01f;
constexpr float kFallLimit = 12.0f;
constexpr float kInflation = 0.05f;

inline int at(int i, int j) { return i * N + j; }

// Height-field cells are keyed by their coordinates printed to one decimal and compared
// as text, so "-0.0" and "0.0" are different cells.
std::string cellKey(float a, float b) {
    char key[96];
    std::snprintf(key, sizeof(key), "%.1f %.1f", static_cast<double>(a), static_cast<double>(b));
    return key;
}

Vector3 sub(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// Unit length; a degenerate vector stays zero rather than turning into NaNs.
Vector3 normalised(const Vector3& v) {
    float length = vectorLength(v);
    if (!(length > 0.0f))
        return {};
    return {v.x / length, v.y / length, v.z / length};
}

void emitVertex(const ClothParticle& p, int i, int j, ClothFrame& frame) {
    frame.positions.insert(frame.positions.end(), {p.smoothed.x, p.smoothed.y, p.smoothed.z});
    frame.normals.insert(frame.normals.end(), {p.normal.x, p.normal.y, p.normal.z});
    frame.texCoords.insert(frame.texCoords.end(), {j / 40.0f, i / 40.0f});
}

} // namespace

void buildClothGrid(const std::vector<MotionPoint>& points, std::vector<ClothParticle>& particles) {
    std::map<std::string, float> heights;
    for (const MotionPoint& p : points) {
        float& stored = heights[cellKey(2.0f * p.x, 2.0f * p.z)];
        if (stored < p.y)
            stored = p.y + 0.1f;
    }

    // Both axes run from -2.0 in steps of 0.1 accumulated in single precision.
    float steps[N];
    float value = -2.0f;
    for (int k = 0; k < N; ++k) {
        steps[k] = value;
        value += 0.1f;
    }

    particles.assign(static_cast<size_t>(N) * N, ClothParticle{});
    std::vector<int> supported;
    for (int i = 0; i < N; ++i)
        for (int j = 0; j < N; ++j) {
            float h = heights[cellKey(steps[i], steps[j])];
            ClothParticle& p = particles[at(i, j)];
            p.position = {steps[i] / 2.0f, kStartHeight, steps[j] / 2.0f};
            p.supportHeight = h;
            p.supported = h > kSupportThreshold;
            if (p.supported)
                supported.push_back(at(i, j));
        }

    for (int k = 0; k < N * N; ++k) {
        ClothParticle& p = particles[k];
        if (p.supported) {
            p.anchorIndex = k;
            p.anchorDistance = 0.0f;
            continue;
        }
        float best = 100000.0f;
        for (int s : supported) {
            float d = vectorLength(sub(particles[s].position, p.position));
            if (d < best) {
                best = d;
                p.anchorIndex = s;
                p.anchorDistance = d;
            }
        }
    }
}

void smoothCloth(std::vector<ClothParticle>& particles) {
    for (int j = 1; j < N - 1; ++j)
        for (int i = 1; i < N - 1; ++i) {
            Vector3 sum{};
            for (int di = -1; di <= 1; ++di)
                for (int dj = -1; dj <= 1; ++dj) {
                    const Vector3& s = particles[at(i + di, j + dj)].smoothed;
                    float w = (di == 0 && dj == 0) ? 0.2f : 0.1f;
                    sum.x += s.x * w;
                    sum.y += s.y * w;
                    sum.z += s.z * w;
                }
            particles[at(i, j)].smoothed = sum;
        }
}

void computeClothNormals(std::vector<ClothParticle>& particles) {
    for (int i = 1; i < N - 1; ++i)
        for (int j = 1; j < N - 1; ++j) {
            const Vector3& c = particles[at(i, j)].smoothed;
            Vector3 a = sub(particles[at(i + 1, j)].smoothed, c);
            Vector3 b = sub(particles[at(i, j - 1)].smoothed, c);
            Vector3 cross{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
            particles[at(i, j)].normal = normalised(cross);
        }
}

void inflateCloth(std::vector<ClothParticle>& particles, float amount) {
    for (ClothParticle& p : particles) {
        p.smoothed.x += p.normal.x * amount;
        p.smoothed.y += p.normal.y * amount;
        p.smoothed.z += p.normal.z * amount;
    }
}

void stepCloth(std::vector<ClothParticle>& particles, float stepSize) {
    for (ClothParticle& p : particles) {
        p.fallTime += stepSize;
        if (p.fallTime < kFallLimit)
            p.position.y -= p.fallTime * p.fallTime * 0.5f * 9.81f * 0.001f;
        if (!p.supported) {
            // Never farther from the anchor than at the start; anchors earlier in the
            // array have already moved this step.
            if (p.anchorIndex != kNoAnchor) {
                Vector3 d = sub(particles[p.anchorIndex].position, p.position);
                float length = vectorLength(d);
                if (length > p.anchorDistance) {
                    float move = (length - p.anchorDistance) / length;
                    p.position.x += d.x * move;
                    p.position.y += d.y * move;
                    p.position.z += d.z * move;
                }
            }
        } else if (p.position.y < p.supportHeight) {
            p.position.y = p.supportHeight;
        }
        p.smoothed = p.position;
    }
    smoothCloth(particles);
    smoothCloth(particles);
    computeClothNormals(particles);
    inflateCloth(particles, kInflation);
    computeClothNormals(particles);
}

ClothAnimation buildClothAnimation(const std::vector<MotionPoint>& points, float stepSize) {
    std::vector<ClothParticle> particles;
    buildClothGrid(points, particles);
    ClothAnimation animation;
    animation.frames.reserve(kClothSteps);
    for (int step = 0; step < kClothSteps; ++step) {
        stepCloth(particles, stepSize);
        ClothFrame frame;
        frame.positions.reserve(kClothVertexCount * 3);
        frame.normals.reserve(kClothVertexCount * 3);
        frame.texCoords.reserve(kClothVertexCount * 2);
        // Only particles 2 .. 37 each way are drawn: the outer rings serve the smoothing.
        for (int j = 2; j < N - 3; ++j)
            for (int i = 2; i < N - 3; ++i) {
                const int corners[6][2] = {{i, j}, {i, j + 1}, {i + 1, j + 1}, {i + 1, j + 1}, {i + 1, j}, {i, j}};
                for (const auto& c : corners)
                    emitVertex(particles[at(c[0], c[1])], c[0], c[1], frame);
            }
        animation.frames.push_back(std::move(frame));
    }
    animation.vertexCount = kClothVertexCount;
    return animation;
}

} // namespace qelFramework
