// The video encoder pipe: key frames on a fixed grid, so that videos of consecutive
// parts join into the video of the whole, and a video written whole or not at all.
#include "platform/VideoPipe.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#ifndef _WIN32

#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>

using namespace qelFramework::platform;

namespace {
constexpr int kWidth = 64, kHeight = 48;

// A frame that differs from its neighbours: a bright bar sweeping over a gradient.
std::vector<std::uint8_t> frame(int n) {
    std::vector<std::uint8_t> rgb(kWidth * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* p = &rgb[static_cast<size_t>((y * kWidth + x) * 3)];
            const bool bar = (x + 3 * n) % kWidth < 6;
            p[0] = bar ? 250 : static_cast<std::uint8_t>(x * 3);
            p[1] = bar ? 240 : static_cast<std::uint8_t>(y * 4 + n);
            p[2] = static_cast<std::uint8_t>(100 + n * 5);
        }
    return rgb;
}

bool encode(const std::string& path, int first, int count, std::string& error) {
    VideoSettings settings;
    settings.width = kWidth;
    settings.height = kHeight;
    settings.fps = 10;
    settings.keyframeInterval = 4;
    VideoPipe pipe;
    if (!pipe.open(path, settings, error))
        return false;
    for (int n = first; n < first + count; ++n)
        if (!pipe.write(frame(n).data(), error))
            return false;
    return pipe.close(true, error);
}

std::string run(const std::string& command) {
    std::string out;
    EXPECT_EQ(qmtest::runCommand(command, out), 0) << command << "\n" << out;
    return out;
}

// The decoded frames' checksums, one line each.
std::string decodedFrames(const std::string& path) {
    return run("ffmpeg -loglevel error -i '" + path + "' -f framemd5 - | grep -v '^#' | cut -d, -f6");
}
} // namespace

TEST(VideoPipe, KeyFramesOnTheGridLetPartsJoinIntoTheVideoOfTheWhole) {
    qmtest::Deadline bound(120, "encoding and joining the parts through ffmpeg");
    qmtest::TempFolder dir;
    std::string error;
    ASSERT_TRUE(encode(dir.file("whole.mp4"), 0, 12, error)) << error;
    ASSERT_TRUE(encode(dir.file("a.mp4"), 0, 4, error)) << error;
    ASSERT_TRUE(encode(dir.file("b.mp4"), 4, 8, error)) << error;
    EXPECT_EQ(qmtest::listFolder(dir.path()), (std::vector<std::string>{"a.mp4", "b.mp4", "whole.mp4"})) << "no temporary file";

    EXPECT_EQ(run("ffprobe -v error -select_streams v:0 -show_entries frame=key_frame -of csv=p=0 '" +
                  dir.file("whole.mp4") + "' | tr -d ',\\n'"),
              "100010001000");
    qmtest::writeFile(dir.file("parts.txt"), "file 'a.mp4'\nfile 'b.mp4'\n");
    run("cd '" + dir.path() + "' && ffmpeg -loglevel error -f concat -i parts.txt -c copy joined.mp4");
    const std::string whole = decodedFrames(dir.file("whole.mp4"));
    EXPECT_EQ(std::count(whole.begin(), whole.end(), '\n'), 12);
    EXPECT_EQ(decodedFrames(dir.file("joined.mp4")), whole);
}

TEST(VideoPipe, AVideoIsWrittenWholeOrNotAtAll) {
    qmtest::Deadline bound(120, "ffmpeg taking frames or ending");
    qmtest::TempFolder dir;
    VideoSettings settings;
    settings.width = kWidth;
    settings.height = kHeight;
    std::string error;

    // Given up: neither the video nor its temporary file stays.
    {
        VideoPipe pipe;
        ASSERT_TRUE(pipe.open(dir.file("dropped.mp4"), settings, error)) << error;
        ASSERT_TRUE(pipe.write(frame(0).data(), error)) << error;
        EXPECT_TRUE(pipe.close(false, error));
    }
    {
        VideoPipe pipe; // destroyed unfinished
        ASSERT_TRUE(pipe.open(dir.file("dropped.mp4"), settings, error)) << error;
    }
    EXPECT_TRUE(qmtest::listFolder(dir.path()).empty());

    // Whatever keeps the video from its place is found before any frame is taken.
    VideoPipe pipe;
    EXPECT_FALSE(pipe.open(dir.file("no-such-folder/clip.mp4"), settings, error));
    EXPECT_EQ(error, "cannot create " + dir.file("no-such-folder/clip.mp4.quillmont-tmp") + ": No such file or directory");
    std::filesystem::create_directory(dir.file("taken.mp4"));
    EXPECT_FALSE(pipe.open(dir.file("taken.mp4"), settings, error));
    EXPECT_EQ(error, "cannot write the video " + dir.file("taken.mp4") + ": a folder has that name");
    std::filesystem::remove(dir.file("taken.mp4"));
    VideoSettings odd = settings;
    odd.width = 65;
    EXPECT_FALSE(pipe.open(dir.file("odd.mp4"), odd, error));
    EXPECT_EQ(error, "H.264 in 4:2:0 needs an even width and height, not 65x48");

    // An encoder that cannot write (here under a file size limit of nothing, which it
    // inherits) stops taking frames, fails, and leaves nothing.
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit unlimited = limit;
    limit.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const bool opened = pipe.open(dir.file("clip.mp4"), settings, error);
    setrlimit(RLIMIT_FSIZE, &unlimited);
    ASSERT_TRUE(opened) << error;
    bool wrote = true;
    for (int n = 0; n < 200 && wrote; ++n)
        wrote = pipe.write(frame(n).data(), error);
    EXPECT_FALSE(wrote);
    EXPECT_EQ(error, "the video encoder stopped taking frames (Broken pipe)");
    EXPECT_FALSE(pipe.close(true, error));
    EXPECT_EQ(error, "ffmpeg exited with status 1 (its messages are above)");
    EXPECT_TRUE(qmtest::listFolder(dir.path()).empty());

    // Without ffmpeg on the path nothing starts.
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", "/nonexistent", 1);
    EXPECT_FALSE(pipe.open(dir.file("clip.mp4"), settings, error));
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(error, "the ffmpeg program is not installed");
    EXPECT_FALSE(pipe.isOpen());
}

