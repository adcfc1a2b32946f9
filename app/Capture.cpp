#include "app/Capture.h"

#include "gl/GLHeaders.h"
#include "platform/ImageWriter.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/VideoPipe.h"
#include "platform/Window.h"
#include "app/Production.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace qelFramework {

namespace {

struct CaptureState {
    CaptureSettings settings;
    bool video = false;
    platform::VideoPipe pipe;
    std::int64_t frame = 0;     // frames presented so far
    std::int64_t frameCount = 0; // frames the range holds
    std::vector<std::uint8_t> pixels, rows;
    std::vector<double> frameSeconds;
    std::chrono::steady_clock::time_point lastFrameEnd, started, lastProgress;
    bool failed = false;
    std::string renderer;
};
CaptureState* g_capture = nullptr;

// The production clock's counter in capture mode: frame n is at n / fps seconds.
std::int64_t frameCounter() {
    const std::int64_t frequency = platform::queryPerformanceFrequency();
    const std::int64_t n = g_capture ? g_capture->frame : 0;
    return n * frequency / (g_capture ? g_capture->settings.fps : 60);
}

double secondsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

void printProgress(bool last) {
    CaptureState& c = *g_capture;
    const double elapsed = secondsSince(c.started);
    const double rate = elapsed > 0 ? static_cast<double>(c.frame) / elapsed : 0.0;
    const double left = rate > 0 ? static_cast<double>(c.frameCount - c.frame) / rate : 0.0;
    // The production time of the frame written last (frame counts those written).
    const double production = c.settings.from + static_cast<double>(std::max<std::int64_t>(c.frame - 1, 0)) / c.settings.fps;
    std::fprintf(stdout, "\rcapture: frame %lld/%lld  time %7.2f s  %5.1f frames/s  %5.0f s left   %s",
                 static_cast<long long>(c.frame), static_cast<long long>(c.frameCount), production, rate,
                 last ? 0.0 : left, last ? "\n" : "");
    std::fflush(stdout);
}

void writeFrame(HWND window) {
    CaptureState& c = *g_capture;
    const auto sinkStart = std::chrono::steady_clock::now();
    if (c.frame > 0)
        c.frameSeconds.push_back(std::chrono::duration<double>(sinkStart - c.lastFrameEnd).count());

    int width = 0, height = 0;
    platform::clientSize(window, width, height);
    if (width != c.settings.width || height != c.settings.height) {
        width = c.settings.width;
        height = c.settings.height;
    }
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    c.pixels.resize(stride * static_cast<std::size_t>(height));
    c.rows.resize(c.pixels.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, c.pixels.data());
    for (int y = 0; y < height; ++y) // GL rows are bottom first
        std::copy_n(c.pixels.data() + stride * static_cast<std::size_t>(height - 1 - y), stride,
                    c.rows.data() + stride * static_cast<std::size_t>(y));

    std::string error;
    if (c.video) {
        if (!c.pipe.write(c.rows.data())) {
            std::fprintf(stderr, "\ncapture: the video encoder stopped\n");
            c.failed = true;
        }
    } else {
        char name[32];
        std::snprintf(name, sizeof(name), "/%06lld.png", static_cast<long long>(c.frame));
        if (!platform::writePng(c.settings.output + name, width, height, 3, c.rows, error)) {
            std::fprintf(stderr, "\ncapture: %s\n", error.c_str());
            c.failed = true;
        }
    }

    ++c.frame;
    if (c.failed || c.frame >= c.frameCount)
        platform::postQuitMessage(0);
    if (secondsSince(c.lastProgress) > 0.5) {
        printProgress(false);
        c.lastProgress = std::chrono::steady_clock::now();
    }
    c.lastFrameEnd = std::chrono::steady_clock::now();
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

bool beginCapture(const CaptureSettings& settings, Production& production, std::string& error) {
    delete g_capture;
    g_capture = new CaptureState;
    CaptureState& c = *g_capture;
    c.settings = settings;
    c.video = endsWith(settings.output, ".mp4");

    // The times are doubles as the command line wrote them, so a frame that falls on the
    // end lies within a hair of a whole number of frames and is included.
    const double end = settings.to >= 0.0 ? settings.to : static_cast<double>(production.timeline().latestEnd()) / 1000.0;
    c.frameCount = static_cast<std::int64_t>((end - settings.from) * settings.fps + 1e-6) + 1;
    if (c.frameCount < 1) {
        error = "the range to capture is empty";
        return false;
    }
    if (c.video) {
        if (!c.pipe.open(settings.output, settings.width, settings.height, settings.fps, "data\\quillmont.mp3",
                         settings.from, error))
            return false;
    } else if (!platform::makeFolder(settings.output, error)) {
        error = "cannot make the folder " + settings.output + ": " + error;
        return false;
    }
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    c.renderer = renderer ? renderer : "unknown";

    platform::setCounterSource(frameCounter);
    production.startAt(static_cast<float>(settings.from));
    production.setFrameSink(writeFrame);
    c.started = c.lastProgress = c.lastFrameEnd = std::chrono::steady_clock::now();
    return true;
}

bool endCapture() {
    if (!g_capture)
        return false;
    CaptureState& c = *g_capture;
    printProgress(true);
    platform::setCounterSource(nullptr);
    bool ok = !c.failed && c.frame >= c.frameCount;
    if (!c.failed && c.frame < c.frameCount)
        std::fprintf(stderr, "capture: the production stopped after %lld of %lld frames (see the trace above)\n",
                     static_cast<long long>(c.frame), static_cast<long long>(c.frameCount));
    if (c.video && !c.pipe.close()) {
        std::fprintf(stderr, "capture: the video encoder reported an error\n");
        ok = false;
    }
    std::vector<double> times = c.frameSeconds;
    if (!times.empty()) {
        double sum = 0;
        for (double t : times)
            sum += t;
        std::sort(times.begin(), times.end());
        const double p99 = times[std::min(times.size() - 1, static_cast<size_t>(0.99 * static_cast<double>(times.size())))];
        std::printf("capture: %lld frames to %s; frame time average %.2f ms, 99th percentile %.2f ms (renderer: %s)\n",
                    static_cast<long long>(c.frame), c.settings.output.c_str(), 1000.0 * sum / static_cast<double>(times.size()),
                    1000.0 * p99, c.renderer.c_str());
    }
    delete g_capture;
    g_capture = nullptr;
    return ok;
}

} // namespace qelFramework
