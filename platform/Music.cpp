#include "platform/Music.h"
#include "platform/Mp3Decoder.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

// SDL's audio thread calls mixAudio whenever the device wants the next block, and the
// stream is decoded right there: decoding a block of MP3 takes well under a
// millisecond, needs no file input and allocates nothing, and it keeps the position
// and the decoder in one place, so a seek is simply a decoder seek under the device
// lock. The calling thread takes that lock around everything it reads or changes.

namespace qelFramework::platform {

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100; // streams are decoded at the output's rate; SDL converts
constexpr Uint16 kBlockFrames = 1024;
} // namespace

struct Music::State {
    Mp3Decoder decoder;
    std::int64_t position = 0; // the next frame the decoder delivers
    bool playing = false;
    // The last block handed to the device: frames [blockStart, blockEnd) went out at
    // blockTime and are heard from then on, one frame per sample period.
    std::int64_t blockStart = 0;
    std::int64_t blockEnd = 0;
    Clock::time_point blockTime;

    SDL_AudioDeviceID device = 0;
    // What openOutput started and close ends.
    enum class Started { Nothing, Subsystem, SilentDriver } started = Started::Nothing;
    Output output = Output::None;
    std::vector<std::int16_t> decoded; // one block, audio thread only
};

namespace {

using State = Music::State;

// Holds the audio thread off while the caller touches shared state.
class DeviceLock {
public:
    explicit DeviceLock(const State& s) : device(s.device) {
        if (device)
            SDL_LockAudioDevice(device);
    }
    ~DeviceLock() {
        if (device)
            SDL_UnlockAudioDevice(device);
    }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

private:
    SDL_AudioDeviceID device;
};

void mixAudio(void* user, Uint8* bytes, int length) {
    State& s = *static_cast<State*>(user);
    auto* out = reinterpret_cast<std::int16_t*>(bytes);
    const std::size_t frames = static_cast<std::size_t>(length) / 4;
    if (!s.playing) {
        std::memset(bytes, 0, static_cast<std::size_t>(length));
        return;
    }
    const Clock::time_point now = Clock::now();
    s.blockStart = s.position;
    std::size_t done = 0;
    while (done < frames && s.playing) {
        const std::size_t n = std::min(frames - done, s.decoded.size() / 2);
        const std::size_t got = s.decoder.read(s.decoded.data(), n);
        std::copy(s.decoded.begin(), s.decoded.begin() + static_cast<std::ptrdiff_t>(got * 2), out + done * 2);
        s.position += static_cast<std::int64_t>(got);
        done += got;
        if (got < n)
            s.playing = false; // the end of the sound
    }
    std::fill(out + done * 2, out + frames * 2, std::int16_t{0});
    s.blockEnd = s.position;
    s.blockTime = now;
}

// The frame being heard: the start of the last block handed out, advanced by the
// time since then, but never past the end of what was handed out.
std::int64_t heardFrame(const State& s) {
    const std::int64_t handedOut = s.blockEnd - s.blockStart;
    if (handedOut <= 0)
        return s.blockStart;
    const double seconds = std::chrono::duration<double>(Clock::now() - s.blockTime).count();
    const auto advanced = static_cast<std::int64_t>(seconds * kRate);
    return s.blockStart + std::clamp<std::int64_t>(advanced, 0, handedOut);
}

// Nothing handed out: the heard position is the decoder's.
void settle(State& s) {
    s.blockStart = s.blockEnd = s.position;
    s.blockTime = Clock::now();
}

void moveTo(State& s, std::int64_t frame) {
    frame = std::clamp<std::int64_t>(frame, 0, s.decoder.lengthFrames());
    if (s.decoder.seek(frame))
        s.position = frame;
    settle(s);
}

void closeOutput(State& s) {
    if (s.device)
        SDL_CloseAudioDevice(s.device); // returns once the audio thread has stopped
    s.device = 0;
    if (s.started == State::Started::Subsystem)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    else if (s.started == State::Started::SilentDriver)
        SDL_AudioQuit();
    s.started = State::Started::Nothing;
    s.output = Music::Output::None;
    s.playing = false;
}

} // namespace

