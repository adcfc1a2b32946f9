// Runs the real program in the virtual X server with scripted input.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace {
std::string program() { return std::string(QM_BIN_DIR) + "/quillmont"; }

int runWithScript(const qmtest::TempFolder& dir, const std::string& script, const std::string& options,
                  std::string& output) {
    qmtest::writeFile(dir.file("input.txt"), script);
    return qmtest::runCommand("cd '" + dir.path() + "' && SDL_AUDIODRIVER=dummy timeout 120 '" + program() +
                                  "' --input-script input.txt " + options,
                              output);
}

std::vector<std::string> traceLines(const std::string& output) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        std::string line = output.substr(start, end - start);
        if (line.find(" (") != std::string::npos && line.find("): ") != std::string::npos)
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// A session with the forged content beside it: the content through a link, the editor's
// pictures copied, so that what the session writes stays in the folder.
class ProgramWithContent : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(bin / "data" / "demosynch.dat"))
            GTEST_SKIP() << "no content beside the program (scripts/setup forges it)";
        std::filesystem::create_directory_symlink(bin / "data", dir.file("data"));
        std::filesystem::copy(bin / "editor", dir.file("editor"));
    }
    const std::filesystem::path bin{QM_BIN_DIR};
    qmtest::TempFolder dir;
};
} // namespace

TEST(Program, TheLauncherStartsTheShowWithItsTraceInOrderOrCancelledWritesNothing) {
    qmtest::TempFolder dir;
    std::string out;
    EXPECT_EQ(runWithScript(dir, "wait 500\nclick 97 37\nwait 1500\nkey Escape\n", "", out), 0) << out;
    std::vector<std::string> trace = traceLines(out);
    ASSERT_GE(trace.size(), 2u) << out;
    EXPECT_EQ(trace.front(), "INFO (trace): Trace started");
    EXPECT_EQ(trace.back(), "INFO (trace): Trace stopped.");

    EXPECT_EQ(runWithScript(dir, "wait 500\nkey Escape\n", "", out), 0);
    EXPECT_TRUE(traceLines(out).empty()) << out;
}

TEST(Program, OptionErrorsExitWithTwo) {
    std::string out;
    EXPECT_EQ(qmtest::runCommand("'" + program() + "' --bogus", out), 2);
    EXPECT_NE(out.find("unknown option"), std::string::npos);
    qmtest::TempFolder dir;
    EXPECT_EQ(qmtest::runCommand("timeout 60 '" + program() + "' --input-script '" + dir.path() + "'", out), 2);
    EXPECT_NE(out.find("cannot read input script " + dir.path() + ": Is a directory"), std::string::npos) << out;
    // A sync text that cannot be read or does not compile ends the program before it starts.
    EXPECT_EQ(qmtest::runCommand("cd '" + dir.path() + "' && '" + program() + "' --sync-text none.txt", out), 2);
    EXPECT_NE(out.find("quillmont: none.txt: cannot be read: No such file"), std::string::npos) << out;
    qmtest::writeFile(dir.file("c.txt"), "controller \"a\"\n0 zero\n");
    EXPECT_EQ(qmtest::runCommand("cd '" + dir.path() + "' && '" + program() + "' --sync-text c.txt", out), 2);
    EXPECT_NE(out.find("quillmont: c.txt: line 2: expected a value"), std::string::npos) << out;
    EXPECT_EQ(qmtest::runCommand("'" + program() + "' --help", out), 0);
    EXPECT_NE(out.find("--size"), std::string::npos);
    EXPECT_EQ(qmtest::runCommand("'" + program() + "' --version", out), 0);
}

TEST_F(ProgramWithContent, AnEditingSessionOutlivesTheEndOfTheShowAndKeepsItsUnsavedEdits) {
    // At 320 x 180 (a size skips the launcher): record one key with Space, then Tab + click
    // at the far right of the waveform (259.2 s), wait past the end, quit. Script lines may
    // be of any length.
    std::string out;
    const int code = runWithScript(dir,
                                   "# " + std::string(600, '=') + "\nwait 1000\nclick 312 18\nwait 200\nkeydown Space\nwait 600\nkeyup Space\n"
                                   "wait 200\nclick 312 18\nwait 300\nkeydown Tab\nclick 319 170\nkeyup Tab\n"
                                   "wait 2500\nkey Escape\n",
                                   "--editor --size 320x180", out);
    EXPECT_EQ(code, 0) << out;
    EXPECT_NE(out.find("INFO (frameLoop): the end of the show: held"), std::string::npos) << out;
    std::smatch kept;
    ASSERT_TRUE(std::regex_search(out, kept, std::regex(R"(unsaved edits kept in (editor/unsaved-[-0-9]+\.dat))")))
        << out;
    EXPECT_TRUE(std::filesystem::exists(dir.file(kept[1].str())));
    EXPECT_EQ(traceLines(out).back(), "INFO (trace): Trace stopped.");
    // No snapshot is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("editor")))
        EXPECT_EQ(entry.path().filename().string().rfind("--", 0), std::string::npos) << entry.path();
}

