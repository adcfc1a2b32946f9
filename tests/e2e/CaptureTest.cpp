// Capture mode of the real program: without a display, on the frame clock.
#include "platform/ImageDecoder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
std::string program() { return std::string(QM_BIN_DIR) + "/quillmont"; }

int capture(const std::string& out, const std::string& options, std::string& output) {
    // No display: the program renders off screen by itself.
    return qmtest::runCommand("cd /tmp && env -u DISPLAY '" + program() + "' --capture '" + out + "' " +
                                  options,
                              output);
}

// The same, with a limit on the size of every file it writes (KiB; 0: none may grow).
int captureWithFileLimit(int kib, const std::string& out, const std::string& options, std::string& output) {
    return qmtest::runCommand("cd /tmp && env -u DISPLAY bash -c 'ulimit -f " + std::to_string(kib) +
                                  "; exec \"$0\" \"$@\"' '" + program() + "' --capture '" + out + "' " + options,
                              output);
}

// The production plays the content beside the program, which the setup script forges.
class Capture : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(std::string(QM_BIN_DIR) + "/data/demosynch.dat"))
            GTEST_SKIP() << "no content beside the program: run build/bin/quillmont-forge build/bin "
                            "(scripts/setup does it)";
    }
};
} // namespace

TEST_F(Capture, WritesOneNumberedPictureAFrameOfTheRange) {
    qmtest::TempFolder tmp;
    std::string out;
    ASSERT_EQ(capture(tmp.file("frames"), "--size 320x180 --fps 10 --from 1 --to 1.5", out), 0) << out;
    std::vector<std::string> names = qmtest::listFolder(tmp.file("frames"));
    ASSERT_EQ(names.size(), 6u) << out; // 1.0, 1.1, ... 1.5
    EXPECT_EQ(names.front(), "000000.png");
    EXPECT_EQ(names.back(), "000005.png");
    qelFramework::platform::DecodedImage image;
    ASSERT_TRUE(qelFramework::platform::decodeImageFile(tmp.file("frames/000003.png"), image)) << image.error;
    EXPECT_EQ(image.width, 320);
    EXPECT_EQ(image.height, 180);
    EXPECT_NE(out.find("render time per frame average"), std::string::npos) << out;
    EXPECT_NE(out.find("wall time per frame"), std::string::npos) << out;
    EXPECT_NE(out.find("renderer"), std::string::npos);
}

// The kinds of stream in a video, one a line ("video\naudio\n").
std::string streams(const std::string& video) {
    std::string probe;
    EXPECT_EQ(qmtest::runCommand("ffprobe -v error -show_entries stream=codec_type -of csv=p=0 '" + video + "'", probe),
              0);
    return probe;
}

// The video extension in any case makes a video.
TEST_F(Capture, MakesAVideo) {
    qmtest::TempFolder tmp;
    std::string out;
    ASSERT_EQ(capture(tmp.file("clip.MP4"), "--size 320x180 --fps 10 --from 0 --to 1", out), 0) << out;
    std::string probe;
    ASSERT_EQ(qmtest::runCommand("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                 "stream=nb_read_frames,width,height -of csv=p=0 '" + tmp.file("clip.MP4") + "'",
                                 probe),
              0);
    EXPECT_EQ(probe.substr(0, probe.find('\n')), "320,180,11");
    EXPECT_EQ(streams(tmp.file("clip.MP4")), "video\naudio\n");
    EXPECT_EQ(qmtest::listFolder(tmp.path()), std::vector<std::string>{"clip.MP4"});
}

