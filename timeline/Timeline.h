#pragma once
// The process-wide object that ties the production together: the registry of named
// layers, the schedule of tracks, the production clock, the entries active in the
// current frame and the shared services (sync data, texture cache, music, editor).
#include "app/HiResTimer.h"
#include "app/LoadingScreen.h"
#include "platform/WinTypes.h"
#include "timeline/FrameInfo.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qelFramework {

class Layer_Base;
class SyncData;
class SyncEditor;
class GL_TextureManager;
struct MusicStream;

enum TimelineState : int { Setup = 0, Loaded = 1, Playing = 2, Paused = 3, Stopped = 4 };

struct TimelineEntry {
    Layer_Base* layer = nullptr; // not owned
    std::uint32_t track = 0;     // 0 to 127; lower tracks are drawn first
    std::uint32_t start = 0;     // first production millisecond, inclusive
    std::uint32_t end = 0;       // last production millisecond, inclusive
};

// Called with the window after a frame is drawn and before it is presented (capture mode).
using FrameSink = void (*)(HWND window);

class Timeline {
public:
    static constexpr int kTrackCount = 128;
    static constexpr int kHistorySize = 250;
    static constexpr const char* kSyncFile = "data\\demosynch.dat";

    static Timeline& instance();

    // Creates the texture cache, stores the services, reads the sync file into sync.
    bool setUp(SyncData* sync, MusicStream* music);
    // Appends the layer to the registry, which owns it from now on.
    void registerLayer(Layer_Base* layer, const std::string& name);
    // The first layer registered under exactly that name, or null.
    Layer_Base* findLayer(const char* name) const;
    // Schedules a registered layer on a track from start to end (ms, both inclusive).
    // False (and nothing changes) after Setup, for an unknown name, or a track of 128 or more.
    bool addEntry(const std::string& name, unsigned track, unsigned start, unsigned end);

    // Fills the active table for millisecond now: per track the last entry added that
    // covers it. True when any entry was stored.
    bool selectActive(std::uint32_t now);
    // The time record of an entry for the current clock reading.
    FrameInfo frameInfo(const TimelineEntry& entry, std::uint32_t now) const;

    // Initialises every layer behind the loading picture; Loaded when all succeeded.
    bool runLoadingScreen(HWND window);
    // Plays the production until the time passes the latest end or the viewer quits,
    // then tears down: layers unloaded and deleted, texture cache deleted.
    void runFrameLoop(HWND window);
    // The production window's procedure: Escape quits; every message reaches the
    // editor and the active layers.
    static LRESULT mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Attaches an editor (before the frame loop); the timeline deletes it at teardown.
    void attachEditor(SyncEditor* newEditor) { editor = newEditor; }
    void setFrameSink(FrameSink sink) { frameSink = sink; }

    // Back to the state before start-up (tests; the registry's layers are deleted).
    void reset();

    TimelineState state = Setup;
    std::vector<std::pair<Layer_Base*, std::string>> registry;
    std::vector<TimelineEntry> schedule;
    HiResTimer clock;
    TimelineEntry* active[kTrackCount] = {};
    SyncData* sync = nullptr;
    GL_TextureManager* textures = nullptr;
    MusicStream* music = nullptr;
    std::uint32_t earliestStart = 0xFFFFFFFFu;
    std::uint32_t latestEnd = 0;
    float frameTimeHistory[kHistorySize] = {};
    std::uint32_t historyIndex = 0;
    SyncEditor* editor = nullptr;
    HWND window = nullptr;
    LoadingScreen loadingScreen;
    // With an editor attached the end of the show pauses instead of quitting; set while
    // the production stands at its end, until a seek or play moves it on.
    bool heldAtEnd = false;
    // Production second at which playback starts (capture mode starts inside the show);
    // times before the earliest start mean the earliest start.
    float startSeconds = 0.0f;

private:
    Timeline();
    void teardown();
    void holdAtEnd();
    void drawDiagnostics();
    FrameSink frameSink = nullptr;
};

} // namespace qelFramework
