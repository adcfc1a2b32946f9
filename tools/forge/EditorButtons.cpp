// The sync editor's button pictures: the four segment shapes as their curves, the seven
// endpoint presets as small from-to diagrams, and play, pause and record. Night tiles
// with a paper rim; curves in ember light, key values in sky light.
#include "ArtDirection.h"
#include "Canvas.h"
#include "Products.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace qelFramework::forge {

namespace {

constexpr int kSize = 64;
// The editor draws a picture a little larger than the button's click area (by 1/7 of
// its width left and right, 2/13 of its height above and 1/13 below); the tile fills
// just the click area, so that neighbouring buttons keep a gap.
constexpr float kTileLeft = 9.5f, kTileRight = 54.5f, kTileTop = 10.f, kTileBottom = 59.f;
constexpr float kMidY = (kTileTop + kTileBottom) * 0.5f;
// The diagram's frame inside the tile: value 1 at kTop, value 0 at kBottom.
constexpr float kLeft = 17.f, kRight = 47.f, kTop = 19.f, kBottom = 50.f;

// Covers the pixels where the signed distance (negative inside) is below zero, with a
// one-pixel soft edge.
void fillShape(Canvas& c, const std::function<float(float, float)>& distance, const Color& color) {
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            float coverage = std::clamp(0.5f - distance(x + 0.5f, y + 0.5f), 0.f, 1.f);
            if (coverage > 0.f)
                c.blendOver(x, y, color, coverage);
        }
}

float roundedBox(float x, float y, float x0, float y0, float x1, float y1, float radius) {
    float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    float qx = std::fabs(x - cx) - ((x1 - x0) * 0.5f - radius);
    float qy = std::fabs(y - cy) - ((y1 - y0) * 0.5f - radius);
    float outside = std::hypot(std::max(qx, 0.f), std::max(qy, 0.f));
    return outside + std::min(std::max(qx, qy), 0.f) - radius;
}

// The dark tile every button stands on.
void drawTile(Canvas& c, const Color& rim) {
    auto tile = [](float x, float y) { return roundedBox(x, y, kTileLeft, kTileTop, kTileRight, kTileBottom, 7.f); };
    fillShape(c, tile, art::kInk.withAlpha(0.92f));
    // The night sky's glow, fading from the top edge down.
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            float inside = std::clamp(-0.5f - tile(x + 0.5f, y + 0.5f), 0.f, 1.f);
            c.blendOver(x, y, art::kDusk, inside * 0.55f * std::clamp(1.f - (y - kTileTop) / 32.f, 0.f, 1.f));
        }
    fillShape(c, [&](float x, float y) { return std::fabs(tile(x, y) + 0.75f) - art::kHairline * 0.5f; }, rim);
}

// Faint guides at the values 0 and 1.
void drawGuides(Canvas& c) {
    const Color guide = art::kPaper.withAlpha(0.22f);
    c.line(kLeft - 3.f, kTop, kRight + 3.f, kTop, 1.f, guide);
    c.line(kLeft - 3.f, kBottom, kRight + 3.f, kBottom, 1.f, guide);
}

float smooth(float x) {
    float s = std::clamp(x, 0.f, 1.f);
    return (3.f - 2.f * s) * s * s;
}

void drawCurve(Canvas& c, const std::function<float(float)>& h) {
    drawGuides(c);
    std::vector<float> points;
    for (int i = 0; i <= 48; ++i) {
        float u = i / 48.f;
        points.push_back(kLeft + (kRight - kLeft) * u);
        points.push_back(kBottom + (kTop - kBottom) * h(u));
    }
    c.polyline(points, art::kStroke * 0.85f, art::kEmber);
    c.softDisc(kLeft, kBottom, 2.2f, 0.6f, art::kPaper);
    c.softDisc(kRight, kTop, 2.2f, 0.6f, art::kPaper);
}

// An end of a preset diagram: a key's own value (a sky ring at a middle height), or the
// fixed value 0 or 1 (an ember dot on its guide).
enum class End { Value, Zero, One };

