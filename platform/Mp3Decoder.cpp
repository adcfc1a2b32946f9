#include "platform/Mp3Decoder.h"
#include "platform/Paths.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mpg123.h>
#include <vector>

namespace qelFramework::platform {

struct Mp3Decoder::State {
    mpg123_handle* decoder = nullptr;
    std::vector<unsigned char> bytes;
    std::size_t position = 0;
};

namespace {

// The decoder reads the file's bytes from memory through these two.
mpg123_ssize_t readBytes(void* source, void* buffer, std::size_t count) {
    auto* state = static_cast<Mp3Decoder::State*>(source);
    const std::size_t left = state->bytes.size() - state->position;
    if (count > left)
        count = left;
    if (count > 0)
        std::memcpy(buffer, state->bytes.data() + state->position, count);
    state->position += count;
    return static_cast<mpg123_ssize_t>(count);
}

off_t seekBytes(void* source, off_t offset, int whence) {
    auto* state = static_cast<Mp3Decoder::State*>(source);
    off_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<off_t>(state->position);
    else if (whence == SEEK_END)
        base = static_cast<off_t>(state->bytes.size());
    else if (whence != SEEK_SET)
        return -1;
    const off_t target = base + offset;
    if (target < 0 || target > static_cast<off_t>(state->bytes.size()))
        return -1;
    state->position = static_cast<std::size_t>(target);
    return target;
}

bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& error) {
    std::FILE* f = openFile(path, "rb");
    if (!f) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size >= 0 && std::fseek(f, 0, SEEK_SET) == 0;
    if (!ok) {
        error = "cannot read " + path;
    } else if (size == 0) {
        error = path + " is empty";
        ok = false;
    } else if (static_cast<unsigned long>(size) > Mp3Decoder::kMaxFileBytes) {
        error = path + " is too large for a sound file";
        ok = false;
    } else {
        bytes.resize(static_cast<std::size_t>(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
        if (!ok)
            error = "cannot read " + path + ": " + (std::ferror(f) ? std::strerror(errno) : "it ended early");
    }
    std::fclose(f);
    return ok;
}

} // namespace

Mp3Decoder::~Mp3Decoder() { close(); }

void Mp3Decoder::close() {
    if (state) {
        mpg123_delete(state->decoder); // closes the stream too
        delete state;
        state = nullptr;
    }
    framesPerSecond = 0;
    length = 0;
    atEnd = false;
}

bool Mp3Decoder::open(const std::string& path, int outputRate, std::string& error) {
    close();
    auto* s = new State;
    if (!readWholeFile(path, s->bytes, error)) {
        delete s;
        return false;
    }

    int result = MPG123_OK;
    s->decoder = mpg123_new(nullptr, &result);
    if (!s->decoder) {
        delete s;
        error = std::string("cannot start the MP3 decoder: ") + mpg123_plain_strerror(result);
        return false;
    }
    state = s;

    mpg123_handle* d = s->decoder;
    mpg123_param(d, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    // Only 16-bit stereo is accepted, which makes the decoder duplicate mono
    // channels and, for a fixed output rate, resample.
    mpg123_format_none(d);
    if (outputRate > 0) {
        result = mpg123_format(d, outputRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    } else {
        const long* rates = nullptr;
        std::size_t count = 0;
        mpg123_rates(&rates, &count);
        for (std::size_t i = 0; i < count; ++i)
            mpg123_format(d, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    if (result != MPG123_OK) {
        error = "unsupported output rate " + std::to_string(outputRate);
        close();
        return false;
    }

    if (mpg123_replace_reader_handle(d, readBytes, seekBytes, nullptr) != MPG123_OK ||
        mpg123_open_handle(d, s) != MPG123_OK) {
        error = path + ": " + mpg123_strerror(d);
        close();
        return false;
    }

    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(d, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) {
        error = path + " holds no MP3 audio";
        close();
        return false;
    }
    // Walking every frame header gives the exact length and the seek index.
    if (mpg123_scan(d) != MPG123_OK) {
        error = path + ": " + mpg123_strerror(d);
        close();
        return false;
    }
    const off_t frames = mpg123_length(d);
    if (frames <= 0) {
        error = path + " holds no MP3 audio";
        close();
        return false;
    }
    framesPerSecond = static_cast<int>(rate);
    length = frames;
    atEnd = false;
    return true;
}

std::size_t Mp3Decoder::read(std::int16_t* out, std::size_t frames) {
    if (!state)
        return 0;
    std::size_t got = 0;
    int idle = 0;
    while (got < frames && !atEnd) {
        std::size_t done = 0;
        const int result = mpg123_read(state->decoder, reinterpret_cast<unsigned char*>(out + got * 2),
                                       (frames - got) * 4, &done);
        got += done / 4;
        if (result == MPG123_DONE)
            atEnd = true;
        else if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
            atEnd = true; // a fatal decoding error ends the sound here
        else if (done == 0 && ++idle > 8)
            atEnd = true;
    }
    return got;
}

bool Mp3Decoder::seek(std::int64_t frame) {
    if (!state)
        return false;
    if (frame < 0)
        frame = 0;
    if (frame > length)
        frame = length;
    if (mpg123_seek(state->decoder, static_cast<off_t>(frame), SEEK_SET) < 0)
        return false;
    atEnd = false;
    return true;
}

} // namespace qelFramework::platform
