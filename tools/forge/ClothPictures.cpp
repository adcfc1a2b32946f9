// The cloth scene's pictures: the woven fabric whose alpha is the burn map, the flame
// sprite and the soft dot the performer is drawn with.
#include "ArtDirection.h"
#include "Noise.h"
#include "Products.h"
#include "Rng.h"
#include "Shaping.h"

#include "platform/ImageWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qelFramework::forge {

namespace {

std::uint8_t byte(float v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.f, 1.f) * 255.f)); }

// The weave: warp and weft threads crossing in a 2/2 twill, each thread a rounded ridge
// with a little irregularity of its own.
float weave(float x, float y, float threads, const std::vector<float>& warpShade, const std::vector<float>& weftShade) {
    float u = x * threads, v = y * threads;
    int iu = static_cast<int>(std::floor(u)), iv = static_cast<int>(std::floor(v));
    float fu = u - iu, fv = v - iv;
    int n = static_cast<int>(warpShade.size());
    bool warpOnTop = ((iu + iv) & 3) < 2; // the twill's diagonal
    float ridge = warpOnTop ? std::sin(3.14159f * fu) : std::sin(3.14159f * fv);
    float shade = warpOnTop ? warpShade[((iu % n) + n) % n] : weftShade[((iv % n) + n) % n];
    // Threads dip where they pass under their neighbour.
    float along = warpOnTop ? std::sin(3.14159f * fv) : std::sin(3.14159f * fu);
    return (0.86f + 0.14f * std::sqrt(ridge)) * (0.95f + 0.05f * along) * shade;
}

} // namespace

bool makeFabric(const std::string& path, std::string& note, std::string& error) {
    // Ivory silk with a rose and ember hem and a faint damask of diamonds; the sheet spans
    // texture coordinates 0.05 to 0.925. Alpha, the burn map, is highest in the middle and
    // falls towards the rim with ragged noise, so the sheet burns from its edges inwards
    // and the holes open a little ahead of the front, while the flames (which die from the
    // rim inwards) stay on the fabric that is left.
    const int S = 512;
    const float threads = 128.f;
    Rng rng(0xFAB1C);
    std::vector<float> warp(static_cast<size_t>(threads)), weft(static_cast<size_t>(threads));
    for (size_t i = 0; i < warp.size(); ++i) {
        warp[i] = 0.94f + 0.06f * static_cast<float>(rng.uniform());
        weft[i] = 0.92f + 0.08f * static_cast<float>(rng.uniform());
    }
    TileNoise ragged(0xB0B), holes(0x401E), cloud(0xC10D);
    const Color ivory = art::kPaper;
    std::vector<std::uint8_t> bytes(static_cast<size_t>(S) * S * 4);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float u = (x + 0.5f) / S, v = (y + 0.5f) / S;
            // Pattern: a double hem near the sheet's visible edge and diamonds inside.
            float edge = std::min({u - 0.05f, 0.925f - u, v - 0.05f, 0.925f - v});
            float hem = smoothstep(0.012f, 0.018f, edge) * (1.f - smoothstep(0.034f, 0.040f, edge));
            float hem2 = smoothstep(0.050f, 0.054f, edge) * (1.f - smoothstep(0.060f, 0.064f, edge));
            float du = std::fabs(std::fmod(u * 12.f + 0.5f, 1.f) - 0.5f), dv = std::fabs(std::fmod(v * 12.f + 0.5f, 1.f) - 0.5f);
            float diamond = 1.f - smoothstep(0.04f, 0.07f, std::fabs(du + dv - 0.32f));
            diamond *= smoothstep(0.07f, 0.09f, edge);
            Color c = ivory;
            c = mix(c, mix(art::kPaper, art::kFlare, 0.55f), diamond * 0.55f);
            c = mix(c, art::kFlare, hem);
            c = mix(c, art::kEmber, hem2);
            float sheen = 0.93f + 0.07f * cloud.fractal(u * 4.f, v * 4.f, 4, 4, 3, 0.5f);
            float w = weave(u, v, threads, warp, weft) * sheen;
            // Burn map.
            float r = std::hypot(2.f * u - 0.975f, 2.f * v - 0.975f);
            float a = 1.32f - 1.12f * r;
            a += 0.16f * ragged.fractal(u * 6.f, v * 6.f, 6, 6, 4, 0.55f);
            a -= 0.12f * smoothstep(0.35f, 0.8f, holes.fractal(u * 10.f, v * 10.f, 10, 10, 2, 0.5f));
            a = std::clamp(a, 2.f / 255.f, 1.f);
            std::uint8_t* p = &bytes[(static_cast<size_t>(y) * S + x) * 4];
            p[0] = byte(c.r * w);
            p[1] = byte(c.g * w);
            p[2] = byte(c.b * w);
            p[3] = byte(a);
        }
    if (!platform::writePng(path, S, S, 4, bytes, error))
        return false;
    note = sizeNote(S, S, "RGBA, alpha the burn map");
    return true;
}

