#include "app/Launcher.h"
#include "platform/Messages.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace qelFramework;
using qmtest::quitPending;

namespace {
WPARAM clicked(int id) { return static_cast<WPARAM>((BN_CLICKED << 16) | id); }
} // namespace

TEST(LauncherProcedure, StartUntouchedGivesFullHdFullScreen) {
    platform::resetMessageState();
    launcher::reset();
    launcherWindowProc(nullptr, WM_COMMAND, clicked(IDC_START), 0);
    LaunchSettings s = launcher::settings();
    EXPECT_FALSE(s.cancelled);
    EXPECT_EQ(s.width, 1920);
    EXPECT_EQ(s.height, 1080);
    EXPECT_TRUE(s.fullscreen);
}

TEST(LauncherProcedure, EscapeAndExitLeaveTheCancelledDefaults) {
    platform::resetMessageState();
    launcher::reset();
    launcherWindowProc(nullptr, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(quitPending());
    LaunchSettings s = launcher::settings();
    EXPECT_TRUE(s.cancelled);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_FALSE(s.fullscreen);

    launcherWindowProc(nullptr, WM_COMMAND, clicked(IDC_EXIT), 0);
    EXPECT_TRUE(launcher::settings().cancelled);
}

TEST(LauncherProcedure, SelectionAndBoxDecideTheSize) {
    platform::resetMessageState();
    launcher::reset();
    launcher::controls().fullscreenChecked = false;
    launcher::controls().selectedIndex = 0;
    launcherWindowProc(nullptr, WM_COMMAND, clicked(IDC_START), 0);
    EXPECT_FALSE(launcher::settings().cancelled);
    EXPECT_EQ(launcher::settings().width, 800);
    EXPECT_EQ(launcher::settings().height, 600);
    EXPECT_FALSE(launcher::settings().fullscreen);

    launcher::reset();
    launcher::controls().selectedIndex = -1; // nothing selected
    launcherWindowProc(nullptr, WM_COMMAND, clicked(IDC_START), 0);
    EXPECT_TRUE(launcher::settings().cancelled);
}

