// The framing pictures: loading picture, distortion field, film grain, border frame and
// the group's logo overlay.
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

bool makeLoadingPicture(const std::string& path, std::string& note, std::string& error) {
    const int W = 1280, H = 720;
    const float horizon = H * 0.80f;
    Canvas c(W, H);
    TileNoise haze(101);
    // Night sky: deep at the top, lighter towards the horizon, with faint drifting haze.
    c.shade([&](float x, float y) {
        float t = std::pow(std::clamp(y / horizon, 0.f, 1.f), 1.6f);
        Color sky = mix(art::kNight, art::kDusk, t);
        float n = haze.fractal(x / 320.f, y / 180.f, 4, 4, 4, 0.55f) * 0.5f + 0.5f;
        float veil = n * n * 0.10f * (0.3f + 0.7f * t);
        sky = mix(sky, art::kSky, veil * 0.5f);
        // Warm light rising from the town below.
        float warm = std::exp(-std::pow((horizon - y) / 90.f, 2.f)) * 0.22f;
        return mix(sky, art::kEmber, warm);
    });
    drawStars(c, horizon - 20.f, 420, 7);
    // The town: a far row of houses in haze, a near row with lit windows.
    drawSkyline(c, static_cast<float>(H), H - horizon + 40.f, mix(art::kDusk, art::kInk, 0.45f),
                Color{0, 0, 0, 0}, 23);
    drawSkyline(c, static_cast<float>(H), H - horizon - 10.f, art::kInk, art::kEmber, 19);

    // Title, its quill and caption, centred a little above the middle.
    TextStyle title{art::kTitleFont, 112, art::kTitleTracking};
    const float titleY = H * 0.47f;
    if (!drawGlowingText(c, title, "quillmont", W / 2.f, titleY, Anchor::Centre, art::kPaper, art::kEmber, 14.f,
                         0.55f, error))
        return false;
    TextBox box;
    if (!measureText(title, "quillmont", box, error))
        return false;
    // A hairline under the title, fading at both ends, with the quill resting on it.
    const float ruleY = titleY + 46.f, half = box.advance * 0.5f + 40.f;
    drawRule(c, W / 2.f - half, W / 2.f + half, ruleY, art::kHairline, art::kPaper.withAlpha(0.45f), 0.5f, 0.5f);
    drawQuill(c, W / 2.f - 110.f, ruleY + 10.f, 230.f, -0.2f, art::kFlare, art::kEmber, art::kHairline);
    c.glow(W / 2.f - 110.f, ruleY + 10.f, 4.f, art::kFlare, 0.6f);
    TextStyle caption{art::kTextFont, 17, 0.42f};
    if (!drawText(c, caption, "a vorlix production", W / 2.f, ruleY + 58.f, Anchor::Centre,
                  art::kPaper.withAlpha(0.6f), error))
        return false;

    if (!savePng(c, path, 3, 0x10AD, error))
        return false;
    note = sizeNote(W, H, "RGB");
    return true;
}

bool makeDistortionField(const std::string& path, std::string& note, std::string& error) {
    // Red and green hold the shift in x and y, 0.5 meaning none. The field repeats in
    // both directions: it scrolls in y.
    const int S = 256;
    TileNoise nx(211), ny(223);
    std::vector<float> fx(S * S), fy(S * S);
    double mean[2] = {0, 0};
    float peak = 0.f;
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float u = x * 4.f / S, v = y * 4.f / S;
            float a = nx.fractal(u, v, 4, 4, 3, 0.45f), b = ny.fractal(u, v, 4, 4, 3, 0.45f);
            fx[y * S + x] = a;
            fy[y * S + x] = b;
            mean[0] += a;
            mean[1] += b;
        }
    mean[0] /= S * S;
    mean[1] /= S * S;
    for (int i = 0; i < S * S; ++i) {
        fx[i] -= static_cast<float>(mean[0]);
        fy[i] -= static_cast<float>(mean[1]);
        peak = std::max({peak, std::fabs(fx[i]), std::fabs(fy[i])});
    }
    const float scale = peak > 0.f ? 0.46f / peak : 0.f;
    std::vector<std::uint8_t> bytes(static_cast<size_t>(S) * S * 3);
    for (int i = 0; i < S * S; ++i) {
        bytes[i * 3] = static_cast<std::uint8_t>(std::lround(127.5f + 255.f * fx[i] * scale));
        bytes[i * 3 + 1] = static_cast<std::uint8_t>(std::lround(127.5f + 255.f * fy[i] * scale));
        bytes[i * 3 + 2] = 128;
    }
    if (!platform::writePng(path, S, S, 3, bytes, error))
        return false;
    note = sizeNote(S, S, "RGB");
    return true;
}

