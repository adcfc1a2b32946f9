#include "app/Launcher.h"
#include "platform/EventQueue.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace qelFramework;

// The untouched start, Escape and the exit button are run in the real window (e2e).
TEST(LauncherButtons, SelectionAndBoxDecideTheSize) {
    platform::resetInput();
    launcher::reset();
    launcher::controls().fullscreenChecked = false;
    launcher::controls().selectedIndex = 0;
    clickLauncherButton(LauncherButton::Start);
    EXPECT_FALSE(launcher::settings().cancelled);
    EXPECT_EQ(launcher::settings().width, 800);
    EXPECT_EQ(launcher::settings().height, 600);
    EXPECT_FALSE(launcher::settings().fullscreen);

    launcher::reset();
    launcher::controls().selectedIndex = -1; // nothing selected
    clickLauncherButton(LauncherButton::Start);
    EXPECT_TRUE(launcher::settings().cancelled);
    EXPECT_TRUE(platform::takeQuitRequest().has_value()); // either way the launcher closes
}

