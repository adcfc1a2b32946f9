#include "platform/Paths.h"
#include "support/TestSupport.h"
#include "sync/SyncFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace {
const std::string kTool = std::string(QM_BIN_DIR) + "/quillmont-sync";

int sync(const std::string& arguments, std::string& output) { return qmtest::runCommand(kTool + " " + arguments, output); }

const char* const kText = "# hand-written\r\n"
                          "\n"
                          "controller \"Sky: \\\"Move\\\" \\\\ Up #1\\x09\"  # odd name\n"
                          "  0 0\n"
                          "\t10 1 smoothstep   # preset left out\n"
                          "  20 0.5 exponential valzero\n"
                          "  20 0.25\n"
                          "  21 0 9 -2\n"
                          "controller \"Houses: Grow Main\"\n";
const char* const kDump = "controller \"Sky: \\\"Move\\\" \\\\ Up #1\\x09\"\n"
                          "    0          0\n"
                          "    10         1          smoothstep valval\n"
                          "    20         0.5        exponential valzero\n"
                          "    20         0.25       linear valval\n"
                          "    21         0          9 -2\n"
                          "\n"
                          "controller \"Houses: Grow Main\"\n";
} // namespace

TEST(SyncTool, BuildThenDumpRoundTrips) {
    qmtest::TempFolder folder;
    qmtest::writeFile(folder.file("c.txt"), kText);
    std::string out;
    ASSERT_EQ(sync("build " + folder.file("c.txt") + " " + folder.file("a.dat"), out), 0) << out;
    ASSERT_EQ(sync("dump " + folder.file("a.dat"), out), 0);
    EXPECT_EQ(out, kDump);
    qmtest::writeFile(folder.file("d.txt"), out);
    ASSERT_EQ(sync("build " + folder.file("d.txt") + " " + folder.file("b.dat"), out), 0) << out;
    EXPECT_EQ(qmtest::readFile(folder.file("b.dat")), qmtest::readFile(folder.file("a.dat")));
}

namespace {
std::string le32(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}
std::string f32(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return le32(bits);
}
std::string name(const std::string& n) { return le32(static_cast<std::uint32_t>(n.size() + 1)) + n + '\0'; }
} // namespace

// Files the program's writer never makes: keys out of time order, infinite and
// not-a-number times, a name twice, names holding zero bytes, shapes without a word.
TEST(SyncTool, DumpThenBuildGivesBackEveryFileByteForByte) {
    const float inf = INFINITY;
    const std::string file =
        le32(4) + name("Sky: Move Up") + le32(4) + f32(10) + f32(0.5f) + f32(-inf) + f32(0.25f) + le32(2) + le32(3) +
        f32(inf) + f32(1) + le32(0) + le32(9) + f32(0) + f32(-0.0f) + le32(1) + le32(static_cast<std::uint32_t>(-7)) +
        name(std::string("A\0b\0", 4)) + le32(1) + f32(1) + f32(0.5f) +
        name("Sky: Move Up") + le32(2) + f32(2) + f32(0.2f) + f32(1) + f32(0.4f) + le32(1) + le32(1) +
        name(std::string("\0", 1)) + le32(2) + le32(0x7fc00001) + f32(0) + le32(0xffc00000) + f32(1) + le32(5) + le32(2);
    qmtest::TempFolder folder;
    qmtest::writeFile(folder.file("odd.dat"), file);
    std::string text, out;
    ASSERT_EQ(sync("dump " + folder.file("odd.dat") + " 2>/dev/null", text), 0) << text;
    EXPECT_NE(text.find("controller \"A\\x00b\\x00\"\n"), std::string::npos) << text;
    qmtest::writeFile(folder.file("odd.txt"), text);
    ASSERT_EQ(sync("build " + folder.file("odd.txt") + " " + folder.file("back.dat"), out), 0) << out;
    EXPECT_EQ(qmtest::readFile(folder.file("back.dat")), file);
    // The build says what the program will change when it reads the file.
    EXPECT_NE(out.find("odd.txt: line 3: key time -inf lies before the previous key's time 10; the program sorts"),
              std::string::npos) << out;
    EXPECT_NE(out.find("odd.txt: line 10: controller \"Sky: Move Up\" was already given on line 1; the program "
                       "reads only the later one"), std::string::npos) << out;

    // Read by the program: sorted, later record wins, no not-a-number from infinite times.
    ASSERT_EQ(sync("eval " + folder.file("odd.dat") + " A 0 5", out), 0) << out;
    EXPECT_NE(out.find("WARNING (syncFile): sync file " + folder.file("odd.dat") + ": controller \"A\": its stored name"),
              std::string::npos) << out;
    // The values' lines, before or after the warnings (which stream the system flushes
    // first differs).
    EXPECT_NE(("\n" + out).find("\n0 0.5 0\n5 0.5 1\n"), std::string::npos) << out;
    qmtest::writeFile(folder.file("inf.txt"), "controller \"c\"\n-inf 0.25\n0 1 smoothstep\n10 0.5\ninf 1 exponential\n");
    ASSERT_EQ(sync("build " + folder.file("inf.txt") + " " + folder.file("inf.dat"), out), 0) << out;
    ASSERT_EQ(sync("eval " + folder.file("inf.dat") + " c -inf -5 5 20 inf", out), 0) << out;
    EXPECT_EQ(out, "-inf 0.25 1\n-5 0.25 0\n5 0.75 1\n20 0.5 1\ninf 1 1\n");
    // Infinite values: a segment between two of them holds the value, never a not-a-number.
    qmtest::writeFile(folder.file("infv.txt"), "controller \"c\"\n0 inf\n10 inf\n");
    ASSERT_EQ(sync("build " + folder.file("infv.txt") + " " + folder.file("infv.dat"), out), 0) << out;
    ASSERT_EQ(sync("eval " + folder.file("infv.dat") + " c 0 5 10", out), 0) << out;
    EXPECT_EQ(out, "0 inf 1\n5 inf 0\n10 inf 1\n");
}

