#include "sync/SyncController.h"
#include "sync/SyncText.h"

#include <gtest/gtest.h>

#include <cmath>
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
        {"controller \"a\"\n1 2 linear\n", "line 2: expected only TIME VALUE"},
        {"controller \"a\"\n1 2\n2 3 valzero\n", "line 3: expected a shape"},
        {"controller \"a\"\n1 2\n2 3 linear flat\n", "line 3: expected a preset"},
        {"controller \"a\"\n1 2\n2 3 linear valval x\n", "line 3: expected a key TIME VALUE"},
        {"controller \"a\"\n1 x\n", "line 2: expected a value"},
        {"controller a\n", "line 1: expected a name in double quotes"},
        {"controller \"a\n", "line 1: expected a closing '\"'"},
        {"controller \"a\\n\"\n", "line 1: expected \\\", \\\\ or \\x"},
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

// A binary file's bytes go into the message escaped and cut short: nothing raw reaches
// a terminal. Text in UTF-8 shows as it is.
TEST(SyncText, AWordInAnErrorShowsItsBytesEscaped) {
    const std::pair<std::string, std::string> bad[] = {
        {std::string("\x89PNG\r\n\x1a\n", 8), "line 1: expected 'controller \"NAME\"' before the first key, found "
                                               "'\\x89PNG'"},
        {std::string("\x1b[2J\x7f\x00z 1\n", 10), "line 1: expected 'controller \"NAME\"' before the first key, "
                                                    "found '\\x1b[2J\\x7f\\x00z'"},
        {"controller \"a\"\n1 \xc3\xa9t\xc3\n", "line 2: expected a value (a decimal number), found '\xc3\xa9t\\xc3'"},
        {"controller \"a\"\n1 2\n2 3 " + std::string(100, '\x01') + "\n",
         "line 3: expected a shape (linear, smoothstep, exponential, minexponential or a number), found '" +
             [] { std::string s; for (int i = 0; i < 40; ++i) s += "\\x01"; return s; }() + "...'"},
    };
    for (const auto& [text, message] : bad) {
        std::vector<SyncFileRecord> records;
        std::string error;
        EXPECT_FALSE(parseSyncText(text, records, error));
        EXPECT_EQ(error, message);
    }
}

TEST(SyncText, WhatTheProgramWouldChangeIsAcceptedWithANote) {
    // Keys out of time order, a name given again and a zero byte in a name: all come
    // back from the text as stored, each change the reader would make noted once.
    const char* const text = "controller \"a\"\n1 2\n0 3\n-1 4 smoothstep\n"
                             "controller \"b\\x00c\"\n5 0\n"
                             "controller \"a\"\n7 1\n"
                             "controller \"n\"\nnan 0.5\n2 0.8\n1 0.2\nnan:7fc00001 0\n";
    std::vector<SyncFileRecord> records;
    std::vector<std::string> notes;
    std::string error;
    ASSERT_TRUE(parseSyncText(text, records, error, &notes)) << error;
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].keys[1].time, 0.0f);
    EXPECT_EQ(records[3].keys.size(), 4u);
    EXPECT_EQ(records[0].keys[2].kind, smoothstep);
    EXPECT_EQ(records[1].name, std::string("b\0c", 3));
    EXPECT_EQ(notes, (std::vector<std::string>{
                         "line 3: key time 0 lies before the previous key's time 1; the program sorts the keys by time",
                         "line 4: key time -1 lies before the previous key's time 0; the program sorts the keys by time",
                         "line 5: the name holds a zero byte; the program reads it as \"b\"",
                         "line 7: controller \"a\" was already given on line 1; the program reads only the later one",
                         "line 10: key time nan is not a number; the program leaves this key out",
                         "line 12: key time 1 lies before the previous key's time 2; the program sorts the keys by time",
                         "line 13: key time nan:7fc00001 is not a number; the program leaves this key out"}));
}

TEST(SyncText, CutAndDamagedTextNeverCrashesAndWhatParsesFormatsBackTheSame) {
    std::vector<SyncFileRecord> records = {
        {"Sky: \"Move\" \\ Up", {{0, 0.5f, 0, 0}, {2, 1, smoothstep, valzero}, {1, -0.0f, 9, -3}}},
        {std::string("z\0\n", 3), {{INFINITY, 0, 0, 0}, {-INFINITY, NAN, linear, oneone}}},
    };
    const std::string text = formatSyncText(records);
    const std::string noise("0x\"\\ #\n\r-e.\0", 12);
    std::mt19937 random(11);
    for (int round = 0; round < 4000; ++round) {
        std::string damaged = text.substr(0, round < static_cast<int>(text.size()) ? round : text.size());
        if (round >= static_cast<int>(text.size()))
            for (int changes = 1 + round % 3; changes > 0; --changes)
                damaged[random() % damaged.size()] = noise[random() % noise.size()];
        std::vector<SyncFileRecord> parsed, again;
        std::string error;
        if (!parseSyncText(damaged, parsed, error)) {
            EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
            continue;
        }
        ASSERT_TRUE(parseSyncText(formatSyncText(parsed), again, error)) << damaged << "\n" << error;
        EXPECT_EQ(formatSyncText(again), formatSyncText(parsed)) << damaged;
    }
}
