// The floating tower the performer stands on. The city draws it twice, the second time
// upside down beneath the first, so its lower part is rock that reads as the underside
// of a floating island; its flat top at y = 90 is the stage.
#include "ArtDirection.h"
#include "Mesh.h"
#include "Products.h"
#include "Town.h"
#include "TownPaint.h"

#include <cmath>
#include <mutex>

namespace qelFramework::forge {

using namespace town;

namespace {

constexpr float kTop = 90.f;
constexpr int kSides = 28;
constexpr int kStage = 1, kRim = 2; // face tags

struct Ring {
    float y, r;
    int material;
};

// The outline from the island's edge to the stage, turned about the vertical.
const Ring kProfile[] = {
    {0.f, 46.f, Rock},  {2.5f, 45.f, Rock},  {4.f, 41.f, Rock},    {5.f, 31.f, Rock},    {12.f, 25.f, Rock},
    {20.f, 19.f, Ashlar}, {40.f, 15.f, Ashlar}, {74.f, 13.f, Ashlar}, {80.f, 20.f, Ashlar}, {84.f, 31.f, Ashlar},
    {84.5f, 33.f, Copper}, {88.5f, 33.f, Copper}, {89.f, 32.f, Gold},
};

struct BuiltTower {
    Mesh mesh;
    bool ok = false;
};

const BuiltTower& builtTower() {
    static std::once_flag once;
    static BuiltTower tower;
    std::call_once(once, [] {
        Mesh& m = tower.mesh;
        const size_t n = sizeof(kProfile) / sizeof(kProfile[0]);
        for (size_t i = 0; i + 1 < n; ++i) {
            const Ring& a = kProfile[i];
            const Ring& b = kProfile[i + 1];
            m.frustum(0, 0, a.y, a.r, b.y, b.r, kSides, b.material, b.material == Copper ? kRim : 0, i == 0, false,
                      b.material == Rock ? 0.6f : 1.f);
        }
        // The stage: a flat disc at the top.
        m.frustum(0, 0, 89.f, 32.f, kTop, 31.5f, kSides, Gold, kRim);
        std::vector<Vec3> stage;
        for (int i = kSides - 1; i >= 0; --i) {
            float a = 6.2831853f * i / kSides;
            stage.push_back({31.5f * std::cos(a), kTop, 31.5f * std::sin(a)});
        }
        m.faceToward(stage, {0, 1, 0}, Slate, kStage, 1.f);
        // Lit slit windows round the shaft and a stair winding up it.
        const Vec3 up{0, 1, 0};
        for (int level = 0; level < 6; ++level)
            for (int k = 0; k < 6; ++k) {
                float y = 26.f + level * 8.5f, a = 6.2831853f * (k + 0.5f * (level & 1)) / 6;
                float r = 15.f - (y - 40.f) * (2.f / 34.f);
                if (y < 40.f)
                    r = 19.f - (y - 20.f) * (4.f / 20.f);
                Vec3 radial{std::cos(a), 0, std::sin(a)};
                Vec3 tangent = cross(up, radial);
                m.orientedBox(radial * (r + 0.1f) + up * y, tangent, up, {0.55f, 1.6f, 0.25f}, GlassLit, 0);
                m.orientedBox(radial * (r + 0.2f) + up * (y + 1.8f), tangent, up, {0.8f, 0.25f, 0.35f}, Ashlar, 0);
            }
        // Lamps round the underside of the stage.
        for (int k = 0; k < 24; ++k) {
            float a = 6.2831853f * (k + 0.5f) / 24;
            Vec3 radial{std::cos(a), 0, std::sin(a)};
            m.orientedBox(radial * 30.5f + up * 83.4f, cross(up, radial), up, {0.5f, 0.5f, 0.5f}, GlassLit, 0);
        }
        for (int s = 0; s < 90; ++s) {
            float y = 6.f + s * 0.75f, a = s * 0.21f;
            float r = y < 20.f ? 25.f - (y - 12.f) * 0.75f : y < 40.f ? 19.f - (y - 20.f) * 0.2f : 15.f - (y - 40.f) * 0.06f;
            if (y < 12.f)
                r = 25.f + (12.f - y) * 0.85f;
            Vec3 radial{std::cos(a), 0, std::sin(a)};
            Vec3 tangent = cross(up, radial);
            m.orientedBox(radial * (r + 1.1f) + up * y, tangent, up, {1.f, 0.18f, 1.2f}, Ashlar, 0, 0.8f);
        }
        tower.ok = m.layout(1024, 1024, 16);
    });
    return tower;
}

Color towerTexel(const MeshFace& f, float s, float t, Vec3 p) {
    // The tower is large: its stones are three times the houses'.
    Color a = f.material == Ashlar ? albedo(Ashlar, f, s / 3.f, t / 3.f, p) : albedo(f.material, f, s, t, p);
    if (f.material == GlassLit)
        return a;
    if (f.tag == kStage) {
        // Polished dark stone with gilded rings: the performer's floor.
        float r = std::sqrt(p.x * p.x + p.z * p.z);
        float ring = std::exp(-std::pow(std::fmod(r + 100.f, 6.f) - 3.f, 2.f) * 8.f);
        float rim = smoothstep(27.f, 31.f, r);
        Color stone = mix(Color{0.10f, 0.11f, 0.15f, 1}, Color{0.16f, 0.17f, 0.23f, 1}, fbm(p.x * 0.2f, p.z * 0.2f, 171, 4));
        Color gold = art::kEmber;
        Color c = mix(stone, gold, 0.55f * ring * (0.4f + 0.6f * rim));
        return c;
    }
    static const std::vector<Glow> none;
    Color c = light(a, f, p, -1000.f, 1e9f, none);
    // Warm light from the slit windows spills down the shaft; the rock grows darker
    // towards the island's edge.
    float warm = 0.25f * std::pow(0.5f + 0.5f * std::sin(std::atan2(p.z, p.x) * 6.f), 4.f) *
                 smoothstep(18.f, 30.f, p.y) * smoothstep(80.f, 70.f, p.y);
    c.r += art::kEmber.r * warm * a.r;
    c.g += art::kEmber.g * warm * a.g;
    c.b += art::kEmber.b * warm * a.b;
    // Lamps under the stage light the flare from below.
    if (f.normal.y < 0.1f) {
        float up = smoothstep(68.f, 84.f, p.y) * (0.4f + 0.6f * std::max(0.f, -f.normal.y)) * 0.9f;
        c.r += art::kEmber.r * up * a.r;
        c.g += art::kEmber.g * up * a.g;
        c.b += art::kEmber.b * up * a.b;
    }
    if (f.material == Rock) {
        float k = 0.55f + 0.45f * smoothstep(0.f, 12.f, p.y);
        c = {c.r * k, c.g * k, c.b * k, 1};
    }
    return c;
}

} // namespace

bool makeTowerModelFile(const std::string& path, std::string& note, std::string& error) {
    const BuiltTower& t = builtTower();
    if (!t.ok) {
        error = "the tower's charts do not fit its texture";
        return false;
    }
    if (!writeText(path, t.mesh.modelText(true), error))
        return false;
    note = std::to_string(t.mesh.vertexCount()) + " vertices";
    return true;
}

bool makeTowerTextureFile(const std::string& path, std::string& note, std::string& error) {
    const BuiltTower& t = builtTower();
    if (!t.ok) {
        error = "the tower's charts do not fit its texture";
        return false;
    }
    Canvas canvas(1024, 1024);
    canvas.fill(Color{0.1f, 0.1f, 0.12f, 1});
    t.mesh.paint(canvas, towerTexel);
    if (!savePng(canvas, path, 3, 0x7700, error))
        return false;
    note = "1024x1024 RGB, " + std::to_string(static_cast<int>(t.mesh.pixelsPerUnit())) + " px/unit";
    return true;
}

} // namespace qelFramework::forge
