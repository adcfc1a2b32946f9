#include "app/Production.h"

#include "gl/GL_TextureManager.h"
#include "sync/SyncData.h"
#include "sync/SyncFile.h"
#include "sync/editor/SyncEditor.h"

namespace qelFramework {

Production* Production::current = nullptr;

Production::Production() : controllers(std::make_unique<SyncData>()) {
    productionClock.reset(0.0f);
    current = this;
}

Production::~Production() {
    // An editor that never reached the frame loop still goes through its shutdown.
    if (attachedEditor)
        attachedEditor->shutdown();
    if (current == this)
        current = nullptr;
}

void Production::setUp(MusicStream* music) {
    textureCache = std::make_unique<GL_TextureManager>();
    soundtrack = music;
    playback.setMusic(music);
    readSyncFile(kSyncFile, *controllers);
}

void Production::attachEditor(std::unique_ptr<SyncEditor> editor) { attachedEditor = std::move(editor); }

bool Production::runLoadingScreen(HWND window) {
    return loading.runLoadingScreen(tracks, textureCache.get(), controllers.get(), window);
}

} // namespace qelFramework
