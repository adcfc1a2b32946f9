#include "app/MusicStream.h"
#include "base/Trace.h"
#include "platform/Mp3Encoder.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace qelFramework;

// The soundtrack start-up opens says why it cannot be had, or how much of the show it
// leaves silent.
TEST(MusicStream, AMissingOrShortSoundtrackIsNamedWithItsReasonOrBothLengths) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    qmtest::WorkingFolder folder;
    qmtest::TraceCapture trace;
    Trace::setHighestLevel(Trace::Info);
    MusicStream music;
    openSoundtrack(music, 260000);
    EXPECT_FALSE(music.opened);
    EXPECT_EQ(trace.records(), std::vector<std::string>{"WARNING (sound): could not open data/quillmont.mp3: cannot "
                                                        "open data/quillmont.mp3: No such file or directory"});

    ASSERT_TRUE(platform::makeFolder("data"));
    std::string error;
    ASSERT_TRUE(platform::encodeMp3File("data/quillmont.mp3", std::vector<std::int16_t>(2 * 44100 * 3 / 2), 44100, 128,
                                        error))
        << error;
    for (std::uint32_t showMs : {260000u, 1500u, 1000u}) {
        trace.clear();
        openSoundtrack(music, showMs);
        ASSERT_TRUE(music.opened);
        // The silent driver is asked for: said once, after what the file holds.
        std::vector<std::string> expected = {
            "WARNING (sound): the silent audio driver was asked for: the soundtrack plays silently, on the clock"};
        if (showMs > 1500)
            expected.insert(expected.begin(), "WARNING (sound): the soundtrack data/quillmont.mp3 lasts 1.500 s, "
                                              "shorter than the show's 260.000 s");
        EXPECT_EQ(trace.records(), expected);
    }
    music.player.close();
    Trace::reset();
}
