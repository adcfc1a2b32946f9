// The frame loop: plays the production track by track, frame after frame.
#include "app/FrameLoop.h"

#include "app/MusicStream.h"
#include "app/Trace.h"
#include "gl/BlurPass.h"
#include "gl/GLHeaders.h"
#include "gl/GL_TextureManager.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Window.h"
#include "sync/SyncData.h"
#include "sync/editor/SyncEditor.h"
#include "timeline/Layer_Base.h"
#include "timeline/Timeline.h"

#include <cmath>
#include <cstdio>

namespace qelFramework {

namespace {
// The F10 read-out's counters.
unsigned g_framesCounted = 0;
float g_secondsCounted = 0.0f;
int g_framesPerSecond = 0;

// Starts the music and re-bases the clock on the moment playback began.
void startPlayback(Timeline& t) {
    FSOUND_STREAM* stream = t.music ? t.music->stream : nullptr;
    if (stream) {
        if (FSOUND_GetPaused(FSOUND_ALL))
            FSOUND_SetPaused(FSOUND_ALL, 0);
        else
            FSOUND_Stream_Play(FSOUND_FREE, stream);
    }
    t.clock.update(true);
    // Playing starts at the schedule's earliest start (the clock's offset), or later
    // when a start inside the show was asked for.
    const float skipped = t.startSeconds > t.clock.offset ? t.startSeconds - t.clock.offset : 0.0f;
    t.clock.accumulated = skipped;
    if (stream)
        FSOUND_Stream_SetTime(stream, static_cast<int>(skipped * 1000.0f));
}
} // namespace

LRESULT mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Timeline::mainWindowProc(window, message, wParam, lParam);
}

LRESULT Timeline::mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE)
        platform::postQuitMessage(0);
    else if (message == WM_KEYDOWN && wParam == static_cast<WPARAM>(VK_ESCAPE))
        platform::postMessage(window, WM_CLOSE, 0, 0);

    Timeline& t = instance();
    if (t.editor)
        t.editor->handleMessage(message, wParam, lParam);
    for (TimelineEntry* entry : t.active)
        if (entry && entry->layer)
            entry->layer->handleMessage(message, wParam, lParam);
    return platform::defWindowProc(window, message, wParam, lParam);
}

void Timeline::drawDiagnostics() {
    frameTimeHistory[historyIndex] = clock.delta;
    historyIndex = historyIndex + 1 >= static_cast<std::uint32_t>(kHistorySize) ? 0 : historyIndex + 1;

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glPushMatrix();
    glDisable(GL_LIGHTING);
    gluOrtho2D(0, 1, 1, 0);
    glBindTexture(GL_TEXTURE_2D, 0);

    glEnable(GL_BLEND);
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    glColor3f(0.25f, 0.2f, 0.2f);
    glBegin(GL_QUADS);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(0.25f, 0.0f);
    glVertex2f(0.25f, 1.0f);
    glVertex2f(0.0f, 1.0f);
    glEnd();
    glDisable(GL_BLEND);

    glColor3f(1.0f, 0.0f, 0.0f);
    glBegin(GL_LINE_STRIP);
    for (std::uint32_t i = 0; i < historyIndex; ++i)
        glVertex2f(static_cast<float>(i) / 1000.0f, 0.25f + 4.0f * frameTimeHistory[i]);
    glEnd();
    glColor3f(0.5f, 0.5f, 0.0f);
    glBegin(GL_LINE_STRIP);
    for (std::uint32_t i = historyIndex; i < static_cast<std::uint32_t>(kHistorySize); ++i)
        glVertex2f(static_cast<float>(i) / 1000.0f, 0.25f + 4.0f * frameTimeHistory[i]);
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);

    ++g_framesCounted;
    g_secondsCounted += clock.delta;
    if (g_secondsCounted >= 0.5f) {
        g_framesPerSecond = static_cast<int>(2 * g_framesCounted);
        g_framesCounted = 0;
        g_secondsCounted = 0.0f;
    }
    char title[64];
    std::snprintf(title, sizeof(title), "FPS:  %d", g_framesPerSecond);
    platform::setWindowText(window, title);
    glColor3f(1.0f, 1.0f, 1.0f);
    glPopMatrix();
}

