#pragma once
// The streamed-soundtrack interface the program calls (the FSOUND calls of a classic
// sound library), on MP3 decoding and the system's audio output. Every call is made
// from the main thread; decoding and mixing run on the audio thread.
//
// Without a successful FSOUND_Init streams still open, seek and report their time,
// but they cannot play: FSOUND_Stream_Play returns -1 and the time stays where it
// was set.
#include <cstdint>
#include <string>
#include <vector>

namespace qelFramework {

struct FSOUND_STREAM;
struct FSOUND_DSPUNIT;

constexpr int FSOUND_FREE = -1;
constexpr int FSOUND_ALL = -3;
constexpr unsigned FSOUND_STEREO = 0x00000040;
constexpr unsigned FSOUND_MPEGACCURATE = 0x00020000;

// The interface's version, at least 3.75.
float FSOUND_GetVersion();
signed char FSOUND_SetDriver(int driver);
// Opens the audio output; true on success. With no sound device the system's dummy
// output is used, so playback still advances (silently).
signed char FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned flags);
signed char FSOUND_SetBufferSize(int milliseconds);
FSOUND_DSPUNIT* FSOUND_DSP_GetFFTUnit();
signed char FSOUND_DSP_SetActive(FSOUND_DSPUNIT* unit, signed char active);
// Opens an MP3 file for streaming; null when it cannot be opened or decoded (the
// reason is in platform::soundError()). The whole file is scanned at open, so seeking
// is always sample-accurate; the mode, offset and length are not used.
FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned mode, int offset, int length);
// Starts the stream on a channel (FSOUND_FREE: the first free one) from its current
// position, or from the start when it had played to its end; returns the channel,
// or -1. A stream already playing stays on its channel and is resumed.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
// FSOUND_ALL: true when some channel plays a stream and all such channels are paused.
signed char FSOUND_GetPaused(int channel);
signed char FSOUND_SetPaused(int channel, signed char paused);
signed char FSOUND_Stream_SetTime(FSOUND_STREAM* stream, int milliseconds);
// The position being heard, in milliseconds (not the position decoded ahead).
int FSOUND_Stream_GetTime(FSOUND_STREAM* stream);
int FSOUND_Stream_GetLengthMs(FSOUND_STREAM* stream);
// Takes the stream off its channel; its position stays at what was last heard.
signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream);
signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);
// Closes the output and every stream (their handles are then no longer valid).
void FSOUND_Close();

namespace platform {
// Decodes a whole sound file to 16-bit stereo PCM (interleaved left, right).
// False when it cannot be opened or decoded; then the outputs are empty.
bool decodeSoundFile(const std::string& path, std::vector<std::int16_t>& samples, std::uint32_t& frames,
                     std::uint32_t& framesPerSecond);

// Why the last stream open, decode or output initialisation failed.
std::string soundError();
} // namespace platform

} // namespace qelFramework
