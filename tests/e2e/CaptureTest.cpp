// Capture mode of the real program: without a display, on the frame clock.
#include "platform/ImageDecoder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {
std::string program() { return std::string(QM_BIN_DIR) + "/quillmont"; }

int capture(const std::string& out, const std::string& options, std::string& output) {
    // No display: the program renders off screen by itself.
    return qmtest::runCommand("cd /tmp && env -u DISPLAY timeout 300 '" + program() + "' --capture '" + out + "' " +
                                  options,
                              output);
}

std::vector<std::string> files(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
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
    std::vector<std::string> names = files(tmp.file("frames"));
    ASSERT_EQ(names.size(), 6u) << out; // 1.0, 1.1, ... 1.5
    EXPECT_EQ(names.front(), "000000.png");
    EXPECT_EQ(names.back(), "000005.png");
    qelFramework::platform::DecodedImage image;
    ASSERT_TRUE(qelFramework::platform::decodeImageFile(tmp.file("frames/000003.png"), image)) << image.error;
    EXPECT_EQ(image.width, 320);
    EXPECT_EQ(image.height, 180);
    EXPECT_NE(out.find("frame time average"), std::string::npos) << out;
    EXPECT_NE(out.find("renderer"), std::string::npos);

    // The frame that falls on --to is written whatever the rounding of the two times.
    for (const std::string from : {"60", "75"}) {
        ASSERT_EQ(capture(tmp.file(from), "--size 128x72 --fps 10 --from " + from + " --to " + from + ".2", out), 0) << out;
        EXPECT_EQ(files(tmp.file(from)).size(), 3u) << from;
    }
}

TEST_F(Capture, TwoCapturesOfTheSameRangeAreIdentical) {
    qmtest::TempFolder tmp;
    std::string out;
    ASSERT_EQ(capture(tmp.file("a"), "--size 256x144 --fps 5 --from 2 --to 3", out), 0) << out;
    ASSERT_EQ(capture(tmp.file("b"), "--size 256x144 --fps 5 --from 2 --to 3", out), 0) << out;
    std::vector<std::string> names = files(tmp.file("a"));
    ASSERT_EQ(names.size(), 6u);
    for (const std::string& n : names)
        EXPECT_EQ(qmtest::readFile(tmp.file("a/" + n)), qmtest::readFile(tmp.file("b/" + n))) << n;
}

TEST_F(Capture, MakesAVideo) {
    qmtest::TempFolder tmp;
    std::string out;
    ASSERT_EQ(capture(tmp.file("clip.mp4"), "--size 320x180 --fps 10 --from 0 --to 1", out), 0) << out;
    std::string probe;
    ASSERT_EQ(qmtest::runCommand("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                 "stream=nb_read_frames,width,height -of csv=p=0 '" + tmp.file("clip.mp4") + "'",
                                 probe),
              0);
    EXPECT_EQ(probe.substr(0, probe.find('\n')), "320,180,11");
}

TEST_F(Capture, RejectsAnUnwritableOutput) {
    std::string out;
    EXPECT_NE(capture("/proc/no-such-folder/frames", "--size 128x72 --to 0.1", out), 0);
    EXPECT_NE(out.find("cannot make the folder /proc/no-such-folder/frames: No such file or directory"),
              std::string::npos) << out;
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
