#include "platform/Sound.h"
#include "platform/Mp3Decoder.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>

// Output runs on SDL's audio thread, which calls mixAudio whenever the device wants
// the next block. Each playing stream is decoded right there, from the file's bytes
// held in memory: decoding a block of MP3 takes well under a millisecond, needs no
// file input and allocates nothing, and it keeps the stream position and the decoder
// in one place, so a seek is simply a decoder seek under the device lock. The main
// thread takes that lock (SDL_LockAudioDevice) around everything it reads or changes.

namespace qelFramework {

using Clock = std::chrono::steady_clock;

struct FSOUND_STREAM {
    platform::Mp3Decoder decoder;
    int rate = 44100;           // decoded frames per second
    std::int64_t position = 0;  // next frame the decoder delivers
    int channel = -1;           // the channel it plays on, -1 when it does not play
    // The last block handed to the device: frames [blockStart, blockEnd) went out at
    // blockTime and are heard from then on, one frame per sample period.
    std::int64_t blockStart = 0;
    std::int64_t blockEnd = 0;
    Clock::time_point blockTime;
    bool mixing = false;        // contributes to the block being mixed
};

namespace {

struct Channel {
    FSOUND_STREAM* stream = nullptr;
    bool paused = false;
};

struct Output {
    SDL_AudioDeviceID device = 0;
    // What FSOUND_Init started and FSOUND_Close ends.
    enum class Started { Nothing, Subsystem, SilentDriver } started = Started::Nothing;
    int rate = 44100;          // the rate streams are decoded at
    std::size_t blockFrames = 0;
    std::vector<Channel> channels;
    std::vector<FSOUND_STREAM*> streams; // every open stream
    std::vector<std::int32_t> mix;       // one block, both channels
    std::vector<std::int16_t> decoded;   // one block of one stream
    std::string error;                   // main thread only
};

// Never destroyed: the audio thread may still run while the process exits.
Output& output() {
    static Output* state = new Output;
    return *state;
}

// Holds the audio thread off while the main thread touches shared state.
class DeviceLock {
public:
    DeviceLock() : device(output().device) {
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

void mixAudio(void*, Uint8* bytes, int length) {
    Output& o = output();
    auto* out = reinterpret_cast<std::int16_t*>(bytes);
    const std::size_t frames = static_cast<std::size_t>(length) / 4;
    const Clock::time_point now = Clock::now();

    for (FSOUND_STREAM* s : o.streams) {
        s->mixing = s->channel >= 0 && !o.channels[static_cast<std::size_t>(s->channel)].paused;
        if (s->mixing)
            s->blockStart = s->position;
    }

    for (std::size_t done = 0; done < frames;) {
        const std::size_t n = std::min(frames - done, o.blockFrames);
        std::fill(o.mix.begin(), o.mix.begin() + static_cast<std::ptrdiff_t>(n * 2), 0);
        for (Channel& c : o.channels) {
            FSOUND_STREAM* s = c.stream;
            if (!s || c.paused)
                continue;
            const std::size_t got = s->decoder.read(o.decoded.data(), n);
            for (std::size_t i = 0; i < got * 2; ++i)
                o.mix[i] += o.decoded[i];
            s->position += static_cast<std::int64_t>(got);
            if (got < n) { // the end of the sound frees its channel
                s->channel = -1;
                c = Channel{};
            }
        }
        for (std::size_t i = 0; i < n * 2; ++i)
            out[done * 2 + i] = static_cast<std::int16_t>(std::clamp(o.mix[i], -32768, 32767));
        done += n;
    }

    for (FSOUND_STREAM* s : o.streams)
        if (s->mixing) {
            s->blockEnd = s->position;
            s->blockTime = now;
        }
}

// The frame being heard: the start of the last block handed out, advanced by the
// time since then, but never past the end of what was handed out.
std::int64_t heardFrame(const FSOUND_STREAM* s) {
    const std::int64_t handedOut = s->blockEnd - s->blockStart;
    if (handedOut <= 0)
        return s->blockStart;
    const double seconds = std::chrono::duration<double>(Clock::now() - s->blockTime).count();
    const auto advanced = static_cast<std::int64_t>(seconds * s->rate);
    return s->blockStart + std::clamp<std::int64_t>(advanced, 0, handedOut);
}

// Nothing handed out: the heard position is the decoder's.
void settle(FSOUND_STREAM* s) {
    s->blockStart = s->blockEnd = s->position;
    s->blockTime = Clock::now();
}

void moveTo(FSOUND_STREAM* s, std::int64_t frame) {
    frame = std::clamp<std::int64_t>(frame, 0, s->decoder.lengthFrames());
    if (s->decoder.seek(frame))
        s->position = frame;
    settle(s);
}

// Takes a stream off its channel and rewinds the decoder to what was heard, so the
// blocks handed out but not yet played count as not played.
void detach(FSOUND_STREAM* s) {
    Output& o = output();
    if (s->channel < 0)
        return;
    const std::int64_t heard = heardFrame(s);
    o.channels[static_cast<std::size_t>(s->channel)] = Channel{};
    s->channel = -1;
    moveTo(s, heard);
}

bool validChannel(int channel) { return channel >= 0 && static_cast<std::size_t>(channel) < output().channels.size(); }

} // namespace

float FSOUND_GetVersion() { return 3.75f; }

// Output goes to the system's default device whatever the driver number.
signed char FSOUND_SetDriver(int) { return 1; }

signed char FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned) {
    Output& o = output();
    if (o.device)
        return 1;
    if (mixRate < 8000 || mixRate > 192000 || maxSoftwareChannels < 1 || maxSoftwareChannels > 4096) {
        o.error = "unsupported output settings";
        return 0;
    }
    SDL_AudioSpec want{};
    want.freq = mixRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = mixAudio;
    SDL_AudioSpec have{};

    // No changes allowed: SDL converts to whatever the device takes.
    SDL_AudioDeviceID device = 0;
    std::string failure;
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0)
        o.started = Output::Started::Subsystem;
    if (SDL_WasInit(SDL_INIT_AUDIO))
        device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0)
        failure = SDL_GetError();

