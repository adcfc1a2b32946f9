#include "Canvas.h"
#include "Rng.h"

#include "platform/ImageWriter.h"

#include <algorithm>
#include <cmath>

namespace qelFramework::forge {

Color mix(const Color& a, const Color& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Canvas::Canvas(int width, int height) : w(width), h(height), data(static_cast<size_t>(width) * height * 4, 0.f) {}

void Canvas::fill(const Color& c) {
    for (size_t i = 0; i < data.size(); i += 4) {
        data[i] = c.r * c.a;
        data[i + 1] = c.g * c.a;
        data[i + 2] = c.b * c.a;
        data[i + 3] = c.a;
    }
}

void Canvas::shade(const std::function<Color(float, float)>& colorAt) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Color c = colorAt(x + 0.5f, y + 0.5f);
            float* p = pixel(x, y);
            p[0] = c.r * c.a;
            p[1] = c.g * c.a;
            p[2] = c.b * c.a;
            p[3] = c.a;
        }
}

void Canvas::blendOver(int x, int y, const Color& c, float coverage) {
    if (x < 0 || y < 0 || x >= w || y >= h)
        return;
    float a = c.a * coverage;
    if (a <= 0.f)
        return;
    float* p = pixel(x, y);
    float k = 1.f - a;
    p[0] = c.r * a + p[0] * k;
    p[1] = c.g * a + p[1] * k;
    p[2] = c.b * a + p[2] * k;
    p[3] = a + p[3] * k;
}

void Canvas::addLight(int x, int y, const Color& c, float amount) {
    if (x < 0 || y < 0 || x >= w || y >= h || amount <= 0.f)
        return;
    float* p = pixel(x, y);
    p[0] += c.r * amount;
    p[1] += c.g * amount;
    p[2] += c.b * amount;
    p[3] = std::min(1.f, p[3] + c.a * amount);
}

namespace {
float smooth01(float t) {
    t = std::clamp(t, 0.f, 1.f);
    return t * t * (3.f - 2.f * t);
}
} // namespace

void Canvas::softDisc(float cx, float cy, float radius, float softness, const Color& c) {
    float reach = radius + softness + 1.f;
    int x0 = std::max(0, static_cast<int>(std::floor(cx - reach))), x1 = std::min(w - 1, static_cast<int>(cx + reach));
    int y0 = std::max(0, static_cast<int>(std::floor(cy - reach))), y1 = std::min(h - 1, static_cast<int>(cy + reach));
    float soft = std::max(softness, 0.5f);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
            float cov = 1.f - smooth01((d - (radius - soft)) / (2.f * soft));
            blendOver(x, y, c, cov);
        }
}

void Canvas::glow(float cx, float cy, float sigma, const Color& c, float amount) {
    float reach = sigma * 3.5f + 1.f;
    int x0 = std::max(0, static_cast<int>(std::floor(cx - reach))), x1 = std::min(w - 1, static_cast<int>(cx + reach));
    int y0 = std::max(0, static_cast<int>(std::floor(cy - reach))), y1 = std::min(h - 1, static_cast<int>(cy + reach));
    float k = -0.5f / (sigma * sigma);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            addLight(x, y, c, amount * std::exp((dx * dx + dy * dy) * k));
        }
}

void Canvas::line(float x0, float y0, float x1, float y1, float width, const Color& c) {
    float half = width * 0.5f;
    float reach = half + 1.5f;
    int bx0 = std::max(0, static_cast<int>(std::floor(std::min(x0, x1) - reach)));
    int bx1 = std::min(w - 1, static_cast<int>(std::max(x0, x1) + reach));
    int by0 = std::max(0, static_cast<int>(std::floor(std::min(y0, y1) - reach)));
    int by1 = std::min(h - 1, static_cast<int>(std::max(y0, y1) + reach));
    float dx = x1 - x0, dy = y1 - y0;
    float len2 = dx * dx + dy * dy;
    for (int y = by0; y <= by1; ++y)
        for (int x = bx0; x <= bx1; ++x) {
            float px = x + 0.5f - x0, py = y + 0.5f - y0;
            float t = len2 > 0.f ? std::clamp((px * dx + py * dy) / len2, 0.f, 1.f) : 0.f;
            float d = std::hypot(px - t * dx, py - t * dy);
            // Lines thinner than a pixel are drawn a pixel wide and faded by their width,
            // so they keep their weight instead of breaking up.
            float cov = std::clamp(std::max(half, 0.5f) + 0.5f - d, 0.f, 1.f) * std::min(1.f, width);
            blendOver(x, y, c, cov);
        }
}

void Canvas::polyline(const std::vector<float>& points, float width, const Color& c) {
    // Drawn into a coverage mask first so joints are not covered twice.
    Canvas mask(w, h);
    Color white{1, 1, 1, 1};
    for (size_t i = 0; i + 3 < points.size(); i += 2)
        mask.line(points[i], points[i + 1], points[i + 2], points[i + 3], width, white);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float cov = mask.pixel(x, y)[3];
            if (cov > 0.f)
                blendOver(x, y, c, cov);
        }
}