bool makeFlameSprite(const std::string& path, std::string& note, std::string& error) {
    // One tongue of flame on black, base at the bottom: a white-yellow core inside orange
    // fading to a dark red edge, licked into shape by noise.
    const int S = 128;
    TileNoise lick(0xF1A3);
    std::vector<std::uint8_t> bytes(static_cast<size_t>(S) * S * 3);
    const Color core = art::kPaper, mid = art::kEmber, rim = Color::hex(0xB3261E);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float u = (x + 0.5f) / S * 2.f - 1.f;   // -1 .. 1 across
            float h = 1.f - (y + 0.5f) / S;          // 0 at the bottom, 1 at the top
            float wobble = 0.12f * lick.fractal(u * 2.f + 3.f, h * 3.f, 8, 8, 3, 0.5f) * h;
            // Teardrop: widest a quarter of the way up, pointed at the top.
            float width = 0.55f * std::pow(std::sin(3.14159f * std::clamp(h * 0.9f + 0.08f, 0.f, 1.f)), 0.8f) *
                          (1.f - 0.55f * h);
            float d = std::fabs(u - wobble) / std::max(width, 1e-3f);
            float bottom = smoothstep(0.02f, 0.14f, h);
            float body = (1.f - smoothstep(0.55f, 1.f, d)) * bottom * (1.f - smoothstep(0.75f, 0.98f, h));
            float heat = (1.f - smoothstep(0.f, 0.7f, d)) * (1.f - smoothstep(0.15f, 0.8f, h)) * bottom;
            Color c = mix(rim, mid, smoothstep(0.f, 0.6f, body));
            c = mix(c, core, heat);
            float glowAround = 0.25f * std::exp(-d * d * 0.8f) * bottom * (1.f - h);
            float bright = std::max(body, glowAround);
            std::uint8_t* p = &bytes[(static_cast<size_t>(y) * S + x) * 3];
            p[0] = byte(c.r * bright);
            p[1] = byte(c.g * bright);
            p[2] = byte(c.b * bright);
        }
    if (!platform::writeJpeg(path, S, S, bytes, 92, error))
        return false;
    note = sizeNote(S, S, "RGB flame on black");
    return true;
}

bool makeSoftDot(const std::string& path, std::string& note, std::string& error) {
    // The performer's spark: white, the shape in the alpha, a small near-opaque core in a
    // faint wide halo. Neighbouring sprites overlap a few times over, so the cores stay
    // single sparks while the halos add up to a glow around the body.
    const int S = 64;
    std::vector<std::uint8_t> bytes(static_cast<size_t>(S) * S * 4);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float r = std::hypot((x + 0.5f) / S * 2.f - 1.f, (y + 0.5f) / S * 2.f - 1.f);
            float a = (0.9f * std::exp(-r * r / (2.f * 0.1f * 0.1f)) + 0.12f * std::exp(-r * r / (2.f * 0.35f * 0.35f))) *
                      (1.f - smoothstep(0.8f, 1.f, r));
            std::uint8_t* p = &bytes[(static_cast<size_t>(y) * S + x) * 4];
            p[0] = p[1] = p[2] = 255;
            p[3] = byte(a);
        }
    if (!platform::writePng(path, S, S, 4, bytes, error))
        return false;
    note = sizeNote(S, S, "RGBA soft dot");
    return true;
}

} // namespace qelFramework::forge
