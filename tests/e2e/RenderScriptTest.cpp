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
        {"'" + tmp.file("a.MP4") + "' --size 128x72 --jobs 2 --size 64x64", "render: option --size is given more than once"},
        {"'" + tmp.file("a.mp4") + "' --from 1 --from 2", "render: option --from is given more than once"},
        {"'" + tmp.file("a.mp4") + "' --hosts '" + tmp.file("binary") + "'",
         "render: the hosts file '" + tmp.file("binary") + "' is not text"},
    };
    // A binary hosts file is refused before parallel or grep see it.
    qmtest::writeFile(tmp.file("binary"), std::string("\x89PNG\r\n\x1a\n\0\0host\n", 13));
    for (const auto& [arguments, message] : refusals) {
        EXPECT_EQ(run("'" + script() + "' " + arguments, out), 2) << arguments;
        EXPECT_NE(out.find(message), std::string::npos) << arguments << ":\n" << out;
        EXPECT_EQ(out.find("parallel"), std::string::npos) << arguments << ":\n" << out;
        EXPECT_EQ(out.find("binary file"), std::string::npos) << arguments << ":\n" << out;
    }
    std::filesystem::remove(tmp.file("binary"));
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

// A host that cannot be reached fails the render after ssh's own messages, which the
// verdict points up to.
TEST_F(RenderScript, AFailedHostIsReportedAfterItsMessages) {
    std::string out;
    if (qmtest::runCommand("command -v ssh", out) != 0)
        GTEST_SKIP() << "no ssh client";
    qmtest::writeFile(tmp.file("hosts"), "no-such-host.invalid\n");
    EXPECT_EQ(run("'" + script() + "' '" + tmp.file("out.mp4") + "' --hosts '" + tmp.file("hosts") +
                      "' --size 128x72 --fps 1 --from 10 --to 11",
                  out),
              1);
    const std::size_t verdict = out.find("render: a part failed (its messages are above); nothing written");
    ASSERT_NE(verdict, std::string::npos) << out;
    const std::size_t ssh = out.find("no-such-host.invalid");
    EXPECT_LT(ssh, verdict) << out;
    EXPECT_EQ(out.find("no-such-host.invalid", verdict), std::string::npos) << out;
    EXPECT_EQ(qmtest::listFolder(tmp.path()), std::vector<std::string>{"hosts"});
}

// SIGINT or SIGTERM stops the parts, says so and ends with the status a shell gives for
// the signal, leaving nothing.
TEST_F(RenderScript, AnInterruptStopsThePartsAndSaysSo) {
    for (const auto& [name, status] : {std::pair<std::string, int>{"INT", 130}, {"TERM", 143}}) {
        qmtest::TempFolder out, scripts;
        // Job control: the script is not started with SIGINT ignored, as a background job
        // of a script would be.
        qmtest::writeFile(scripts.file("interrupt"),
                          "set -m\ncd /tmp\nenv -u DISPLAY '" + script() + "' '" + out.file("o.mp4") +
                              "' --jobs 2 --size 128x72 --fps 10 --from 0 --to 60 >" + scripts.file("log") + " 2>&1 &\n"
                              "pid=$!\n"
                              "parts='part-[0-9].mp4 --segment [0-9]/2 --size 128x72 --fps 10 --from 0 --to 60'\n"
                              "for i in $(seq 1200); do pgrep -f -- \"$parts\" >/dev/null && break; sleep 0.1; done\n"
                              "kill -" + name + " $pid\nwait $pid\necho status=$?\n"
                              // Every part is gone as the script ends: one killed may take
                              // a moment to leave on a busy machine; one left rendering stays.
                              "for i in $(seq 50); do pgrep -f -- \"$parts\" >/dev/null || break; sleep 0.1; done\n"
                              "pgrep -f -- \"$parts\" || echo no part left\n"
                              "cat " + scripts.file("log") + "\n");
        std::string text;
        ASSERT_EQ(qmtest::runCommand("timeout 300 bash '" + scripts.file("interrupt") + "'", text), 0) << text;
        EXPECT_NE(text.find("status=" + std::to_string(status) + "\n"), std::string::npos) << text;
        EXPECT_NE(text.find("no part left\n"), std::string::npos) << text;
        EXPECT_NE(text.find("render: interrupted by SIG" + name + "; nothing written\n"), std::string::npos) << text;
        EXPECT_TRUE(qmtest::listFolder(out.path()).empty()) << text;
    }
}
