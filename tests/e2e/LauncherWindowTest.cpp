// The real launcher window under scripted input, in the virtual X server.
#include "app/Launcher.h"
#include "platform/Messages.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace qelFramework;

namespace {
// Runs the real launcher window with scripted input and returns its choice.
LaunchSettings launchWith(const std::string& script) {
    qmtest::TempFolder tmp;
    qmtest::writeFile(tmp.file("input.txt"), script);
    std::string error;
    EXPECT_TRUE(platform::loadInputScript(tmp.file("input.txt"), error)) << error;
    return runLauncher();
}
} // namespace

TEST(LauncherWindow, ClickingStartUntouched) {
    platform::resetMessageState();
    LaunchSettings s = launchWith("wait 300\nclick 97 37\n");
    EXPECT_FALSE(s.cancelled);
    EXPECT_EQ(s.width, 1920);
    EXPECT_EQ(s.height, 1080);
    EXPECT_TRUE(s.fullscreen);
}

TEST(LauncherWindow, EscapeCancels) {
    platform::resetMessageState();
    LaunchSettings s = launchWith("wait 300\nkey Escape\n");
    EXPECT_TRUE(s.cancelled);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_FALSE(s.fullscreen);
}

TEST(LauncherWindow, ExitButtonCancels) {
    platform::resetMessageState();
    LaunchSettings s = launchWith("wait 300\nclick 97 72\n");
    EXPECT_TRUE(s.cancelled);
}

TEST(LauncherWindow, ClearTheBoxPickTheFirstSizeAndStart) {
    platform::resetMessageState();
    // Box off, open the list (it opens over the field, one row every 20 pixels), take its first entry, start.
    LaunchSettings s = launchWith("wait 300\nclick 20 160\nwait 200\nclick 97 106\nwait 300\nclick 60 88\nwait 300\nclick 97 37\n");
    EXPECT_FALSE(s.cancelled);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_FALSE(s.fullscreen);
}
