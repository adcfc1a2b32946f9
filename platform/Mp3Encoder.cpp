#include "platform/Mp3Encoder.h"
#include "platform/Paths.h"

#include <cstdio>
#include <lame/lame.h>

namespace qelFramework::platform {

bool encodeMp3File(const std::string& path, const std::vector<std::int16_t>& samples, int framesPerSecond,
                   int kilobitsPerSecond, std::string& error) {
    lame_t lame = lame_init();
    if (!lame) {
        error = "encoder could not be started";
        return false;
    }
    lame_set_in_samplerate(lame, framesPerSecond);
    lame_set_out_samplerate(lame, framesPerSecond);
    lame_set_num_channels(lame, 2);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_brate(lame, kilobitsPerSecond);
    lame_set_VBR(lame, vbr_off);
    lame_set_quality(lame, 5);
    lame_set_bWriteVbrTag(lame, 1); // the tag frame carries the encoder delay and padding
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        error = "encoder rejected the parameters";
        return false;
    }

    const int frames = static_cast<int>(samples.size() / 2);
    std::vector<unsigned char> out;
    out.reserve(static_cast<size_t>(frames) / 4 + 8192);
    const int chunk = 8192;
    std::vector<unsigned char> buffer(static_cast<size_t>(chunk) * 5 / 4 + 7200);
    bool ok = true;
    for (int done = 0; done < frames && ok; done += chunk) {
        int n = frames - done < chunk ? frames - done : chunk;
        // The encoder takes a non-const pointer but does not write through it.
        short* pcm = const_cast<short*>(samples.data() + static_cast<size_t>(done) * 2);
        int written = lame_encode_buffer_interleaved(lame, pcm, n, buffer.data(), static_cast<int>(buffer.size()));
        if (written < 0)
            ok = false;
        else
            out.insert(out.end(), buffer.begin(), buffer.begin() + written);
    }
    if (ok) {
        int written = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
        if (written < 0)
            ok = false;
        else
            out.insert(out.end(), buffer.begin(), buffer.begin() + written);
    }
    if (ok) {
        // The first frame was reserved for the tag; fill it in now that the lengths are known.
        unsigned char tag[4096];
        size_t tagSize = lame_get_lametag_frame(lame, tag, sizeof(tag));
        if (tagSize > 0 && tagSize <= out.size())
            std::copy(tag, tag + tagSize, out.begin());
    }
    lame_close(lame);
    if (!ok) {
        error = "encoding failed";
        return false;
    }
    return writeWholeFile(path, out, error);
}

} // namespace qelFramework::platform
