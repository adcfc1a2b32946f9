// The sync data as a watched text file: the merge that keeps the maker's comments, the
// watcher's looks, and damaged or cut texts.
#include "base/Trace.h"
#include "platform/Kernel.h"
#include "support/TestSupport.h"
#include "sync/SyncData.h"
#include "sync/SyncFile.h"
#include "sync/SyncText.h"
#include "sync/SyncTextFile.h"
#include "sync/SyncTextSource.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qelFramework;

namespace {
const char* const kText = "# the opening\n"
                          "controller \"Fade\"   # to black\n"
                          "    0    1\n"
                          "    4.0  0   smoothstep   # the first light\n"
                          "\n"
                          "    # the drop\n"
                          "    10   0.5\n"
                          "\n"
                          "# the sky\n"
                          "controller \"Sky\"\n"
                          "  100 0\n"
                          "  123.035 1 exponential valzero\n";

std::vector<SyncFileRecord> compiled(const std::string& text) {
    std::vector<SyncFileRecord> records;
    std::string error;
    EXPECT_TRUE(parseSyncText(text, records, error)) << error;
    return records;
}

std::string merged(const std::string& text, const std::vector<SyncFileRecord>& records) {
    std::string out, error;
    EXPECT_TRUE(mergeIntoSyncText(text, records, out, error)) << error;
    return out;
}

std::int64_t g_ticks = 0;
std::int64_t steppedCounter() { return g_ticks; }

// A watched text in a folder of its own, with the trace caught and a clock the test moves.
class SyncTextSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        Trace::setHighestLevel(Trace::Info);
        g_ticks = 0;
        platform::setCounterSource(steppedCounter);
    }
    void TearDown() override {
        platform::setCounterSource(nullptr);
        Trace::reset();
    }
    qmtest::TempFolder dir;
    qmtest::TraceCapture trace;
    const std::int64_t second = platform::queryPerformanceFrequency();
    const std::string path = dir.file("c.txt");
};
} // namespace

TEST(SyncTextFile, AnUnchangedSaveGivesTheTextBackByteForByte) {
    EXPECT_EQ(merged(kText, compiled(kText)), kText);
    const std::string crlf = "controller \"a\"\r\n1 2 # x\r\n3 4\r\n";
    EXPECT_EQ(merged(crlf, compiled(crlf)), crlf);
}

// Windows editors save UTF-8 with a byte order mark before the first line: it is read
// past, and a save keeps it where it was. UTF-16 is refused, saying so.
TEST(SyncTextFile, AByteOrderMarkIsReadPastAndKeptThroughASaveAndUtf16IsNamed) {
    const std::string plain = "controller \"a\"\r\n1 2 # x\r\n3 4\r\n";
    const std::string marked = "\xEF\xBB\xBF" + plain;
    EXPECT_EQ(formatSyncText(compiled(marked)), formatSyncText(compiled(plain)));
    EXPECT_EQ(merged(marked, compiled(marked)), marked);
    std::vector<SyncFileRecord> records = compiled(marked);
    ASSERT_EQ(records.size(), 1u);
    records[0].keys[0].value = 5;
    EXPECT_EQ(merged(marked, records), "\xEF\xBB\xBF" + merged(plain, records));
    // UTF-16 (what Windows PowerShell 5 redirects into a file) is named as such.
    std::string error;
    EXPECT_FALSE(parseSyncText(std::string("\xFF\xFE", 2) + std::string("c\0o\0", 4), records, error));
    EXPECT_EQ(error, "line 1: expected UTF-8 text, found UTF-16 (save it as UTF-8)");
}

TEST(SyncTextFile, EditsReplaceOnlyTheKeyLinesAndKeepComments) {
    std::vector<SyncFileRecord> records = compiled(kText);
    records[0].keys[1].value = 0.25f;                        // a changed key keeps its comment
    records[0].keys.insert(records[0].keys.begin() + 2, {7, 1, linear, oneone}); // a new key in between
    records[0].keys.push_back({12, 0, smoothstep, valval});  // and one at the end
    records[1].keys.clear();                                 // every key of "Sky" removed
    records.push_back({"New", {{1, 0, 0, 0}, {2, 1, linear, valval}}});
    EXPECT_EQ(merged(kText, records), "# the opening\n"
                                      "controller \"Fade\"   # to black\n"
                                      "    0    1\n"
                                      "    4          0.25       smoothstep valval  # the first light\n"
                                      "\n"
                                      "    # the drop\n"
                                      "    7          1          linear oneone\n"
                                      "    10   0.5\n"
                                      "    12         0          smoothstep valval\n"
                                      "\n"
                                      "# the sky\n"
                                      "controller \"Sky\"\n"
                                      "\n"
                                      "controller \"New\"\n"
                                      "    1          0\n"
                                      "    2          1          linear valval\n");
}

