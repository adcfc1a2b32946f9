#include "TownPaint.h"

#include "ArtDirection.h"

#include <algorithm>
#include <cmath>

namespace qelFramework::forge::town {

float hash(int x, int y, int seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8da6b343u ^ static_cast<std::uint32_t>(y) * 0xd8163841u ^
                      static_cast<std::uint32_t>(seed) * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (h & 0xFFFFFF) / 16777216.f;
}

float noise(float x, float y, int seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float u = x - fx, v = y - fy;
    u = u * u * (3 - 2 * u);
    v = v * v * (3 - 2 * v);
    float a = hash(ix, iy, seed), b = hash(ix + 1, iy, seed), c = hash(ix, iy + 1, seed), d = hash(ix + 1, iy + 1, seed);
    return a + (b - a) * u + (c - a) * v + (a - b - c + d) * u * v;
}

float fbm(float x, float y, int seed, int octaves) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += noise(x, y, seed + i * 31) * amp;
        norm += amp;
        x *= 2.03f;
        y *= 2.03f;
        amp *= 0.5f;
    }
    return sum / norm;
}

namespace {

Color rgb(float r, float g, float b) { return {r, g, b, 1}; }
Color scale(const Color& c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

// Running-bond blocks: the block's id and the distance (in units) to its nearest joint.
struct Bond {
    int col, row;
    float joint;
};
Bond bond(float s, float t, float w, float h, float offset) {
    int row = static_cast<int>(std::floor(t / h));
    float ss = s / w + (row & 1) * offset;
    int col = static_cast<int>(std::floor(ss));
    float fx = (ss - col) * w, fy = (t / h - row) * h;
    float joint = std::min({fx, w - fx, fy, h - fy});
    return {col, row, joint};
}

// Nearest jittered cell centre: the cell's id hash and the gap between the nearest two.
struct Cell {
    float id, edge;
};
Cell cells(float x, float y, int seed) {
    int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    float best = 1e9f, second = 1e9f, id = 0;
    for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) {
            float cx = ix + i + 0.15f + 0.7f * hash(ix + i, iy + j, seed);
            float cy = iy + j + 0.15f + 0.7f * hash(ix + i, iy + j, seed + 7);
            float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
            if (d < best) {
                second = best;
                best = d;
                id = hash(ix + i, iy + j, seed + 3);
            } else if (d < second) {
                second = d;
            }
        }
    return {id, second - best};
}

} // namespace

