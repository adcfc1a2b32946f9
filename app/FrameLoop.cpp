// The frame loop: plays the production track by track, frame after frame.
#include "app/FrameLoop.h"

#include "app/MusicStream.h"
#include "app/Production.h"
#include "base/Trace.h"
#include "gl/BlurPass.h"
#include "gl/GLHeaders.h"
#include "gl/GL_TextureManager.h"
#include "gl/PixelDiscard.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Window.h"
#include "sync/SyncData.h"
#include "editor/SyncEditor.h"
#include "timeline/Layer_Base.h"

#include <cstdio>

namespace qelFramework {

namespace {
// True when an active track ends within `withinMs` after millisecond now.
bool trackEndsWithin(const Timeline& tracks, std::uint32_t now, std::uint32_t withinMs) {
    for (int track = 0; track < Timeline::kTrackCount; ++track)
        if (const TimelineEntry* entry = tracks.active(track); entry && entry->end - now < withinMs)
            return true;
    return false;
}
} // namespace

LRESULT mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Production::mainWindowProc(window, message, wParam, lParam);
}

LRESULT Production::mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The editor sees every message first; an Escape it takes for itself (closing a
    // field, clearing a filter) does not quit.
    Production* p = current;
    const bool taken = p && p->attachedEditor && p->attachedEditor->handleMessage(message, wParam, lParam);
    if (message == WM_CLOSE)
        platform::postQuitMessage(0);
    else if (message == WM_KEYDOWN && wParam == static_cast<WPARAM>(VK_ESCAPE) && !taken)
        platform::postMessage(window, WM_CLOSE, 0, 0);

    if (p) {
        for (int track = 0; track < Timeline::kTrackCount; ++track)
            if (const TimelineEntry* entry = p->tracks.active(track); entry && entry->layer)
                entry->layer->handleMessage(message, wParam, lParam);
    }
    return platform::defWindowProc(window, message, wParam, lParam);
}

void Production::drawDiagnostics() {
    frameTimeHistory[frameHistoryIndex] = productionClock.delta;
    frameHistoryIndex =
        frameHistoryIndex + 1 >= static_cast<std::uint32_t>(kHistorySize) ? 0 : frameHistoryIndex + 1;

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
    for (std::uint32_t i = 0; i < frameHistoryIndex; ++i)
        glVertex2f(static_cast<float>(i) / 1000.0f, 0.25f + 4.0f * frameTimeHistory[i]);
    glEnd();
    glColor3f(0.5f, 0.5f, 0.0f);
    glBegin(GL_LINE_STRIP);
    for (std::uint32_t i = frameHistoryIndex; i < static_cast<std::uint32_t>(kHistorySize); ++i)
        glVertex2f(static_cast<float>(i) / 1000.0f, 0.25f + 4.0f * frameTimeHistory[i]);
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);

    ++framesCounted;
    secondsCounted += productionClock.delta;
    if (secondsCounted >= 0.5f) {
        framesPerSecond = static_cast<int>(2 * framesCounted);
        framesCounted = 0;
        secondsCounted = 0.0f;
    }
    char title[64];
    std::snprintf(title, sizeof(title), "FPS:  %d", framesPerSecond);
    platform::setWindowText(windowHandle, title);
    glColor3f(1.0f, 1.0f, 1.0f);
    glPopMatrix();
}

void Production::runFrameLoop(HWND window) {
    if (tracks.state() != Loaded)
        return;
    tracks.setState(Playing);
    windowHandle = window;
    if (!initBlurPass()) { // its targets or shader failed, as traced: nothing can be shown
        teardown();
        return;
    }
    seekMusic(soundtrack, 0.0f);
    productionClock.reset(static_cast<float>(tracks.earliestStart()) / 1000.0f);
    if (attachedEditor) {
        platform::showCursor(true);
        attachedEditor->init();
    }
    bool playbackStarted = false;

    while (tracks.state() != Stopped) {
        std::uint32_t now = productionClock.productionMilliseconds();
        if (now > tracks.latestEnd()) {
            if (!attachedEditor)
                break; // the music keeps playing until shutdown stops it
            // An editing session ends only when the maker quits.
            playback.holdAt(tracks.latestEnd());
            Trace::write(Trace::Info, "frameLoop",
                         "the end of the show: held for the editor (a seek or play goes on, Escape quits)");
        }

        MSG msg;
        if (platform::peekMessage(msg)) {
            if (msg.message == WM_QUIT) {
                pauseMusic(soundtrack);
                tracks.setState(Stopped);
                break;
            }
            platform::translateMessage(msg);
            platform::dispatchMessage(msg);
            continue; // one message or one frame per pass
        }

        if (tracks.state() == Playing && !playbackStarted) {
            playback.start(startSeconds);
            playbackStarted = true;
        }
        productionClock.update(tracks.state() == Playing);
        if (tracks.state() != Playing && tracks.state() != Paused)
            continue;
        playFrame();
    }
    teardown();
}

void Production::playFrame() {
    beforeFrame();
    const std::uint32_t now = productionClock.productionMilliseconds();
    const bool paused = tracks.state() == Paused;
    // A seek made while paused shows its time: this one frame evaluates the controllers
    // and updates the layers there, with no time passing.
    const bool refresh = paused && playback.takeRefresh();
    if (refresh)
        controllers->evaluateAll(static_cast<float>(now) / 1000.0f);
    if (!paused) {
        if (platform::getAsyncKeyState(VK_RETURN)) {
            char title[96];
            if (soundtrack && soundtrack->opened)
                std::snprintf(title, sizeof(title), "latency: %f\n",
                              static_cast<double>(static_cast<float>(now) / 1000.0f - musicSeconds(soundtrack)));
            else
                std::snprintf(title, sizeof(title), "latency: no soundtrack");
            platform::setWindowText(windowHandle, title);
        }
        controllers->evaluateAll(static_cast<float>(now) / 1000.0f);
    }

    const bool any = tracks.selectActive(now);
    const bool discard = fastForwardKeepMs > 0 && !trackEndsWithin(tracks, now, fastForwardKeepMs);
    if (discard)
        beginPixelDiscard();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (!any) {
        // The editor stays on screen where no track plays, so that the maker can seek out.
        presentFrame(discard);
        platform::sleepMs(1);
        return;
    }
    for (int track = 0; track < Timeline::kTrackCount; ++track) {
        const TimelineEntry* entry = tracks.active(track);
        if (!entry)
            continue;
        const FrameInfo info =
            tracks.frameInfo(*entry, now, productionClock.productionSeconds(), productionClock.delta);
        if (!paused)
            entry->layer->update(info);
        else if (refresh)
            entry->layer->update(tracks.frameInfo(*entry, now, productionClock.productionSeconds(), 0.0f));
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
    presentFrame(discard);
}

void Production::presentFrame(bool pixelsDiscarded) {
    if (attachedEditor)
        attachedEditor->draw();
    if (pixelsDiscarded)
        endPixelDiscard();
    if (frameSink)
        frameSink(windowHandle);
    platform::swapBuffers(windowHandle);
}

void Production::teardown() {
    tracks.unloadLayers();
    releaseBlurPass();
    if (attachedEditor) {
        attachedEditor->shutdown();
        attachedEditor.reset();
    }
    textureCache.reset();
}

} // namespace qelFramework