TEST(SyncTextFile, ANameGivenTwiceTakesTheKeysInItsLaterBlockAndUnknownBlocksStay) {
    const std::string text = "controller \"a\"\n1 1\ncontroller \"gone\"\n5 5\ncontroller \"a\"\n2 2\n";
    const std::vector<SyncFileRecord> records = {{"a", {{3, 0.5f, 0, 0}}}};
    EXPECT_EQ(merged(text, records),
              "controller \"a\"\n1 1\ncontroller \"gone\"\n5 5\ncontroller \"a\"\n    3          0.5\n");
    // A first key that was a later one loses its shape; a shapeless line that is no
    // longer first says linear, valval as it did.
    const std::string shaped = "controller \"b\"\n1 1\n2 2 smoothstep\n3 3\n";
    EXPECT_EQ(merged(shaped, {{"b", {{2, 2, 0, 0}, {3, 3, linear, valval}}}}),
              "controller \"b\"\n    2          2\n3 3\n");
    // A text that does not compile is not merged into.
    std::string out, error;
    EXPECT_FALSE(mergeIntoSyncText("controller \"a\"\n1 x\n", records, out, error));
    EXPECT_EQ(error.rfind("line 2: expected a value", 0), 0u) << error;
}

// Key lines out of time order: the program holds its keys sorted, and a save matches
// each line to its key by what it says, not by where it stands.
TEST(SyncTextFile, KeyLinesOutOfTimeOrderKeepTheirPlacesAndCommentsThroughASave) {
    const std::string text = "controller \"X\"\n"
                             "    0 0\n"
                             "    5 1 linear       # MAKER NOTE B\n"
                             "    3 0 smoothstep   # MAKER NOTE A\n"
                             "    nan 1            # never read\n"
                             "    4 0.5";
    std::vector<unsigned char> image;
    std::string error;
    ASSERT_TRUE(encodeSyncRecords(compiled(text), image, error)) << error;
    SyncData data;
    mergeSyncImage(image, "x.txt", data);
    std::vector<SyncFileRecord> held = syncRecordsOf(data);
    ASSERT_EQ(held[0].keys.size(), 4u);
    EXPECT_EQ(merged(text, held), text);

    // A changed key keeps its line's place and comment; a new key goes before the first
    // line of a later time.
    held[0].keys[1].value = 0.25f;                                       // the key at 3
    held[0].keys.insert(held[0].keys.begin() + 1, {2, 1, linear, valval}); // new, at 2
    EXPECT_EQ(merged(text, held), "controller \"X\"\n"
                                  "    0 0\n"
                                  "    2          1          linear valval\n"
                                  "    5 1 linear       # MAKER NOTE B\n"
                                  "    3          0.25       smoothstep valval  # MAKER NOTE A\n"
                                  "    nan 1            # never read\n"
                                  "    4 0.5");

    // A first line that would need a shape cannot stay first: the keys go in time order,
    // each with its comment.
    const std::string later = "controller \"Y\"\n  5 1  # five\n  0 0 smoothstep  # zero\n";
    EXPECT_EQ(merged(later, {{"Y", {{0, 0, 0, 0}, {5, 1, exponential, valval}}}}),
              "controller \"Y\"\n    0          0  # zero\n    5          1          exponential valval  # five\n");
    EXPECT_EQ(merged(later, {{"Y", {{0, 0, 0, 0}, {5, 1, linear, valval}}}}), later);
}

