#pragma once
// The production as the entry owns it: the timeline with its layers, the production
// clock and the soundtrack behind one transport, the sync data, the texture cache, the
// loading screen and an optional editor. The frame loop plays it.
#include "app/LoadingScreen.h"
#include "app/Playback.h"
#include "base/HiResTimer.h"
#include "platform/WinTypes.h"
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
using FrameSink = void (*)(HWND window);

class Production {
public:
    static constexpr const char* kSyncFile = "data/demosynch.dat";
    static constexpr int kHistorySize = 250;

    // The production being made is the one the window procedure serves.
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
    bool runLoadingScreen(HWND window);
    // Plays until the time passes the latest end (with an editor: until the maker quits)
    // or the viewer quits, then tears down: layers unloaded and deleted, the editor shut
    // down, the texture cache deleted.
    void runFrameLoop(HWND window);
    // The production window's procedure: Escape quits; every message reaches the editor
    // and the active layers of the production being played.
    static LRESULT mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Timeline& timeline() { return tracks; }
    SyncData& sync() { return *controllers; }
    GL_TextureManager* textures() const { return textureCache.get(); }
    Playback& transport() { return playback; }
    HiResTimer& clock() { return productionClock; }
    MusicStream* music() const { return soundtrack; }
    SyncEditor* editor() const { return attachedEditor.get(); }
    SyncTextSource* syncText() const { return syncTextSource.get(); }
    const LoadingScreen& loadingScreen() const { return loading; }
    HWND window() const { return windowHandle; }
    // The F10 graph's next slot.
    std::uint32_t historyIndex() const { return frameHistoryIndex; }

private:
    // The production the window procedure serves: the one made last, while it lives.
    static Production* current;

    void playFrame();
    // Draws the editor over the frame, ends a fast-forward frame's discard, and hands the
    // frame to the capture's sink and then to the screen.
    void presentFrame(bool pixelsDiscarded);
    // Every frame before the time is read: a changed sync text is merged, and the
    // editor's loop goes back to its start.
    void beforeFrame();
    void drawDiagnostics();
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
    FrameSink frameSink = nullptr;
    HWND windowHandle = nullptr;
    float startSeconds = 0.0f;
    std::uint32_t fastForwardKeepMs = 0;
    float frameTimeHistory[kHistorySize] = {};
    std::uint32_t frameHistoryIndex = 0;
    // The F10 read-out's counters.
    unsigned framesCounted = 0;
    float secondsCounted = 0.0f;
    int framesPerSecond = 0;
};

} // namespace qelFramework
