#include "app/Capture.h"

#include "app/CaptureRange.h"
#include "app/FrameWriter.h"
#include "app/MusicStream.h"
#include "app/Production.h"
#include "base/Trace.h"
#include "gl/GLHeaders.h"
#include "gl/PixelReadback.h"
#include "platform/ImageWriter.h"
#include "platform/Kernel.h"
#include "platform/EventQueue.h"
#include "platform/Paths.h"
#include "platform/VideoPipe.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace qelFramework {

namespace {

using Clock = std::chrono::steady_clock;

// Frames that wait for the writer at most; each holds a frame's pixels (3.7 MB at 1280 x 720).
constexpr std::size_t kQueueDepth = 3;
// Seconds of production per key-frame group; segments are made of whole groups.
constexpr int kGroupSeconds = 2;
// Frames drawn in full just before the first frame written, after the fast-forward.
constexpr std::int64_t kFullFramesBefore = 2;

struct CaptureState {
    CaptureSettings settings;
    Production* production = nullptr;
    CaptureRange range;
    bool video = false;
    platform::VideoPipe pipe;
    PixelReadback readback;
    std::unique_ptr<FrameWriter> writer;
    std::vector<std::uint8_t> rgb; // the writer thread's conversion buffer
    std::int64_t frame = 0;        // frames presented so far, from the production's start
    std::int64_t written = 0;      // frames handed to the writer
    std::vector<std::int64_t> startedFrames; // frames whose readback is pending, oldest first
    std::vector<double> renderSeconds;
    Clock::time_point lastFrameEnd, wallStart, lastProgress, fastForwardStart;
    bool failed = false;
    std::string renderer;
};
CaptureState* g_capture = nullptr;

// The production clock's counter in capture mode: frame n is at n / fps seconds, counted
// in nanoseconds on every system (the whole counts, and so the times the layers see,
// depend on the frequency).
constexpr std::int64_t kFrameCounterFrequency = 1000000000;
std::int64_t frameCounter() {
    const std::int64_t frequency = platform::queryPerformanceFrequency();
    const std::int64_t n = g_capture ? g_capture->frame : 0;
    return n * frequency / (g_capture ? g_capture->settings.fps : 60);
}

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

void printProgress(bool last) {
    CaptureState& c = *g_capture;
    const std::int64_t total = c.range.frames();
    const double elapsed = secondsSince(c.wallStart);
    const double rate = elapsed > 0 ? static_cast<double>(c.written) / elapsed : 0.0;
    const double left = rate > 0 ? static_cast<double>(total - c.written) / rate : 0.0;
    // The production time of the frame handed over last.
    const double production = static_cast<double>(c.range.first + std::max<std::int64_t>(c.written - 1, 0)) /
                              c.settings.fps;
    std::fprintf(stdout, "\rcapture: frame %lld/%lld  time %7.2f s  %5.1f frames/s  %5.0f s left   %s",
                 static_cast<long long>(c.written), static_cast<long long>(total), production, rate,
                 last ? 0.0 : left, last ? "\n" : "");
    std::fflush(stdout);
}

// A capture ended by SIGINT or SIGTERM says so, whatever else failed because of it (the
// encoder, in the same process group, may have stopped first).
std::string interruptedReason() {
    const int signal = platform::interruptSignal();
    return signal ? std::string("interrupted by ") + platform::signalName(signal) : std::string();
}

// Says why the capture failed, once: the first reason is the one that counts.
void report(const std::string& reason, const char* lead) {
    CaptureState& c = *g_capture;
    const std::string interrupted = interruptedReason();
    if (!c.failed)
        std::fprintf(stderr, "%scapture: %s\n", lead, interrupted.empty() ? reason.c_str() : interrupted.c_str());
    c.failed = true;
}

// A failure while frames are made: reported below the progress line, and the frame loop ends.
void fail(const std::string& reason) {
    report(reason, "\n");
    platform::requestQuit(0);
}

// Hands the oldest pending readback to the writer.
void collectOne() {
    CaptureState& c = *g_capture;
    CapturedFrame out = c.writer->take();
    out.index = c.startedFrames.front() - c.range.rangeFirst;
    c.startedFrames.erase(c.startedFrames.begin());
    if (!c.readback.collect(out.pixels)) {
        fail("cannot read the frame back from OpenGL");
        return;
    }
    if (!c.writer->push(std::move(out))) {
        fail(c.writer->error());
        return;
    }
    ++c.written;
}

// Runs on the writer thread.
bool writeFrame(const CapturedFrame& frame, std::string& error) {
    CaptureState& c = *g_capture;
    readbackToRgb(frame.pixels, c.settings.width, c.settings.height, c.rgb);
    if (c.video)
        return c.pipe.write(c.rgb.data(), error);
    char name[32];
    std::snprintf(name, sizeof(name), "/%06lld.png", static_cast<long long>(frame.index));
    const std::string path = c.settings.output + name;
    if (platform::writePng(path, c.settings.width, c.settings.height, 3, c.rgb, error, platform::PngCompression::Fast))
        return true;
    // The file writes' reasons name the file already; an encoding failure's does not.
    if (error.find(path) == std::string::npos)
        error = "cannot write " + path + ": " + error;
    return false;
}

// A frame before the first one written: counted, and the fast-forward set for the next.
void passFrame() {
    CaptureState& c = *g_capture;
    if (c.frame == 0)
        c.fastForwardStart = Clock::now();
    ++c.frame;
    const bool fastForward = c.frame < c.range.first - kFullFramesBefore;
    c.production->setFastForward(fastForward ? static_cast<std::uint32_t>(2000 / c.settings.fps + 1) : 0u);
    if (c.frame == c.range.first) {
        const double seconds = secondsSince(c.fastForwardStart);
        std::fprintf(stdout, "\rcapture: fast-forward to %.3f s (%lld frames) took %.1f s, %.1f ms a frame%20s\n",
                     static_cast<double>(c.range.first) / c.settings.fps, static_cast<long long>(c.frame), seconds,
                     1000.0 * seconds / static_cast<double>(c.frame), "");
        std::fflush(stdout);
    } else if (secondsSince(c.lastProgress) > 0.5) {
        std::fprintf(stdout, "\rcapture: fast-forward  time %7.2f s of %.2f s   ",
                     static_cast<double>(c.frame) / c.settings.fps, static_cast<double>(c.range.first) / c.settings.fps);
        std::fflush(stdout);
        c.lastProgress = Clock::now();
    }
}

void frameSink(platform::Window*) {
    CaptureState& c = *g_capture;
    const auto sinkStart = Clock::now();
    if (platform::interruptSignal()) {
        fail(interruptedReason());
        return;
    }
    if (c.frame < c.range.first) {
        passFrame();
        c.lastFrameEnd = Clock::now();
        return;
    }
    // The render time of a frame runs from the end of the frame before it; the first
    // frame of a capture from the production's start has none.
    if (c.frame > 0) {
        if (c.renderSeconds.empty())
            c.wallStart = c.lastFrameEnd;
        c.renderSeconds.push_back(std::chrono::duration<double>(sinkStart - c.lastFrameEnd).count());
    }

    c.readback.start();
    c.startedFrames.push_back(c.frame);
    ++c.frame;
    const bool last = c.frame > c.range.last;
    while (!c.failed && (c.readback.full() || (last && c.readback.pending() > 0)))
        collectOne();

    if (c.failed || last)
        platform::requestQuit(0);
    if (secondsSince(c.lastProgress) > 0.5) {
        printProgress(false);
        c.lastProgress = Clock::now();
    }
    c.lastFrameEnd = Clock::now();
}

// "clip.mp4", "CLIP.MP4", "clip.Mp4": a video.
bool namesVideo(const std::string& output) {
    const std::string tail = ".mp4";
    if (output.size() < tail.size())
        return false;
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(output[output.size() - tail.size() + i])) != tail[i])
            return false;
    return true;
}


