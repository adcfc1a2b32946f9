#pragma once
// One soundtrack streamed from an MP3 file to the system's audio output. Every call is
// made from one thread; decoding and mixing run on the audio thread, which decodes the
// file's bytes held in memory block by block as the device asks for them.
#include <cstdint>
#include <memory>
#include <string>

namespace qelFramework::platform {

class Music {
public:
    // Where the sound goes once the output is open.
    enum class Output {
        None,   // nowhere: play() does nothing and the position stays where it was set
        Device, // the system's sound device
        Silent, // SDL's silent driver: the position advances in real time, nothing is heard
    };

    Music();
    ~Music();
    Music(const Music&) = delete;
    Music& operator=(const Music&) = delete;

    // Opens the file (named as the program names files) for streaming, at its start;
    // false with the reason in error when it cannot be read or holds no MP3 audio.
    // The whole file is scanned, so the length is exact and seeks are sample-accurate.
    // Opening again closes what was open first.
    bool open(const std::string& path, std::string& error);
    bool isOpen() const;

    // Opens the audio output the stream plays on. Without a usable sound device the
    // output falls back to the silent driver (when no one else uses SDL's audio), so
    // playing still advances on the clock. note says why the output is not the device,
    // or that the silent driver was asked for; it is empty for a real device.
    Output openOutput(std::string& note);
    Output output() const;

    // Closes the output and the file.
    void close();

    // Plays from the current position, or from the start when the stream had played
    // to its end; false without an open stream and output.
    bool play();
    // Stops playing at the position heard; play() goes on from there.
    void pause();
    bool playing() const;

    // Moves to a time (clamped to the stream); playing goes on from there. The time
    // read back right after is the time set.
    bool seek(std::int64_t milliseconds);
    // The position being heard (not the position decoded ahead), in milliseconds.
    std::int64_t positionMs() const;
    std::int64_t lengthMs() const;

    struct State; // decoder, device and the blocks handed out (opaque)

private:
    std::unique_ptr<State> state;
};

} // namespace qelFramework::platform
