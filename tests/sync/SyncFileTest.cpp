#include "AllocationCounter.h"
#include "base/Trace.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"
#include "sync/SyncFile.h"
#include "sync/SyncFileFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

using namespace qelFramework;

namespace {
class SyncFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        Trace::setHighestLevel(Trace::Info);
        SyncController* a = saved.getController("Sky: Move Up");
        a->addKey(0.0f, 0.25f);
        a->addKey(2.0f, 1.0f);
        a->addKey(4.5f, 0.5f);
        a->setSegmentKind(1, minexponential);
        a->setSegmentEnds(1, zerozero);
        saved.getController("Overlay: Fader")->addKey(1.0f, 0.75f);
        saved.getController("Title: empty");
        ASSERT_TRUE(writeSyncFile(path, saved));
    }
    void TearDown() override { Trace::reset(); }
    int warnings() const {
        int n = 0;
        for (const std::string& r : capture.records())
            n += r.rfind("WARNING (syncFile): ", 0) == 0;
        return n;
    }
    qmtest::TempFolder folder;
    qmtest::TraceCapture capture;
    SyncData saved;
    const std::string path = folder.file("demosynch.dat");
};

std::string bytes(std::initializer_list<int> list) { return std::string(list.begin(), list.end()); }

// The state of all controllers as the writer would store it.
std::string image(const SyncData& data) {
    std::vector<unsigned char> bytes;
    std::string problem;
    encodeSyncData(data, bytes, problem);
    return std::string(bytes.begin(), bytes.end());
}
} // namespace

TEST_F(SyncFileTest, WriterBytesAreExact) {
    SyncData data;
    ASSERT_TRUE(writeSyncFile(path, data));
    EXPECT_EQ(qmtest::readFile(path), bytes({0, 0, 0, 0}));
    const std::string oneKey = bytes({2, 0, 0, 0, 'A', 0, 1, 0, 0, 0, 0, 0, 0xc0, 0x3f, 0, 0, 0x80, 0x3e});
    SyncController* c = data.getController("A");
    c->addKey(1.5f, 0.25f);
    ASSERT_TRUE(writeSyncFile(path, data));
    EXPECT_EQ(qmtest::readFile(path), bytes({1, 0, 0, 0}) + oneKey);
    c->addKey(2.0f, -1.0f);
    c->setSegmentKind(0, exponential);
    c->setSegmentEnds(0, oneval);
    ASSERT_TRUE(writeSyncFile(path, data));
    std::string twoKeys = bytes({1, 0, 0, 0}) + oneKey + bytes({0, 0, 0, 0x40, 0, 0, 0x80, 0xbf, 3, 0, 0, 0, 5, 0, 0, 0});
    twoKeys[10] = 2; // the key count
    EXPECT_EQ(qmtest::readFile(path), twoKeys);
    EXPECT_FALSE(platform::fileExists(path + ".quillmont-tmp"));
}

TEST_F(SyncFileTest, ReadMergesByNameAndTwiceEqualsOnce) {
    SyncData data;
    data.getController("Houses: Grow Main")->addKey(3.0f, 0.5f);
    SyncController* sky = data.getController("Sky: Move Up");
    sky->addKey(9.0f, 0.9f);
    sky->value = 0.9f;
    ASSERT_EQ(readSyncFile(path, data), SyncReadResult::read);
    const std::string once = image(data);
    ASSERT_EQ(data.count(), 4u);
    EXPECT_EQ(data.at(0)->keyTime(0), 3.0f) << "a controller the file does not name keeps its keys";
    EXPECT_EQ(sky->value, 0.0f);
    EXPECT_EQ(image(data).substr(4 + 4 + 18 + 4 + 8), image(saved).substr(4));
    ASSERT_EQ(readSyncFile(path, data), SyncReadResult::read);
    EXPECT_EQ(image(data), once);

    // Zero segment fields keep linear / valval; a missing file changes nothing, silently.
    qmtest::writeFile(path, bytes({1, 0, 0, 0, 2, 0, 0, 0, 'Z', 0, 2, 0, 0, 0}) + std::string(8, 0) +
                                bytes({0, 0, 0x80, 0x3f}) + std::string(12, 0));
    ASSERT_EQ(readSyncFile(path, data), SyncReadResult::read);
    ASSERT_EQ(data.find("Z")->segmentCount(), 1);
    EXPECT_EQ(std::make_pair(data.find("Z")->segments()[0].kind, data.find("Z")->segments()[0].ends),
              std::make_pair(std::int32_t{linear}, std::int32_t{valval}));
    EXPECT_EQ(readSyncFile(folder.file("none.dat"), data), SyncReadResult::missing);
    EXPECT_EQ(data.count(), 5u);

    for (int k = 0; k < 10000; ++k) // a file of many read chunks
        saved.getController("Big: keys")->addKey(static_cast<float>(k), 0.5f);
    ASSERT_TRUE(writeSyncFile(path, saved));
    SyncData big;
    ASSERT_EQ(readSyncFile(path, big), SyncReadResult::read);
    EXPECT_EQ(image(big), image(saved));
    EXPECT_EQ(warnings(), 0);
}

