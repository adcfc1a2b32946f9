// The content forge, run as the setup script runs it: a folder in, the production's
// content out, the same bytes every time.
#include "forge/Products.h"
#include "platform/ImageDecoder.h"
#include "platform/Paths.h"
#include "platform/Sound.h"
#include "editor/Bookmarks.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct Picture {
    const char* file; // relative to the output folder
    int width, height, channels;
};

const Picture kPictures[] = {
    {"data/textures/loading.png", 1280, 720, 3},  {"data/textures/distortion.png", 256, 256, 3},
    {"data/textures/noise.png", 512, 512, 3},     {"data/textures/border.png", 1280, 720, 4},
    {"data/textures/vorlix-overlay.png", 1280, 720, 4},
};

// The picture's size, channel count (3 or 4: only 8-bit RGB and RGBA decode) and pixels.
bool readPicture(const std::string& path, int& w, int& h, int& channels, std::vector<std::uint8_t>& pixels) {
    qelFramework::platform::DecodedImage image;
    if (!qelFramework::platform::decodeImageFile(path, image))
        return false;
    w = image.width;
    h = image.height;
    channels = image.channels;
    pixels.assign(image.pixels.get(), image.pixels.get() + static_cast<size_t>(w) * h * channels);
    return true;
}

} // namespace

TEST(Forge, TwoRunsMakeTheSameBytes) {
    qmtest::TempFolder a, b;
    std::string out;
    ASSERT_EQ(qmtest::forge(a.path(), out), 0) << out;
    // One progress line per product.
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'),
              static_cast<std::ptrdiff_t>(qelFramework::forge::allProducts().size()))
        << out;
    EXPECT_NE(out.find("data/quillmont.mp3"), std::string::npos);
    ASSERT_EQ(qmtest::forge(b.path(), out), 0) << out;

    std::vector<std::string> files;
    for (const qelFramework::forge::Product& p : qelFramework::forge::allProducts())
        files.push_back(qelFramework::platform::nativePath(p.file));
    for (const std::string& f : files) {
        const std::string first = qmtest::readFile(a.file(f));
        // The editor's tempo and bookmarks files are a few short lines; the rest is content.
        if (f != "data/tempo.txt" && f != "editor/bookmarks.txt") {
            EXPECT_GT(first.size(), 1000u) << f;
        }
        EXPECT_TRUE(first == qmtest::readFile(b.file(f))) << f << " differs between runs";
    }
    // 260 s at 192 kbit/s, ending in silence; nothing clips, and it is music, not near-silence.
    EXPECT_NEAR(static_cast<double>(qmtest::readFile(a.file("data/quillmont.mp3")).size()), 260.0 * 192000 / 8,
                260.0 * 192000 / 8 * 0.01);
    std::vector<std::int16_t> samples;
    std::uint32_t frames = 0, rate = 0;
    ASSERT_TRUE(qelFramework::platform::decodeSoundFile(a.file("data/quillmont.mp3"), samples, frames, rate));
    EXPECT_EQ(rate, 44100u);
    EXPECT_NEAR(static_cast<double>(frames) / rate, 260.0, 0.1);
    int tail = 0, peak = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
        if (i >= samples.size() - 44100)
            tail = std::max(tail, std::abs(static_cast<int>(samples[i])));
    }
    EXPECT_LE(tail, 2);
    EXPECT_LT(peak, 32767);
    EXPECT_GT(peak, 16000);
    EXPECT_EQ(qmtest::runCommand("test -d " + a.file("editor"), out), 0);
}

