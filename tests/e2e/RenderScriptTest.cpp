// scripts/render: parts of a range rendered at once, by GNU parallel on this machine or
// on the hosts of a login file, joined into the video a single capture makes.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
std::string program() { return std::string(QM_BIN_DIR) + "/quillmont"; }
std::string script() { return std::string(QM_SOURCE_DIR) + "/scripts/render"; }

int run(const std::string& command, std::string& output) {
    return qmtest::runCommand("cd /tmp && env -u DISPLAY " + command, output);
}

// The checksums of a video's decoded frames of one kind ("v" or "a").
std::string decoded(const std::string& video, const char* stream) {
    std::string out;
    EXPECT_EQ(qmtest::runCommand("ffmpeg -loglevel error -i '" + video + "' -map 0:" + stream +
                                     " -f framemd5 - | grep -v '^#'",
                                 out),
              0)
        << out;
    return out;
}

class RenderScript : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(std::string(QM_BIN_DIR) + "/data/demosynch.dat"))
            GTEST_SKIP() << "no content beside the program: run scripts/setup";
        std::string out;
        if (qmtest::runCommand("command -v parallel", out) != 0)
            GTEST_SKIP() << "GNU parallel is not installed: run scripts/setup";
    }

    // Renders the range in parts and captures it whole; the two must decode alike.
    void expectSameAsOneCapture(const std::string& renderOptions, const std::string& range) {
        std::string out;
        ASSERT_EQ(run("'" + script() + "' '" + tmp.file("parts.mp4") + "' " + renderOptions + " " + range, out), 0)
            << out;
        EXPECT_EQ(out.find("INFO ("), std::string::npos) << "the trace's INFO records are left out";
        ASSERT_EQ(run("'" + program() + "' --capture '" + tmp.file("whole.mp4") + "' " + range, out), 0) << out;
        const std::string frames = decoded(tmp.file("whole.mp4"), "v");
        EXPECT_FALSE(frames.empty());
        EXPECT_EQ(decoded(tmp.file("parts.mp4"), "v"), frames);
        EXPECT_EQ(decoded(tmp.file("parts.mp4"), "a"), decoded(tmp.file("whole.mp4"), "a"));
        EXPECT_EQ(qmtest::listFolder(tmp.path()), (std::vector<std::string>{"parts.mp4", "whole.mp4"})) << "nothing left over";
    }

    qmtest::TempFolder tmp;
};
} // namespace

TEST_F(RenderScript, PartsOnThisMachineJoinIntoTheFramesAndSoundOfOneCapture) {
    // Two parts of two frames (2-second groups at one frame a second).
    expectSameAsOneCapture("--jobs 2", "--size 128x72 --fps 1 --from 10 --to 13");

    // What cannot work is refused before anything is rendered.
    std::string out;
    const std::pair<std::string, std::string> refusals[] = {
        {"'" + tmp.file("a.png") + "'", "render: the output must be a file ending in .mp4"},
        {"'" + tmp.file("a.mp4") + "' --jobs 0", "render: --jobs takes a whole number from 1 to 1000, not '0'"},
        {"'" + tmp.file("a.mp4") + "' --hosts /nonexistent", "render: cannot read the hosts file '/nonexistent'"},
        {"'" + tmp.file("a.mp4") + "' --size 12x", "quillmont: malformed size '12x'"},
        {"'" + tmp.file("a.mp4") + "' --bogus 1", "render: unknown option '--bogus'"},
    };
    for (const auto& [arguments, message] : refusals) {
        EXPECT_EQ(run("'" + script() + "' " + arguments, out), 2) << arguments;
        EXPECT_NE(out.find(message), std::string::npos) << arguments << ":\n" << out;
    }
    EXPECT_EQ(qmtest::listFolder(tmp.path()), (std::vector<std::string>{"parts.mp4", "whole.mp4"}));
}

// A login file whose lines name this machine (":") takes the hosts' road through
// parallel; with more parts than the range has groups, the empty part is left out. The
// file is named relative to the folder the script starts in.
TEST_F(RenderScript, PartsOnTheHostsOfALoginFileJoinIntoOneCapture) {
    qmtest::TempFolder logins;
    qmtest::writeFile(logins.file("hosts"), "# this machine, twice\n:\n:\n");
    const std::string relative = std::filesystem::relative(logins.file("hosts"), "/tmp").string();
    expectSameAsOneCapture("--hosts '" + relative + "'", "--size 128x72 --fps 1 --from 20 --to 21");
}
