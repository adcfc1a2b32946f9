#include "app/Launcher.h"
#include "platform/EventQueue.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace qelFramework;

// The untouched start, Escape, the exit button and a size picked from the list with the
// box off are run in the real window (e2e); no window offers a start with nothing selected.
TEST(LauncherButtons, StartWithNothingSelectedCancelsAndTheLauncherStillCloses) {
    platform::resetInput();
    launcher::reset();
    launcher::controls().selectedIndex = -1;
    clickLauncherButton(LauncherButton::Start);
    EXPECT_TRUE(launcher::settings().cancelled);
    EXPECT_TRUE(platform::takeQuitRequest().has_value());
}
