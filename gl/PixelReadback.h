#pragma once
// Reads finished frames back from the drawing buffer through a ring of pixel buffer
// objects: a frame's read is started once it is drawn and collected after the next one
// has been started, so the driver can copy while the program goes on.
#include "gl/GLHeaders.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qelFramework {

class PixelReadback {
public:
    // Bytes per pixel of what collect returns: blue, green, red, alpha.
    static constexpr int kChannels = 4;

    PixelReadback() = default;
    PixelReadback(const PixelReadback&) = delete;
    PixelReadback& operator=(const PixelReadback&) = delete;
    // Leaves the buffer objects alone: the GL context may be gone by then (see release).
    ~PixelReadback() = default;

    // Makes `depth` (at least 1) buffers for width x height frames; needs a current
    // context. False when they could not be made.
    bool create(int width, int height, int depth = 2);
    // Starts reading the lower left width x height pixels of the read buffer into the next
    // free buffer. Returns false (nothing started) when every buffer holds a frame not yet
    // collected.
    bool start();
    // Copies the oldest started frame into pixels (rows bottom first, kChannels bytes a
    // pixel, tightly packed). False when no frame is pending or the buffer could not be
    // mapped.
    bool collect(std::vector<std::uint8_t>& pixels);
    // Frames started and not yet collected.
    int pending() const { return count; }
    bool full() const { return count == static_cast<int>(buffers.size()); }
    // Deletes the buffers; needs the context they were made in.
    void release();

    int width() const { return frameWidth; }
    int height() const { return frameHeight; }
    std::size_t frameBytes() const {
        return static_cast<std::size_t>(frameWidth) * static_cast<std::size_t>(frameHeight) * kChannels;
    }

private:
    std::vector<GLuint> buffers;
    int frameWidth = 0;
    int frameHeight = 0;
    int first = 0; // the oldest pending frame's buffer
    int count = 0;
};

// What collect returns as the picture files want it: RGB, rows top first. bgra holds
// width x height x 4 bytes.
void readbackToRgb(const std::vector<std::uint8_t>& bgra, int width, int height, std::vector<std::uint8_t>& rgb);

} // namespace qelFramework
