#include "platform/Mp3Decoder.h"
#include "platform/Mp3Encoder.h"
#include "platform/Music.h"
#include "platform/Sound.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>
#include <thread>

using namespace qelFramework;
using Clock = std::chrono::steady_clock;

namespace {

// A stereo sine of the given length, encoded to MP3.
std::string makeTone(const qmtest::TempFolder& folder, const std::string& name, double seconds, int rate,
                     double frequency = 441.0) {
    const auto frames = static_cast<std::size_t>(std::lround(seconds * rate));
    std::vector<std::int16_t> pcm(frames * 2);
    for (std::size_t i = 0; i < frames; ++i)
        pcm[2 * i] = pcm[2 * i + 1] =
            static_cast<std::int16_t>(16000.0 * std::sin(2.0 * M_PI * frequency * static_cast<double>(i) / rate));
    std::string error;
    const std::string path = folder.file(name);
    EXPECT_TRUE(platform::encodeMp3File(path, pcm, rate, 128, error)) << error;
    return path;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A stream of the file with its output on the given SDL audio driver.
struct Playing {
    Playing(const std::string& path, const char* driver = "dummy") {
        setenv("SDL_AUDIODRIVER", driver, 1);
        std::string error;
        opened = music.open(path, error);
        EXPECT_TRUE(opened) << error;
        output = music.openOutput(note);
    }
    platform::Music music;
    bool opened = false;
    platform::Music::Output output = platform::Music::Output::None;
    std::string note;
};

} // namespace

TEST(Sound, PlaysInRealTimePausesAndSeeks) {
    qmtest::TempFolder folder;
    makeTone(folder, "tone.mp3", 2.0, 44100);
    // The name is written the way stored files may write names.
    Playing p(folder.path() + "\\tone.mp3");
    platform::Music& music = p.music;
    ASSERT_EQ(p.output, platform::Music::Output::Silent) << p.note;
    EXPECT_NEAR(music.lengthMs(), 2000, 2);
    EXPECT_FALSE(music.playing());

    ASSERT_TRUE(music.play());
    const auto started = Clock::now();
    ASSERT_TRUE(music.seek(0));
    ASSERT_TRUE(qmtest::waitFor([&] { return music.positionMs() >= 300; }, 2));
    // The heard time follows the wall clock: never ahead of it, and not far behind.
    const double wall = msSince(started);
    const std::int64_t heard = music.positionMs();
    EXPECT_LE(heard, wall * 1.03 + 30);
    EXPECT_GE(heard, wall * 0.5 - 60);

    // Paused, the position stands at once, and playing goes on from there.
    music.pause();
    EXPECT_FALSE(music.playing());
    const std::int64_t pausedAt = music.positionMs();
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_EQ(music.positionMs(), pausedAt);
    ASSERT_TRUE(music.play());
    EXPECT_TRUE(music.playing());
    EXPECT_TRUE(qmtest::waitFor([&] { return music.positionMs() >= pausedAt + 100; }, 2));

    // Seeking while playing continues from the new time.
    ASSERT_TRUE(music.seek(1500));
    const std::int64_t afterSeek = music.positionMs();
    EXPECT_GE(afterSeek, 1500);
    EXPECT_LT(afterSeek, 1700);

    // Closed, nothing plays and nothing is open.
    music.close();
    EXPECT_FALSE(music.isOpen());
    EXPECT_FALSE(music.play());
    EXPECT_EQ(music.output(), platform::Music::Output::None);

    // Without a sound device the output is silent but runs.
    Playing deaf(folder.file("tone.mp3"), "no-such-driver");
    ASSERT_EQ(deaf.output, platform::Music::Output::Silent) << deaf.note;
    EXPECT_NE(deaf.note.find("no sound device"), std::string::npos) << deaf.note;
    ASSERT_TRUE(deaf.music.play());
    EXPECT_TRUE(qmtest::waitFor([&] { return deaf.music.positionMs() >= 100; }, 2));
}

TEST(Sound, TimeSetIsTimeReadAndSeeksAreSampleAccurate) {
    qmtest::TempFolder folder;
    const std::string path = makeTone(folder, "tone.mp3", 2.0, 44100, 523.0);
    // No output: the stream still opens and seeks, but cannot play.
    platform::Music music;
    std::string error;
    ASSERT_TRUE(music.open(path, error)) << error;
    EXPECT_FALSE(music.play());
    for (int ms : {1234, 0, 1999, 7, 1000}) {
        ASSERT_TRUE(music.seek(ms));
        EXPECT_EQ(music.positionMs(), ms);
    }
    // Past the end is the end; before the start is refused.
    ASSERT_TRUE(music.seek(INT64_MAX));
    EXPECT_EQ(music.positionMs(), music.lengthMs());
    EXPECT_FALSE(music.seek(-1));
    music.close();

    platform::Mp3Decoder whole, seeking;
    ASSERT_TRUE(whole.open(path, 0, error)) << error;
    ASSERT_TRUE(seeking.open(path, 0, error)) << error;
    std::vector<std::int16_t> all(static_cast<std::size_t>(whole.lengthFrames()) * 2), part(2000);
    ASSERT_EQ(whole.read(all.data(), all.size() / 2), all.size() / 2);
    for (std::int64_t at : {37001, 1153, 80000}) {
        ASSERT_TRUE(seeking.seek(at));
        ASSERT_EQ(seeking.read(part.data(), 1000), 1000u);
        for (std::size_t i = 0; i < part.size(); ++i)
            ASSERT_NEAR(part[i], all[static_cast<std::size_t>(at) * 2 + i], 2) << "at frame " << at;
    }
}

TEST(Sound, DecodesTheWholeFileWithoutEncoderDelayAndStreamsOtherRatesResampled) {
    qmtest::TempFolder folder;
    std::vector<std::int16_t> pcm;
    std::uint32_t frames = 0, rate = 0;
    // At 48 kHz the stream is resampled to the output rate; the length stays.
    const std::string other = makeTone(folder, "tone48.mp3", 2.0, 48000);
    platform::Music music;
    std::string error;
    ASSERT_TRUE(music.open(other, error)) << error;
    EXPECT_NEAR(music.lengthMs(), 2000, 5);
    ASSERT_TRUE(platform::decodeSoundFile(other, pcm, frames, rate));
    EXPECT_EQ(rate, 48000u);
    EXPECT_NEAR(static_cast<double>(frames), 96000.0, 48.0);

    const std::string path = makeTone(folder, "tone.mp3", 2.0, 44100);
    ASSERT_TRUE(platform::decodeSoundFile(path, pcm, frames, rate)) << platform::soundError();
    EXPECT_EQ(rate, 44100u);
    EXPECT_NEAR(static_cast<double>(frames), 88200.0, 44.0); // within 1 ms
    ASSERT_EQ(pcm.size(), std::size_t(frames) * 2);

    // The middle second: 441 cycles of amplitude 16000, the same on both sides.
    int crossings = 0;
    double power = 0;
    for (std::size_t i = 22050; i < 66150; ++i) {
        power += double(pcm[2 * i]) * pcm[2 * i];
        crossings += (pcm[2 * i] < 0) != (pcm[2 * i + 2] < 0);
        ASSERT_NEAR(pcm[2 * i], pcm[2 * i + 1], 300);
    }
    EXPECT_NEAR(std::sqrt(power / 44100.0), 16000 / std::sqrt(2.0), 800);
    EXPECT_NEAR(crossings, 882, 4);
    // Without the encoder delay removed the sine would start late, not at sample 0.
    EXPECT_LT(std::abs(pcm[0]), 3000);
    EXPECT_GT(pcm[2 * 25], 5000); // a quarter period in
}

TEST(Sound, UnreadableFilesGiveNoStream) {
    qmtest::TempFolder folder;
    const std::string tone = qmtest::readFile(makeTone(folder, "tone.mp3", 1.0, 44100));
    std::mt19937 random(7);
    std::string noise(30000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    const std::pair<const char*, std::string> files[] = {
        {"empty.mp3", ""},
        {"head.mp3", tone.substr(0, 300)},
        {"noise.mp3", noise},
        {"text.mp3", "This is not a sound file.\nJust some lines of text.\n"},
    };
    platform::Music music;
    std::string error;
    for (const auto& [name, bytes] : files) {
        qmtest::writeFile(folder.file(name), bytes);
        error.clear();
        EXPECT_FALSE(music.open(folder.file(name), error)) << name;
        EXPECT_FALSE(music.isOpen()) << name;
        EXPECT_FALSE(error.empty()) << name;
        std::vector<std::int16_t> pcm(4, 1);
        std::uint32_t frames = 1, rate = 1;
        EXPECT_FALSE(platform::decodeSoundFile(folder.file(name), pcm, frames, rate)) << name;
        EXPECT_FALSE(platform::soundError().empty()) << name;
        EXPECT_EQ(pcm.size() + frames + rate, 0u) << name << ": " << pcm.size() << " samples, " << frames << " frames at " << rate;
    }
    EXPECT_FALSE(music.open(folder.file("missing.mp3"), error));
    EXPECT_EQ(error, "cannot open " + folder.file("missing.mp3") + ": No such file or directory");
    EXPECT_EQ(music.positionMs(), 0);
    EXPECT_EQ(music.lengthMs(), 0);

    // Well-formed frames with garbage inside, and a file with a damaged middle, decode
    // to whatever they hold.
    std::string framesOfNoise;
    for (std::size_t i = 0; i < 60; ++i)
        framesOfNoise += std::string("\xFF\xFB\x90\x64", 4) + noise.substr(i * 413, 413);
    std::string damaged = tone;
    for (std::size_t i = damaged.size() / 3; i < damaged.size() / 2; i += 7)
        damaged[i] = static_cast<char>(random());
    // The length tag claims about 2^31 frames.
    std::string boasting = tone;
    const std::size_t tag = boasting.find("Info");
    ASSERT_NE(tag, std::string::npos);
    boasting.replace(tag + 8, 4, "\x7F\xFF\xFF\xFF");
    for (const auto& [name, bytes] : {std::pair{"framednoise.mp3", framesOfNoise}, std::pair{"damaged.mp3", damaged},
                                      std::pair{"boasting.mp3", boasting}}) {
        qmtest::writeFile(folder.file(name), bytes);
        std::vector<std::int16_t> pcm;
        std::uint32_t frames = 0, rate = 0;
        EXPECT_TRUE(platform::decodeSoundFile(folder.file(name), pcm, frames, rate)) << name;
        EXPECT_LE(frames, 60u * 1152u) << name;
        EXPECT_EQ(pcm.size(), std::size_t(frames) * 2) << name;
    }

    // A file cut short plays what it holds, and play after its end starts it again.
    qmtest::writeFile(folder.file("half.mp3"), tone.substr(0, tone.size() / 2));
    Playing half(folder.file("half.mp3"));
    EXPECT_GT(half.music.lengthMs(), 300);
    EXPECT_LT(half.music.lengthMs(), 700);
    ASSERT_TRUE(half.music.play());
    const std::int64_t length = half.music.lengthMs();
    EXPECT_TRUE(half.music.seek(length - 100));
    EXPECT_TRUE(qmtest::waitFor([&] { return half.music.positionMs() >= length - 1 && !half.music.playing(); }, 2));
    ASSERT_TRUE(half.music.play());
    EXPECT_LT(half.music.positionMs(), 100);
}