    // Without a usable sound device the output goes to SDL's silent driver, which
    // still takes the sound in real time, so stream times advance as if heard. That
    // is only possible when no one else uses SDL's audio.
    if (device == 0) {
        if (o.started == Output::Started::Subsystem)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        o.started = Output::Started::Nothing;
        if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_AudioInit("dummy") == 0) {
            o.started = Output::Started::SilentDriver;
            device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
            if (device == 0) {
                SDL_AudioQuit();
                o.started = Output::Started::Nothing;
            }
        }
    }
    if (device == 0) {
        o.error = "cannot open the audio output: " + failure;
        return 0;
    }
    o.error = o.started == Output::Started::SilentDriver ? "no audio output (" + failure + "); playing silently" : "";

    // The callback is not running yet, so no lock is needed here.
    o.rate = mixRate;
    o.blockFrames = have.samples > 0 ? have.samples : 1024;
    o.mix.assign(o.blockFrames * 2, 0);
    o.decoded.assign(o.blockFrames * 2, 0);
    o.channels.assign(static_cast<std::size_t>(maxSoftwareChannels), Channel{});
    o.device = device;
    SDL_PauseAudioDevice(device, 0);
    return 1;
}

// Streams are decoded block by block as the device asks, so there is no read-ahead
// buffer to size.
signed char FSOUND_SetBufferSize(int milliseconds) { return milliseconds > 0 ? 1 : 0; }

// No spectrum analysis is offered; activating it is accepted and does nothing.
FSOUND_DSPUNIT* FSOUND_DSP_GetFFTUnit() { return nullptr; }
signed char FSOUND_DSP_SetActive(FSOUND_DSPUNIT*, signed char) { return 1; }

FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned, int, int) {
    Output& o = output();
    if (!name) {
        o.error = "no file name";
        return nullptr;
    }
    auto* s = new FSOUND_STREAM;
    std::string error;
    if (!s->decoder.open(name, o.rate, error)) {
        delete s;
        o.error = error;
        return nullptr;
    }
    s->rate = s->decoder.rate();
    settle(s);
    DeviceLock lock;
    o.streams.push_back(s);
    o.error.clear();
    return s;
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream) {
    Output& o = output();
    if (!stream || !o.device)
        return -1;
    DeviceLock lock;
    if (stream->channel >= 0) {
        o.channels[static_cast<std::size_t>(stream->channel)].paused = false;
        return stream->channel;
    }
    if (channel == FSOUND_FREE) {
        channel = -1;
        for (std::size_t i = 0; i < o.channels.size() && channel < 0; ++i)
            if (!o.channels[i].stream)
                channel = static_cast<int>(i);
        if (channel < 0)
            return -1;
    } else if (!validChannel(channel)) {
        return -1;
    }
    Channel& c = o.channels[static_cast<std::size_t>(channel)];
    if (c.stream)
        detach(c.stream);
    if (stream->position >= stream->decoder.lengthFrames())
        moveTo(stream, 0); // a stream played to its end starts again
    c.stream = stream;
    c.paused = false;
    stream->channel = channel;
    settle(stream);
    return channel;
}

