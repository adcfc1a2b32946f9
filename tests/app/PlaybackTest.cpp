// The transport: the production clock and the soundtrack moved by one formula.
#include "app/MusicStream.h"
#include "app/Playback.h"
#include "platform/Kernel.h"
#include "platform/Mp3Encoder.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace qelFramework;

TEST(Playback, ClockAndMusicAgreeThroughSeekStartHoldAndPlay) {
    qmtest::WorkingFolder folder;
    ASSERT_TRUE(platform::makeFolder("data"));
    std::string error;
    ASSERT_TRUE(platform::encodeMp3File("data/quillmont.mp3", std::vector<std::int16_t>(2 * 8000 * 40), 8000, 32,
                                        error))
        << error;
    MusicStream music;
    // The file alone, without an output: the position moves only where it is set.
    music.opened = music.player.open(kSoundtrackFile, error);
    ASSERT_TRUE(music.opened) << error;

    HiResTimer clock;
    clock.reset(2.0f); // the show's first entry starts at 2 s; the music starts with it
    Timeline timeline;
    timeline.setState(Playing);
    Playback playback(clock, timeline);
    playback.setMusic(&music);

    // A seek: production second t, the music at t minus the offset.
    playback.seek(12.5f);
    EXPECT_FLOAT_EQ(clock.productionSeconds(), 12.5f);
    EXPECT_EQ(music.player.positionMs(), 10500);
    // A key press half a second after the clock's last reading happened at 13 s.
    EXPECT_FLOAT_EQ(playback.timeAt(clock.currentCount + clock.frequency / 2), 13.0f);
    playback.seek(1.0f); // before the show: the music at its start
    EXPECT_EQ(music.player.positionMs(), 0);

    // The start of playback takes the same road; a start before the offset is the offset.
    playback.start(5.0f);
    EXPECT_FLOAT_EQ(clock.productionSeconds(), 5.0f);
    EXPECT_EQ(music.player.positionMs(), 3000);
    playback.start(0.5f);
    EXPECT_FLOAT_EQ(clock.productionSeconds(), 2.0f);
    EXPECT_EQ(music.player.positionMs(), 0);

    // Held at the end: paused on the last millisecond; a seek plays on from there.
    playback.holdAt(41999);
    EXPECT_EQ(clock.productionMilliseconds(), 41999u);
    EXPECT_TRUE(playback.heldAtEnd());
    EXPECT_FALSE(playback.playing());
    playback.seek(20.0f);
    EXPECT_TRUE(playback.playing());
    EXPECT_FALSE(playback.heldAtEnd());
    EXPECT_EQ(music.player.positionMs(), 18000);
    // A plain pause and seek stay paused; play goes on.
    playback.pause();
    playback.seek(30.0f);
    EXPECT_FALSE(playback.playing());
    EXPECT_TRUE(playback.takeRefresh());
    playback.holdAt(41999);
    playback.play();
    EXPECT_TRUE(playback.playing());
    EXPECT_FALSE(playback.heldAtEnd());

    // Paused, a press is at the production time however late it is handled; the seek
    // asks the frame loop for one frame at the new time.
    playback.pause();
    EXPECT_FALSE(playback.takeRefresh());
    playback.seek(7.0f);
    EXPECT_FLOAT_EQ(playback.timeAt(clock.currentCount + clock.frequency), 7.0f);
    EXPECT_TRUE(playback.takeRefresh());
    EXPECT_FALSE(playback.takeRefresh());
}

namespace {
std::int64_t g_now = 0;
std::int64_t testCounter() { return g_now; }
} // namespace

TEST(Playback, ASeekPauseOrPlayCountsFromItsOwnMomentNotFromTheFramesReadingOfTheClock) {
    // At a few frames a second a click waits up to a frame; the music changes when it is
    // handled, so the clock must change there too, or it runs ahead of (or behind) the music.
    platform::setCounterSource(testCounter);
    const std::int64_t second = platform::queryPerformanceFrequency();
    g_now = 0;
    HiResTimer clock;
    clock.reset(0.0f);
    Timeline timeline;
    timeline.setState(Playing);
    Playback playback(clock, timeline);
    clock.update(true); // the frame's reading
    g_now = second / 2;
    playback.seek(10.0f);
    EXPECT_FLOAT_EQ(playback.timeAt(g_now + second / 10), 10.1f); // a press after the seek
    g_now = second;
    clock.update(true);
    EXPECT_FLOAT_EQ(clock.productionSeconds(), 10.5f);
    g_now += second / 5;
    playback.pause();
    g_now += second;
    clock.update(false);
    EXPECT_FLOAT_EQ(clock.productionSeconds(), 10.7f);
    g_now += second / 4;
    playback.play();
    g_now += second / 2;
    clock.update(true);
    EXPECT_FLOAT_EQ(clock.productionSeconds(), 11.2f);
    platform::setCounterSource(nullptr);
}
