// Double clicks counted at the moments the presses happened, whenever they are collected:
// close in time and place they count up, anything else starts a new run.
#include "platform/ClickCounter.h"
#include "platform/EventQueue.h"
#include "platform/InputScript.h"
#include "platform/Kernel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace qelFramework;

TEST(ClickCounter, PressesWithinTheTimeAndPlaceCountUpAndOthersStartAgain) {
    platform::ClickCounter clicks(500, 4);
    const std::int64_t ms = 1000; // a counter in microseconds
    const PointerButton left = PointerButton::Left;
    EXPECT_EQ(clicks.press(left, 10, 10, 1000 * ms, 1000000), 1);
    EXPECT_EQ(clicks.press(left, 13, 6, 1500 * ms, 1000000), 2); // 500 ms, 4 px: still one run
    EXPECT_EQ(clicks.press(left, 13, 6, 1700 * ms, 1000000), 3);
    EXPECT_EQ(clicks.press(left, 13, 6, 2201 * ms, 1000000), 1); // 501 ms later
    EXPECT_EQ(clicks.press(left, 18, 6, 2300 * ms, 1000000), 1); // 5 px away
    EXPECT_EQ(clicks.press(PointerButton::Right, 18, 6, 2350 * ms, 1000000), 1); // another button
    EXPECT_EQ(clicks.press(PointerButton::Right, 18, 6, 2400 * ms, 1000000), 2);
    EXPECT_EQ(clicks.press(PointerButton::Right, 18, 6, 2300 * ms, 1000000), 1); // a moment going back
}

TEST(ClickCounter, TwoScriptedClicksAtOnePlaceMakeADoubleClick) {
    // The time follows the window system's hint (read from the environment too); a
    // generous one here, so that a busy machine still counts the pair.
    setenv("SDL_MOUSE_DOUBLE_CLICK_TIME", "250", 1);
    EXPECT_EQ(platform::doubleClickMilliseconds(), 250);
    setenv("SDL_MOUSE_DOUBLE_CLICK_TIME", "10000", 1);
    platform::resetInput();
    qmtest::GLContext gl(64, 64);
    ASSERT_TRUE(gl.ok());
    qmtest::TempFolder tmp;
    std::string error;
    qmtest::writeFile(tmp.file("input.txt"), "click 20 20\nclick 21 20\nclick 40 20\nkey Left\nkey Down\n");
    ASSERT_TRUE(platform::loadInputScript(tmp.file("input.txt"), error)) << error;
    std::vector<InputEvent> presses;
    std::vector<Key> keys;
    for (int pass = 0; pass < 600 && keys.size() < 2; ++pass) {
        InputEvent e;
        while (platform::pollEvent(e)) {
            if (e.kind == EventKind::ButtonDown || e.kind == EventKind::DoubleClick)
                presses.push_back(e);
            if (e.kind == EventKind::KeyDown)
                keys.push_back(e.key);
        }
        platform::sleepMs(5);
    }
    ASSERT_EQ(presses.size(), 3u);
    EXPECT_EQ(presses[0].kind, EventKind::ButtonDown);
    EXPECT_EQ(presses[1].kind, EventKind::DoubleClick);
    EXPECT_EQ(presses[1].clicks, 2);
    EXPECT_EQ(presses[2].kind, EventKind::ButtonDown); // elsewhere: a click of its own
    EXPECT_EQ(presses[2].clicks, 1);
    EXPECT_EQ(keys, (std::vector<Key>{Key::Left, Key::Down}));
    unsetenv("SDL_MOUSE_DOUBLE_CLICK_TIME");
    platform::resetInput();
}
