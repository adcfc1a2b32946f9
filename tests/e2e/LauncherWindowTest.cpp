// The real launcher window under scripted input, in the virtual X server.
#include "app/Launcher.h"
#include "platform/EventQueue.h"
#include "platform/InputScript.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace qelFramework;

namespace {
struct Session {
    const char* name;
    const char* script; // input for the real window
    LaunchSettings expected;
};

class LauncherWindow : public testing::TestWithParam<Session> {};

TEST_P(LauncherWindow, GivesTheSettingsTheInputChose) {
    const Session& session = GetParam();
    platform::resetInput();
    qmtest::TempFolder tmp;
    qmtest::writeFile(tmp.file("input.txt"), session.script);
    std::string error;
    ASSERT_TRUE(platform::loadInputScript(tmp.file("input.txt"), error)) << error;
    LaunchSettings s;
    {
        qmtest::Deadline bound(120, std::string("the launcher did not close under input ") + session.name);
        s = runLauncher();
    }
    EXPECT_EQ(s.cancelled, session.expected.cancelled);
    EXPECT_EQ(s.width, session.expected.width);
    EXPECT_EQ(s.height, session.expected.height);
    EXPECT_EQ(s.fullscreen, session.expected.fullscreen);
}

// Cancelling leaves the defaults of a cancelled launch: 800x600 in a window.
INSTANTIATE_TEST_SUITE_P(
    Input, LauncherWindow,
    testing::Values(Session{"ClickingStartUntouched", "wait 300\nclick 97 37\n", LaunchSettings{false, 1920, 1080, true}},
                    Session{"EscapeCancels", "wait 300\nkey Escape\n", LaunchSettings{true, 800, 600, false}},
                    Session{"ExitButtonCancels", "wait 300\nclick 97 72\n", LaunchSettings{true, 800, 600, false}},
                    // Box off, open the list (it opens over the field, one row every 20
                    // pixels), take its first entry, start.
                    Session{"ClearTheBoxPickTheFirstSizeAndStart",
                            "wait 300\nclick 20 160\nwait 200\nclick 97 106\nwait 300\nclick 60 88\nwait 300\nclick 97 37\n",
                            LaunchSettings{false, 800, 600, false}}),
    [](const testing::TestParamInfo<Session>& info) { return std::string(info.param.name); });
} // namespace