CaptureStart start(const CaptureSettings& settings, Production& production, std::string& error) {
    delete g_capture;
    g_capture = new CaptureState;
    CaptureState& c = *g_capture;
    c.settings = settings;
    c.production = &production;
    c.video = namesVideo(settings.output);
    // A full disk or a size limit fails a write with its reason rather than ending the
    // program; an interrupt ends the capture between frames, the video removed.
    platform::ignoreWriteSignals();
    platform::catchInterrupts();

    // What a capture to the same output cut off by a kill left behind.
    const std::vector<std::string> leftovers =
        c.video ? (platform::removeLeftoverTemporaryFileOf(settings.output)
                       ? std::vector<std::string>{platform::temporaryPathOf(settings.output)}
                       : std::vector<std::string>{})
                : platform::removeLeftoverTemporaryFiles(settings.output);
    for (const std::string& name : leftovers)
        Trace::write(Trace::Warning, "capture", "removed %s, left by a capture that was cut off", name.c_str());

    const int groupFrames = kGroupSeconds * settings.fps;
    const double end = static_cast<double>(production.timeline().latestEnd()) / 1000.0;
    if (!captureRange(settings.from, settings.to, end, settings.fps, settings.segment, settings.segments,
                      groupFrames, c.range, error))
        return CaptureStart::Failed;
    if (c.range.frames() == 0) {
        error = "segment " + std::to_string(settings.segment) + " of " + std::to_string(settings.segments) +
                " holds no frame (the range has fewer groups of " + std::to_string(groupFrames) +
                " frames than segments): nothing written";
        return CaptureStart::Nothing;
    }
    if (c.video) {
        platform::VideoSettings video;
        video.width = settings.width;
        video.height = settings.height;
        video.fps = settings.fps;
        video.keyframeInterval = groupFrames;
        // A segment is one part of a video; the soundtrack goes in once, when they are
        // joined. A soundtrack the show could not open (missing or damaged, already
        // warned of) leaves the video silent, as the show plays.
        const MusicStream* music = production.music();
        if (settings.segments == 1 && music && music->opened) {
            video.audioPath = kSoundtrackFile;
            video.audioStart = static_cast<double>(c.range.first) / settings.fps;
            const std::int64_t lengthMs = music->player.lengthMs();
            // Frames after the soundtrack's end would be cut by a video cut to the sound.
            video.audioEndsFirst =
                lengthMs >= 0 && static_cast<double>(lengthMs) / 1000.0 < static_cast<double>(c.range.last) / settings.fps;
        }
        if (!c.pipe.open(settings.output, video, error))
            return CaptureStart::Failed;
    } else if (!platform::makeFolder(settings.output, error)) {
        error = "cannot make the folder " + settings.output + ": " + error;
        return CaptureStart::Failed;
    }
    if (!c.readback.create(settings.width, settings.height)) {
        error = "cannot make the pixel buffers to read the frames back";
        return CaptureStart::Failed;
    }
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    c.renderer = renderer ? renderer : "unknown";
    c.writer = std::make_unique<FrameWriter>(kQueueDepth, writeFrame);

    platform::setCounterSource(frameCounter, kFrameCounterFrequency);
    production.startAt(0.0f); // the frames before the range are fast-forwarded
    if (c.range.first > kFullFramesBefore)
        production.setFastForward(static_cast<std::uint32_t>(2000 / settings.fps + 1));
    production.setFrameSink(frameSink);
    c.wallStart = c.lastProgress = c.lastFrameEnd = c.fastForwardStart = Clock::now();
    return CaptureStart::Started;
}

} // namespace