// Records the program's own writer never makes load as the format says (keys sorted by
// time, the later record of a name wins, a name ends at its first zero byte) with one
// WARNING per controller that says what reading did.
TEST_F(SyncFileTest, OddRecordsLoadAsTheFormatSaysWithOneWarningEach) {
    std::vector<SyncFileRecord> records = {
        // Stored 4, 0, 2, 2: sorted 0, 2, 2, 4; each key's shape goes to the segment that
        // ends at it, the first key's (0) nowhere, the stored first key's segment linear.
        {"Sky: Move Up", {{4, 0.5f}, {0, 0.25f, smoothstep, oneval}, {2, 1, exponential, zerozero},
                          {2, 0.75f, minexponential, valone}}},
        {"Overlay: Fader", {{1, 0.1f}}},
        {std::string("Title\0\nhidden", 13), {{1, 0.5f}}},
        {"Overlay: Fader", {{3, 0.3f}, {5, 0.6f, smoothstep, valval}}},
        // addKey keeps no key whose time is not a number; the key after it still gets its shape.
        {"Fade", {{0, 0}, {NAN, 1, exponential, oneone}, {5, 1, smoothstep, valone}}},
        // A first key whose time is not a number goes alone; the keys after it stay.
        {"First", {{NAN, 0.5f}, {1, 0.2f, smoothstep, valval}, {2, 0.8f, exponential, valval}, {3, 0.1f}}},
    };
    std::vector<unsigned char> bytes;
    std::string problem;
    ASSERT_TRUE(encodeSyncRecords(records, bytes, problem)) << problem;
    qmtest::writeFile(path, std::string(bytes.begin(), bytes.end()));
    SyncData data;
    ASSERT_EQ(readSyncFile(path, data), SyncReadResult::read);
    ASSERT_EQ(data.count(), 5u);
    const SyncController& sky = *data.find("Sky: Move Up");
    ASSERT_EQ(sky.keyCount(), 4);
    const float times[] = {0, 2, 2, 4}, values[] = {0.25f, 1, 0.75f, 0.5f};
    const std::pair<std::int32_t, std::int32_t> shapes[] = {{exponential, zerozero}, {minexponential, valone}, {linear, valval}};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(std::make_pair(sky.keyTime(k), sky.keyValue(k)), std::make_pair(times[k], values[k])) << "key " << k;
    for (int s = 0; s < 3; ++s)
        EXPECT_EQ(std::make_pair(sky.segments()[s].kind, sky.segments()[s].ends), shapes[s]) << "segment " << s;
    const SyncController& fader = *data.find("Overlay: Fader");
    EXPECT_EQ(std::make_tuple(fader.keyCount(), fader.keyTime(0), fader.segments()[0].kind),
              std::make_tuple(2, 3.0f, std::int32_t{smoothstep}));
    EXPECT_EQ(data.find("Title")->keyValue(0), 0.5f);
    const SyncController& fade = *data.find("Fade");
    EXPECT_EQ(std::make_tuple(fade.keyCount(), fade.keyTime(1), fade.segments()[0].kind, fade.segments()[0].ends),
              std::make_tuple(2, 5.0f, std::int32_t{smoothstep}, std::int32_t{valone}));
    const SyncController& first = *data.find("First");
    ASSERT_EQ(first.keyCount(), 3);
    EXPECT_EQ(std::make_tuple(first.keyTime(0), first.keyValue(0), first.keyTime(2)), std::make_tuple(1.0f, 0.2f, 3.0f));
    EXPECT_EQ(first.segments()[0].kind, exponential);
    EXPECT_EQ(capture.records(),
              (std::vector<std::string>{
                  "WARNING (syncFile): sync file " + path + ": controller \"Sky: Move Up\": keys out of time order, sorted by time",
                  "WARNING (syncFile): sync file " + path + ": controller \"Title\": its stored name \"Title\\x00\\x0ahidden\" "
                  "holds a zero byte and was read up to it",
                  "WARNING (syncFile): sync file " + path + ": controller \"Overlay: Fader\": record 4 gives it again and "
                  "replaces the keys of record 2",
                  "WARNING (syncFile): sync file " + path + ": controller \"Fade\": key 2 has a time that is not a number "
                  "and was left out",
                  "WARNING (syncFile): sync file " + path + ": controller \"First\": key 1 has a time that is not a "
                  "number and was left out"}));

    // Many such records: ten warnings, then one that counts the rest.
    records.assign(14, SyncFileRecord{"Again", {{1, 0.5f}}});
    ASSERT_TRUE(encodeSyncRecords(records, bytes, problem)) << problem;
    qmtest::writeFile(path, std::string(bytes.begin(), bytes.end()));
    capture.clear();
    ASSERT_EQ(readSyncFile(path, data), SyncReadResult::read);
    ASSERT_EQ(warnings(), 11);
    EXPECT_TRUE(capture.contains("record 11 gives it again and replaces the keys of record 10\n")) << capture.text();
    EXPECT_TRUE(capture.contains(": 3 more controllers read with changes like those above\n")) << capture.text();
}

