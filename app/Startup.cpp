#include "app/Startup.h"

#include "app/FrameLoop.h"
#include "app/GL_Window.h"
#include "app/Launcher.h"
#include "app/MusicStream.h"
#include "app/Trace.h"

#include <string>

namespace qelFramework {

GL_Window& productionWindow() {
    static GL_Window window;
    return window;
}

int runProduction(const CommandLine& options) {
    // 1. The launcher, unless the size was given on the command line.
    LaunchSettings settings;
    if (options.sizeGiven) {
        settings.cancelled = false;
        settings.width = options.width;
        settings.height = options.height;
        settings.fullscreen = options.fullscreen;
    } else {
        settings = runLauncher();
    }
    if (settings.cancelled)
        return 0;

    // 2. The production window.
    const std::string title = "vlx-quillmont";
    GL_Window& window = productionWindow();
    window.create(settings.width, settings.height, 1.77f, 2, settings.fullscreen, mainWindowProc, title);

    // 3. The trace log: every level written, quit on ERROR and CRITICAL.
    Trace::start();

    // 4. Sound.
    static MusicStream music;
    openSoundtrack(music);

    // 5 to 9 (sync data, timeline, layers, loading screen) join as they land.
    runFrameLoop(window.handle());

    // Shutdown.
    if (music.stream)
        FSOUND_Stream_Stop(music.stream);
    window.destroy();
    Trace::stop();
    return 0;
}

} // namespace qelFramework