void Timeline::runFrameLoop(HWND newWindow) {
    if (state != Loaded)
        return;
    state = Playing;
    window = newWindow;
    initBlurPass();
    FSOUND_STREAM* stream = music ? music->stream : nullptr;
    if (stream)
        FSOUND_Stream_SetTime(stream, 0);
    clock.reset(static_cast<float>(earliestStart) / 1000.0f);
    if (stream)
        FSOUND_Stream_SetTime(stream, 0);
    if (editor) {
        platform::showCursor(true);
        editor->init();
    }
    bool playbackStarted = false;

    while (state != Stopped) {
        std::uint32_t now = clock.productionMilliseconds();
        if (now > latestEnd) {
            if (!editor)
                break; // the music keeps playing until shutdown stops it
            holdAtEnd(); // an editing session ends only when the maker quits
        }

        MSG msg;
        if (platform::peekMessage(msg)) {
            if (msg.message == WM_QUIT) {
                if (stream)
                    FSOUND_Stream_Stop(stream);
                state = Stopped;
                break;
            }
            platform::translateMessage(msg);
            platform::dispatchMessage(msg);
            continue; // one message or one frame per pass
        }

        if (state == Playing && !playbackStarted) {
            startPlayback(*this);
            playbackStarted = true;
        }
        clock.update(state == Playing);
        if (state != Playing && state != Paused)
            continue;
        now = clock.productionMilliseconds();

        if (state != Paused && sync) {
            if (platform::getAsyncKeyState(VK_RETURN)) {
                char title[96];
                if (stream)
                    std::snprintf(title, sizeof(title), "latency: %f\n",
                                  static_cast<double>(static_cast<float>(now) / 1000.0f - musicSeconds(music)));
                else
                    std::snprintf(title, sizeof(title), "latency: no soundtrack");
                platform::setWindowText(window, title);
            }
            sync->evaluateAll(static_cast<float>(now) / 1000.0f);
        }

        bool any = selectActive(now);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        if (!any) {
            // The editor stays on screen where no track plays, so that the maker can seek out.
            if (editor)
                editor->draw();
            if (frameSink)
                frameSink(window);
            platform::swapBuffers(window);
            platform::sleepMs(1);
            continue;
        }
        for (int track = 0; track < kTrackCount; ++track) {
            TimelineEntry* entry = active[track];
            if (!entry)
                continue;
            FrameInfo info = frameInfo(*entry, now);
            if (state != Paused)
                entry->layer->update(info);
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            glPushMatrix();
            entry->layer->render();
            glMatrixMode(GL_MODELVIEW);
            glPopMatrix();
        }

        if (platform::getAsyncKeyState(VK_F10))
            drawDiagnostics();
        if (editor)
            editor->draw();
        if (frameSink)
            frameSink(window);
        platform::swapBuffers(window);
    }
    teardown();
}

void Timeline::holdAtEnd() {
    pauseMusic(music);
    clock.accumulated = static_cast<float>(latestEnd) / 1000.0f - clock.offset;
    // The float sum may round past the last millisecond; step back until it does not.
    while (clock.productionMilliseconds() > latestEnd)
        clock.accumulated = std::nextafter(clock.accumulated, -1.0f);
    state = Paused;
    heldAtEnd = true;
    Trace::write(Trace::INFO, "frameLoop", "the end of the show: held for the editor (a seek or play goes on, Escape quits)");
}

void Timeline::teardown() {
    for (auto& element : registry) {
        element.first->unload();
        delete element.first;
    }
    registry.clear();
    schedule.clear();
    for (auto& slot : active)
        slot = nullptr; // the window procedure must not reach deleted layers
    releaseBlurPass();
    if (editor) {
        editor->shutdown();
        delete editor;
        editor = nullptr;
    }
    delete textures;
    textures = nullptr;
}

} // namespace qelFramework
