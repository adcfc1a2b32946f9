// The event queue under scripted input: typed text arrives as characters, held keys show
// in the key state and the modifiers, every event carries the moment it happened however
// long it waited, and a quit request waits until no event does.
#include "platform/EventQueue.h"
#include "platform/InputScript.h"
#include "platform/Kernel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qelFramework;

namespace {
std::int64_t g_counter = 0;
std::int64_t fixedCounter() { return g_counter; }

// Polls until `done` says so or at least two seconds have passed.
template <typename Done>
std::vector<InputEvent> pollUntil(Done done) {
    std::vector<InputEvent> events;
    for (int pass = 0; pass < 400 && !done(events); ++pass) {
        InputEvent e;
        while (platform::pollEvent(e))
            events.push_back(e);
        platform::sleepMs(5);
    }
    return events;
}
} // namespace

TEST(EventQueue, ScriptedTypingAndKeysArriveAsEventsOfTheWindow) {
    platform::resetInput();
    qmtest::GLContext gl(64, 64); // the window scripted input goes to
    ASSERT_TRUE(gl.ok());
    qmtest::TempFolder tmp;
    std::string error;
    qmtest::writeFile(tmp.file("input.txt"), "type a.5 Z\nkeydown Shift\nkey b\nmove -3 7\n");
    ASSERT_TRUE(platform::loadInputScript(tmp.file("input.txt"), error)) << error;
    const std::vector<InputEvent> events = pollUntil([](const std::vector<InputEvent>& got) {
        return !got.empty() && got.back().kind == EventKind::PointerMove && got.back().x == -3;
    });
    std::string typed;
    std::vector<EventKind> keys;
    for (const InputEvent& e : events) {
        EXPECT_EQ(e.window, gl.handle());
        if (e.kind == EventKind::Text)
            typed += e.text;
        if (e.key == Key::B) {
            keys.push_back(e.kind);
            EXPECT_EQ(e.modifiers, ShiftHeld); // Shift still held
        }
    }
    EXPECT_EQ(typed, "a.5 Z");
    EXPECT_EQ(keys, (std::vector<EventKind>{EventKind::KeyDown, EventKind::KeyUp}));
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().x, -3); // signed: left of the window
    EXPECT_EQ(events.back().y, 7);
    EXPECT_EQ(events.back().modifiers, ShiftHeld);
    EXPECT_TRUE(platform::isKeyDown(Key::Shift));
    EXPECT_FALSE(platform::isKeyDown(Key::B));
    platform::resetInput();
    EXPECT_FALSE(platform::isKeyDown(Key::Shift));
}

TEST(EventQueue, PostedEventsKeepTheirMomentAndComeBeforeTheQuit) {
    platform::resetInput();
    platform::setCounterSource(fixedCounter);
    g_counter = 1000;
    platform::requestQuit(3);
    platform::postEvent(InputEvent::keyDown(Key::Space));
    g_counter = 5000;
    InputEvent e;
    ASSERT_TRUE(platform::pollEvent(e));
    EXPECT_EQ(e.kind, EventKind::KeyDown);
    EXPECT_EQ(e.key, Key::Space);
    EXPECT_EQ(e.moment, 1000);
    EXPECT_FALSE(platform::isKeyDown(Key::Space)); // a posted key leaves the key state alone
    EXPECT_FALSE(platform::pollEvent(e));
    EXPECT_EQ(platform::takeQuitRequest(), 3);
    EXPECT_FALSE(platform::takeQuitRequest().has_value()); // taken once
    platform::setCounterSource(nullptr);
    platform::resetInput();
}

TEST(InputScript, UnreadableOrMalformedScriptsAreRefusedWithTheLine) {
    platform::resetInput();
    qmtest::TempFolder tmp;
    std::string error;
    EXPECT_FALSE(platform::loadInputScript(tmp.path(), error)); // a folder
    EXPECT_NE(error.find("cannot read input script"), std::string::npos) << error;
    const std::string bad[] = {
        "type\n",                 // nothing to type
        "wait 10\nclick 10\n",    // cut short
        "key Hyper\n",            // no such key
        "keyup F13\n",            // past F12
        "wait -5\n",              // a negative wait
        "move 1 2\njump 3 4\n",   // no such command
        std::string("wait 1\n\0\xff\xfeit 2\n", 13), // damaged bytes
    };
    for (const std::string& script : bad) {
        qmtest::writeFile(tmp.file("bad.txt"), script);
        error.clear();
        EXPECT_FALSE(platform::loadInputScript(tmp.file("bad.txt"), error)) << script;
        EXPECT_NE(error.find("bad.txt:"), std::string::npos) << error;
    }
    // CRLF lines and a UTF-8 byte order mark (as Windows editors write) are fine.
    qmtest::writeFile(tmp.file("good.txt"), "\xEF\xBB\xBFwait 1\n# a comment\n\nwait 5\r\nkey F12\nkeydown 7\nrclick 1 2\ntype x\r\n");
    EXPECT_TRUE(platform::loadInputScript(tmp.file("good.txt"), error)) << error;
    platform::resetInput();
}
