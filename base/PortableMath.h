#pragma once

#include <cmath>

namespace qelFramework {

// Sine, cosine and power of floats with the same bits on every system. The C
// libraries' float functions (sinf, cosf, powf) differ in the last bit for about one
// argument in a hundred, and the production's pictures, its particles and its random
// draws that follow from them must be the same wherever it runs. The double
// functions are accurate to within a bit of a double, so their results rounded to
// float are the correctly rounded float results, the same everywhere.
inline float portableSin(float x) { return static_cast<float>(std::sin(static_cast<double>(x))); }
inline float portableCos(float x) { return static_cast<float>(std::cos(static_cast<double>(x))); }
inline float portablePow(float x, float y) {
    return static_cast<float>(std::pow(static_cast<double>(x), static_cast<double>(y)));
}

// Doubles go to the double functions themselves.
float portableSin(double) = delete;
float portableCos(double) = delete;
float portablePow(double, double) = delete;
float portablePow(float, double) = delete;
float portablePow(double, float) = delete;

} // namespace qelFramework
