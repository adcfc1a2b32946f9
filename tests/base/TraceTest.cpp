#include "base/Trace.h"
#include "platform/EventQueue.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace qelFramework;
using qmtest::quitPending;

namespace {
class TraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        Trace::reset();
        platform::resetInput();
    }
    void TearDown() override { Trace::reset(); }
    qmtest::TraceCapture capture;
};
} // namespace

TEST_F(TraceTest, StartWritesOneRecord) {
    Trace::start();
    EXPECT_EQ(capture.text(), "INFO (trace): Trace started\n");
    EXPECT_EQ(Trace::highestLevel(), 3);
}

// Every level prints its own text, and no record ends the program: whoever cannot go
// on after a failure says so to its caller.
TEST_F(TraceTest, LevelsPrintTheirTextsAndNothingQuits) {
    Trace::start();
    capture.clear();
    Trace::write(Trace::Warning, "shaderAccess", "unable to retrieve the following uniform variable: %s for shader: %s",
                 "glow", "tiltShift shader");
    EXPECT_EQ(capture.text(),
              "WARNING (shaderAccess): unable to retrieve the following uniform variable: glow for shader: tiltShift shader\n");
    capture.clear();
    Trace::write(Trace::Error, "wicImageLoader", "could not load %s", "data/textures/x.png");
    Trace::write(Trace::Critical, "fboStack", "destroyed!");
    Trace::write(Trace::Info, "x", "info");
    EXPECT_EQ(capture.text(), "ERROR (wicImageLoader): could not load data/textures/x.png\n"
                              "CRITICAL (fboStack): destroyed!\nINFO (x): info\n");
    EXPECT_FALSE(quitPending());
}

// Before the trace starts, and when lowered to highest level zero after it started, only
// CRITICAL records are written.
TEST_F(TraceTest, HighestLevelZeroAndBeforeStartUpWriteOnlyCritical) {
    for (bool started : {false, true}) {
        if (started) {
            Trace::start();
            Trace::setHighestLevel(0);
        }
        capture.clear();
        Trace::write(Trace::Error, "x", "error");
        Trace::write(Trace::Info, "x", "info");
        Trace::write(Trace::Critical, "x", "critical");
        EXPECT_EQ(capture.text(), "CRITICAL (x): critical\n") << started;
    }
}

TEST_F(TraceTest, LongMessageIsCutAtTheBuffer) {
    Trace::setHighestLevel(3);
    std::string huge(20000, 'a');
    Trace::write(Trace::Info, "t", "%s", huge.c_str());
    std::string expected = "INFO (t): " + std::string(Trace::kBufferSize - 1, 'a') + "\n";
    EXPECT_EQ(capture.text(), expected);
}
// The stop record closes every run of the program (ProgramTest).