TEST(Forge, PicturesAre8BitRgbOrRgbaAndShowWhatTheyAreFor) {
    qmtest::TempFolder dir;
    std::string out;
    ASSERT_EQ(qmtest::forge(dir.path() + " --only loading --only distortion --only noise --only border --only overlay",
                            out),
              0)
        << out;
    for (const Picture& p : kPictures) {
        int w = 0, h = 0, c = 0;
        std::vector<std::uint8_t> px;
        ASSERT_TRUE(readPicture(dir.file(p.file), w, h, c, px)) << p.file;
        EXPECT_EQ(std::vector<int>({w, h, c}), std::vector<int>({p.width, p.height, p.channels})) << p.file;
    }
    int w, h, c;
    std::vector<std::uint8_t> px;
    auto at = [&](int x, int y, int ch) { return static_cast<int>(px[static_cast<size_t>((y * w + x) * c + ch)]); };

    // Border: opaque rim, fully transparent middle, the same at top and bottom (drawn unflipped).
    ASSERT_TRUE(readPicture(dir.file("data/textures/border.png"), w, h, c, px));
    EXPECT_EQ(at(0, 0, 3), 255);
    EXPECT_EQ(at(w / 2, 2, 3), 255);
    EXPECT_EQ(at(w / 2, h / 2, 3), 0);
    EXPECT_EQ(at(w / 3, h / 2, 3), 0);
    for (int y = 0; y < h; y += 37)
        EXPECT_EQ(at(w / 4, y, 3), at(w / 4, h - 1 - y, 3)) << y;

    // Overlay: mostly transparent, the mark in the lower right.
    ASSERT_TRUE(readPicture(dir.file("data/textures/vorlix-overlay.png"), w, h, c, px));
    long clear = 0, markLowerRight = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (at(x, y, 3) == 0)
                ++clear;
            else if (x > w / 2 && y > h * 3 / 4 && at(x, y, 3) > 200)
                ++markLowerRight;
        }
    EXPECT_GT(clear, static_cast<long>(w) * h * 9 / 10);
    EXPECT_GT(markLowerRight, 500);

    // Distortion: red and green centred on mid-grey (no shift on average), blue at rest.
    ASSERT_TRUE(readPicture(dir.file("data/textures/distortion.png"), w, h, c, px));
    double mean[2] = {0, 0};
    int lo = 255, hi = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            mean[0] += at(x, y, 0);
            mean[1] += at(x, y, 1);
            lo = std::min(lo, at(x, y, 0));
            hi = std::max(hi, at(x, y, 0));
            EXPECT_EQ(at(x, y, 2), 128);
            if (x == 0) { // seamless when it wraps
                EXPECT_LE(std::abs(at(0, y, 0) - at(w - 1, y, 0)), 12);
            }
        }
    EXPECT_NEAR(mean[0] / (w * h), 127.5, 2.0);
    EXPECT_NEAR(mean[1] / (w * h), 127.5, 2.0);
    EXPECT_GT(hi - lo, 150); // it uses the range

    // Grain: grey, centred, fine (neighbours differ).
    ASSERT_TRUE(readPicture(dir.file("data/textures/noise.png"), w, h, c, px));
    double sum = 0, step = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            ASSERT_EQ(at(x, y, 0), at(x, y, 1)) << x << ", " << y;
            ASSERT_EQ(at(x, y, 1), at(x, y, 2)) << x << ", " << y;
            sum += at(x, y, 0);
            if (x > 0)
                step += std::abs(at(x, y, 0) - at(x - 1, y, 0));
        }
    EXPECT_NEAR(sum / (w * h), 127.5, 3.0);
    EXPECT_GT(step / (w * h), 10.0);
}

TEST(Forge, RefusesBadCommandLinesAndUnwritableFolders) {
    std::string out;
    EXPECT_EQ(qmtest::forge("", out), 2);
    EXPECT_NE(out.find("usage"), std::string::npos);
    qmtest::TempFolder dir;
    EXPECT_EQ(qmtest::forge(dir.path() + " --only nothing", out), 2);
    EXPECT_NE(out.find("nothing"), std::string::npos);
    EXPECT_EQ(qmtest::forge(dir.path() + " " + dir.path(), out), 2);

    qmtest::writeFile(dir.file("plain"), "x"); // a file where a folder must go
    EXPECT_EQ(qmtest::forge(dir.file("plain") + " --only noise", out), 1);
    EXPECT_NE(out.find("cannot"), std::string::npos) << out;

    ASSERT_EQ(qmtest::forge("--list", out), 0);
    for (const char* name : {"data/textures/loading.png", "data/textures/border.png", "data/quillmont.mp3",
                             "data/demosynch.dat"})
        EXPECT_NE(out.find(name), std::string::npos) << name;
}

TEST(Forge, TheEditorGetsTheBeatGridAndBookmarksAtTheSceneChangesButKeepsTheMakersOwn) {
    qmtest::TempFolder dir;
    std::string out;
    ASSERT_EQ(qmtest::forge(dir.path() + " --only tempo --only bookmarks", out), 0) << out;
    EXPECT_EQ(qmtest::readFile(dir.file("data/tempo.txt")), "bpm 127\noffset 0.2\nbeats-per-bar 4\n");
    // The opening, the descent, the town, the stage, the sky, the greetings, the finale,
    // the second descent and the final hit (MUSIC.md's accents).
    int bad = 0, first = 0;
    std::string what;
    const std::vector<float> marks =
        qelFramework::Bookmarks::parse(qmtest::readFile(dir.file("editor/bookmarks.txt")), bad, first, what);
    const std::vector<double> expected = {0.0, 41.775, 55.003, 100.357, 123.035, 141.932, 209.964, 219.413, 253.428};
    ASSERT_EQ(marks.size(), expected.size());
    for (std::size_t i = 0; i < marks.size(); ++i)
        EXPECT_NEAR(marks[i], expected[i], 0.002) << i;
    qmtest::writeFile(dir.file("editor/bookmarks.txt"), "12\n");
    ASSERT_EQ(qmtest::forge(dir.path() + " --only bookmarks", out), 0) << out;
    EXPECT_EQ(qmtest::readFile(dir.file("editor/bookmarks.txt")), "12\n");
}
