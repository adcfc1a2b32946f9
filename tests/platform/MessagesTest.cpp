// The message queue under scripted input: typed text arrives as characters, and every
// message carries the moment it happened, however long it waited.
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace qelFramework;

namespace {
std::int64_t g_counter = 0;
std::int64_t fixedCounter() { return g_counter; }
} // namespace

TEST(Messages, TypedTextComesAsCharactersAndMessagesKeepTheirMoment) {
    platform::resetMessageState();
    qmtest::GLContext gl(64, 64); // the window scripted input goes to
    ASSERT_TRUE(gl.ok());
    qmtest::TempFolder tmp;
    std::string error;
    qmtest::writeFile(tmp.file("bad.txt"), "type\n");
    EXPECT_FALSE(platform::loadInputScript(tmp.file("bad.txt"), error)); // nothing to type
    qmtest::writeFile(tmp.file("input.txt"), "type a.5 Z\n");
    ASSERT_TRUE(platform::loadInputScript(tmp.file("input.txt"), error)) << error;
    std::string typed;
    MSG msg;
    for (int pass = 0; pass < 200 && typed.size() < 5; ++pass) {
        while (platform::peekMessage(msg))
            if (msg.message == WM_CHAR)
                typed += static_cast<char>(msg.wParam);
        platform::sleepMs(5);
    }
    EXPECT_EQ(typed, "a.5 Z");

    // A posted message is taken with the counter reading of its posting.
    platform::setCounterSource(fixedCounter);
    g_counter = 1000;
    platform::postMessage(gl.handle(), WM_KEYDOWN, VK_SPACE, 0);
    g_counter = 5000;
    ASSERT_TRUE(platform::peekMessage(msg));
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    EXPECT_EQ(platform::getMessageCounter(), 1000);
    platform::setCounterSource(nullptr);
    platform::resetMessageState();
}