Color albedo(int material, const MeshFace& face, float s, float t, Vec3 p) {
    (void)face;
    switch (material) {
    case Plaster: {
        float stain = fbm(s * 0.35f, t * 0.35f, 11, 4);
        float fine = noise(s * 9.f, t * 9.f, 12);
        float grime = smoothstep(2.5f, 0.f, std::fmod(t + 100.f, 3.4f)) * 0.08f;
        float k = 0.82f + 0.22f * stain + 0.05f * fine - grime;
        return scale(rgb(0.88f, 0.80f, 0.66f), k);
    }
    case Timber: {
        float grain = noise(s * 1.5f, t * 14.f, 21) * 0.6f + noise(s * 0.5f, t * 40.f, 22) * 0.4f;
        return scale(rgb(0.25f, 0.15f, 0.09f), 0.75f + 0.45f * grain);
    }
    case Ashlar: {
        Bond b = bond(s, t, 0.9f, 0.45f, 0.5f);
        float tone = 0.85f + 0.25f * hash(b.col, b.row, 31) + 0.12f * fbm(s * 2.f, t * 2.f, 32, 3);
        float mortar = smoothstep(0.015f, 0.035f, b.joint);
        return mix(rgb(0.30f, 0.28f, 0.26f), scale(rgb(0.64f, 0.60f, 0.54f), tone), mortar);
    }
    case Brick: {
        Bond b = bond(s, t, 0.26f, 0.085f, 0.5f);
        float tone = 0.75f + 0.4f * hash(b.col, b.row, 41);
        float mortar = smoothstep(0.006f, 0.014f, b.joint);
        Color brick = scale(mix(rgb(0.55f, 0.25f, 0.17f), rgb(0.42f, 0.22f, 0.2f), hash(b.col, b.row, 42)), tone);
        return mix(rgb(0.5f, 0.47f, 0.43f), brick, mortar);
    }
    case Slate:
    case RedTiles: {
        const bool slate = material == Slate;
        float rowH = slate ? 0.24f : 0.3f, w = slate ? 0.32f : 0.28f;
        int row = static_cast<int>(std::floor(t / rowH));
        float fy = t / rowH - row;
        float ss = s / w + (row & 1) * 0.5f;
        int col = static_cast<int>(std::floor(ss));
        float fx = ss - col;
        float tone = 0.8f + 0.35f * hash(col, row, 51) + 0.15f * fbm(s * 0.3f, t * 0.3f, 52, 3);
        // Each course shades from its lower edge (lit lip) to the shadow of the course above.
        float shape = 0.75f + 0.35f * (1.f - fy);
        if (!slate)
            shape *= 0.8f + 0.3f * std::sin(3.14159f * fx);
        float gap = smoothstep(0.f, 0.06f, std::min(fx, 1.f - fx)) * smoothstep(0.f, 0.08f, fy);
        Color base = slate ? rgb(0.24f, 0.27f, 0.33f) : rgb(0.56f, 0.27f, 0.17f);
        return scale(base, tone * shape * (0.35f + 0.65f * gap));
    }
    case Cobble: {
        Cell c = cells(s / 0.21f, t / 0.21f, 61);
        float bump = smoothstep(0.f, 0.35f, c.edge);
        float tone = 0.7f + 0.5f * c.id;
        Color stone = mix(rgb(0.38f, 0.37f, 0.36f), rgb(0.45f, 0.40f, 0.34f), hash(static_cast<int>(c.id * 1000), 0, 62));
        float wet = fbm(s * 0.15f, t * 0.15f, 63, 3);
        return scale(stone, (0.2f + 0.6f * bump) * tone * (0.75f + 0.3f * wet));
    }
    case Flags: {
        Bond b = bond(s, t, 0.95f, 0.62f, 0.37f);
        float tone = 0.82f + 0.25f * hash(b.col, b.row, 71) + 0.1f * fbm(s, t, 72, 3);
        float joint = smoothstep(0.01f, 0.03f, b.joint);
        return scale(rgb(0.46f, 0.44f, 0.42f), tone * (0.45f + 0.55f * joint));
    }
    case Kerb: {
        Bond b = bond(s, t, 1.1f, 10.f, 0.f);
        float tone = 0.85f + 0.2f * hash(b.col, 0, 81) + 0.08f * noise(s * 6, t * 6, 82);
        return scale(rgb(0.62f, 0.60f, 0.57f), tone * (0.6f + 0.4f * smoothstep(0.005f, 0.02f, b.joint)));
    }
    case Planks: {
        float w = 0.17f;
        int col = static_cast<int>(std::floor(s / w));
        float fx = s / w - col;
        float grain = noise(s * 3.f, t * 25.f, 91);
        float gap = smoothstep(0.f, 0.07f, std::min(fx, 1.f - fx));
        return scale(rgb(0.40f, 0.22f, 0.12f), (0.7f + 0.35f * hash(col, 0, 92) + 0.2f * grain) * (0.3f + 0.7f * gap));
    }
    case Frame:
        return scale(rgb(0.20f, 0.34f, 0.33f), 0.9f + 0.15f * noise(s * 8, t * 8, 101));
    case GlassLit: {
        float u = clamp01((s - face.sMin) / std::max(1e-3f, face.sMax - face.sMin));
        float v = clamp01((t - face.tMin) / std::max(1e-3f, face.tMax - face.tMin));
        float warm = 0.75f + 0.25f * std::sin(3.14159f * u) * std::sin(3.14159f * v);
        // Curtains at both sides, a lamp glow low in the room.
        float curtain = smoothstep(0.18f, 0.26f, u) * smoothstep(0.18f, 0.26f, 1.f - u);
        float lamp = std::exp(-((u - 0.5f) * (u - 0.5f) + (v - 0.3f) * (v - 0.3f)) * 6.f);
        Color room = scale(mix(art::kEmber, art::kPaper, 0.25f * lamp), warm * (0.75f + 0.4f * lamp));
        Color drape = scale(rgb(0.75f, 0.32f, 0.2f), 0.6f + 0.3f * std::sin(u * 60.f));
        return mix(drape, room, 0.35f + 0.65f * curtain);
    }
    case GlassDark: {
        float v = clamp01((t - face.tMin) / std::max(1e-3f, face.tMax - face.tMin));
        float streak = smoothstep(0.3f, 0.f, std::fabs(std::fmod(s * 0.7f + t * 0.5f + 100.f, 1.f) - 0.5f));
        return rgb(0.05f + 0.06f * v + 0.05f * streak, 0.07f + 0.08f * v + 0.06f * streak, 0.13f + 0.12f * v + 0.08f * streak);
    }
    case Iron:
        return scale(rgb(0.09f, 0.09f, 0.10f), 0.8f + 0.4f * noise(s * 10, t * 10, 111));
    case Board:
        return scale(rgb(0.86f, 0.78f, 0.60f), 0.85f + 0.2f * fbm(s * 3, t * 3, 121, 3));
    case Pennant: {
        float stripe = std::fmod(t * 2.5f + 100.f, 1.f) < 0.5f ? 1.f : 0.f;
        return mix(art::kFlare, art::kPaper, stripe * 0.85f);
    }
    case Copper: {
        // Sheets with standing seams, verdigris streaked down from the seams, bronze where
        // the patina has worn.
        float patina = fbm(s * 0.8f, t * 0.8f, 131, 4);
        float fs = std::fmod(s / 0.9f + 1000.f, 1.f), ft = std::fmod(t / 1.4f + 1000.f, 1.f);
        float seam = smoothstep(0.f, 0.04f, std::min(fs, 1.f - fs)) * smoothstep(0.f, 0.03f, std::min(ft, 1.f - ft));
        float streak = noise(s * 6.f, t * 0.4f, 132);
        Color green = mix(rgb(0.30f, 0.58f, 0.50f), rgb(0.42f, 0.70f, 0.60f), streak * 0.6f);
        Color c = mix(green, rgb(0.55f, 0.36f, 0.2f), smoothstep(0.55f, 0.8f, patina) * 0.7f);
        return scale(c, 0.55f + 0.45f * seam);
    }
    case Rock: {
        float strata = std::sin(t * 1.3f + fbm(s * 0.1f, t * 0.1f, 141, 3) * 6.f);
        float grain = fbm(s * 0.6f, t * 0.6f, 142, 4);
        return scale(mix(rgb(0.36f, 0.31f, 0.28f), rgb(0.28f, 0.27f, 0.30f), 0.5f + 0.5f * strata),
                     0.7f + 0.5f * grain);
    }
    case Gold:
        return scale(rgb(0.95f, 0.74f, 0.34f), 0.85f + 0.25f * noise(s * 5, t * 5, 151));
    case Soot:
        return scale(rgb(0.12f, 0.10f, 0.09f), 0.8f + 0.4f * noise(s * 4, t * 4, 161));
    }
    (void)p;
    return rgb(1, 0, 1);
}