bool makeFilmGrain(const std::string& path, std::string& note, std::string& error) {
    // Fine grain: white noise softened a little so single grains span one or two pixels,
    // with a slight clumping at a coarser scale. Grey, repeating in both directions.
    const int S = 512;
    Rng rng(0x6A41);
    Canvas fine(S, S), clumps(S, S);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float g = static_cast<float>(rng.gaussian());
            fine.pixel(x, y)[0] = g;
            float k = static_cast<float>(rng.gaussian());
            clumps.pixel(x, y)[0] = k;
        }
    fine.blur(0.6f, true);
    clumps.blur(1.6f, true);
    std::vector<float> v(static_cast<size_t>(S) * S);
    double sum = 0, sum2 = 0;
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float g = fine.pixel(x, y)[0] + clumps.pixel(x, y)[0] * 0.9f;
            v[y * S + x] = g;
            sum += g;
            sum2 += g * g;
        }
    const double n = static_cast<double>(S) * S;
    const double m = sum / n, sd = std::sqrt(std::max(1e-12, sum2 / n - m * m));
    std::vector<std::uint8_t> bytes(static_cast<size_t>(S) * S * 3);
    for (size_t i = 0; i < v.size(); ++i) {
        double g = 0.5 + (v[i] - m) / sd * 0.16;
        auto b = static_cast<std::uint8_t>(std::clamp(std::lround(g * 255.0), 0L, 255L));
        bytes[i * 3] = bytes[i * 3 + 1] = bytes[i * 3 + 2] = b;
    }
    if (!platform::writePng(path, S, S, 3, bytes, error))
        return false;
    note = sizeNote(S, S, "RGB grey");
    return true;
}

bool makeBorderFrame(const std::string& path, std::string& note, std::string& error) {
    // An ink rim with rounded corners, opaque at the edge, fading to nothing well before
    // the middle, plus a faint vignette. Symmetric top to bottom: it is drawn unflipped.
    const int W = 1280, H = 720;
    const float rim = 10.f, fade = 120.f, corner = 48.f;
    Canvas c(W, H);
    c.shade([&](float x, float y) {
        // Distance inside a rounded rectangle inset by the corner radius.
        float qx = std::max(std::fabs(x - W / 2.f) - (W / 2.f - corner), 0.f);
        float qy = std::max(std::fabs(y - H / 2.f) - (H / 2.f - corner), 0.f);
        float outside = std::hypot(qx, qy);
        float inside = std::min(W / 2.f - std::fabs(x - W / 2.f), H / 2.f - std::fabs(y - H / 2.f));
        float d = outside > 0.f ? corner - outside : std::max(inside, corner - outside);
        d = std::min(d, inside);
        float edge = 1.f - smoothstep(rim, rim + fade, d);
        edge = edge * edge;
        float ex = (x - W / 2.f) / (W / 2.f), ey = (y - H / 2.f) / (H / 2.f);
        float vignette = 0.28f * smoothstep(0.55f, 1.35f, std::sqrt(ex * ex + ey * ey));
        float a = std::max(edge, vignette);
        if (a < 0.5f / 255.f)
            a = 0.f;
        return art::kInk.withAlpha(a);
    });
    if (!savePng(c, path, 4, 0, error))
        return false;
    note = sizeNote(W, H, "RGBA");
    return true;
}

bool makeLogoOverlay(const std::string& path, std::string& note, std::string& error) {
    // The group's mark in the lower right: "vorlix" in bold lower case with the quill
    // beside it and a hairline running off to the left; everything else transparent.
    const int W = 1280, H = 720;
    Canvas c(W, H);
    TextStyle logo{art::kLogoFont, 54, 0.02f};
    TextBox box;
    if (!measureText(logo, "vorlix", box, error))
        return false;
    const float right = W - 72.f, baseline = H - 70.f;
    const float left = right - box.advance;

    // A soft shadow keeps the mark legible over bright frames.
    Canvas shadow(W, H);
    if (!drawText(shadow, logo, "vorlix", right, baseline, Anchor::Right, art::kInk, error))
        return false;
    shadow.softDisc(left - 36.f, baseline - 38.f, 30.f, 14.f, art::kInk.withAlpha(0.5f));
    shadow.blur(9.f, false);
    c.compositeOver(shadow, 0.55f);

    drawQuill(c, left - 64.f, baseline + 4.f, 104.f, -1.0f, art::kFlare, art::kEmber, art::kStroke * 0.7f);
    drawRule(c, left - 380.f, left - 68.f, baseline + 4.f, art::kHairline, art::kPaper.withAlpha(0.55f), 1.f, 0.f);
    if (!drawText(c, logo, "vorlix", right, baseline, Anchor::Right, art::kPaper.withAlpha(0.94f), error))
        return false;
    if (!savePng(c, path, 4, 0, error))
        return false;
    note = sizeNote(W, H, "RGBA");
    return true;
}

} // namespace qelFramework::forge
