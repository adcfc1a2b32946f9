#pragma once
// Writes captured frames on a thread of its own, behind a queue of at most a few frames:
// the frame loop hands a frame over and renders on while the writer compresses and writes
// the one before. The frame loop waits only when the queue is full, so memory stays
// bounded however slow the output is. Pixel buffers go back and forth between the two,
// so a capture allocates them once.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qelFramework {

struct CapturedFrame {
    std::int64_t index = 0;          // frame number within the capture
    std::vector<std::uint8_t> pixels; // as the reader left them
};

class FrameWriter {
public:
    // Writes one frame; false with the reason in error stops the writer.
    using WriteFunction = std::function<bool(const CapturedFrame& frame, std::string& error)>;

    // At most `depth` frames (at least 1) wait in the queue.
    FrameWriter(std::size_t depth, WriteFunction write);
    // Finishes what is queued.
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // A frame to fill: its pixel buffer is one the writer is done with, when there is one.
    CapturedFrame take();
    // Queues a frame, waiting while the queue is full. False, with nothing queued, once a
    // write has failed (error() says why).
    bool push(CapturedFrame frame);
    // Waits until every queued frame is written and stops the thread. False when a write
    // failed.
    bool finish();

    std::string error() const;
    // The most frames that ever waited in the queue at once.
    std::size_t mostQueued() const;
    // Seconds push spent waiting for room in the queue, in all.
    double secondsWaited() const;
    // Pushes waiting for room in the queue at this moment (0 or 1 with one frame loop).
    std::size_t pushesWaiting() const;

private:
    void run();

    const std::size_t depth;
    WriteFunction write;
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<CapturedFrame> queue;
    std::vector<std::vector<std::uint8_t>> spare;
    bool stopping = false;
    bool failed = false;
    std::string failure;
    std::size_t peak = 0;
    std::size_t waiting = 0;
    double waited = 0.0;
    std::thread thread;
};

} // namespace qelFramework
