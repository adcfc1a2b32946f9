#include "sync/SyncText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace qelFramework;

TEST(SyncText, FloatsReadBackToTheSameBitsInTheirShortestForm) {
    const std::pair<float, const char*> plain[] = {{0.2f, "0.2"},     {100.0f, "100"},  {12.5f, "12.5"},
                                                   {1e-5f, "1e-05"},  {-0.0f, "-0"},    {1.0f / 3, "0.33333334"},
                                                   {259.99f, "259.99"}, {3e9f, "3e+09"}};
    for (auto [f, text] : plain)
        EXPECT_EQ(formatSyncFloat(f), text);
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) {
        const std::uint32_t bits = i < 4 ? std::uint32_t{0x7f800000} + i : static_cast<std::uint32_t>(random());
        float f, back;
        std::memcpy(&f, &bits, 4);
        ASSERT_TRUE(parseSyncFloat(formatSyncFloat(f), back)) << formatSyncFloat(f);
        ASSERT_EQ(std::memcmp(&f, &back, 4), 0) << formatSyncFloat(f);
    }
    float f;
    for (const char* bad : {"", "x", "1.5s", "1e50", "nan:0", "nan:7fc0000g", "nan:123456789", " 1"})
        EXPECT_FALSE(parseSyncFloat(bad, f)) << bad;
}

TEST(SyncText, ErrorsNameTheLineAndWhatWasExpected) {
    const std::pair<const char*, const char*> bad[] = {
        {"1 2\n", "line 1: expected 'controller \"NAME\"' before the first key"},
        {"controller \"a\"\n1 2\n0 3\n", "line 3: key time 0 lies before the previous key's time 1"},
        {"controller \"a\"\n1 2 linear\n", "line 2: expected only TIME VALUE"},
        {"controller \"a\"\n1 2\n2 3 valzero\n", "line 3: expected a shape"},
        {"controller \"a\"\n1 2\n2 3 linear flat\n", "line 3: expected a preset"},
        {"controller \"a\"\n1 2\n2 3 linear valval x\n", "line 3: expected a key TIME VALUE"},
        {"controller \"a\"\n1 x\n", "line 2: expected a value"},
        {"controller \"a\"\n\ncontroller \"a\"\n", "line 3: controller \"a\" was already given on line 1"},
        {"controller a\n", "line 1: expected a name in double quotes"},
        {"controller \"a\n", "line 1: expected a closing '\"'"},
        {"controller \"a\\n\"\n", "line 1: expected \\\", \\\\ or \\x"},
        {"controller \"a\\x00\"\n", "line 1: expected a name without a zero byte"},
        {"controller \"a\" \"b\"\n", "line 1: expected nothing after the name"},
    };
    for (auto [text, message] : bad) {
        std::vector<SyncFileRecord> records;
        std::string error;
        EXPECT_FALSE(parseSyncText(text, records, error)) << text;
        EXPECT_EQ(error.rfind(message, 0), 0u) << error;
    }
    std::vector<SyncFileRecord> records;
    std::string error;
    EXPECT_FALSE(parseSyncText("controller \"" + std::string(512, 'n') + "\"\n", records, error));
    EXPECT_TRUE(parseSyncText("controller \"" + std::string(511, 'n') + "\"\n", records, error)) << error;
}
