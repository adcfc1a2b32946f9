#include "gl/PixelReadback.h"

#include <cstring>

namespace qelFramework {

bool PixelReadback::create(int width, int height, int depth) {
    release();
    if (width <= 0 || height <= 0)
        return false;
    frameWidth = width;
    frameHeight = height;
    buffers.assign(static_cast<std::size_t>(depth > 0 ? depth : 1), 0);
    glGenBuffers(static_cast<GLsizei>(buffers.size()), buffers.data());
    for (GLuint buffer : buffers) {
        if (buffer == 0) {
            release();
            return false;
        }
        glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(frameBytes()), nullptr, GL_STREAM_READ);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return true;
}

bool PixelReadback::start() {
    if (buffers.empty() || full())
        return false;
    const int slot = (first + count) % static_cast<int>(buffers.size());
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers[static_cast<std::size_t>(slot)]);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    // Blue-green-red-alpha bytes are how the drawing buffer stores its pixels, so the
    // copy needs no conversion.
    glReadPixels(0, 0, frameWidth, frameHeight, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    ++count;
    return true;
}

bool PixelReadback::collect(std::vector<std::uint8_t>& pixels) {
    if (count == 0)
        return false;
    const GLuint buffer = buffers[static_cast<std::size_t>(first)];
    first = (first + 1) % static_cast<int>(buffers.size());
    --count;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
    const void* mapped = glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(frameBytes()),
                                          GL_MAP_READ_BIT);
    bool ok = mapped != nullptr;
    if (ok) {
        pixels.resize(frameBytes());
        std::memcpy(pixels.data(), mapped, frameBytes());
        ok = glUnmapBuffer(GL_PIXEL_PACK_BUFFER) == GL_TRUE;
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return ok;
}

void readbackToRgb(const std::vector<std::uint8_t>& bgra, int width, int height, std::vector<std::uint8_t>& rgb) {
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    rgb.resize(w * h * 3);
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint8_t* in = bgra.data() + (h - 1 - y) * w * PixelReadback::kChannels;
        std::uint8_t* out = rgb.data() + y * w * 3;
        for (std::size_t x = 0; x < w; ++x, in += PixelReadback::kChannels, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
}

void PixelReadback::release() {
    if (!buffers.empty())
        glDeleteBuffers(static_cast<GLsizei>(buffers.size()), buffers.data());
    buffers.clear();
    first = count = 0;
}

} // namespace qelFramework