TEST(SyncTool, FailuresExitNonZeroAndLeaveNoFile) {
    qmtest::TempFolder folder;
    const std::string target = folder.file("out.dat");
    qmtest::writeFile(target, "old");
    qmtest::writeFile(folder.file("bad.txt"), "controller \"a\"\n1 2\nlate 3\n");
    std::string out;
    EXPECT_EQ(sync("build " + folder.file("bad.txt") + " " + target, out), 1);
    EXPECT_NE(out.find("bad.txt: line 3: expected a time"), std::string::npos) << out;
    EXPECT_EQ(qmtest::readFile(target), "old");
    EXPECT_EQ(sync("build " + folder.file("none.txt") + " " + target, out), 1);
    EXPECT_FALSE(qelFramework::platform::fileExists(target + ".quillmont-tmp"));

    qmtest::writeFile(folder.file("c.txt"), kText);
    ASSERT_EQ(sync("build " + folder.file("c.txt") + " " + target, out), 0) << out;
    EXPECT_EQ(sync("eval " + target + " 'Sky: none' 1", out), 1);
    const std::string missing = "quillmont-sync: no controller named \"Sky: none\" in " + target + "\n";
    EXPECT_EQ(out.substr(out.size() - std::min(out.size(), missing.size())), missing);
    EXPECT_EQ(sync("eval " + target + " 'Houses: Grow Main' soon", out), 1);
    EXPECT_EQ(sync("eval " + folder.file("none.dat") + " x 1", out), 1);

    qmtest::writeFile(folder.file("cut.dat"), qmtest::readFile(target).substr(0, 60));
    EXPECT_EQ(sync("dump " + folder.file("cut.dat"), out), 1);
    EXPECT_NE(out.find("damaged at byte 4"), std::string::npos) << out;
    EXPECT_EQ(sync("eval " + folder.file("cut.dat") + " x 1", out), 1);
    EXPECT_NE(out.find("WARNING (syncFile)"), std::string::npos) << out;
    std::filesystem::resize_file(folder.file("cut.dat"), qelFramework::kSyncFileLimit + 1); // refused, not taken in whole
    EXPECT_EQ(sync("dump " + folder.file("cut.dat"), out), 1);
    EXPECT_NE(out.find("larger than " + std::to_string(qelFramework::kSyncFileLimit) + " bytes"), std::string::npos) << out;
    EXPECT_EQ(sync("frobnicate", out), 2);
}