// An encoder that exits 0 is not taken at its word: the video must be there, hold
// something ffprobe reads, and hold every frame given. Stand-ins for ffmpeg come first on
// the path.
TEST(VideoPipe, AnEncoderThatSaysItSucceededMustHaveWrittenEveryFrame) {
    std::string real;
    ASSERT_EQ(qmtest::runCommand("command -v ffmpeg | tr -d '\\n'", real), 0);
    qmtest::TempFolder dir, bin;
    VideoSettings settings;
    settings.width = kWidth;
    settings.height = kHeight;
    const std::pair<std::string, std::string> encoders[] = {
        {"cat >/dev/null", "ffmpeg finished without writing the video " + dir.file("clip.mp4.quillmont-tmp")},
        {"cat >/dev/null; for last; do :; done; echo not a video >\"$last\"",
         "ffmpeg wrote a video that ffprobe cannot read: "},
        // Only the first frame goes into the video; the rest are read and dropped.
        {"for last; do :; done; set -- \"${@:1:$#-1}\"; exec '" + real +
             "' \"$@\" -vf \"select=lt(n\\,1)\" -fps_mode passthrough \"$last\"",
         "ffmpeg wrote 1 of the 3 frames it was given into the video"},
    };
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    for (const auto& [body, reason] : encoders) {
        qmtest::writeFile(bin.file("ffmpeg"), "#!/bin/bash\n" + body + "\nexit 0\n");
        std::filesystem::permissions(bin.file("ffmpeg"), std::filesystem::perms::owner_exec,
                                     std::filesystem::perm_options::add);
        setenv("PATH", (bin.path() + ":" + path).c_str(), 1);
        std::string error;
        VideoPipe pipe;
        bool ok = pipe.open(dir.file("clip.mp4"), settings, error);
        for (int n = 0; ok && n < 3; ++n)
            ok = pipe.write(frame(n).data(), error);
        ok = ok && pipe.close(true, error);
        setenv("PATH", path.c_str(), 1);
        EXPECT_FALSE(ok) << body;
        EXPECT_EQ(error.substr(0, reason.size()), reason) << body;
        EXPECT_TRUE(qmtest::listFolder(dir.path()).empty()) << body;
    }
}

#else

#include <cstdlib>
#include <filesystem>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

using namespace qelFramework::platform;

// An old video that the finished one could not replace, after every frame was rendered,
// is found before the first: one a player holds open, or one that is read-only.
TEST(VideoPipe, AnOldVideoThatCannotBeReplacedIsFoundBeforeAnyFrame) {
    qmtest::TempFolder dir;
    qmtest::writeFile(dir.file("ffmpeg.exe"), ""); // found on the path
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", dir.path().c_str(), 1);
    const std::string old = dir.file("old.mp4");
    qmtest::writeFile(old, "old");
    VideoSettings settings;
    settings.width = 64;
    settings.height = 48;
    VideoPipe pipe;
    std::string error;
    // Held as a player holds it: others may read it, not change or delete it.
    std::FILE* player = _wfsopen(std::filesystem::path(old).c_str(), L"rb", _SH_DENYWR);
    ASSERT_NE(player, nullptr);
    EXPECT_FALSE(pipe.open(old, settings, error));
    EXPECT_NE(error.find("cannot replace the video"), std::string::npos) << error;
    EXPECT_NE(error.find("another program has it open"), std::string::npos) << error;
    std::fclose(player);
    ASSERT_EQ(_wchmod(std::filesystem::path(old).c_str(), _S_IREAD), 0);
    EXPECT_FALSE(pipe.open(old, settings, error));
    EXPECT_NE(error.find("it is read-only"), std::string::npos) << error;
    ASSERT_EQ(_wchmod(std::filesystem::path(old).c_str(), _S_IREAD | _S_IWRITE), 0);
    // Free to go: on to starting the encoder (an empty file, which may or may not start).
    if (pipe.open(old, settings, error))
        pipe.close(false, error);
    else
        EXPECT_EQ(error.rfind("cannot start ffmpeg", 0), 0u) << error;
    EXPECT_EQ(qmtest::readFile(old), "old");
    setenv("PATH", path.c_str(), 1);
}

TEST(VideoPipe, PosixOnly) {
    GTEST_SKIP() << "needs ffmpeg, stand-in ffmpeg shell scripts and setrlimit's file size limit:"
                    " POSIX only";
}

#endif
