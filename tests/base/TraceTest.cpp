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

TEST_F(TraceTest, StartWritesTheTwoRecordsInSixPieces) {
    Trace::start();
    EXPECT_EQ(capture.text(), "INFO (trace): Trace started\nINFO (trace): Enabled quit on trace level: 1\n");
    EXPECT_EQ(Trace::highestLevel(), 3);
    EXPECT_EQ(Trace::quitLevel(), 1);
    EXPECT_FALSE(quitPending());
}

TEST_F(TraceTest, LevelsAndQuitRule) {
    Trace::start();
    capture.clear();
    Trace::write(Trace::WARNING, "shaderAccess", "unable to retrieve the following uniform variable: %s for shader: %s",
                 "glow", "tiltShift shader");
    EXPECT_EQ(capture.text(),
              "WARNING (shaderAccess): unable to retrieve the following uniform variable: glow for shader: tiltShift shader\n");
    EXPECT_FALSE(quitPending()) << "a warning must not end the production";

    Trace::write(Trace::ERROR, "wicImageLoader", "could not load %s", "data\\textures\\x.png");
    EXPECT_TRUE(capture.contains("ERROR (wicImageLoader): could not load data\\textures\\x.png\n"));
    EXPECT_TRUE(quitPending());

    Trace::write(Trace::CRITICAL, "fboStack", "destroyed!");
    EXPECT_TRUE(quitPending());
}

TEST_F(TraceTest, HighestLevelZeroWritesOnlyCriticalAndErrorNeitherWritesNorQuits) {
    Trace::setHighestLevel(0);
    Trace::setQuitLevel(1);
    Trace::write(Trace::ERROR, "x", "error");
    Trace::write(Trace::INFO, "x", "info");
    EXPECT_EQ(capture.text(), "");
    EXPECT_FALSE(quitPending());
    Trace::write(Trace::CRITICAL, "x", "critical");
    EXPECT_EQ(capture.text(), "CRITICAL (x): critical\n");
    EXPECT_TRUE(quitPending());
}

TEST_F(TraceTest, BeforeStartUpOnlyCriticalIsWrittenAndNothingQuits) {
    Trace::write(Trace::CRITICAL, "x", "c");
    Trace::write(Trace::WARNING, "x", "w");
    EXPECT_EQ(capture.text(), "CRITICAL (x): c\n");
    EXPECT_FALSE(quitPending());
}

TEST_F(TraceTest, LongMessageIsCutAtTheBuffer) {
    Trace::setHighestLevel(3);
    std::string huge(20000, 'a');
    Trace::write(Trace::INFO, "t", "%s", huge.c_str());
    std::string expected = "INFO (t): " + std::string(Trace::kBufferSize - 1, 'a') + "\n";
    EXPECT_EQ(capture.text(), expected);
}
// The stop record closes every run of the program (ProgramTest).