// A soundtrack that cannot be played, missing or damaged, is warned of once and leaves the
// video silent, as the show plays silently.
TEST_F(Capture, ADamagedSoundtrackGivesASilentVideo) {
    qmtest::TempFolder tmp;
    // The content beside the program, but for a soundtrack that is not MP3.
    std::filesystem::create_directory(tmp.file("data"));
    for (const auto& entry : std::filesystem::directory_iterator(std::string(QM_BIN_DIR) + "/data"))
        if (entry.path().filename() != "quillmont.mp3")
            std::filesystem::create_symlink(entry.path(), tmp.file("data/" + entry.path().filename().string()));
    qmtest::writeFile(tmp.file("data/quillmont.mp3"), std::string(5000, '\x55'));
    std::string out;
    ASSERT_EQ(qmtest::runCommand("cd '" + tmp.path() + "' && env -u DISPLAY timeout 300 '" + program() +
                                     "' --capture clip.mp4 --size 128x72 --fps 10 --to 0.3",
                                 out),
              0)
        << out;
    EXPECT_NE(out.find("WARNING (sound): could not open data/quillmont.mp3"), std::string::npos) << out;
    EXPECT_NE(out.find("holds no MP3 audio"), std::string::npos) << out;
    EXPECT_EQ(streams(tmp.file("clip.mp4")), "video\n");
}

