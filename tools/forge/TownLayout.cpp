#include "TownLayout.h"

#include <algorithm>
#include <cmath>

namespace qelFramework::forge::town {

namespace {

// The terrace in front of the tall house: its edge towards the square, as (x, z) pairs.
const float kTerraceEdge[][2] = {{11.9f, -3.f}, {11.75f, 4.4f}, {11.45f, 7.f}, {10.f, 9.2f}, {8.f, 12.f}, {7.f, 26.f}};

float terraceEdgeX(float z) {
    const size_t n = sizeof(kTerraceEdge) / sizeof(kTerraceEdge[0]);
    for (size_t i = 0; i + 1 < n; ++i) {
        float z0 = kTerraceEdge[i][1], z1 = kTerraceEdge[i + 1][1];
        if (z >= z0 && z <= z1) {
            float u = (z - z0) / (z1 - z0);
            return kTerraceEdge[i][0] + (kTerraceEdge[i + 1][0] - kTerraceEdge[i][0]) * u;
        }
    }
    return 1e9f;
}

} // namespace

float groundAt(float x, float z) {
    if (z >= -3.f && z <= 26.f && x >= terraceEdgeX(z) && x <= kFacadeX + 0.5f)
        return kTerraceY;
    if (x <= (z < 3.9f ? -1.15f : 0.1f))
        return kPavementY;
    if (x >= 5.5f)
        return kSquareY;
    return kRoadY;
}

const std::vector<Building>& buildings() {
    static const std::vector<Building> list = [] {
        const Color white{1, 1, 1, 1};
        std::vector<Building> b = {
            {0, 0, 0, 0, 0, 1e9f, white},                                          // 0: none
            {kFacadeX, kTallBackX, kTallZ0, kTallZ1, kTerraceY, kCorniceY, white},    // 1: the tall house
            {12.5f, 30.f, 26.f, 40.f, kSquareY, 16.f, {1.f, 0.9f, 0.8f, 1}},        // 2: beyond it
            {13.f, 32.f, -18.f, -4.f, kSquareY, 20.f, {0.86f, 0.93f, 1.f, 1}},      // 3: before it
            {-13.f, -3.5f, 5.f, 17.f, kPavementY, 10.5f, {1.f, 0.95f, 0.84f, 1}},   // 4: across the street
            {-12.f, -3.2f, 17.f, 27.f, kPavementY, 8.5f, white},                    // 5
            {-13.f, -3.5f, 27.f, 38.f, kPavementY, 12.f, {0.84f, 0.9f, 1.f, 1}},    // 6
            {-14.f, -3.5f, -16.f, -0.8f, kPavementY, 9.f, white},                   // 7
            {-6.f, 13.f, 44.f, 54.f, kSquareY, 14.f, white},                        // 8: closing the street
            {20.f, 27.f, 58.f, 65.f, kSquareY, 40.f, white},                        // 9: church tower
        };
        return b;
    }();
    return list;
}

float wallDistance(float x, float z) {
    float best = 1e9f;
    for (size_t i = 1; i < buildings().size(); ++i) {
        const Building& b = buildings()[i];
        float dx = std::max({b.x0 - x, 0.f, x - b.x1}), dz = std::max({b.z0 - z, 0.f, z - b.z1});
        best = std::min(best, std::sqrt(dx * dx + dz * dz));
    }
    return best;
}

const std::vector<Window>& windows() {
    static const std::vector<Window> list = [] {
        std::vector<Window> w;
        int serial = 0;
        auto add = [&](Vec3 c, Vec3 n, float width, float height, int part, float litChance) {
            ++serial;
            bool lit = hash(serial, 3, 900) < litChance;
            bool shutters = hash(serial, 5, 901) < 0.45f;
            w.push_back({c, n, width, height, lit, shutters, part});
        };
        const Vec3 west{-1, 0, 0}, east{1, 0, 0}, south{0, 0, -1};
        // The tall house: shop windows on the ground floor, then nine storeys.
        for (float z : {4.0f, 10.1f, 16.2f, 20.6f})
            add({kFacadeX, 2.8f, z}, west, z == 20.6f ? 3.4f : 3.2f, 2.8f, 2, 1.f);
        for (int k = 0; k < kUpperStoreys; ++k)
            for (float z : {6.0f, 10.8f, 13.9f, 19.6f, 22.4f})
                add({kFacadeX, kShopTop + kStorey * k + 1.9f, z}, west, 1.45f, 2.0f, 10, 0.5f);
        // Beyond and before it.
        for (int k = 0; k < 4; ++k)
            for (float z : {28.5f, 31.5f, 34.5f, 37.5f})
                add({12.5f, 2.2f + 3.3f * k, z}, west, 1.3f, 1.8f, 10, 0.45f);
        for (int k = 0; k < 5; ++k)
            for (float z : {-15.f, -11.5f, -8.f})
                add({13.f, 2.2f + 3.5f * k, z}, west, 1.3f, 1.9f, 10, 0.4f);
        // Across the street, facing the tall house.
        for (int k = 0; k < 3; ++k)
            for (float z : {6.7f, 12.6f, 15.3f}) {
                if (k == 0 && z == 12.6f)
                    continue;
                add({-3.5f, 1.9f + 3.4f * k, z}, east, 1.3f, 1.7f, 12, 0.55f);
            }
        add({-3.5f, 5.3f, 9.8f}, east, 1.3f, 1.7f, 12, 0.55f);
        add({-3.5f, 8.7f, 9.8f}, east, 1.3f, 1.7f, 12, 0.55f);
        for (int k = 0; k < 2; ++k)
            for (float z : {19.f, 22.f, 25.f})
                add({-3.2f, 2.0f + 3.2f * k, z}, east, 1.2f, 1.7f, 12, 0.5f);
        for (int k = 0; k < 3; ++k)
            for (float z : {29.f, 32.5f, 36.f})
                add({-3.5f, 2.1f + 3.5f * k, z}, east, 1.3f, 1.8f, 12, 0.5f);
        for (int k = 0; k < 2; ++k)
            for (float z : {-13.5f, -9.5f, -5.5f, -2.5f})
                add({-3.5f, 2.0f + 3.4f * k, z}, east, 1.2f, 1.7f, 12, 0.5f);
        // The house closing the street.
        for (int k = 0; k < 3; ++k)
            for (float x : {-3.f, 0.5f, 6.5f, 10.f})
                add({x, 2.4f + 3.6f * k, 44.f}, south, 1.4f, 2.f, 12, 0.6f);
        return w;
    }();
    return list;
}

const std::vector<Glow>& glows() {
    static const std::vector<Glow> list = [] {
        std::vector<Glow> g;
        for (const Window& w : windows())
            if (w.lit) {
                float big = w.part == 2 ? 1.8f : 1.f;
                g.push_back({w.centre + w.normal * 0.6f, 1.4f * big, 0.55f * big});
            }
        // Lanterns by the two doors, the lamp over the hanging sign.
        g.push_back({{kFacadeX - 0.45f, 3.3f, 14.3f}, 2.2f, 1.4f});
        g.push_back({{-3.05f, 2.9f, 11.55f}, 2.f, 1.2f});
        g.push_back({{15.6f, 3.9f, 7.05f}, 1.6f, 0.8f});
        return g;
    }();
    return list;
}

} // namespace qelFramework::forge::town
