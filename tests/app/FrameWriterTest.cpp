// The capture's writer thread: frames written in order behind a bounded queue, and a
// failed write that stops the capture instead of hanging it.
#include "app/FrameWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace qelFramework;

namespace {
// The output end: records what it wrote, and while closed holds every write back, so
// that a test decides when the writer may go on.
struct Output {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = true;
    int entered = 0;
    std::vector<std::int64_t> written;
    std::vector<std::uint8_t> firstBytes;
    std::int64_t failAt = -1;

    void setOpen(bool value) {
        std::lock_guard<std::mutex> lock(mutex);
        open = value;
        opened.notify_all();
    }
    int enteredSoFar() {
        std::lock_guard<std::mutex> lock(mutex);
        return entered;
    }
    FrameWriter::WriteFunction function() {
        return [this](const CapturedFrame& frame, std::string& error) {
            std::unique_lock<std::mutex> lock(mutex);
            ++entered;
            opened.wait(lock, [this] { return open; });
            if (frame.index == failAt) {
                error = "No space left on device";
                return false;
            }
            written.push_back(frame.index);
            firstBytes.push_back(frame.pixels.at(0));
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
    qmtest::Deadline bound(60, "the frame writer's queue test");
    Output output;
    output.setOpen(false);
    FrameWriter writer(3, output.function());
    ASSERT_TRUE(writer.push(frameFrom(writer, 0)));
    ASSERT_TRUE(qmtest::waitFor([&] { return output.enteredSoFar() == 1; })) << "frame 0 never reached the output";

    // With frame 0 held in the output, three frames fill the queue and the next push waits.
    std::atomic<int> accepted{1};
    std::thread frameLoop([&] {
        for (std::int64_t i = 1; i < 40 && writer.push(frameFrom(writer, i)); ++i)
            ++accepted;
    });
    EXPECT_TRUE(qmtest::waitFor([&] { return writer.pushesWaiting() == 1 || accepted == 40; }));
    EXPECT_EQ(accepted, 4) << "frames taken while the output held frame 0";
    EXPECT_EQ(writer.mostQueued(), 3u);
    output.setOpen(true);
    frameLoop.join();
    EXPECT_TRUE(writer.finish());
    EXPECT_GT(writer.secondsWaited(), 0.0);

    ASSERT_EQ(output.written.size(), 40u);
    for (std::int64_t i = 0; i < 40; ++i) {
        EXPECT_EQ(output.written[static_cast<size_t>(i)], i);
        EXPECT_EQ(output.firstBytes[static_cast<size_t>(i)], static_cast<std::uint8_t>(i));
    }
    // Written buffers come back to be filled again; at most two spares, not all forty, are kept.
    EXPECT_EQ(writer.take().pixels.capacity(), 1024u);
    writer.take();
    EXPECT_EQ(writer.take().pixels.capacity(), 0u);
    EXPECT_EQ(writer.error(), "");
}

TEST(FrameWriter, AFailedWriteStopsTheWriterAndRefusesFurtherFrames) {
    qmtest::Deadline bound(60, "pushes to a failed frame writer");
    Output output;
    output.failAt = 4;
    FrameWriter writer(2, output.function());
    std::int64_t accepted = 0;
    // The frame loop keeps pushing as a capture would until a push is refused: with the
    // queue full and the writer stopped, the push must not wait forever.
    for (std::int64_t i = 0; i < 100 && writer.push(frameFrom(writer, i)); ++i)
        ++accepted;
    EXPECT_GE(accepted, 5);
    EXPECT_LE(accepted, 8) << "at most the queue and the frame in the output beyond the failed one";
    EXPECT_EQ(writer.error(), "No space left on device");
    EXPECT_FALSE(writer.finish());
    EXPECT_EQ(output.written, (std::vector<std::int64_t>{0, 1, 2, 3})) << "nothing after the failed frame";
    EXPECT_FALSE(writer.push(frameFrom(writer, 100)));
}

TEST(FrameWriter, FinishWritesWhatIsQueuedAndADestroyedWriterToo) {
    qmtest::Deadline bound(60, "a frame writer's finish");
    Output output;
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