TEST(SyncTextFile, CutAndDamagedFilesCompileOrNameTheLineAndOversizedOnesAreRefused) {
    qmtest::TempFolder dir;
    const std::string path = dir.file("c.txt");
    const std::string text = kText;
    std::vector<unsigned char> image;
    std::size_t controllers = 0;
    std::string error;
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        std::string damaged = text.substr(0, cut);
        if (cut % 3 == 1 && cut < text.size())
            damaged += "\x01\"#\\";
        qmtest::writeFile(path, damaged);
        if (!compileSyncTextFile(path, "c.txt", image, controllers, error)) {
            EXPECT_EQ(error.rfind("c.txt: line ", 0), 0u) << error;
            continue;
        }
        // Whatever compiles also takes a merge of its own records without loss.
        std::vector<SyncFileRecord> records;
        ASSERT_TRUE(parseSyncText(damaged, records, error));
        std::string out;
        ASSERT_TRUE(mergeIntoSyncText(damaged, records, out, error)) << damaged;
        std::vector<SyncFileRecord> back;
        ASSERT_TRUE(parseSyncText(out, back, error)) << out;
        EXPECT_EQ(formatSyncText(back), formatSyncText(records)) << damaged;
    }
    std::filesystem::resize_file(path, kSyncTextLimit + 1);
    EXPECT_FALSE(compileSyncTextFile(path, "c.txt", image, controllers, error));
    EXPECT_NE(error.find("c.txt: cannot be read: larger than"), std::string::npos) << error;
}

TEST_F(SyncTextSourceTest, LooksOnceASecondWarnsOncePerBrokenVersionAndKnowsItsOwnSave) {
    qmtest::writeFile(path, kText);
    SyncData data;
    SyncTextSource source(path, "c.txt");
    std::string error;
    ASSERT_TRUE(source.load(data, error)) << error;

    qmtest::writeFile(path, "controller \"Fade\"\n0 x\n");
    EXPECT_EQ(source.poll(), SyncTextSource::Change::none); // looked less than a second ago
    for (int look = 0; look < 2; ++look) {
        g_ticks += second;
        EXPECT_EQ(source.poll(), look == 0 ? SyncTextSource::Change::failed : SyncTextSource::Change::none);
    }
    source.merge(data);
    EXPECT_EQ(data.find("Fade")->keyCount(), 3);
    EXPECT_EQ(trace.records(),
              std::vector<std::string>{"WARNING (syncText): c.txt: line 2: expected a value (a decimal number), found 'x'"});

    // A file that goes away is said once; the program's own save is no change.
    std::filesystem::remove(path);
    g_ticks += second;
    EXPECT_EQ(source.poll(), SyncTextSource::Change::failed);
    EXPECT_EQ(source.message().rfind("c.txt: cannot be read: ", 0), 0u);
    ASSERT_TRUE(source.save(data, error)) << error;
    g_ticks += second;
    EXPECT_EQ(source.poll(), SyncTextSource::Change::none);

    // Text the maker wrote since the last look is not merged away by a save: the save is
    // refused, and the next poll looks at once.
    qmtest::writeFile(path, qmtest::readFile(path) + "# more\n");
    EXPECT_FALSE(source.save(data, error));
    EXPECT_EQ(error, "c.txt changed since it was last read; its new text comes in first, then save again");
    EXPECT_EQ(source.poll(), SyncTextSource::Change::compiled);
    ASSERT_TRUE(source.save(data, error)) << error;
    EXPECT_NE(qmtest::readFile(path).find("# more"), std::string::npos);
}

// A text another program holds (on Windows, a writer that shares nothing) cannot be read
// for a while: it is read again at each look, said once, and a save waits for it, so that
// what it says is not merged away. A folder in its place stands for such a file here.
TEST_F(SyncTextSourceTest, AFileThatCannotBeReadIsReadAgainAndASaveWaitsForIt) {
    std::filesystem::create_directory(path);
    SyncData data;
    std::string error;
    SyncTextSource held(path, "c.txt");
    EXPECT_FALSE(held.load(data, error));
    EXPECT_FALSE(held.save(data, error)); // at start as later
    EXPECT_EQ(error, "c.txt changed since it was last read; its new text comes in first, then save again");

    std::filesystem::remove(path);
    qmtest::writeFile(path, kText);
    SyncTextSource source(path, "c.txt");
    ASSERT_TRUE(source.load(data, error)) << error;
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    for (int look = 0; look < 2; ++look) {
        g_ticks += second;
        EXPECT_EQ(source.poll(), look == 0 ? SyncTextSource::Change::failed : SyncTextSource::Change::none);
    }
    EXPECT_EQ(trace.records().size(), 1u);
    EXPECT_FALSE(source.save(data, error));
    EXPECT_EQ(error, "c.txt changed since it was last read; its new text comes in first, then save again");
    std::filesystem::remove(path);
    qmtest::writeFile(path, "controller \"Fade\"\n0 0.5\n");
    EXPECT_EQ(source.poll(), SyncTextSource::Change::compiled); // the refused save looks at once
    source.merge(data);
    ASSERT_TRUE(source.save(data, error)) << error;
}
