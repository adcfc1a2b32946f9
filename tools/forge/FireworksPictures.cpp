// The pictures of the opening's night sky: the spark glow, the skyline, the group's logo
// and its glow, the title, and the atlas of lit particle tiles the city's trails and
// smoke are made of.
#include "ArtDirection.h"
#include "Canvas.h"
#include "Motifs.h"
#include "Noise.h"
#include "Products.h"
#include "Rng.h"
#include "Shaping.h"
#include "Text.h"

#include "platform/ImageWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qelFramework::forge {

namespace {

// The logo's lettering and quill, centred on (x, baseline), in one colour.
bool drawLogo(Canvas& c, float x, float baseline, int size, const Color& color, std::string& error) {
    TextStyle logo{art::kLogoFont, size, 0.02f};
    TextBox box;
    if (!measureText(logo, "vorlix", box, error))
        return false;
    const float quill = size * 0.9f;
    const float left = x - (box.advance + quill) * 0.5f + quill;
    if (!drawText(c, logo, "vorlix", left, baseline, Anchor::Left, color, error))
        return false;
    drawQuill(c, left - quill * 0.62f, baseline + size * 0.06f, quill * 1.15f, -1.0f, color, color,
              art::kStroke * size / 54.f * 0.7f);
    return true;
}

} // namespace

bool makeSparkGlow(const std::string& path, std::string& note, std::string& error) {
    // A hot white core in a soft halo, black well inside the edges so the quads never show.
    const int S = 256;
    Canvas c(S, S);
    c.shade([&](float x, float y) {
        float r = std::hypot(x - S / 2.f, y - S / 2.f) / (S / 2.f);
        float v = std::exp(-std::pow(r / 0.16f, 2.f)) + 0.6f * std::exp(-std::pow(r / 0.36f, 2.f)) +
                  0.2f * std::exp(-std::pow(r / 0.6f, 2.f));
        v *= 1.f - smoothstep(0.7f, 0.98f, r);
        Color warm = mix(Color{1, 1, 1, 1}, art::kEmber, 0.12f * smoothstep(0.1f, 0.6f, r));
        return Color{warm.r * std::min(v, 1.f), warm.g * std::min(v, 1.f), warm.b * std::min(v, 1.f), 1};
    });
    if (!platform::writeJpeg(path, S, S, c.toBytes(3, 0x5A4C), 95, error))
        return false;
    note = sizeNote(S, S, "RGB JPEG");
    return true;
}

bool makeSkyline(const std::string& path, std::string& note, std::string& error) {
    // The town against the sky: a hazy far row, the near row with lit windows and the
    // tower, everything above transparent.
    const int W = 2048, H = 512;
    Canvas c(W, H);
    drawSkyline(c, static_cast<float>(H), 330.f, mix(art::kDusk, art::kInk, 0.35f).withAlpha(0.9f),
                Color{0, 0, 0, 0}, 41);
    // The tower, right of the middle: a tall shaft with a spire and a lit belfry.
    const float tx = W * 0.63f, tw = 70.f, top = 70.f;
    for (int y = static_cast<int>(top) - 60; y < H; ++y)
        for (int x = static_cast<int>(tx - tw); x < static_cast<int>(tx + tw); ++x) {
            float px = x + 0.5f - tx, py = y + 0.5f;
            float half = py < top ? (py - (top - 60.f)) / 60.f * tw * 0.55f : (py < top + 40.f ? tw * 0.6f : tw * 0.5f);
            float cov = std::clamp(half - std::fabs(px) + 0.5f, 0.f, 1.f) * std::clamp(py - (top - 60.f), 0.f, 1.f);
            c.blendOver(x, y, art::kInk, cov);
        }
    c.line(tx, top - 60.f, tx, top - 95.f, art::kStroke, art::kInk);
    for (int i = -1; i <= 1; i += 2) {
        c.softDisc(tx + i * 14.f, top + 70.f, 7.f, 1.f, art::kEmber.withAlpha(0.9f));
        c.glow(tx + i * 14.f, top + 70.f, 14.f, art::kEmber, 0.12f);
    }
    drawSkyline(c, static_cast<float>(H), 250.f, art::kInk, art::kEmber, 19);
    // The picture repeats vertically when drawn: clear bottom rows keep the opaque ground
    // from bleeding into the top edge as a line.
    for (int y = H - 4; y < H; ++y)
        for (int x = 0; x < W; ++x)
            for (int ch = 0; ch < 4; ++ch)
                c.pixel(x, y)[ch] = 0.f;
    if (!savePng(c, path, 4, 0, error))
        return false;
    note = sizeNote(W, H, "RGBA");
    return true;
}

