#include "platform/Mp3Decoder.h"
#include "platform/Mp3Encoder.h"
#include "platform/Sound.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
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

// Polls until the condition holds or the time runs out; true when it held.
bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    const auto start = Clock::now();
    while (!condition()) {
        if (msSince(start) > timeoutMs)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

struct SoundOutput {
    explicit SoundOutput(const char* driver = "dummy") {
        setenv("SDL_AUDIODRIVER", driver, 1);
        ok = FSOUND_Init(44100, 32, 0) != 0;
    }
    ~SoundOutput() { FSOUND_Close(); }
    bool ok = false;
};

} // namespace

TEST(Sound, PlaysInRealTimePausesAndStops) {
    qmtest::TempFolder folder;
    makeTone(folder, "tone.mp3", 2.0, 44100);
    EXPECT_GE(FSOUND_GetVersion(), 3.75f);
    SoundOutput output;
    ASSERT_TRUE(output.ok) << platform::soundError();

    // The name is written the way the program writes names.
    FSOUND_STREAM* stream = FSOUND_Stream_Open((folder.path() + "\\tone.mp3").c_str(),
                                               FSOUND_STEREO | FSOUND_MPEGACCURATE, 0, 0);
    ASSERT_NE(stream, nullptr) << platform::soundError();
    EXPECT_NEAR(FSOUND_Stream_GetLengthMs(stream), 2000, 2);
    EXPECT_FALSE(FSOUND_GetPaused(FSOUND_ALL)); // nothing plays yet

    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
    const auto started = Clock::now();
    ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 0));
    ASSERT_TRUE(waitFor([&] { return FSOUND_Stream_GetTime(stream) >= 300; }, 2000));
    // The heard time follows the wall clock: never ahead of it, and not far behind.
    const double wall = msSince(started);
    const int heard = FSOUND_Stream_GetTime(stream);
    EXPECT_LE(heard, wall * 1.03 + 30);
    EXPECT_GE(heard, wall * 0.5 - 60);

    ASSERT_TRUE(FSOUND_SetPaused(FSOUND_ALL, 1));
    EXPECT_TRUE(FSOUND_GetPaused(FSOUND_ALL));
    std::this_thread::sleep_for(std::chrono::milliseconds(120)); // past the block already handed out
    const int pausedAt = FSOUND_Stream_GetTime(stream);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), pausedAt);

    ASSERT_TRUE(FSOUND_SetPaused(FSOUND_ALL, 0));
    EXPECT_FALSE(FSOUND_GetPaused(FSOUND_ALL));
    EXPECT_TRUE(waitFor([&] { return FSOUND_Stream_GetTime(stream) >= pausedAt + 100; }, 2000));

    // Seeking while playing continues from the new time.
    ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 1500));
    const int afterSeek = FSOUND_Stream_GetTime(stream);
    EXPECT_GE(afterSeek, 1500);
    EXPECT_LT(afterSeek, 1700);

    ASSERT_TRUE(FSOUND_Stream_Stop(stream));
    const int stoppedAt = FSOUND_Stream_GetTime(stream);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), stoppedAt);
    EXPECT_TRUE(FSOUND_Stream_Close(stream));
}

TEST(Sound, WithoutADeviceTheOutputIsSilentButRuns) {
    qmtest::TempFolder folder;
    const std::string path = makeTone(folder, "tone.mp3", 1.0, 44100);
    SoundOutput output("no-such-driver");
    ASSERT_TRUE(output.ok) << platform::soundError();
    EXPECT_NE(platform::soundError().find("silently"), std::string::npos);
    FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), FSOUND_STEREO, 0, 0);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
    EXPECT_TRUE(waitFor([&] { return FSOUND_Stream_GetTime(stream) >= 100; }, 2000));
}

TEST(Sound, TimeSetIsTimeReadAndSeeksAreSampleAccurate) {
    qmtest::TempFolder folder;
    const std::string path = makeTone(folder, "tone.mp3", 2.0, 44100, 523.0);
    // No output: the stream still opens and seeks, but cannot play.
    FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), FSOUND_STEREO | FSOUND_MPEGACCURATE, 0, 0);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), -1);
    for (int ms : {1234, 0, 1999, 7, 1000}) {
        ASSERT_TRUE(FSOUND_Stream_SetTime(stream, ms));
        EXPECT_EQ(FSOUND_Stream_GetTime(stream), ms);
    }
    FSOUND_Stream_Close(stream);

    platform::Mp3Decoder whole, seeking;
    std::string error;
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
    FSOUND_STREAM* stream = FSOUND_Stream_Open(other.c_str(), FSOUND_STEREO, 0, 0);
    ASSERT_NE(stream, nullptr) << platform::soundError();
    EXPECT_NEAR(FSOUND_Stream_GetLengthMs(stream), 2000, 5);
    FSOUND_Stream_Close(stream);
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
    SoundOutput output;
    for (const auto& [name, bytes] : files) {
        qmtest::writeFile(folder.file(name), bytes);
        EXPECT_EQ(FSOUND_Stream_Open(folder.file(name).c_str(), FSOUND_STEREO, 0, 0), nullptr) << name;
        EXPECT_FALSE(platform::soundError().empty()) << name;
        std::vector<std::int16_t> pcm(4, 1);
        std::uint32_t frames = 1, rate = 1;
        EXPECT_FALSE(platform::decodeSoundFile(folder.file(name), pcm, frames, rate)) << name;
        EXPECT_EQ(pcm.size() + frames + rate, 0u) << name << ": " << pcm.size() << " samples, " << frames << " frames at " << rate;
    }
    EXPECT_EQ(FSOUND_Stream_Open(folder.file("missing.mp3").c_str(), FSOUND_STEREO, 0, 0), nullptr);
    EXPECT_EQ(platform::soundError(), "cannot open " + folder.file("missing.mp3") + ": No such file or directory");
    EXPECT_EQ(FSOUND_Stream_Open(nullptr, FSOUND_STEREO, 0, 0), nullptr);

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

    // A file cut short plays what it holds.
    qmtest::writeFile(folder.file("half.mp3"), tone.substr(0, tone.size() / 2));
    FSOUND_STREAM* half = FSOUND_Stream_Open(folder.file("half.mp3").c_str(), FSOUND_STEREO, 0, 0);
    ASSERT_NE(half, nullptr);
    EXPECT_GT(FSOUND_Stream_GetLengthMs(half), 300);
    EXPECT_LT(FSOUND_Stream_GetLengthMs(half), 700);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, half), 0);
    const int length = FSOUND_Stream_GetLengthMs(half);
    EXPECT_TRUE(FSOUND_Stream_SetTime(half, length - 100));
    EXPECT_TRUE(waitFor([&] { return FSOUND_Stream_GetTime(half) >= length - 1; }, 2000));
}