TEST_F(SyncFileTest, EveryTruncationKeepsTheWholeRecordsBeforeIt) {
    const std::string whole = qmtest::readFile(path);
    const std::size_t ends[] = {65, 96, 117}; // where each of the three records ends
    ASSERT_EQ(whole.size(), ends[2]);
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        qmtest::writeFile(path, whole.substr(0, cut));
        SyncData data;
        data.getController("Overlay: Fader")->addKey(7.0f, 0.125f);
        capture.clear();
        ASSERT_EQ(readSyncFile(path, data), SyncReadResult::damaged) << cut;
        EXPECT_EQ(warnings(), 1);
        EXPECT_TRUE(capture.contains(path)) << capture.text();
        EXPECT_EQ(data.find("Sky: Move Up") != nullptr, cut >= ends[0]) << cut;
        EXPECT_EQ(data.find("Overlay: Fader")->keyTime(0), cut >= ends[1] ? 1.0f : 7.0f) << cut;
    }
}

TEST_F(SyncFileTest, HostileFieldsStopTheReadWithoutLargeAllocations) {
    const std::string good = bytes({2, 0, 0, 0, 2, 0, 0, 0, 'A', 0, 0, 0, 0, 0});
    const std::pair<std::string, const char*> cases[] = {
        {good + bytes({1, 2, 0, 0}) + std::string(513, 'n'), "at byte 14"},                  // name length 513
        {good + bytes({0, 0, 0, 0, 0, 0, 0, 0}), "at byte 14"},                              // name length 0
        {good + bytes({2, 0, 0, 0, 'B', 'C', 0, 0, 0, 0}), "at byte 14"},                    // no zero byte
        {good + bytes({3, 0, 0, 0, 'B', 0, 'C', 0, 0, 0, 0}), "at byte 14"},                 // zero not last
        {good + bytes({2, 0, 0, 0, 'B', 0, 0xff, 0xff, 0xff, 0xff, 1, 2}), "at byte 14"},    // 4 billion keys
        {good + bytes({2, 0, 0, 0, 'B', 0, 2, 0, 0, 0}) + std::string(20, 0), "at byte 14"}, // no last preset
        {good + bytes({2, 0, 0, 0, 'B', 0, 0, 0, 0, 0, 9}), "at byte 24"},                   // a byte too many
        {bytes({0xff, 0xff, 0xff, 0xff}), "at byte 4"},
    };
    for (const auto& [file, offset] : cases) {
        qmtest::writeFile(path, file);
        SyncData data;
        capture.clear();
        qmtest::resetLargestAllocation();
        EXPECT_EQ(readSyncFile(path, data), SyncReadResult::damaged);
        EXPECT_LT(qmtest::largestAllocation(), 4096u);
        EXPECT_EQ(warnings(), 1);
        EXPECT_TRUE(capture.contains(offset)) << capture.text();
        EXPECT_EQ(data.find("A") != nullptr, file.size() > 4);
    }
}