namespace {
// One box pass along rows (stride 1) or columns, radius r.
void boxPass(std::vector<float>& v, int w, int h, int r, bool horizontal, bool wrap) {
    const int len = horizontal ? w : h, lines = horizontal ? h : w;
    std::vector<float> line(static_cast<size_t>(len) * 4), out(static_cast<size_t>(len) * 4);
    const float norm = 1.f / (2 * r + 1);
    auto idx = [&](int line_, int i) {
        return horizontal ? (static_cast<size_t>(line_) * w + i) * 4 : (static_cast<size_t>(i) * w + line_) * 4;
    };
    auto at = [&](int i) {
        if (wrap)
            i = ((i % len) + len) % len;
        else
            i = std::clamp(i, 0, len - 1);
        return &line[static_cast<size_t>(i) * 4];
    };
    for (int l = 0; l < lines; ++l) {
        for (int i = 0; i < len; ++i)
            std::copy_n(&v[idx(l, i)], 4, &line[static_cast<size_t>(i) * 4]);
        double sum[4] = {0, 0, 0, 0};
        for (int i = -r; i <= r; ++i)
            for (int c = 0; c < 4; ++c)
                sum[c] += at(i)[c];
        for (int i = 0; i < len; ++i) {
            for (int c = 0; c < 4; ++c)
                out[static_cast<size_t>(i) * 4 + c] = static_cast<float>(sum[c] * norm);
            const float* add = at(i + r + 1);
            const float* sub = at(i - r);
            for (int c = 0; c < 4; ++c)
                sum[c] += add[c] - sub[c];
        }
        for (int i = 0; i < len; ++i)
            std::copy_n(&out[static_cast<size_t>(i) * 4], 4, &v[idx(l, i)]);
    }
}
// One pass of a sampled gaussian kernel, for blurs too small for box passes.
void kernelPass(std::vector<float>& v, int w, int h, float sigma, bool horizontal, bool wrap) {
    const int r = std::max(1, static_cast<int>(std::ceil(sigma * 3.f)));
    std::vector<float> k(static_cast<size_t>(2 * r + 1));
    float sum = 0.f;
    for (int i = -r; i <= r; ++i)
        sum += k[static_cast<size_t>(i + r)] = std::exp(-0.5f * i * i / (sigma * sigma));
    for (float& x : k)
        x /= sum;
    const std::vector<float> src = v;
    const int len = horizontal ? w : h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float acc[4] = {0, 0, 0, 0};
            const int pos = horizontal ? x : y;
            for (int i = -r; i <= r; ++i) {
                int q = pos + i;
                q = wrap ? ((q % len) + len) % len : std::clamp(q, 0, len - 1);
                const float* s = &src[(horizontal ? static_cast<size_t>(y) * w + q : static_cast<size_t>(q) * w + x) * 4];
                for (int c = 0; c < 4; ++c)
                    acc[c] += s[c] * k[static_cast<size_t>(i + r)];
            }
            std::copy_n(acc, 4, &v[(static_cast<size_t>(y) * w + x) * 4]);
        }
}
} // namespace

void Canvas::blur(float sigma, bool wrap) {
    if (sigma <= 0.f)
        return;
    if (sigma < 2.f) {
        kernelPass(data, w, h, sigma, true, wrap);
        kernelPass(data, w, h, sigma, false, wrap);
        return;
    }
    int r = static_cast<int>(std::lround((std::sqrt(12.f * sigma * sigma / 3.f + 1.f) - 1.f) * 0.5f));
    if (r < 1)
        r = 1;
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(data, w, h, r, true, wrap);
        boxPass(data, w, h, r, false, wrap);
    }
}

void Canvas::compositeOver(const Canvas& layer, float opacity) {
    for (size_t i = 0; i < data.size(); i += 4) {
        float a = layer.data[i + 3] * opacity, k = 1.f - a;
        for (int c = 0; c < 3; ++c)
            data[i + c] = layer.data[i + c] * opacity + data[i + c] * k;
        data[i + 3] = a + data[i + 3] * k;
    }
}

void Canvas::compositeAdd(const Canvas& layer, float amount) {
    for (size_t i = 0; i < data.size(); i += 4) {
        for (int c = 0; c < 3; ++c)
            data[i + c] += layer.data[i + c] * amount;
        data[i + 3] = std::min(1.f, data[i + 3] + layer.data[i + 3] * amount);
    }
}

std::vector<std::uint8_t> Canvas::toBytes(int channels, std::uint64_t ditherSeed) const {
    std::vector<std::uint8_t> out(static_cast<size_t>(w) * h * channels);
    Rng rng(ditherSeed ? ditherSeed : 1);
    for (size_t p = 0, n = static_cast<size_t>(w) * h; p < n; ++p) {
        const float* s = &data[p * 4];
        float a = std::clamp(s[3], 0.f, 1.f);
        float rgb[3];
        for (int c = 0; c < 3; ++c) {
            float v = s[c];
            if (channels == 4)
                v = a > 1e-6f ? v / a : 0.f;
            rgb[c] = v;
        }
        float d = ditherSeed ? static_cast<float>(rng.uniform() + rng.uniform() - 1.0) : 0.f;
        for (int c = 0; c < 3; ++c)
            out[p * channels + c] =
                static_cast<std::uint8_t>(std::clamp(std::lround(rgb[c] * 255.f + d * 0.5f), 0L, 255L));
        if (channels == 4)
            out[p * 4 + 3] = static_cast<std::uint8_t>(std::clamp(std::lround(a * 255.f), 0L, 255L));
    }
    return out;
}

bool savePng(const Canvas& canvas, const std::string& path, int channels, std::uint64_t ditherSeed,
             std::string& error) {
    return qelFramework::platform::writePng(path, canvas.width(), canvas.height(), channels,
                                            canvas.toBytes(channels, ditherSeed), error);
}

} // namespace qelFramework::forge
