#include "app/Production.h"

#include "base/Trace.h"
#include "gl/GL_TextureManager.h"
#include "platform/Kernel.h"
#include "sync/SyncData.h"
#include "sync/SyncFile.h"
#include "sync/SyncTextSource.h"
#include "editor/SyncEditor.h"

namespace qelFramework {

Production::Production() : controllers(std::make_unique<SyncData>()) {
    productionClock.reset(0.0f);
}

Production::~Production() {
    // An editor that never reached the frame loop still goes through its shutdown.
    if (attachedEditor)
        attachedEditor->shutdown();
}

void Production::useSyncText(const std::string& path, const std::string& shownName, double checkSeconds) {
    syncTextSource = std::make_unique<SyncTextSource>(path, shownName, checkSeconds);
}

void Production::setUp(MusicStream* music) {
    textureCache = std::make_unique<GL_TextureManager>();
    soundtrack = music;
    playback.setMusic(music);
    std::string error;
    if (!syncTextSource)
        readSyncFile(kSyncFile, *controllers);
    else if (!syncTextSource->load(*controllers, error))
        Trace::write(Trace::Warning, "syncText", "%s", error.c_str()); // watched on: a mended text comes in
}

void Production::attachEditor(std::unique_ptr<SyncEditor> editor) {
    attachedEditor = std::move(editor);
    if (attachedEditor && syncTextSource)
        attachedEditor->saveToSyncText(syncTextSource.get());
}

void Production::beforeFrame() {
    const SyncTextSource::Change change = syncTextSource ? syncTextSource->poll() : SyncTextSource::Change::none;
    if (change != SyncTextSource::Change::none) {
        if (attachedEditor)
            attachedEditor->takeSyncTextChange(*syncTextSource, change);
        else
            syncTextSource->merge(*controllers);
    }
    if (attachedEditor)
        attachedEditor->beforeFrame();
}

bool Production::runLoadingScreen(platform::Window* window) {
    const bool loaded = loading.runLoadingScreen(tracks, textureCache.get(), controllers.get(), window);
    platform::releaseFreedMemory(); // the loaders' temporary buffers
    return loaded;
}

} // namespace qelFramework