Music::Music() : state(std::make_unique<State>()) {}

Music::~Music() { close(); }

bool Music::open(const std::string& path, std::string& error) {
    State& s = *state;
    DeviceLock lock(s);
    s.playing = false;
    s.position = 0;
    if (!s.decoder.open(path, kRate, error)) {
        s.decoder.close();
        settle(s);
        return false;
    }
    settle(s);
    return true;
}

bool Music::isOpen() const { return state->decoder.isOpen(); }

Music::Output Music::openOutput(std::string& note) {
    State& s = *state;
    note.clear();
    if (s.device)
        return s.output;

    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kBlockFrames;
    want.callback = mixAudio;
    want.userdata = &s;
    SDL_AudioSpec have{};

    // No changes allowed: SDL converts to whatever the device takes. The subsystem is
    // counted, so each stream holds and gives back its own share of it.
    std::string failure;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        s.started = State::Started::Subsystem;
        s.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    }
    if (s.device == 0) {
        failure = SDL_GetError();
        if (s.started == State::Started::Subsystem)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        s.started = State::Started::Nothing;
    }

    // Without a usable sound device the output goes to SDL's silent driver, which still
    // takes the sound in real time, so the position advances as if heard. That is only
    // possible when no one else uses SDL's audio.
    if (s.device == 0 && !SDL_WasInit(SDL_INIT_AUDIO) && SDL_AudioInit("dummy") == 0) {
        s.started = State::Started::SilentDriver;
        s.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (s.device == 0) {
            SDL_AudioQuit();
            s.started = State::Started::Nothing;
        }
    }
    if (s.device == 0) {
        note = "cannot open the audio output: " + failure;
        return s.output = Output::None;
    }

    const char* driver = SDL_GetCurrentAudioDriver();
    if (s.started == State::Started::SilentDriver) {
        note = "no sound device (" + failure + ")";
        s.output = Output::Silent;
    } else if (driver && std::strcmp(driver, "dummy") == 0) {
        note = "the silent audio driver was asked for";
        s.output = Output::Silent;
    } else {
        s.output = Output::Device;
    }
    // The callback is not running yet, so no lock is needed here.
    s.decoded.assign(static_cast<std::size_t>(have.samples > 0 ? have.samples : kBlockFrames) * 2, 0);
    SDL_PauseAudioDevice(s.device, 0);
    return s.output;
}

Music::Output Music::output() const { return state->output; }

void Music::close() {
    State& s = *state;
    closeOutput(s);
    s.decoder.close();
    s.position = 0;
    settle(s);
}

bool Music::play() {
    State& s = *state;
    if (!s.device || !s.decoder.isOpen())
        return false;
    DeviceLock lock(s);
    if (s.playing)
        return true;
    if (s.position >= s.decoder.lengthFrames() || s.decoder.ended())
        moveTo(s, 0); // a stream played to its end starts again
    settle(s);
    s.playing = true;
    return true;
}

void Music::pause() {
    State& s = *state;
    DeviceLock lock(s);
    if (!s.playing)
        return;
    // The blocks handed out but not yet heard count as not played.
    s.playing = false;
    moveTo(s, heardFrame(s));
}

bool Music::playing() const {
    DeviceLock lock(*state);
    return state->playing;
}

bool Music::seek(std::int64_t milliseconds) {
    State& s = *state;
    if (!s.decoder.isOpen() || milliseconds < 0)
        return false;
    milliseconds = std::min(milliseconds, lengthMs() + 1); // past the end: the end
    DeviceLock lock(s);
    // Rounded up, so that the time read back is the time set.
    moveTo(s, (milliseconds * kRate + 999) / 1000);
    return true;
}

std::int64_t Music::positionMs() const {
    DeviceLock lock(*state);
    return heardFrame(*state) * 1000 / kRate;
}

std::int64_t Music::lengthMs() const { return state->decoder.lengthFrames() * 1000 / kRate; }

} // namespace qelFramework::platform
