// The editor's keyboard through the real window system: xdotool presses the keys in the
// virtual X server, as a maker's keyboard would.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(KeyboardEdit, ANudgeFromTheWindowSystemsKeysIsOneUndoStep) {
    const std::filesystem::path bin(QM_BIN_DIR);
    if (!std::filesystem::exists(bin / "data" / "demosynch.dat"))
        GTEST_SKIP() << "no content beside the program (scripts/setup forges it)";
    std::string out;
    if (qmtest::runCommand("command -v xdotool", out) != 0)
        GTEST_SKIP() << "xdotool is not installed";
    qmtest::TempFolder dir;
    std::filesystem::create_directory_symlink(bin / "data", dir.file("data"));
    std::filesystem::copy(bin / "editor", dir.file("editor"));
    // Once the editor's last button picture is in (at most 60 s), Left selects the first
    // controller's key at the play line, Ctrl+Right nudges it a frame and Ctrl+Z takes that
    // back, so that Escape finds nothing unsaved and quits.
    qmtest::writeFile(dir.file("keys.sh"),
                      "SDL_AUDIODRIVER=dummy timeout 90 \"$1\" --editor --size 320x180 > out.txt 2>&1 &\n"
                      "program=$!\n"
                      "for i in $(seq 1 300); do grep -q 'button-record.png' out.txt && break; sleep 0.2; done\n"
                      "window=$(timeout 20 xdotool search --sync --name quillmont | head -1)\n"
                      "sleep 1\n"
                      "xdotool windowfocus \"$window\"; sleep 0.3\n"
                      "for k in Left ctrl+Right ctrl+z Escape; do xdotool key $k; sleep 0.5; done\n"
                      "wait $program; code=$?\n"
                      "cat out.txt\n"
                      "exit $code\n");
    const int code = qmtest::runCommand(
        "cd '" + dir.path() + "' && bash keys.sh '" + (bin / "quillmont").string() + "'", out, 150);
    EXPECT_EQ(code, 0) << out;
    EXPECT_NE(out.find("INFO (undo): undo: nudge key"), std::string::npos) << out;
    EXPECT_EQ(out.find("unsaved edits kept"), std::string::npos) << out;
}