TEST_F(ProgramWithContent, ASyncTextSaveCutOffLeavesATemporaryFileThatTheNextStartRemoves) {
    // The text through a link: a save writes beside the link's target, and so the
    // leftover of a cut save lies there.
    std::filesystem::create_directory(dir.file("texts"));
    std::filesystem::copy_file(std::string(QM_CONTENT_DIR) + "/choreography.txt", dir.file("texts/c.txt"));
    std::filesystem::create_symlink("texts/c.txt", dir.file("link.txt"));
    qmtest::writeFile(dir.file("texts/c.txt.quillmont-tmp"), "controller \"cut");
    qmtest::writeFile(dir.file("texts/c.txt.tmp"), "the maker's own");
    std::string out;
    EXPECT_EQ(runWithScript(dir, "wait 300\nkey Escape\n", "--size 320x180 --sync-text link.txt", out), 0) << out;
    EXPECT_NE(out.find("WARNING (startup): removed " + std::filesystem::canonical(dir.path()).string() +
                       "/texts/c.txt.quillmont-tmp, left by a save that was cut off"),
              std::string::npos)
        << out;
    EXPECT_EQ(qmtest::listFolder(dir.file("texts")), (std::vector<std::string>{"c.txt", "c.txt.tmp"}));
}

TEST_F(ProgramWithContent, EditsThatCanBeKeptNowhereHoldTheFirstEscapeAndTheSecondEndsWithThree) {
    // A full disk everywhere: no file may grow (the state and temporary folders are here).
    // Escape four times: on a busy machine a frame may keep two presses more than 5 s
    // apart, and the later one is then held as a first again.
    qmtest::writeFile(dir.file("input.txt"), "wait 1000\nclick 312 18\nwait 200\nkey Space\nwait 200\nclick 312 18\n"
                                             "wait 200\nkey Escape\nwait 200\nkey Escape\nwait 200\nkey Escape\n"
                                             "wait 200\nkey Escape\n");
    std::string out;
    const int code = qmtest::runCommand(
        "cd '" + dir.path() + "' && SDL_AUDIODRIVER=dummy XDG_STATE_HOME='" + dir.file("state") + "' TMPDIR='" +
            dir.file("tmp") + "' timeout 120 bash -c 'ulimit -f 0; exec \"$0\" \"$@\"' '" + program() +
            "' --input-script input.txt --editor --size 320x180",
        out);
    EXPECT_EQ(code, 3) << out;
    EXPECT_NE(out.find("press Escape again within 5 s to quit without them"), std::string::npos) << out;
    EXPECT_NE(out.find("quillmont: unsaved edits could not be kept (editor/: "), std::string::npos) << out;
    EXPECT_EQ(out.find("snapshots stay"), std::string::npos) << out;
}

TEST(Program, AWindowThatCannotOpenEndsTheProgramWithItsReason) {
    // A video driver the window system does not have: neither the launcher, nor a window
    // of a given size, nor a capture's window opens.
    for (const char* options : {"", "--size 640x360", "--capture out --to 1"}) {
        qmtest::TempFolder dir;
        std::string out;
        const int code = qmtest::runCommand("cd '" + dir.path() + "' && SDL_VIDEODRIVER=none-such SDL_AUDIODRIVER=dummy "
                                            "timeout 60 '" + program() + "' " + options,
                                            out);
        EXPECT_EQ(code, 1) << options << "\n" << out;
        EXPECT_NE(out.find("quillmont: cannot start the window system: "), std::string::npos) << options << "\n" << out;
        EXPECT_NE(out.find("ERROR (window): cannot start the window system: "), std::string::npos) << out;
        EXPECT_FALSE(std::filesystem::exists(dir.file("out"))) << options;
    }
}