// A file larger than any sync file is refused unread, with its size said.
TEST_F(SyncFileTest, AFileTooLargeForASyncFileIsRefusedUnread) {
    std::filesystem::resize_file(path, kSyncFileLimit + 1);
    SyncData data;
    qmtest::resetLargestAllocation();
    EXPECT_EQ(readSyncFile(path, data), SyncReadResult::missing);
    EXPECT_LT(qmtest::largestAllocation(), 4096u);
    EXPECT_EQ(data.count(), 0u);
    EXPECT_EQ(warnings(), 1);
    EXPECT_TRUE(capture.contains(std::to_string(kSyncFileLimit + 1) + " bytes, more than a sync file holds"))
        << capture.text();
}

TEST_F(SyncFileTest, RandomByteChangesNeverCrash) {
    const std::string whole = qmtest::readFile(path);
    std::mt19937 random(20240607);
    for (int round = 0; round < 3000; ++round) {
        std::string file = whole;
        for (int changes = 1 + round % 4; changes > 0; --changes)
            file[random() % file.size()] = static_cast<char>(random() % 4 == 0 ? 0xff : random());
        qmtest::writeFile(path, file);
        SyncData data;
        capture.clear();
        const SyncReadResult result = readSyncFile(path, data);
        int damage = 0;
        for (const std::string& r : capture.records())
            damage += r.find(" is damaged at byte ") != std::string::npos;
        EXPECT_EQ(damage, result == SyncReadResult::damaged ? 1 : 0);
        data.evaluateAll(1.0f);
    }
}

TEST_F(SyncFileTest, FailedWritesKeepTheOldFile) {
    qmtest::writeFile(path, std::string(1000, 'x'));
    ASSERT_TRUE(writeSyncFile(path, saved)); // nothing of the longer old file stays behind
    const std::string old = image(saved);
    EXPECT_EQ(qmtest::readFile(path), old);
    saved.getController(std::string(512, 'L'));
    EXPECT_FALSE(writeSyncFile(path, saved));
    EXPECT_EQ(qmtest::readFile(path), old);
    EXPECT_FALSE(writeSyncFile(folder.file("missing/x.dat"), SyncData()));
    const std::string directory = folder.file("isfolder");
    ASSERT_TRUE(platform::makeFolder(directory));
    ASSERT_TRUE(platform::makeFolder(directory + "/inner"));
    EXPECT_FALSE(writeSyncFile(directory, SyncData()));
    EXPECT_FALSE(platform::fileExists(directory + ".quillmont-tmp"));
    EXPECT_EQ(warnings(), 3);

    // The longest name the format holds, 511 bytes, is written and read back.
    SyncData longest, back;
    longest.getController(std::string(511, 'L'))->addKey(1.0f, 0.5f);
    ASSERT_TRUE(writeSyncFile(folder.file("longest.dat"), longest));
    EXPECT_EQ(readSyncFile(folder.file("longest.dat"), back), SyncReadResult::read);
    EXPECT_EQ(image(back), image(longest));
}

TEST(SyncSnapshot, NamesCarryTheCounterAndTheUtcTime) {
    EXPECT_EQ(snapshotFileName(1, {2024, 3, 7, 9, 5, 2}), "editor/--1--2024-03-07!09-05-02.dat");
    const std::string first = nextSnapshotFileName();
    EXPECT_EQ(first.rfind("editor/--1--", 0), 0u) << first; // the run's first snapshot carries 1
    EXPECT_EQ(std::stoi(nextSnapshotFileName().substr(9)), std::stoi(first.substr(9)) + 1);
}
