// The capture inside the program: its frame clock and fast-forward on a small production.
#include "app/Capture.h"
#include "app/Production.h"
#include "gl/PixelDiscard.h"
#include "platform/EventQueue.h"
#include "support/TestSupport.h"
#include "timeline/Layer_Base.h"

#include <gtest/gtest.h>

#include <map>

using namespace qelFramework;

namespace {
Production* g_production = nullptr;

// Notes, for every frame it renders, whether the frame's pixels were discarded.
struct DiscardLog : Layer_Base {
    std::map<std::uint32_t, bool>* discarded;
    explicit DiscardLog(std::map<std::uint32_t, bool>* log) : discarded(log) {}
    bool init(GL_TextureManager*, SyncData*) override { return true; }
    void update(const FrameInfo&) override {}
    void render() override { (*discarded)[g_production->clock().productionMilliseconds()] = pixelsDiscarded(); }
    void unload() override {}
};
} // namespace

// The frames before the first one written play without pixels, but a frame in which a
// track ends within the next two frames draws: the render targets its layers leave may
// show later. At 10 frames a second the frame at 1000 ms of a track ending at 1020 ms draws.
TEST(CaptureFastForward, AFrameShortlyBeforeATrackEndsIsDrawn) {
    qmtest::GLContext gl{64, 64, 0};
    ASSERT_TRUE(gl.ok());
    qmtest::TempFolder dir;
    platform::resetInput();
    Production production;
    g_production = &production;
    production.setUp(nullptr);
    std::map<std::uint32_t, bool> ending, lasting;
    production.timeline().registerLayer(new DiscardLog(&ending), "ending");
    production.timeline().registerLayer(new DiscardLog(&lasting), "lasting");
    production.timeline().addEntry("ending", 0, 0, 1020);
    production.timeline().addEntry("lasting", 1, 0, 3000);

    CaptureSettings settings;
    settings.output = dir.file("frames");
    settings.fps = 10;
    settings.width = settings.height = 64;
    settings.from = settings.to = 2.0;
    std::string error;
    ASSERT_EQ(beginCapture(settings, production, error), CaptureStart::Started) << error;
    production.timeline().setState(Loaded);
    production.runFrameLoop(gl.handle());
    EXPECT_TRUE(endCapture());
    g_production = nullptr;

    EXPECT_TRUE(lasting.at(500)) << "far from any end: no pixels";
    EXPECT_FALSE(ending.at(1000)) << "20 ms before its track ends";
    EXPECT_FALSE(lasting.at(1000));
    EXPECT_FALSE(lasting.at(1900)) << "the frame before the first one written";
    EXPECT_FALSE(lasting.at(2000));
    EXPECT_EQ(qmtest::listFolder(dir.file("frames")), std::vector<std::string>{"000000.png"});
}