// An encoder that says it succeeded has not always written the video: an empty one is no
// success. A leftover of a killed capture to the same output goes first, with a warning.
TEST_F(Capture, AnEncoderThatWritesNothingFailsTheCaptureAndLeftoversGo) {
    qmtest::TempFolder tmp;
    std::filesystem::create_directory(tmp.file("bin"));
    qmtest::writeFile(tmp.file("bin/ffmpeg"), "#!/bin/sh\ncat >/dev/null\nexit 0\n");
    std::filesystem::permissions(tmp.file("bin/ffmpeg"), std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    qmtest::writeFile(tmp.file("clip.mp4.quillmont-tmp"), "a killed capture's part");
    std::string out;
    EXPECT_EQ(qmtest::runCommand("cd /tmp && env -u DISPLAY PATH='" + tmp.file("bin") + "':\"$PATH\" timeout 300 '" +
                                     program() + "' --capture '" + tmp.file("clip.mp4") +
                                     "' --size 128x72 --fps 10 --to 0.5",
                                 out),
              1);
    EXPECT_NE(out.find("WARNING (capture): removed " + tmp.file("clip.mp4.quillmont-tmp") +
                       ", left by a capture that was cut off"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("capture: the video could not be finished: ffmpeg finished without writing the video"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("capture: no video written"), std::string::npos) << out;
    EXPECT_EQ(out.find(" frames to "), std::string::npos) << out;
    EXPECT_EQ(qmtest::listFolder(tmp.path()), std::vector<std::string>{"bin"});

    // A folder of pictures loses only the leftovers of its own writes.
    std::filesystem::create_directory(tmp.file("frames"));
    qmtest::writeFile(tmp.file("frames/000003.png.quillmont-tmp"), "cut");
    qmtest::writeFile(tmp.file("frames/notes.txt"), "kept");
    ASSERT_EQ(capture(tmp.file("frames"), "--size 128x72 --fps 10 --to 0.1", out), 0) << out;
    EXPECT_NE(out.find("WARNING (capture): removed " + tmp.file("frames/000003.png.quillmont-tmp")), std::string::npos)
        << out;
    EXPECT_EQ(qmtest::listFolder(tmp.file("frames")), (std::vector<std::string>{"000000.png", "000001.png", "notes.txt"}));
}

// A capture from any second writes what a capture from an earlier second writes there,
// however much of the show's state depends on what came before: the fireworks' bursts
// (30 s), and the city after the fireworks ended (60 s), whose sky shows the last
// fireworks picture drawn, at 55 s.
TEST_F(Capture, FromAnySecondWritesTheFramesOfAnEarlierStartAtAFireworksAndACityMoment) {
    struct Moment {
        const char *early, *late;
        const char* fastForward; // what the late start says of the frames before it
    } moments[] = {{"--fps 2 --from 27 --to 30", "--fps 2 --from 30 --to 30", "to 30.000 s (60 frames) took"},
                   {"--fps 1 --from 54 --to 60", "--fps 1 --from 60 --to 60", "to 60.000 s (60 frames) took"}};
    for (const Moment& m : moments) {
        qmtest::TempFolder tmp;
        std::string out;
        ASSERT_EQ(capture(tmp.file("early"), std::string("--size 320x180 ") + m.early, out), 0) << out;
        ASSERT_EQ(capture(tmp.file("late"), std::string("--size 320x180 ") + m.late, out), 0) << out;
        ASSERT_EQ(qmtest::listFolder(tmp.file("late")), std::vector<std::string>{"000000.png"}) << m.late;
        EXPECT_NE(out.find(std::string("capture: fast-forward ") + m.fastForward), std::string::npos) << out;
        EXPECT_EQ(qmtest::readFile(tmp.file("late/000000.png")), qmtest::readFile(tmp.file("early/000006.png"))) << m.late;
    }
}

// Segments of a range split it in whole key-frame groups (2 s): each frame is written by
// exactly one segment, under the name and with the bytes the whole capture gives it.
TEST_F(Capture, SegmentsWriteEveryFrameOfTheRangeOnce) {
    qmtest::TempFolder tmp;
    std::string out;
    const std::string range = "--size 128x72 --fps 2 --from 10 --to 15";
    ASSERT_EQ(capture(tmp.file("whole"), range, out), 0) << out;
    const std::vector<std::string> whole = qmtest::listFolder(tmp.file("whole"));
    ASSERT_EQ(whole.size(), 11u);
    std::vector<std::string> joined;
    const std::vector<std::vector<std::string>> expected = {
        {"000000.png", "000001.png", "000002.png", "000003.png"},
        {"000004.png", "000005.png", "000006.png", "000007.png"},
        {"000008.png", "000009.png", "000010.png"}};
    for (int k = 1; k <= 3; ++k) {
        const std::string part = tmp.file("part" + std::to_string(k));
        ASSERT_EQ(capture(part, range + " --segment " + std::to_string(k) + "/3", out), 0) << out;
        const std::vector<std::string> names = qmtest::listFolder(part);
        EXPECT_EQ(names, expected[static_cast<size_t>(k - 1)]) << k;
        for (const std::string& n : names)
            EXPECT_EQ(qmtest::readFile(part + "/" + n), qmtest::readFile(tmp.file("whole/" + n))) << k << " " << n;
        joined.insert(joined.end(), names.begin(), names.end());
    }
    EXPECT_EQ(joined, whole);

    // More segments than groups: the ones left over say so and write nothing.
    EXPECT_EQ(capture(tmp.file("none"), range + " --segment 1/4", out), 0) << out;
    EXPECT_NE(out.find("capture: segment 1 of 4 holds no frame"), std::string::npos) << out;
    EXPECT_FALSE(std::filesystem::exists(tmp.file("none")));
}

// A writer that fails ends the capture with its reason and leaves no part of a frame: a
// size limit stands in for a full disk (the write fails the same way), for pictures and
// for the video encoder.
TEST_F(Capture, AFailingWriterEndsTheCaptureWithItsReasonAndNoHalfWrittenFrame) {
    qmtest::TempFolder tmp;
    std::string out;
    // The early frames are small and dark; later ones outgrow the 2 KiB limit.
    EXPECT_NE(captureWithFileLimit(2, tmp.file("frames"), "--size 320x180 --fps 2 --from 3 --to 40", out), 0);
    EXPECT_NE(out.find("capture: cannot write " + tmp.file("frames") + "/0000"), std::string::npos) << out;
    EXPECT_NE(out.find(": File too large"), std::string::npos) << out;
    const std::vector<std::string> names = qmtest::listFolder(tmp.file("frames"));
    EXPECT_LT(names.size(), 75u);
    for (const std::string& n : names) {
        EXPECT_EQ(n.size(), 10u) << "a temporary file is left: " << n;
        qelFramework::platform::DecodedImage image;
        EXPECT_TRUE(qelFramework::platform::decodeImageFile(tmp.file("frames/" + n), image)) << n << ": " << image.error;
    }

    EXPECT_NE(captureWithFileLimit(0, tmp.file("clip.mp4"), "--size 320x180 --fps 2 --from 3 --to 10", out), 0);
    EXPECT_NE(out.find("capture: the video encoder stopped taking frames"), std::string::npos) << out;
    EXPECT_NE(out.find("File too large"), std::string::npos) << out << " (ffmpeg's own reason)";
    EXPECT_NE(out.find("ffmpeg exited with status 1"), std::string::npos) << out;
    EXPECT_NE(out.find("capture: no video written"), std::string::npos) << out;
    EXPECT_EQ(qmtest::listFolder(tmp.path()), std::vector<std::string>{"frames"}) << "neither the video nor its temporary file";

    // Without ffmpeg nothing is rendered and nothing is written.
    EXPECT_EQ(qmtest::runCommand("cd /tmp && env -u DISPLAY PATH=/nonexistent '" + program() +
                                     "' --capture '" + tmp.file("none.mp4") + "' --size 128x72 --to 1",
                                 out),
              1);
    EXPECT_NE(out.find("quillmont: the ffmpeg program is not installed"), std::string::npos) << out;
    EXPECT_FALSE(std::filesystem::exists(tmp.file("none.mp4")));
    // Nor where no folder can be made.
    EXPECT_NE(capture("/proc/no-such-folder/frames", "--size 128x72 --to 0.1", out), 0);
    EXPECT_NE(out.find("cannot make the folder /proc/no-such-folder/frames: No such file or directory"),
              std::string::npos) << out;
}

// SIGINT or SIGTERM to the capture and its encoder (a Ctrl+C reaches the whole process
// group) ends it between frames, saying so, with the exit status a shell gives for the
// signal, and without a video or its temporary file.
TEST_F(Capture, AnInterruptEndsTheCaptureSayingSoWithTheSignalsStatus) {
    for (const auto& [name, status] : {std::pair<std::string, int>{"INT", 130}, {"TERM", 143}}) {
        qmtest::TempFolder tmp, scripts;
        // Job control gives the capture a process group of its own, with SIGINT not ignored.
        qmtest::writeFile(scripts.file("interrupt"),
                          "set -m\ncd '" + tmp.path() + "'\nenv -u DISPLAY '" + program() +
                              "' --capture clip.mp4 --size 128x72 --fps 10 --to 30 >" + scripts.file("log") + " 2>&1 &\n"
                              "pid=$!\n"
                              "for i in $(seq 1200); do grep -q 'capture: frame' " + scripts.file("log") +
                              " && break; sleep 0.1; done\n"
                              "kill -" + name + " -- -$pid\nwait $pid\necho status=$?\ncat " + scripts.file("log") + "\n");
        std::string out;
        ASSERT_EQ(qmtest::runCommand("timeout 300 bash '" + scripts.file("interrupt") + "'", out), 0) << out;
        EXPECT_NE(out.find("status=" + std::to_string(status) + "\n"), std::string::npos) << out;
        EXPECT_NE(out.find("capture: interrupted by SIG" + name + "\n"), std::string::npos) << out;
        EXPECT_EQ(out.find("Broken pipe"), std::string::npos) << out;
        EXPECT_NE(out.find("capture: no video written"), std::string::npos) << out;
        EXPECT_TRUE(qmtest::listFolder(tmp.path()).empty()) << out;
    }
}

// Without its content the show stops at the first missing picture (the trace log quits on
// errors): the capture must fail and say how far it got, not end quietly.
TEST(CaptureWithoutContent, FailsAndSaysHowFarItGot) {
    qmtest::TempFolder tmp;
    std::filesystem::copy_file(program(), tmp.file("quillmont"));
    std::filesystem::permissions(tmp.file("quillmont"), std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    std::string out;
    const int status = qmtest::runCommand("cd '" + tmp.path() + "' && env -u DISPLAY timeout 120 ./quillmont --capture frames "
                                          "--size 128x72 --fps 10 --from 1 --to 1.5", out);
    EXPECT_NE(status, 0) << out;
    EXPECT_NE(out.find("no data/ folder"), std::string::npos) << out;
    EXPECT_NE(out.find("the production stopped after 0 of 6 frames"), std::string::npos) << out;
}