float endY(End e, float valueY) { return e == End::Zero ? kBottom : e == End::One ? kTop : valueY; }

void drawEnd(Canvas& c, End e, float x, float y) {
    if (e == End::Value)
        fillShape(c, [x, y](float px, float py) { return std::fabs(std::hypot(px - x, py - y) - 3.4f) - 1.f; },
                  art::kSky);
    else
        c.softDisc(x, y, 3.6f, 0.6f, art::kEmber);
}

void drawPreset(Canvas& c, End from, End to) {
    drawGuides(c);
    // The two key values sit at different heights, so that "value to value" reads as a slope.
    const float y0 = endY(from, 38.f), y1 = endY(to, 30.f);
    c.line(kLeft, y0, kRight, y1, art::kStroke * 0.7f, art::kPaper.withAlpha(0.85f));
    drawEnd(c, from, kLeft, y0);
    drawEnd(c, to, kRight, y1);
}

void drawTriangle(Canvas& c, const Color& color) {
    // Pointing right, its centre of area a little right of the tile's centre.
    const float ax = 25.f, ay = kMidY - 13.f, bx = 25.f, by = kMidY + 13.f, cx = 45.f, cy = kMidY;
    auto edge = [](float px, float py, float x0, float y0, float x1, float y1) {
        float nx = y1 - y0, ny = x0 - x1, len = std::hypot(nx, ny);
        return -((px - x0) * nx + (py - y0) * ny) / len; // negative inside

    };
    fillShape(c,
              [&](float x, float y) {
                  return std::max({edge(x, y, ax, ay, bx, by), edge(x, y, bx, by, cx, cy), edge(x, y, cx, cy, ax, ay)});
              },
              color);
}

} // namespace

bool makeEditorButton(EditorButton which, const std::string& path, std::string& note, std::string& error) {
    Canvas c(kSize, kSize);
    c.fill(Color{0, 0, 0, 0});
    const bool record = which == EditorButton::Record;
    drawTile(c, (record ? art::kFlare : art::kPaper).withAlpha(0.45f));
    switch (which) {
    case EditorButton::Linear: drawCurve(c, [](float u) { return u; }); break;
    case EditorButton::Smoothstep: drawCurve(c, [](float u) { return smooth(u); }); break;
    case EditorButton::Exponential: drawCurve(c, [](float u) { return smooth(u * u); }); break;
    case EditorButton::MinExponential: drawCurve(c, [](float u) { return smooth(1.f - (1.f - u) * (1.f - u)); }); break;
    case EditorButton::ValVal: drawPreset(c, End::Value, End::Value); break;
    case EditorButton::ValZero: drawPreset(c, End::Value, End::Zero); break;
    case EditorButton::ValOne: drawPreset(c, End::Value, End::One); break;
    case EditorButton::ZeroVal: drawPreset(c, End::Zero, End::Value); break;
    case EditorButton::OneVal: drawPreset(c, End::One, End::Value); break;
    case EditorButton::OneOne: drawPreset(c, End::One, End::One); break;
    case EditorButton::ZeroZero: drawPreset(c, End::Zero, End::Zero); break;
    case EditorButton::Play: drawTriangle(c, art::kSky); break;
    case EditorButton::Pause:
        fillShape(c, [](float x, float y) { return roundedBox(x, y, 23.5f, kMidY - 12.f, 29.5f, kMidY + 12.f, 1.5f); },
                  art::kPaper);
        fillShape(c, [](float x, float y) { return roundedBox(x, y, 34.5f, kMidY - 12.f, 40.5f, kMidY + 12.f, 1.5f); },
                  art::kPaper);
        break;
    case EditorButton::Record:
        c.glow(32.f, kMidY, 8.f, art::kFlare, 0.35f);
        c.softDisc(32.f, kMidY, 9.5f, 0.7f, art::kFlare);
        break;
    }
    if (!savePng(c, path, 4, 0, error))
        return false;
    note = "64x64 RGBA";
    return true;
}

} // namespace qelFramework::forge
