#include "platform/Paths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

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

TEST(SyncTool, EvalFollowsChangedFromTimeToTime) {
    qmtest::TempFolder folder;
    qmtest::writeFile(folder.file("c.txt"), "controller \"Sky: Move Up\"\n0 0.2\n10 0.8\n20 0.4\n");
    std::string out;
    ASSERT_EQ(sync("build " + folder.file("c.txt") + " " + folder.file("a.dat"), out), 0) << out;
    ASSERT_EQ(sync("eval " + folder.file("a.dat") + " 'Sky: Move Up' 1 2 11 11.5 25 5 -1", out), 0) << out;
    EXPECT_EQ(out, "1 0.25999999 1\n2 0.320000023 0\n11 0.75999999 1\n11.5 0.74000001 0\n"
                   "25 0.400000006 1\n5 0.5 1\n-1 0.200000003 0\n");
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
    EXPECT_FALSE(qelFramework::platform::fileExists(target + ".tmp"));

    qmtest::writeFile(folder.file("c.txt"), kText);
    ASSERT_EQ(sync("build " + folder.file("c.txt") + " " + target, out), 0) << out;
    EXPECT_EQ(sync("eval " + target + " 'Sky: none' 1", out), 1);
    EXPECT_EQ(out, "quillmont-sync: no controller named \"Sky: none\" in " + target + "\n");
    EXPECT_EQ(sync("eval " + target + " 'Houses: Grow Main' soon", out), 1);
    EXPECT_EQ(sync("eval " + folder.file("none.dat") + " x 1", out), 1);

    qmtest::writeFile(folder.file("cut.dat"), qmtest::readFile(target).substr(0, 60));
    EXPECT_EQ(sync("dump " + folder.file("cut.dat"), out), 1);
    EXPECT_NE(out.find("damaged at byte 4"), std::string::npos) << out;
    EXPECT_EQ(sync("eval " + folder.file("cut.dat") + " x 1", out), 1);
    EXPECT_NE(out.find("WARNING (syncFile)"), std::string::npos) << out;
    EXPECT_EQ(sync("frobnicate", out), 2);
}
