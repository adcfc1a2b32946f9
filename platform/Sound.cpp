#include "platform/Sound.h"

// Placeholder until the streaming implementation lands: no stream ever opens.
namespace qelFramework {

float FSOUND_GetVersion() { return 3.75f; }
signed char FSOUND_SetDriver(int) { return 1; }
signed char FSOUND_Init(int, int, unsigned) { return 0; }
signed char FSOUND_SetBufferSize(int) { return 1; }
FSOUND_DSPUNIT* FSOUND_DSP_GetFFTUnit() { return nullptr; }
signed char FSOUND_DSP_SetActive(FSOUND_DSPUNIT*, signed char) { return 1; }
FSOUND_STREAM* FSOUND_Stream_Open(const char*, unsigned, int, int) { return nullptr; }
int FSOUND_Stream_Play(int, FSOUND_STREAM*) { return -1; }
signed char FSOUND_GetPaused(int) { return 0; }
signed char FSOUND_SetPaused(int, signed char) { return 1; }
signed char FSOUND_Stream_SetTime(FSOUND_STREAM*, int) { return 0; }
int FSOUND_Stream_GetTime(FSOUND_STREAM*) { return 0; }
int FSOUND_Stream_GetLengthMs(FSOUND_STREAM*) { return 0; }
signed char FSOUND_Stream_Stop(FSOUND_STREAM*) { return 0; }
signed char FSOUND_Stream_Close(FSOUND_STREAM*) { return 0; }
void FSOUND_Close() {}

namespace platform {
bool decodeSoundFile(const std::string&, std::vector<std::int16_t>& samples, std::uint32_t& frames,
                     std::uint32_t& framesPerSecond) {
    samples.clear();
    frames = framesPerSecond = 0;
    return false;
}
} // namespace platform

} // namespace qelFramework
