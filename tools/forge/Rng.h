#pragma once
// A small deterministic random generator (PCG32) for the forge: the same seed gives the
// same content on every run and every machine.
#include <cmath>
#include <cstdint>

namespace qelFramework::forge {

class Rng {
public:
    explicit Rng(std::uint64_t seed, std::uint64_t stream = 54) {
        inc = (stream << 1u) | 1u;
        next();
        state += seed;
        next();
    }

    std::uint32_t next() {
        std::uint64_t old = state;
        state = old * 6364136223846793005ULL + inc;
        auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
        auto rot = static_cast<std::uint32_t>(old >> 59u);
        return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
    }

    // [0, 1)
    double uniform() { return (next() >> 8) * (1.0 / 16777216.0); }
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // 0 .. n-1
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(uniform() * n); }
    bool chance(double p) { return uniform() < p; }
    // Standard normal (Box-Muller, one value per call).
    double gaussian() {
        double u1 = uniform(), u2 = uniform();
        if (u1 < 1e-12)
            u1 = 1e-12;
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }

private:
    std::uint64_t state = 0, inc = 0;
};

} // namespace qelFramework::forge
