#include "app/FrameWriter.h"

#include <chrono>
#include <utility>

namespace qelFramework {

FrameWriter::FrameWriter(std::size_t depth, WriteFunction write)
    : depth(depth > 0 ? depth : 1), write(std::move(write)), thread([this] { run(); }) {}

FrameWriter::~FrameWriter() { finish(); }

CapturedFrame FrameWriter::take() {
    CapturedFrame frame;
    std::lock_guard<std::mutex> lock(mutex);
    if (!spare.empty()) {
        frame.pixels = std::move(spare.back());
        spare.pop_back();
    }
    return frame;
}

bool FrameWriter::push(CapturedFrame frame) {
    std::unique_lock<std::mutex> lock(mutex);
    if (!failed && !stopping && queue.size() >= depth) {
        const auto start = std::chrono::steady_clock::now();
        ++waiting;
        changed.wait(lock, [this] { return failed || queue.size() < depth; });
        --waiting;
        waited += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    if (failed || stopping)
        return false;
    queue.push_back(std::move(frame));
    peak = queue.size() > peak ? queue.size() : peak;
    changed.notify_all();
    return true;
}

bool FrameWriter::finish() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        changed.notify_all();
    }
    if (thread.joinable())
        thread.join();
    std::lock_guard<std::mutex> lock(mutex);
    return !failed;
}

void FrameWriter::run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return stopping || !queue.empty(); });
        if (queue.empty())
            return; // stopping, and everything is written
        CapturedFrame frame = std::move(queue.front());
        queue.pop_front();
        changed.notify_all(); // room in the queue
        lock.unlock();

        std::string error;
        const bool ok = write(frame, error);

        lock.lock();
        // Two spare buffers cover the frame being filled; more would only hold memory.
        if (spare.size() < 2)
            spare.push_back(std::move(frame.pixels));
        if (!ok) {
            failed = true;
            failure = error;
            queue.clear(); // frames after a failed one are not written
            changed.notify_all();
            return;
        }
    }
}

std::string FrameWriter::error() const {
    std::lock_guard<std::mutex> lock(mutex);
    return failure;
}

std::size_t FrameWriter::mostQueued() const {
    std::lock_guard<std::mutex> lock(mutex);
    return peak;
}

std::size_t FrameWriter::pushesWaiting() const {
    std::lock_guard<std::mutex> lock(mutex);
    return waiting;
}

double FrameWriter::secondsWaited() const {
    std::lock_guard<std::mutex> lock(mutex);
    return waited;
}

} // namespace qelFramework
