#pragma once
// The production as the entry owns it: the timeline with its layers, the production
// clock and the soundtrack behind one transport, the sync data, the texture cache, the
// loading screen and an optional editor. The frame loop plays it.
#include "app/FrameDiagnostics.h"
#include "app/KeptPicture.h"
#include "app/LoadingScreen.h"
#include "app/Playback.h"
#include "base/HiResTimer.h"
#include "platform/InputEvent.h"
#include "platform/Window.h"
#include "timeline/Timeline.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qelFramework {

class GL_TextureManager;
class SyncData;
class SyncEditor;
class SyncTextSource;
struct MusicStream;

// Called with the window after a frame is drawn and before it is presented (capture mode).
using FrameSink = void (*)(platform::Window* window);

class Production {
public:
    static constexpr const char* kSyncFile = "data/demosynch.dat";

    Production();
    ~Production();
    Production(const Production&) = delete;
    Production& operator=(const Production&) = delete;

    // Before setUp: the sync data comes from the text file at path (named shownName in
    // the trace) instead of the sync file, and the file is watched while the show plays,
    // every change merged before the next frame; the editor's save writes it.
    void useSyncText(const std::string& path, const std::string& shownName, double checkSeconds = 1.0);
    // Creates the texture cache, keeps the soundtrack (null: none) and reads the sync
    // file (or the text file) into the sync data.
    void setUp(MusicStream* music);
    // Attaches an editor before the frame loop, which initialises it and shuts it down.
    void attachEditor(std::unique_ptr<SyncEditor> editor);
    void setFrameSink(FrameSink sink) { frameSink = sink; }
    // Production second at which playback starts (capture mode starts inside the show);
    // times before the earliest start mean the earliest start.
    void startAt(float seconds) { startSeconds = seconds; }
    // Fast-forward (capture mode): while keepMs is above 0, frames play without pixels
    // (gl/PixelDiscard.h), so every update, draw call, random draw and state change happens
    // as in a full run; a frame in which an active track ends within keepMs still draws,
    // because later frames may show the render targets its layers leave (the city's sky
    // shows the fireworks' last picture long after they end). No layer reads pixels back
    // into its state: the only values any of them reads from GL are matrices.
    void setFastForward(std::uint32_t keepMs) { fastForwardKeepMs = keepMs; }

    // Initialises every layer behind the loading picture; Loaded when all succeeded.
    bool runLoadingScreen(platform::Window* window);
    // Plays until the time passes the latest end (with an editor: until the maker quits)
    // or the viewer quits, then tears down: layers unloaded and deleted, the editor shut
    // down, the texture cache deleted.
    void runFrameLoop(platform::Window* window);
    // Hands one input event of the production window on: the editor sees it first, then
    // the layers the last frame showed. A close request quits, and so does an Escape
    // the editor did not take for itself.
    void dispatchInput(const InputEvent& event);

    Timeline& timeline() { return tracks; }
    SyncData& sync() { return *controllers; }
    GL_TextureManager* textures() const { return textureCache.get(); }
    Playback& transport() { return playback; }
    HiResTimer& clock() { return productionClock; }
    MusicStream* music() const { return soundtrack; }
    SyncEditor* editor() const { return attachedEditor.get(); }
    // After the frame loop: the editor had edits it could keep nowhere.
    bool lostEdits() const { return editorLostEdits; }
    SyncTextSource* syncText() const { return syncTextSource.get(); }
    const LoadingScreen& loadingScreen() const { return loading; }
    platform::Window* window() const { return windowHandle; }
    // The editor's draft picture: the production renders at 1/divisor of the window's
    // width and height (1, 2 or 4; anything else means 1) and is scaled up under the
    // editor, from the next frame on. Only with an editor attached, never in a capture.
    void setDraft(int divisor);
    int draft() const { return draftDivisor; }
    // Full, half, quarter, full again (F7).
    void cycleDraft() { setDraft(draftDivisor >= 4 ? 1 : draftDivisor * 2); }
    // Frames in which the layers rendered, counted from the start.
    std::uint64_t productionRenders() const { return renderCount; }

    // The F10 graph's next slot.
    std::uint32_t historyIndex() const { return diagnostics.historyIndex(); }

private:
    void playFrame();
    // Draws the editor over the frame, ends a fast-forward frame's discard, and hands the
    // frame to the capture's sink and then to the screen.
    void presentFrame(bool pixelsDiscarded);
    // Every frame before the time is read: a changed sync text is merged, and the
    // editor's loop goes back to its start.
    void beforeFrame();
    // Whether a controller's value at millisecond now differs from its last evaluation
    // (an edit while paused).
    bool controllersMoved(std::uint32_t now) const;
    // The draft level set since the last frame reaches the layers and the editor.
    void applyDraft();
    void teardown();

    Timeline tracks;
    HiResTimer productionClock;
    Playback playback{productionClock, tracks};
    MusicStream* soundtrack = nullptr;
    std::unique_ptr<SyncData> controllers;
    std::unique_ptr<SyncTextSource> syncTextSource;
    std::unique_ptr<GL_TextureManager> textureCache;
    LoadingScreen loading;
    std::unique_ptr<SyncEditor> attachedEditor;
    bool editorLostEdits = false;
    FrameSink frameSink = nullptr;
    platform::Window* windowHandle = nullptr;
    float startSeconds = 0.0f;
    std::uint32_t fastForwardKeepMs = 0;
    FrameDiagnostics diagnostics;
    KeptPicture keptPicture;
    int draftDivisor = 1;
    int layersDivisor = 1; // the level the layers were last told
    std::uint64_t renderCount = 0;
    bool keepFailureTraced = false;
};

} // namespace qelFramework
