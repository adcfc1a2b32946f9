// The layers' sines, cosines and powers are the correctly rounded floats, which every
// system computes alike, and no layer reaches past them to the C library's float ones.
#include "base/PortableMath.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <regex>

using namespace qelFramework;

namespace {
// A repeatable float in [low, high).
struct Draws {
    std::uint32_t state = 2463534242u;
    float next(float low, float high) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return low + (high - low) * static_cast<float>(state >> 8) / 16777216.0f;
    }
};
} // namespace

TEST(PortableMath, SinesCosinesAndPowersAreTheCorrectlyRoundedFloats) {
    // The reference: the long double functions, 11 bits finer than a double, rounded.
    Draws draws;
    int sines = 0, powers = 0;
    for (int i = 0; i < 20000; ++i) {
        // Angles as the layers make them: times, phases and products up to thousands.
        const float x = i % 4 == 0 ? draws.next(-4000.0f, 4000.0f) : draws.next(-40.0f, 40.0f);
        ASSERT_EQ(portableSin(x), static_cast<float>(std::sin(static_cast<long double>(x)))) << "sin " << x;
        ASSERT_EQ(portableCos(x), static_cast<float>(std::cos(static_cast<long double>(x)))) << "cos " << x;
        ++sines;
        const float base = draws.next(0.0f, 4.0f), exponent = draws.next(-5.0f, 20.0f);
        ASSERT_EQ(portablePow(base, exponent),
                  static_cast<float>(std::pow(static_cast<long double>(base), static_cast<long double>(exponent))))
            << base << " to the " << exponent;
        ++powers;
    }
    EXPECT_EQ(sines + powers, 40000);
    // The edges: exact values, zero to a power, and what is not a number.
    EXPECT_EQ(portableSin(0.0f), 0.0f);
    EXPECT_EQ(portableCos(0.0f), 1.0f);
    EXPECT_EQ(portablePow(0.0f, 3.0f), 0.0f);
    EXPECT_EQ(portablePow(2.0f, 10.0f), 1024.0f);
    EXPECT_TRUE(std::isnan(portableSin(NAN)));
    EXPECT_TRUE(std::isnan(portablePow(-1.0f, 0.5f)));
}

TEST(PortableMath, NoLayerCallsTheLibrarysFloatSineCosineOrPower) {
    const std::regex call("\\b(std::(sin|cos|pow)|sinf|cosf|powf)\\s*\\(");
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(std::string(QM_SOURCE_DIR) + "/layers")) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h")
            continue;
        ++files;
        const std::string text = qmtest::readFile(entry.path().string());
        std::smatch found;
        EXPECT_FALSE(std::regex_search(text, found, call)) << found.str() << " in " << entry.path();
    }
    EXPECT_GT(files, 20); // the scan found the layers
}