Color light(const Color& a, const MeshFace& face, Vec3 p, float groundY, float eaveY, const std::vector<Glow>& glows) {
    const Vec3 n = face.normal;
    static const Vec3 moon = normalize(Vec3{-0.35f, 0.65f, -0.68f});
    const Color moonColour = Color::hex(0xA9B6DA);
    const Color sky = mix(art::kDusk, art::kSky, 0.25f);
    const Color ember = art::kEmber;

    float height = p.y - groundY;
    // The ground takes less of the sky and the moon than the walls do: it reads dark and
    // wet, lit mostly by the windows near it.
    const bool ground = n.y > 0.9f && height < 1.f;
    float skyAmount = ground ? 0.45f : 0.55f + 0.35f * n.y;
    float moonAmount = std::max(0.f, dot(n, moon)) * (ground ? 0.45f : 0.85f);
    float warmAmount = (ground ? 0.22f : 0.42f) * std::exp(-std::max(0.f, height) / 2.8f) * (n.y < -0.5f ? 0.4f : 1.f);
    float r = sky.r * skyAmount + moonColour.r * moonAmount + ember.r * warmAmount;
    float g = sky.g * skyAmount + moonColour.g * moonAmount + ember.g * warmAmount;
    float b = sky.b * skyAmount + moonColour.b * moonAmount + ember.b * warmAmount;
    for (const Glow& glow : glows) {
        Vec3 d = glow.centre - p;
        float dist2 = dot(d, d);
        float reach = glow.radius * 3.f;
        if (dist2 > reach * reach)
            continue;
        float dist = std::sqrt(dist2);
        float facing = dist > 1e-4f ? std::max(0.f, dot(n, d) / dist) : 1.f;
        float k = glow.strength * (0.3f + 0.7f * facing) / (1.f + 4.f * dist2 / (glow.radius * glow.radius));
        r += ember.r * k;
        g += ember.g * k;
        b += ember.b * k;
    }
    float occlusion = 1.f;
    if (std::fabs(n.y) < 0.6f) {
        occlusion *= 0.5f + 0.5f * smoothstep(0.f, 1.4f, height);
        occlusion *= 0.6f + 0.4f * smoothstep(0.f, 1.8f, eaveY - p.y);
    }
    return {a.r * r * occlusion, a.g * g * occlusion, a.b * b * occlusion, 1};
}

} // namespace qelFramework::forge::town