signed char FSOUND_GetPaused(int channel) {
    Output& o = output();
    DeviceLock lock;
    if (channel == FSOUND_ALL) {
        bool any = false;
        for (const Channel& c : o.channels) {
            if (!c.stream)
                continue;
            if (!c.paused)
                return 0;
            any = true;
        }
        return any ? 1 : 0;
    }
    return validChannel(channel) && o.channels[static_cast<std::size_t>(channel)].paused ? 1 : 0;
}

signed char FSOUND_SetPaused(int channel, signed char paused) {
    Output& o = output();
    DeviceLock lock;
    if (channel == FSOUND_ALL) {
        for (Channel& c : o.channels)
            if (c.stream)
                c.paused = paused != 0;
        return 1;
    }
    if (!validChannel(channel) || !o.channels[static_cast<std::size_t>(channel)].stream)
        return 0;
    o.channels[static_cast<std::size_t>(channel)].paused = paused != 0;
    return 1;
}

signed char FSOUND_Stream_SetTime(FSOUND_STREAM* stream, int milliseconds) {
    if (!stream || milliseconds < 0)
        return 0;
    DeviceLock lock;
    // Rounded up, so that the time read back is the time set.
    moveTo(stream, (static_cast<std::int64_t>(milliseconds) * stream->rate + 999) / 1000);
    return 1;
}

int FSOUND_Stream_GetTime(FSOUND_STREAM* stream) {
    if (!stream)
        return 0;
    DeviceLock lock;
    return static_cast<int>(heardFrame(stream) * 1000 / stream->rate);
}

int FSOUND_Stream_GetLengthMs(FSOUND_STREAM* stream) {
    if (!stream)
        return 0;
    return static_cast<int>(stream->decoder.lengthFrames() * 1000 / stream->rate);
}

signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream) {
    if (!stream)
        return 0;
    DeviceLock lock;
    detach(stream);
    return 1;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream) {
    if (!stream)
        return 0;
    Output& o = output();
    {
        DeviceLock lock;
        detach(stream);
        o.streams.erase(std::remove(o.streams.begin(), o.streams.end(), stream), o.streams.end());
    }
    delete stream;
    return 1;
}

void FSOUND_Close() {
    Output& o = output();
    if (o.device)
        SDL_CloseAudioDevice(o.device); // returns once the audio thread has stopped
    o.device = 0;
    if (o.started == Output::Started::Subsystem)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    else if (o.started == Output::Started::SilentDriver)
        SDL_AudioQuit();
    o.started = Output::Started::Nothing;
    for (FSOUND_STREAM* s : o.streams)
        delete s;
    o.streams.clear();
    o.channels.clear();
    o.mix.clear();
    o.decoded.clear();
    o.blockFrames = 0;
    o.rate = 44100;
}

namespace platform {

bool decodeSoundFile(const std::string& path, std::vector<std::int16_t>& samples, std::uint32_t& frames,
                     std::uint32_t& framesPerSecond) {
    samples.clear();
    frames = framesPerSecond = 0;
    Mp3Decoder decoder;
    std::string error;
    if (!decoder.open(path, 0, error)) {
        output().error = error;
        return false;
    }
    // The length comes from the frames actually found in the file, so it is bounded
    // by the file's size; more than 32-bit frame counts are refused.
    const std::int64_t expected = decoder.lengthFrames();
    if (expected > static_cast<std::int64_t>(UINT32_MAX)) {
        output().error = path + " is too long";
        return false;
    }
    samples.resize(static_cast<std::size_t>(expected) * 2);
    std::size_t got = decoder.read(samples.data(), static_cast<std::size_t>(expected));
    // A decoder that delivers more than it announced still gets heard out, in blocks.
    constexpr std::size_t kBlock = 4096;
    while (!decoder.ended() && got < UINT32_MAX - kBlock) {
        samples.resize((got + kBlock) * 2);
        const std::size_t n = decoder.read(samples.data() + got * 2, kBlock);
        got += n;
        if (n == 0)
            break;
    }
    samples.resize(got * 2);
    frames = static_cast<std::uint32_t>(got);
    framesPerSecond = static_cast<std::uint32_t>(decoder.rate());
    return true;
}

std::string soundError() { return output().error; }

} // namespace platform

} // namespace qelFramework