bool makeLogoMask(const std::string& path, std::string& note, std::string& error) {
    // Dark lettering on white: multiplied over the sky it cuts the logo out of the light.
    const int W = 1024, H = 576;
    Canvas c(W, H);
    c.fill(Color{1, 1, 1, 1});
    Canvas ink(W, H);
    if (!drawLogo(ink, W / 2.f, H * 0.58f, 150, art::kInk, error))
        return false;
    // Soft edges: the letters are cut by light from behind, not printed.
    Canvas soft = ink;
    soft.blur(2.5f, false);
    c.compositeOver(soft, 0.6f);
    c.compositeOver(ink, 0.9f);
    if (!savePng(c, path, 3, 0x7061, error))
        return false;
    note = sizeNote(W, H, "RGB");
    return true;
}

bool makeLogoGlow(const std::string& path, std::string& note, std::string& error) {
    // Light around the letters, none inside them: lit from below by the flashes, the
    // logo shows as dark lettering with a glowing rim.
    const int W = 1024, H = 576;
    Canvas mask(W, H);
    if (!drawLogo(mask, W / 2.f, H * 0.58f, 150, Color{1, 1, 1, 1}, error))
        return false;
    Canvas wide = mask, near = mask;
    wide.blur(26.f, false);
    near.blur(6.f, false);
    Canvas c(W, H);
    c.shade([&](float x, float y) {
        int px = static_cast<int>(x), py = static_cast<int>(y);
        float inside = mask.pixel(px, py)[3];
        float rim = near.pixel(px, py)[3] * 0.9f, halo = wide.pixel(px, py)[3] * 0.55f;
        Color light = mix(art::kFlare, art::kEmber, std::clamp(rim * 1.5f, 0.f, 1.f));
        float v = (rim + halo) * (1.f - inside);
        return Color{light.r * v, light.g * v, light.b * v, 1};
    });
    if (!savePng(c, path, 3, 0x6C0F, error))
        return false;
    note = sizeNote(W, H, "RGB");
    return true;
}

bool makeTitle(const std::string& path, std::string& note, std::string& error) {
    // The title in light type with an ember glow, a hairline and the quill under it.
    const int W = 1024, H = 512;
    Canvas c(W, H);
    TextStyle title{art::kTitleFont, 124, art::kTitleTracking};
    const float baseline = H * 0.52f;
    if (!drawGlowingText(c, title, "quillmont", W / 2.f, baseline, Anchor::Centre, art::kPaper, art::kEmber, 12.f,
                         0.9f, error))
        return false;
    TextBox box;
    if (!measureText(title, "quillmont", box, error))
        return false;
    const float ruleY = baseline + 44.f, half = box.advance * 0.5f + 30.f;
    drawRule(c, W / 2.f - half, W / 2.f + half, ruleY, art::kStroke * 0.7f, art::kPaper.withAlpha(0.6f), 0.5f, 0.5f);
    drawQuill(c, W / 2.f - 100.f, ruleY + 9.f, 210.f, -0.2f, art::kFlare, art::kEmber, art::kStroke * 0.7f);
    c.glow(W / 2.f - 100.f, ruleY + 9.f, 5.f, art::kFlare, 0.7f);
    TextStyle caption{art::kTextFont, 22, 0.42f};
    if (!drawText(c, caption, "a vorlix production", W / 2.f, ruleY + 62.f, Anchor::Centre,
                  art::kPaper.withAlpha(0.75f), error))
        return false;
    if (!savePng(c, path, 4, 0, error))
        return false;
    note = sizeNote(W, H, "RGBA");
    return true;
}

