#include "app/Launcher.h"
#include "platform/Messages.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace qelFramework;

namespace {
WPARAM clicked(int id) { return static_cast<WPARAM>((BN_CLICKED << 16) | id); }
} // namespace

// The untouched start, Escape and the exit button are run in the real window (e2e).
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

