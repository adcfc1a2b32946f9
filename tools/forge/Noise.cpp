#include "Noise.h"
#include "Rng.h"

#include <cmath>

namespace qelFramework::forge {

TileNoise::TileNoise(std::uint32_t seed) {
    for (int i = 0; i < 256; ++i)
        perm[i] = static_cast<std::uint8_t>(i);
    Rng rng(seed, 7);
    for (int i = 255; i > 0; --i) {
        int j = rng.below(i + 1);
        std::uint8_t t = perm[i];
        perm[i] = perm[j];
        perm[j] = t;
    }
    for (int i = 0; i < 256; ++i)
        perm[256 + i] = perm[i];
}

float TileNoise::gradientDot(int ix, int iy, float dx, float dy) const {
    static const float gx[8] = {1, -1, 0, 0, 0.7071f, -0.7071f, 0.7071f, -0.7071f};
    static const float gy[8] = {0, 0, 1, -1, 0.7071f, 0.7071f, -0.7071f, -0.7071f};
    int h = perm[perm[ix & 255] + (iy & 255)] & 7;
    return gx[h] * dx + gy[h] * dy;
}

namespace {
float fade(float t) { return t * t * t * (t * (t * 6.f - 15.f) + 10.f); }
int wrap(int i, int period) { return ((i % period) + period) % period; }
} // namespace

float TileNoise::at(float x, float y, int periodX, int periodY) const {
    if (periodX < 1)
        periodX = 1;
    if (periodY < 1)
        periodY = 1;
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    float fx = x - x0, fy = y - y0;
    int ax = wrap(x0, periodX), bx = wrap(x0 + 1, periodX);
    int ay = wrap(y0, periodY), by = wrap(y0 + 1, periodY);
    float n00 = gradientDot(ax, ay, fx, fy), n10 = gradientDot(bx, ay, fx - 1, fy);
    float n01 = gradientDot(ax, by, fx, fy - 1), n11 = gradientDot(bx, by, fx - 1, fy - 1);
    float u = fade(fx), v = fade(fy);
    float top = n00 + (n10 - n00) * u, bottom = n01 + (n11 - n01) * u;
    return (top + (bottom - top) * v) * 1.41f;
}

float TileNoise::fractal(float x, float y, int periodX, int periodY, int octaves, float gain) const {
    float sum = 0.f, amplitude = 1.f, norm = 0.f;
    for (int o = 0; o < octaves; ++o) {
        sum += at(x, y, periodX, periodY) * amplitude;
        norm += amplitude;
        amplitude *= gain;
        x *= 2.f;
        y *= 2.f;
        periodX *= 2;
        periodY *= 2;
    }
    return norm > 0.f ? sum / norm : 0.f;
}

} // namespace qelFramework::forge