bool makeParticleAtlas(const std::string& path, std::string& note, std::string& error) {
    // 4 x 4 tiles, each a soft lump seen from above: RGB its surface normal in the tile's
    // own frame (x right, y up, z towards the viewer), alpha its shape. The first row is
    // smooth and round, the later rows ever more cloud-like puffs.
    const int T = 128, S = T * 4;
    std::vector<std::uint8_t> rgba(static_cast<size_t>(S) * S * 4);
    TileNoise noise(907);
    std::vector<float> height(static_cast<size_t>(T) * T);
    for (int tile = 0; tile < 16; ++tile) {
        Rng rng(3000 + static_cast<std::uint64_t>(tile), 5);
        const float rough = 0.15f + 0.85f * static_cast<float>(tile / 4) / 3.f;
        // A few overlapping domes make the lump.
        struct Dome { float x, y, r; };
        std::vector<Dome> domes{{T / 2.f, T / 2.f, T * 0.3f}};
        int extra = 1 + tile / 3;
        for (int i = 0; i < extra; ++i) {
            float a = static_cast<float>(rng.range(0, 6.2832)), d = static_cast<float>(rng.range(4, T * 0.16));
            domes.push_back({T / 2.f + std::cos(a) * d, T / 2.f + std::sin(a) * d,
                             static_cast<float>(rng.range(T * 0.14, T * 0.24))});
        }
        const float ox = static_cast<float>(rng.range(0, 64)), oy = static_cast<float>(rng.range(0, 64));
        for (int y = 0; y < T; ++y)
            for (int x = 0; x < T; ++x) {
                float h = 0.f;
                for (const Dome& d : domes) {
                    float q = 1.f - ((x + 0.5f - d.x) * (x + 0.5f - d.x) + (y + 0.5f - d.y) * (y + 0.5f - d.y)) /
                                        (d.r * d.r);
                    if (q > 0.f)
                        h = std::max(h, std::sqrt(q) * d.r / (T * 0.3f));
                }
                float n = noise.fractal(ox + x / 24.f, oy + y / 24.f, 64, 64, 4, 0.55f);
                h = std::max(0.f, h + n * 0.35f * rough * std::min(1.f, h * 3.f + 0.2f));
                height[static_cast<size_t>(y) * T + x] = h;
            }
        const int tx = (tile % 4) * T, ty = (tile / 4) * T;
        auto at = [&](int x, int y) {
            return height[static_cast<size_t>(std::clamp(y, 0, T - 1)) * T + std::clamp(x, 0, T - 1)];
        };
        for (int y = 0; y < T; ++y)
            for (int x = 0; x < T; ++x) {
                // Image rows grow downwards, the normal's y upwards.
                float dx = (at(x + 1, y) - at(x - 1, y)) * 0.5f * T * 0.35f;
                float dy = (at(x, y + 1) - at(x, y - 1)) * 0.5f * T * 0.35f;
                float nx = -dx, ny = dy, nz = 1.f;
                float len = std::sqrt(nx * nx + ny * ny + nz * nz);
                // Alpha falls off from the middle all the way to the lump's edge, and never
                // reaches full cover: the batches lay hundreds of these over one another,
                // and hard-edged, opaque tiles add up to solid ropes and bubbles.
                const float body = clamp01(at(x, y));
                float a = (0.42f - 0.1f * static_cast<float>(tile / 4) / 3.f) * body * body;
                // Fade out towards the tile's rim so neighbours never bleed in.
                float rim = std::hypot(x + 0.5f - T / 2.f, y + 0.5f - T / 2.f) / (T / 2.f);
                a *= 1.f - smoothstep(0.82f, 0.98f, rim);
                std::uint8_t* p = &rgba[(static_cast<size_t>(ty + y) * S + tx + x) * 4];
                p[0] = static_cast<std::uint8_t>(std::lround((nx / len * 0.5f + 0.5f) * 255.f));
                p[1] = static_cast<std::uint8_t>(std::lround((ny / len * 0.5f + 0.5f) * 255.f));
                p[2] = static_cast<std::uint8_t>(std::lround((nz / len * 0.5f + 0.5f) * 255.f));
                p[3] = static_cast<std::uint8_t>(std::lround(a * 255.f));
            }
    }
    if (!platform::writePng(path, S, S, 4, rgba, error))
        return false;
    note = sizeNote(S, S, "RGBA normal map atlas");
    return true;
}

} // namespace qelFramework::forge
