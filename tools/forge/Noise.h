#pragma once
// Smooth gradient noise that repeats with a whole-number period, so pictures made from
// it tile seamlessly, and its fractal sum.

#include <cstdint>

namespace qelFramework::forge {

class TileNoise {
public:
    explicit TileNoise(std::uint32_t seed);

    // Noise in about [-1, 1] at (x, y) in lattice units, repeating every periodX x periodY.
    float at(float x, float y, int periodX, int periodY) const;

    // Sum of octaves: each octave doubles the frequency (and the period) and multiplies
    // the amplitude by gain. Normalised to about [-1, 1].
    float fractal(float x, float y, int periodX, int periodY, int octaves, float gain) const;

private:
    float gradientDot(int ix, int iy, float dx, float dy) const;
    std::uint8_t perm[512];
};

} // namespace qelFramework::forge
