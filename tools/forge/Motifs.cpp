#include "Motifs.h"
#include "ArtDirection.h"
#include "Rng.h"

#include <algorithm>
#include <cmath>

namespace qelFramework::forge {

void drawQuill(Canvas& canvas, float x, float y, float length, float angle, const Color& nib, const Color& tip,
               float weight) {
    const int steps = 64;
    const float ca = std::cos(angle), sa = std::sin(angle);
    // The spine bends gently to one side.
    auto spine = [&](float t, float& px, float& py) {
        float along = t * length, bend = std::sin(t * 3.14159f) * length * 0.05f;
        px = x + ca * along - sa * bend;
        py = y + sa * along + ca * bend;
    };
    // Barbs first, so the spine is drawn over them: the bare shaft near the nib, then
    // the vane, wider on one side, swelling and tapering to the tip. Each barb leans
    // towards the tip and curls a little.
    const float shaft = 0.22f;
    const int barbs = static_cast<int>(std::clamp(length * 0.32f, 14.f, 90.f));
    Rng rng(static_cast<std::uint64_t>(length * 1000.f) + 77, 17); // the same quill at the same size
    float split = 0.f;
    for (int i = 0; i < barbs; ++i) {
        float t = shaft + (1.f - shaft) * (i + 0.5f) / barbs;
        float s = (t - shaft) / (1.f - shaft);
        float vane = std::sin(std::pow(s, 0.55f) * 3.14159f) * length * 0.1f;
        // Now and then the vane splits: a few barbs lean further back.
        split = rng.chance(0.08) ? 0.35f : split * 0.6f;
        float px, py;
        spine(t, px, py);
        Color c = mix(nib, tip, t);
        c.a *= 0.45f + 0.5f * s;
        for (int side = -1; side <= 1; side += 2) {
            float reach = vane * (side < 0 ? 1.f : 0.7f);
            float a0 = angle + side * (0.8f + split), a1 = angle + side * (0.42f + split * 0.5f);
            float mx = px + std::cos(a0) * reach * 0.5f, my = py + std::sin(a0) * reach * 0.5f;
            float ex = mx + std::cos(a1) * reach * 0.6f, ey = my + std::sin(a1) * reach * 0.6f;
            canvas.line(px, py, mx, my, weight * 0.5f, c);
            canvas.line(mx, my, ex, ey, weight * 0.4f, c.withAlpha(c.a * 0.8f));
        }
    }
    std::vector<float> points;
    for (int i = 0; i <= steps; ++i) {
        float px, py;
        spine(static_cast<float>(i) / steps * 1.04f, px, py);
        points.push_back(px);
        points.push_back(py);
    }
    canvas.polyline(points, weight, mix(nib, tip, 0.25f));
}

void drawStars(Canvas& canvas, float horizon, int count, std::uint64_t seed) {
    Rng rng(seed, 11);
    for (int i = 0; i < count; ++i) {
        float x = static_cast<float>(rng.range(0, canvas.width()));
        // More stars high up: the square of a uniform draw clusters them near the top.
        float u = static_cast<float>(rng.uniform());
        float y = u * u * horizon;
        float bright = static_cast<float>(std::pow(rng.uniform(), 3.0)) * (1.f - 0.8f * y / horizon);
        Color c = mix(art::kPaper, art::kSky, static_cast<float>(rng.uniform()) * 0.5f);
        canvas.glow(x, y, 0.7f + bright * 1.2f, c, 0.25f + bright * 0.9f);
        if (bright > 0.6f)
            canvas.glow(x, y, 6.f, art::kSky, bright * 0.06f);
    }
}

void drawSkyline(Canvas& canvas, float baseline, float maxHeight, const Color& body, const Color& window,
                 std::uint64_t seed) {
    Rng rng(seed, 13);
    float x = -10.f;
    const float unit = maxHeight / 9.f;
    while (x < canvas.width() + 10) {
        float w = static_cast<float>(rng.range(2.5, 6.5)) * unit;
        // Lower at the middle of the picture, taller towards the sides.
        float side = std::fabs((x + w / 2) / canvas.width() - 0.5f) * 2.f;
        float h = static_cast<float>(rng.range(0.3, 0.7) + 0.3 * side * side) * maxHeight;
        int left = static_cast<int>(std::floor(x)), right = static_cast<int>(std::ceil(x + w));
        float top = baseline - h;
        int roofKind = rng.below(4); // 0, 1 flat; 2 gable; 3 flat with a chimney
        for (int py = std::max(0, static_cast<int>(top - w / 2)); py < static_cast<int>(baseline) + 1; ++py)
            for (int px = std::max(0, left); px < std::min(canvas.width(), right); ++px) {
                float roof = top;
                if (roofKind == 2)
                    roof -= (w / 2 - std::fabs(px + 0.5f - (x + w / 2))) * 0.45f;
                if (roofKind == 3 && px + 0.5f > x + w * 0.7f && px + 0.5f < x + w * 0.7f + unit * 0.7f)
                    roof -= unit * 1.2f;
                float cov = std::clamp(py + 1.f - roof, 0.f, 1.f);
                // Soft vertical edges so neighbouring blocks join cleanly.
                cov *= std::clamp(px + 1.f - x, 0.f, 1.f) * std::clamp(x + w - px, 0.f, 1.f);
                canvas.blendOver(px, py, body, cov);
            }
        // Windows on a grid, a few lit.
        if (window.a > 0.f)
            for (float wy = top + unit * 0.9f; wy < baseline - unit * 0.5f; wy += unit * 0.95f)
                for (float wx = x + unit * 0.7f; wx < x + w - unit * 0.6f; wx += unit * 0.85f)
                    if (rng.chance(0.13)) {
                        Color c = window;
                        c.a *= static_cast<float>(rng.range(0.3, 0.85));
                        canvas.softDisc(wx, wy, unit * 0.14f, 0.5f, c);
                        canvas.glow(wx, wy, unit * 0.6f, window, 0.04f);
                    }
        x += w + (rng.chance(0.25) ? static_cast<float>(rng.range(0.2, 1.0)) * unit : 0.f);
    }
}

void drawRule(Canvas& canvas, float x0, float x1, float y, float weight, const Color& color, float fadeIn,
              float fadeOut) {
    const float half = weight * 0.5f;
    for (int py = static_cast<int>(std::floor(y - half - 1)); py <= static_cast<int>(y + half + 1); ++py) {
        float cy = std::clamp(half + 0.5f - std::fabs(py + 0.5f - y), 0.f, 1.f) * std::min(1.f, weight);
        if (cy <= 0.f)
            continue;
        for (int px = std::max(0, static_cast<int>(x0)); px <= std::min(canvas.width() - 1, static_cast<int>(x1));
             ++px) {
            float t = (px + 0.5f - x0) / (x1 - x0);
            float a = 1.f;
            if (fadeIn > 0.f && t < fadeIn)
                a = std::sin(t / fadeIn * 1.5708f);
            if (fadeOut > 0.f && t > 1.f - fadeOut)
                a = std::min(a, std::sin((1.f - t) / fadeOut * 1.5708f));
            if (t >= 0.f && t <= 1.f)
                canvas.blendOver(px, py, color, cy * a * a);
        }
    }
}

bool drawGlowingText(Canvas& canvas, const TextStyle& style, const std::string& text, float x, float y,
                     Anchor anchor, const Color& color, const Color& glowColor, float glowSigma, float glowAmount,
                     std::string& error) {
    Canvas glow(canvas.width(), canvas.height());
    if (!drawText(glow, style, text, x, y, anchor, glowColor, error))
        return false;
    glow.blur(glowSigma, false);
    canvas.compositeAdd(glow, glowAmount);
    return drawText(canvas, style, text, x, y, anchor, color, error);
}

} // namespace qelFramework::forge
