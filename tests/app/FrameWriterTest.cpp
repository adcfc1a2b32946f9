// The capture's writer thread: frames written in order behind a bounded queue, and a
// failed write that stops the capture instead of hanging it.
#include "app/FrameWriter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

using namespace qelFramework;

namespace {
// A writer slower than the frames come, recording what it wrote.
struct SlowOutput {
    std::mutex mutex;
    std::vector<std::int64_t> written;
    std::vector<std::uint8_t> firstBytes;
    std::set<const std::uint8_t*> buffers;
    std::int64_t failAt = -1;

    FrameWriter::WriteFunction function() {
        return [this](const CapturedFrame& frame, std::string& error) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            std::lock_guard<std::mutex> lock(mutex);
            if (frame.index == failAt) {
                error = "No space left on device";
                return false;
            }
            written.push_back(frame.index);
            firstBytes.push_back(frame.pixels.at(0));
            buffers.insert(frame.pixels.data());
            return true;
        };
    }
};

CapturedFrame frameFrom(FrameWriter& writer, std::int64_t index) {
    CapturedFrame frame = writer.take();
    frame.index = index;
    frame.pixels.assign(1024, static_cast<std::uint8_t>(index));
    return frame;
}
} // namespace

TEST(FrameWriter, WritesEveryFrameInOrderWithABoundedQueueAndRecycledBuffers) {
    SlowOutput output;
    FrameWriter writer(3, output.function());
    const auto start = std::chrono::steady_clock::now();
    for (std::int64_t i = 0; i < 40; ++i)
        ASSERT_TRUE(writer.push(frameFrom(writer, i)));
    // 40 frames at 5 ms each cannot be queued without waiting for the writer.
    EXPECT_GT(writer.secondsWaited(), 0.05);
    EXPECT_TRUE(writer.finish());
    EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0.2);

    EXPECT_LE(writer.mostQueued(), 3u);
    EXPECT_GE(writer.mostQueued(), 2u);
    ASSERT_EQ(output.written.size(), 40u);
    for (std::int64_t i = 0; i < 40; ++i) {
        EXPECT_EQ(output.written[static_cast<size_t>(i)], i);
        EXPECT_EQ(output.firstBytes[static_cast<size_t>(i)], static_cast<std::uint8_t>(i));
    }
    // The queue, the frame being written and the spares: a handful of buffers, not 40.
    EXPECT_LE(output.buffers.size(), 6u);
    EXPECT_EQ(writer.error(), "");
}

TEST(FrameWriter, AFailedWriteStopsTheWriterAndRefusesFurtherFrames) {
    SlowOutput output;
    output.failAt = 4;
    FrameWriter writer(2, output.function());
    std::int64_t accepted = 0;
    // The frame loop keeps pushing as a capture would until a push is refused: with the
    // queue full and the writer stopped, the push must not wait forever.
    for (std::int64_t i = 0; i < 100 && writer.push(frameFrom(writer, i)); ++i)
        ++accepted;
    EXPECT_LT(accepted, 100);
    EXPECT_GE(accepted, 5);
    EXPECT_EQ(writer.error(), "No space left on device");
    EXPECT_FALSE(writer.finish());
    EXPECT_EQ(output.written, (std::vector<std::int64_t>{0, 1, 2, 3})) << "nothing after the failed frame";
    EXPECT_FALSE(writer.push(frameFrom(writer, 100)));
}

TEST(FrameWriter, FinishWritesWhatIsQueuedAndADestroyedWriterToo) {
    SlowOutput output;
    {
        FrameWriter writer(4, output.function());
        for (std::int64_t i = 0; i < 4; ++i)
            ASSERT_TRUE(writer.push(frameFrom(writer, i)));
    }
    EXPECT_EQ(output.written, (std::vector<std::int64_t>{0, 1, 2, 3}));

    FrameWriter idle(1, output.function());
    EXPECT_TRUE(idle.finish());
    EXPECT_TRUE(idle.finish()); // twice is harmless
    EXPECT_FALSE(idle.push(frameFrom(idle, 9))) << "a finished writer takes no frames";
    EXPECT_EQ(idle.mostQueued(), 0u);
}
