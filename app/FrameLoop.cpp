// The frame loop: plays the production track by track, frame after frame.
#include "app/MusicStream.h"
#include "app/Production.h"
#include "base/Trace.h"
#include "gl/BlurPass.h"
#include "gl/GLHeaders.h"
#include "gl/GL_TextureManager.h"
#include "gl/PixelDiscard.h"
#include "platform/Kernel.h"
#include "platform/EventQueue.h"
#include "platform/Window.h"
#include "sync/SyncData.h"
#include "editor/SyncEditor.h"
#include "timeline/Layer_Base.h"

#include <cstring>

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

void Production::runFrameLoop(platform::Window* window) {
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

        InputEvent event;
        if (platform::pollEvent(event)) {
            dispatchInput(event);
            continue; // one event or one frame per pass
        }
        if (platform::takeQuitRequest()) {
            pauseMusic(soundtrack);
            tracks.setState(Stopped);
            break;
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
    // With the editor (never in a capture) the picture may be kept, and drawn at a draft size.
    const bool keeping = attachedEditor && !frameSink;
    if (keeping)
        applyDraft();
    int windowWidth = 0, windowHeight = 0;
    if (keeping)
        platform::clientSize(windowHandle, windowWidth, windowHeight);
    // A seek made while paused shows its time: this one frame evaluates the controllers
    // and updates the layers there, with no time passing. So does an edit that changes a
    // value the layers read.
    const bool refresh = paused && (playback.takeRefresh() || (keeping && controllersMoved(now)));
    if (paused && keeping && !refresh && keptPicture.holds(windowWidth, windowHeight, draftDivisor)) {
        // Only the editor changed: it is drawn again over the kept picture.
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        keptPicture.show();
        presentFrame(false);
        return;
    }
    if (refresh)
        controllers->evaluateAll(static_cast<float>(now) / 1000.0f);
    if (!paused) {
        if (platform::isKeyDown(Key::Enter))
            FrameDiagnostics::showLatency(windowHandle, now, soundtrack);
        controllers->evaluateAll(static_cast<float>(now) / 1000.0f);
    }

    const bool any = tracks.selectActive(now);
    const bool discard = fastForwardKeepMs > 0 && !trackEndsWithin(tracks, now, fastForwardKeepMs);
    if (discard)
        beginPixelDiscard();
    const bool drafting = keeping && any && draftDivisor > 1 &&
                          keptPicture.beginDraft(windowWidth, windowHeight, draftDivisor);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (!any) {
        // The editor stays on screen where no track plays, so that the maker can seek out.
        keptPicture.forget();
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
    ++renderCount;

    if (drafting) {
        keptPicture.endDraft(); // scaled up into the window
    } else if (!keeping || !paused) {
        keptPicture.forget();
    } else if (!keptPicture.copyWindow(windowWidth, windowHeight) && !keepFailureTraced) {
        keepFailureTraced = true;
        Trace::write(Trace::Warning, "frameLoop",
                     "the window's picture cannot be kept: while paused every redraw renders the production");
    }
    if (platform::isKeyDown(Key::F10))
        diagnostics.drawFrameTimes(productionClock.delta, windowHandle);
    presentFrame(discard);
}

bool Production::controllersMoved(std::uint32_t now) const {
    const float t = static_cast<float>(now) / 1000.0f;
    for (std::size_t i = 0; i < controllers->count(); ++i) {
        const SyncController* c = controllers->at(i);
        const float next = c->valueAt(t);
        // Compared bit for bit: a value that is not a number equals itself.
        if (std::memcmp(&next, &c->value, sizeof next) != 0)
            return true;
    }
    return false;
}

void Production::setDraft(int divisor) {
    draftDivisor = divisor == 2 || divisor == 4 ? divisor : 1;
}

void Production::applyDraft() {
    if (layersDivisor == draftDivisor)
        return;
    for (const auto& [layer, name] : tracks.registry())
        layer->setDraft(draftDivisor);
    layersDivisor = draftDivisor;
    attachedEditor->showDraft(draftDivisor);
    Trace::write(Trace::Info, "frameLoop", draftDivisor == 1 ? "the production renders at full size"
                                                            : "the production renders at 1/%d size (draft)",
                 draftDivisor);
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
    keptPicture.release();
    tracks.unloadLayers();
    releaseBlurPass();
    if (attachedEditor) {
        attachedEditor->shutdown();
        editorLostEdits = attachedEditor->lostEdits();
        attachedEditor.reset();
    }
    textureCache.reset();
}

} // namespace qelFramework
