// The city's sprites: a bird flapping through nine frames (drawn additively, so it is
// light on black) and the backlight glow behind the tower.
#include "ArtDirection.h"
#include "Canvas.h"
#include "Products.h"
#include "TownPaint.h"

#include "platform/ImageWriter.h"

#include <algorithm>
#include <cmath>

namespace qelFramework::forge {

namespace {

constexpr int kFrames = 9;
constexpr int kCell = 128;

// A quadratic curve from a to c bending towards b, drawn as discs of shrinking radius.
void taperedStroke(Canvas& c, float ax, float ay, float bx, float by, float cx, float cy, float r0, float r1,
                   const Color& colour) {
    for (int i = 0; i <= 60; ++i) {
        float t = i / 60.f, u = 1 - t;
        float x = u * u * ax + 2 * u * t * bx + t * t * cx, y = u * u * ay + 2 * u * t * by + t * t * cy;
        c.softDisc(x, y, r0 + (r1 - r0) * t, 0.8f, colour);
    }
}

// One bird, flying to the right, wings at the given phase of the beat.
void drawBird(Canvas& c, float ox, float phase) {
    const float cx = ox + kCell * 0.5f, cy = kCell * 0.55f;
    const Color body = art::kPaper;
    const float lift = std::sin(phase); // +1 wings up, -1 wings down
    const float fold = std::cos(phase);
    // Far wing first (dimmer), then body, then near wing.
    const float shoulderX = cx + 2.f, shoulderY = cy - 4.f;
    for (int side = 0; side < 2; ++side) {
        float reach = side == 0 ? 0.8f : 1.f;
        float tipX = shoulderX - 18.f * reach + 8.f * fold, tipY = shoulderY - 46.f * lift * reach;
        float bendX = shoulderX - 4.f - 6.f * fold, bendY = shoulderY - 24.f * lift * reach + 6.f;
        Color wing = side == 0 ? mix(body, art::kEmber, 0.5f).withAlpha(0.7f) : body;
        taperedStroke(c, shoulderX, shoulderY, bendX, bendY, tipX, tipY, 7.f, 1.5f, wing);
        // Primary feathers along the trailing edge.
        for (int f = 0; f < 5; ++f) {
            float t = 0.45f + f * 0.12f;
            float u = 1 - t;
            float x = u * u * shoulderX + 2 * u * t * bendX + t * t * tipX;
            float y = u * u * shoulderY + 2 * u * t * bendY + t * t * tipY;
            c.line(x, y, x - 9.f, y + 5.f * (lift > 0 ? 1.f : -0.3f) + 3.f, 1.6f, wing.withAlpha(0.8f));
        }
        if (side == 0) {
            c.softDisc(cx, cy, 9.f, 1.f, body);
            // Body: an ellipse of discs from tail to breast, head and beak to the right.
            for (int i = 0; i <= 20; ++i) {
                float t = i / 20.f;
                c.softDisc(cx - 20.f + 38.f * t, cy + 2.f * std::sin(t * 3.1f), 4.f + 6.f * std::sin(t * 3.f), 0.8f, body);
            }
            c.softDisc(cx + 20.f, cy - 5.f, 5.5f, 0.8f, body);
            c.line(cx + 25.f, cy - 5.f, cx + 31.f, cy - 3.5f, 2.2f, art::kEmber);
            // Tail fan.
            for (int k = -2; k <= 2; ++k)
                c.line(cx - 18.f, cy + 1.f, cx - 32.f, cy + 1.f + k * 3.5f + 2.f * lift, 2.f, body);
        }
    }
}

} // namespace

bool makeFlyingBird(const std::string& path, std::string& note, std::string& error) {
    Canvas shape(kCell * kFrames, kCell);
    for (int f = 0; f < kFrames; ++f)
        drawBird(shape, static_cast<float>(f * kCell), 6.2831853f * f / kFrames);
    // Light on black with a soft halo: the sprite is added to the picture.
    Canvas glow = shape;
    glow.blur(5.f, false);
    Canvas out(kCell * kFrames, kCell);
    out.fill(Color{0, 0, 0, 1});
    out.compositeAdd(glow, 0.6f);
    out.compositeAdd(shape, 0.95f);
    std::vector<std::uint8_t> bytes = out.toBytes(3, 0xB1D);
    if (!platform::writeJpeg(path, out.width(), out.height(), bytes, 92, error))
        return false;
    note = std::to_string(out.width()) + "x" + std::to_string(out.height()) + ", 9 frames";
    return true;
}

bool makeBacklight(const std::string& path, std::string& note, std::string& error) {
    // Brightest along the bottom edge, fading upwards, with soft rays; neutral warm white,
    // because the city tints it with the vertex colours.
    const int W = 512, H = 512;
    Canvas c(W, H);
    c.shade([&](float x, float y) {
        float u = x / W, v = y / H; // v = 1 at the bottom
        float across = std::exp(-std::pow((u - 0.5f) / 0.36f, 2.f));
        float rise = std::pow(v, 2.2f);
        float angle = std::atan2(u - 0.5f, 1.15f - v);
        float rays = 0.75f + 0.25f * town::fbm(angle * 9.f + 20.f, 3.f, 313, 3) +
                     0.2f * std::pow(0.5f + 0.5f * std::sin(angle * 23.f), 6.f);
        float core = std::exp(-std::pow((u - 0.5f) / 0.16f, 2.f) - std::pow((1.f - v) / 0.35f, 2.f));
        float k = std::min(1.f, across * rise * rays * 0.5f + core * 0.28f);
        Color tint = mix(mix(art::kPaper, art::kEmber, 0.45f), art::kFlare, 0.3f * (1.f - v));
        return Color{tint.r * k, tint.g * k, tint.b * k, 1};
    });
    std::vector<std::uint8_t> bytes = c.toBytes(3, 0xBAC);
    if (!platform::writeJpeg(path, W, H, bytes, 92, error))
        return false;
    note = "512x512, brightest at the bottom";
    return true;
}

} // namespace qelFramework::forge
