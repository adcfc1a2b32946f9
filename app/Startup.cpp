#include "app/Startup.h"

#include "app/Capture.h"
#include "app/GL_Window.h"
#include "app/Launcher.h"
#include "app/MusicStream.h"
#include "app/Production.h"
#include "app/Schedule.h"
#include "app/SlowFrames.h"
#include "base/Trace.h"
#include "gl/DrawPacing.h"
#include "platform/Kernel.h"
#include "platform/Paths.h"
#include "platform/VideoPipe.h"
#include "sync/SyncData.h"
#include "sync/SyncTextFile.h"
#include "editor/SyncEditor.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace qelFramework {

GL_Window& productionWindow() {
    static GL_Window window;
    return window;
}

namespace {
// Without a window there is nothing to show or capture: the program ends with the reason.
int windowFailed(const std::string& reason) {
    Trace::start();
    Trace::write(Trace::Error, "window", "%s", reason.c_str());
    Trace::stop();
    std::fprintf(stderr, "quillmont: %s\n", reason.c_str());
    return 1;
}
} // namespace

bool checkSyncText(CommandLine& options, std::string& error) {
    options.syncTextPath = platform::absolutePath(options.syncText);
    std::vector<unsigned char> image;
    std::size_t controllers = 0;
    return compileSyncTextFile(options.syncTextPath, options.syncText, image, controllers, error);
}

int runProduction(const CommandLine& options) {
    // A file that may not grow (a size limit, a full disk) fails its write with a reason
    // the program reports, instead of ending the program with the edits unkept.
    platform::ignoreWriteSignals();
    const bool capturing = !options.capture.empty();
    if (capturing)
        platform::useHeadlessDevices(!platform::displayAvailable());

    // 1. The launcher, unless the size was given on the command line.
    LaunchSettings settings;
    if (capturing || options.sizeGiven) {
        settings.cancelled = false;
        settings.width = options.sizeGiven ? options.width : 1280;
        settings.height = options.sizeGiven ? options.height : 720;
        settings.fullscreen = options.fullscreen;
    } else {
        settings = runLauncher();
        if (!launcherWindowError().empty())
            return windowFailed(launcherWindowError());
    }
    if (settings.cancelled)
        return 0;

    // 2. The production window.
    const std::string title = "vlx-quillmont";
    GL_Window& window = productionWindow();
    if (!window.create(settings.width, settings.height, 1.77f, 2, settings.fullscreen, title)) {
        const std::string reason = window.error();
        window.destroy();
        return windowFailed(reason);
    }
    if (capturing)
        platform::keepLibrariesLoaded();
    choosePacingForRenderer();

    // 3. The trace log: every level written.
    Trace::start();
    // What a save cut off by a kill or a power cut left behind; the file it was to
    // replace is still the last whole save.
    for (const char* folder : {"data", "editor"})
        for (const std::string& name : platform::removeLeftoverTemporaryFiles(folder))
            Trace::write(Trace::Warning, "startup", "removed %s, left by a save that was cut off", name.c_str());
    if (!options.syncTextPath.empty() && platform::removeLeftoverTemporaryFileOf(options.syncTextPath))
        Trace::write(Trace::Warning, "startup", "removed %s, left by a save that was cut off",
                     platform::temporaryPathOf(platform::linkTarget(options.syncTextPath)).c_str());

    // 4. Sound.
    static MusicStream music;
    openSoundtrack(music, productionEndMs());

    int exitCode = 0;
    {
        // 5. Sync data and timeline (texture cache, sync file). The production is gone
        // before the window, so that its GL objects go while the context lives.
        Production production;
        if (!options.syncText.empty())
            production.useSyncText(options.syncTextPath.empty() ? options.syncText : options.syncTextPath,
                                   options.syncText);
        production.setUp(&music);

        // 6 and 7. Layers and schedule.
        registerProductionLayers(production.timeline());
        scheduleProduction(production.timeline());
        if (options.editor)
            production.attachEditor(std::make_unique<SyncEditor>(production.timeline(), production.sync(),
                                                                 production.transport(), Production::kSyncFile));

        bool captureStarted = false;
        if (capturing) {
            CaptureSettings capture;
            capture.output = options.capture;
            capture.fps = options.fps;
            capture.width = settings.width;
            capture.height = settings.height;
            capture.from = options.from;
            capture.to = options.to;
            capture.segment = options.segment;
            capture.segments = options.segments;
            std::string error;
            const CaptureStart start = beginCapture(capture, production, error);
            captureStarted = start == CaptureStart::Started;
            if (start == CaptureStart::Nothing)
                std::printf("capture: %s\n", error.c_str());
            if (start == CaptureStart::Failed) {
                std::fprintf(stderr, "quillmont: %s\n", error.c_str());
                exitCode = 1;
            }
        }

        if (!capturing)
            slowFramesOnRequest(production);

        // 8. Loading screen; 9. frame loop.
        // A layer that fails to load (its failure is traced) ends the show here.
        if ((!capturing || captureStarted) && production.runLoadingScreen(window.handle()))
            production.runFrameLoop(window.handle());
        if (production.lostEdits())
            exitCode = 3; // edits the maker made are gone: not a clean end
        // An interrupted capture ends as the signal would have ended it.
        if (captureStarted && !endCapture())
            exitCode = platform::interruptSignal() ? 128 + platform::interruptSignal() : 1;
    }

    // Shutdown.
    music.player.close();
    window.destroy();
    Trace::stop();
    return exitCode;
}

} // namespace qelFramework