CaptureStart beginCapture(const CaptureSettings& settings, Production& production, std::string& error) {
    const CaptureStart result = start(settings, production, error);
    if (result != CaptureStart::Started) {
        delete g_capture;
        g_capture = nullptr;
    }
    return result;
}

bool endCapture() {
    if (!g_capture)
        return false;
    CaptureState& c = *g_capture;
    if (c.written > 0)
        printProgress(true);
    platform::setCounterSource(nullptr);
    c.production->setFastForward(0);
    const bool complete = c.written >= c.range.frames();
    if (c.writer && !c.writer->finish())
        report(c.writer->error(), "");
    c.readback.release();
    if (!c.failed && !complete)
        std::fprintf(stderr, "capture: the production stopped after %lld of %lld frames (see the trace above)\n",
                     static_cast<long long>(c.written), static_cast<long long>(c.range.frames()));
    bool ok = !c.failed && complete;
    std::string error;
    if (c.video && !c.pipe.close(ok, error)) {
        std::fprintf(stderr, "capture: the video could not be finished: %s\n", error.c_str());
        ok = false;
    }
    if (c.video && !ok)
        std::fprintf(stderr, "capture: no video written\n");
    const double wall = secondsSince(c.wallStart);

    std::vector<double> times = c.renderSeconds;
    std::printf("capture: %lld frames %s %s", static_cast<long long>(c.written), ok ? "to" : "rendered for",
                c.settings.output.c_str());
    if (!times.empty()) {
        double sum = 0;
        for (double t : times)
            sum += t;
        std::sort(times.begin(), times.end());
        const double p99 = times[std::min(times.size() - 1, static_cast<size_t>(0.99 * static_cast<double>(times.size())))];
        std::printf("; render time per frame average %.2f ms, 99th percentile %.2f ms; wall time per frame %.2f ms",
                    1000.0 * sum / static_cast<double>(times.size()), 1000.0 * p99,
                    1000.0 * wall / static_cast<double>(times.size()));
    }
    std::printf("; writer queue at most %zu of %zu frames (renderer: %s)\n", c.writer ? c.writer->mostQueued() : 0,
                kQueueDepth, c.renderer.c_str());
    std::fflush(stdout);
    delete g_capture;
    g_capture = nullptr;
    return ok;
}

} // namespace qelFramework
