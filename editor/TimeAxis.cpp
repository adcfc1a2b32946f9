#include "editor/TimeAxis.h"

#include "gl/UnitProjection.h"
#include "editor/BeatGrid.h"
#include "editor/EditorFont.h"

#include <algorithm>
#include <cmath>

namespace qelFramework {

using namespace EditorLayout;

namespace {
// Beyond this many seconds either way a time is off any axis (keeps the frame
// arithmetic finite for any float).
constexpr double kFarSeconds = 1.0e7;

void line(float x0, float y0, float x1, float y1) {
    glVertex2f(x0, y0);
    glVertex2f(x1, y1);
}

struct Rgb {
    float r, g, b;
};
struct Rgba {
    float r, g, b, a;
};

// A quad over x0..x1 shaded from one colour along y0 to another along y1.
void gradientQuad(float x0, float x1, float y0, const Rgba& at0, float y1, const Rgba& at1) {
    glBegin(GL_QUADS);
    glColor4f(at0.r, at0.g, at0.b, at0.a);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glColor4f(at1.r, at1.g, at1.b, at1.a);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
}

// A key at x: a thin stem over the value band, a thick bar up to the key's value (at
// valueY), and a foot down to the ruler, with a handle on top of the foot when asked.
void keyMarker(float x, float valueY, const Rgb& stem, const Rgb& bar, const Rgb& foot, bool handle) {
    glLineWidth(1.0f);
    glColor3f(stem.r, stem.g, stem.b);
    glBegin(GL_LINES);
    line(x, kKeyHitTop, x, kCurveAreaTop);
    glEnd();
    glLineWidth(2.0f);
    glColor3f(bar.r, bar.g, bar.b);
    glBegin(GL_LINES);
    line(x, kCurveAreaBottom, x, valueY);
    glEnd();
    glLineWidth(1.0f);
    glColor3f(foot.r, foot.g, foot.b);
    if (handle)
        glRectf(x - kKeyHitHalfWidth, kKeyHitBottom, x + kKeyHitHalfWidth, kKeyHitTop);
    glBegin(GL_LINES);
    line(x, kKeyHitBottom, x, 0.0f);
    glEnd();
}
} // namespace

void TimeAxis::setSong(std::vector<std::int16_t> newSamples, std::uint32_t frames, std::uint32_t rate) {
    samples = std::move(newSamples);
    if (samples.size() < static_cast<size_t>(frames) * 2)
        samples.clear(); // too short for its frame count: no waveform rather than a read past it
    frameCount = frames;
    framesPerSecond = rate ? rate : 44100;
}

void TimeAxis::fullView() {
    viewStart = 0;
    viewEnd = frameCount;
}

float TimeAxis::timeToX(float t) const {
    const double width = static_cast<double>(viewEnd) - static_cast<double>(viewStart);
    if (width <= 0.0 || std::isnan(t))
        return 0.0f;
    const double seconds = std::clamp(static_cast<double>(t), -kFarSeconds, kFarSeconds);
    const double frame = std::trunc(static_cast<double>(framesPerSecond) * seconds);
    return static_cast<float>((frame - static_cast<double>(viewStart)) / width);
}

float TimeAxis::xToTime(float x) const {
    if (!framesPerSecond)
        return 0.0f;
    const double width = static_cast<double>(viewEnd) - static_cast<double>(viewStart);
    return static_cast<float>((static_cast<double>(viewStart) + width * x) / framesPerSecond);
}

std::uint32_t TimeAxis::timeToFrame(float t) const {
    if (!(t > 0.0f))
        return 0;
    const double frame = std::trunc(static_cast<double>(framesPerSecond) * std::min<double>(t, kFarSeconds));
    return frame >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(frame);
}

float TimeAxis::labelYOffCurve(const SyncController& c, float x, float w) const {
    float high = kCurveAreaBottom, low = kCurveAreaTop;
    for (int i = 0; i <= 32; ++i) { // the curve's highest and lowest point under the label
        const float y = valueToY(c.valueAt(xToTime(x + w * static_cast<float>(i) / 32.0f)));
        high = std::max(high, y);
        low = std::min(low, y);
    }
    const float above = high + kLabelGap + kLabelDescent;
    return above + kLabelAscent <= kCurveAreaTop ? above : low - kLabelGap - kLabelAscent;
}

float TimeAxis::songSeconds() const {
    return framesPerSecond ? static_cast<float>(frameCount) / static_cast<float>(framesPerSecond) : 0.0f;
}

void TimeAxis::release() {
    if (curveList)
        glDeleteLists(curveList, 1);
    curveList = 0;
}

void TimeAxis::compileWaveform() const {
    if (samples.empty() || viewEnd <= viewStart)
        return;
    const std::uint32_t width = viewEnd - viewStart;
    const std::uint32_t step = std::max<std::uint32_t>(1, width / 2000);
    glColor3f(0.5f, 0.5f, 0.5f);
    for (float top : {kZoomBandTop / 2.0f, kZoomBandTop}) { // two rows, each half the band high
        glBegin(GL_LINE_STRIP);
        for (std::uint32_t f = viewStart; f < viewEnd && f < frameCount; f += step) {
            const float x = static_cast<float>(f - viewStart) / static_cast<float>(width);
            const float s = samples[static_cast<size_t>(f) * 2 + 1]; // the second word of the frame
            glVertex2f(x, top - (s + 32768.0f) / 65536.0f * 0.09f);
            if (f > 0xFFFFFFFFu - step)
                break;
        }
        glEnd();
    }
}

void TimeAxis::compileKeys() const {
    if (selected) {
        for (const SyncKey& key : selected->keys())
            keyMarker(timeToX(key.time), valueToY(key.value), {0.45f, 0.45f, 0.4f}, {0.8f, 0.8f, 0.7f},
                      {0.2f, 0.2f, 0.7f}, true);

        glColor3f(0.8f, 0.8f, 0.7f);
        glBegin(GL_LINE_STRIP);
        // Counted in thousandths so that the last step lands on x = 1 exactly.
        for (int i = 0; i <= 1000; ++i) {
            const float x = static_cast<float>(i) / 1000.0f;
            glVertex2f(x, valueToY(selected->valueAt(xToTime(x))));
        }
        glEnd();
    }

    if (comparison && comparison != selected) {
        for (const SyncKey& key : comparison->keys())
            keyMarker(timeToX(key.time), valueToY(key.value), {0.15f, 0.15f, 0.1f}, {0.2f, 0.2f, 0.0f},
                      {0.15f, 0.15f, 0.1f}, false);
    }
}

void TimeAxis::compileRuler() const {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gradientQuad(0.0f, 1.0f, kZoomBandTop, {0.5f, 0.5f, 0.5f, 0.4f}, kRulerTop, {0.0f, 0.0f, 0.0f, 0.2f});

    const int seconds = static_cast<int>(songSeconds());
    glLineWidth(1.0f);
    for (int s = 0; s <= seconds; ++s) {
        const float x = timeToX(static_cast<float>(s));
        if (!(x > 0.0f && x < 1.0f))
            continue;
        float tickTop = 0.19f;
        if (s % 60 == 0)
            tickTop = 0.21f;
        else if (s % 5 == 0)
            tickTop = 0.195f;
        glColor3f(0.5f, 0.0f, 0.0f);
        glBegin(GL_LINES);
        line(x, kZoomBandTop, x, tickTop);
        glEnd();
        if (rulerFont && s % 60 == 0)
            printText(rulerFont, x - 0.008f, 0.215f, 1.0f, 1.0f, 1.0f, 1.0f, "%dm", s / 60);
        else if (rulerFont && s % 5 == 0)
            printText(rulerFont, x - 0.008f, 0.2f, 1.0f, 1.0f, 1.0f, 1.0f, "%d:%d", s / 60, s % 60);
    }
}

void TimeAxis::compileBeatGrid() const {
    if (!grid || !grid->present() || viewEnd <= viewStart || !framesPerSecond)
        return;
    GLint viewport[4] = {0, 0, 1, 1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const double viewSeconds = (static_cast<double>(viewEnd) - viewStart) / framesPerSecond;
    const double pixelsPerBeat = grid->beatSeconds() / viewSeconds * std::max(viewport[2], 1);
    const long long perBar = grid->beatsPerBar();
    // Beat ticks and bar lines only where they stand apart; bar numbers every bar, or
    // every second, fourth, ... bar so that they do not run into each other.
    const bool beats = pixelsPerBeat >= kBeatTickSpacingPixels;
    const bool bars = pixelsPerBeat * static_cast<double>(perBar) >= kBeatTickSpacingPixels;
    long long labelEvery = 1;
    while (pixelsPerBeat * static_cast<double>(perBar * labelEvery) < kBarNumberSpacingPixels && labelEvery < (1LL << 40))
        labelEvery *= 2;
    const long long step = beats ? 1 : bars ? perBar : perBar * labelEvery;
    const double from = static_cast<double>(viewStart) / framesPerSecond;
    long long n = grid->beatAtOrBefore(from);
    n -= ((n % step) + step) % step; // a multiple of the step, so that bars stay aligned
    const long long last = grid->beatAtOrBefore(from + viewSeconds) + 1;
    glLineWidth(1.0f);
    for (; n <= last; n += step) {
        const float x = timeToX(static_cast<float>(grid->beatTime(n)));
        if (!(x >= 0.0f && x < 1.0f))
            continue;
        const bool barStart = n % perBar == 0;
        const long long bar = grid->barOf(n);
        const bool labelled = barStart && ((bar - 1) % labelEvery + labelEvery) % labelEvery == 0;
        glBegin(GL_LINES);
        if (barStart) {
            glColor4f(1.0f, 0.7f, 0.3f, labelled ? 0.9f : 0.5f);
            line(x, kZoomBandTop, x, kRulerTop);
        } else {
            glColor4f(1.0f, 0.7f, 0.3f, 0.45f);
            line(x, kBeatTickBottom, x, kRulerTop);
        }
        glEnd();
        if (rulerFont && labelled)
            printText(rulerFont, x + 0.002f, kBarNumberY, 1.0f, 0.75f, 0.4f, 1.0f, "%lld", bar);
    }
}

void TimeAxis::compileLoopAndBookmarks() const {
    if (loopVisible) {
        const float from = timeToX(loopFrom), to = timeToX(loopTo);
        gradientQuad(from, to, kZoomBandTop, {0.2f, 0.6f, 1.0f, 0.25f}, kRulerTop, {0.2f, 0.6f, 1.0f, 0.45f});
        glColor4f(0.4f, 0.8f, 1.0f, 0.9f);
        glLineWidth(2.0f);
        glBegin(GL_LINES);
        line(from, kZoomBandTop, from, kRulerTop);
        line(to, kZoomBandTop, to, kRulerTop);
        glEnd();
        glLineWidth(1.0f);
    }
    if (!bookmarks)
        return;
    for (float t : *bookmarks) {
        const float x = timeToX(t);
        if (!(x >= 0.0f && x <= 1.0f))
            continue;
        glColor4f(0.4f, 1.0f, 0.6f, 0.9f);
        glBegin(GL_LINES);
        line(x, kZoomBandTop, x, kBookmarkFlagTop);
        glEnd();
        glBegin(GL_TRIANGLES);
        glVertex2f(x, kBookmarkFlagTop);
        glVertex2f(x + kBookmarkFlagWidth, kBookmarkFlagTop - 0.005f);
        glVertex2f(x, kBookmarkFlagTop - 0.01f);
        glEnd();
    }
}

void TimeAxis::rebuildCurveList() {
    release();
    curveList = glGenLists(1);
    if (!curveList)
        return;
    glNewList(curveList, GL_COMPILE);
    glLineWidth(1.0f);
    compileWaveform();
    compileKeys();
    compileRuler();
    compileBeatGrid();
    compileLoopAndBookmarks();
    glLineWidth(1.0f);
    glEndList();
}

bool TimeAxis::segmentSpan(float& fromX, float& toX) const {
    if (!selected || selectedSegment < 0 || selectedSegment + 1 >= selected->keyCount())
        return false;
    fromX = timeToX(selected->keyTime(selectedSegment));
    toX = timeToX(selected->nextKeyTime(selectedSegment));
    return true;
}

void TimeAxis::drawWorkspace() {
    pushUnitProjection(false);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(1.0f);

    // 1. Background.
    gradientQuad(0.0f, 1.0f, 0.0f, {0.0f, 0.0f, 0.0f, 0.5f}, kCurveAreaTop, {0.2f, 0.1f, 0.025f, 0.5f});

    // 2. Value grid.
    glBegin(GL_LINES);
    glColor3f(0.25f, 0.25f, 0.2f);
    line(0.0f, kCurveAreaBottom, 1.0f, kCurveAreaBottom);
    for (int i = 1; i <= 10; ++i) {
        const float v = static_cast<float>(i) / 10.0f;
        glColor3f(0.1f * v + 0.05f, 0.1f * v + 0.05f, 0.1f * v + 0.025f);
        line(0.0f, valueToY(v), 1.0f, valueToY(v));
    }
    glEnd();

    // 3. Play position and the selected curve's value there.
    const std::uint32_t playFrame = std::min(timeToFrame(currentTime), frameCount);
    const float playX = viewEnd > viewStart ? static_cast<float>((static_cast<double>(playFrame) - viewStart) /
                                                                 (static_cast<double>(viewEnd) - viewStart))
                                            : 0.0f;
    if (selected) {
        glColor3f(1.0f, 0.0f, 0.0f);
        glBegin(GL_LINES);
        line(playX, kCurveAreaTop, playX, 0.0f);
        glEnd();
        glPointSize(3.0f);
        glColor3f(1.0f, 1.0f, 1.0f);
        glBegin(GL_POINTS);
        glVertex2f(playX, valueToY(selected->valueAt(currentTime)));
        glEnd();
        glPointSize(1.0f);
    }

    // 4. The curve list.
    if (curveList)
        glCallList(curveList);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(1.0f);

    // 5. Selected segment.
    float fromX = 0.0f, toX = 0.0f;
    if (segmentSpan(fromX, toX))
        gradientQuad(fromX, toX, kCurveAreaBottom, {0.4f, 0.3f, 0.1f, 0.6f}, kCurveAreaTop, {0.2f, 0.1f, 0.025f, 0.2f});

    // 6. Zoom range.
    if (rangeVisible)
        gradientQuad(timeToX(rangeFrom), timeToX(rangeTo), kZoomBandTop, {0.1f, 0.3f, 0.4f, 0.6f}, 0.0f,
                     {0.025f, 0.1f, 0.2f, 0.4f});

    // 7. Selected keys.
    if (selected) {
        glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
        for (int index : selectedKeys) {
            if (index < 0 || index >= selected->keyCount())
                continue;
            const float x = timeToX(selected->keyTime(index));
            if (x >= 0.0f && x <= 1.0f)
                glRectf(x - 0.006f, 0.218f, x + 0.006f, 0.242f);
        }
    }

    // 8. Play position line.
    glColor3f(0.2f, 0.4f, 0.7f);
    glBegin(GL_LINES);
    line(playX, kCurveAreaTop, playX, 0.0f);
    glEnd();

    popUnitProjection();
}

} // namespace qelFramework
