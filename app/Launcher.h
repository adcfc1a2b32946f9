#pragma once
// The small window shown before anything else: the viewer picks a resolution and
// full-screen mode, then starts the production or leaves.
#include "platform/InputEvent.h"

#include <string>

namespace qelFramework {

struct LaunchSettings {
    bool cancelled = true;
    int width = 800;
    int height = 600;
    bool fullscreen = false;
};

struct Resolution {
    const char* text;
    int width;
    int height;
};
constexpr int kResolutionCount = 6;
extern const Resolution kResolutions[kResolutionCount];

// Control rectangles in client pixels: x, y, width, height.
struct ControlRect {
    int x, y, width, height;
};
constexpr ControlRect kStartButtonRect{10, 25, 175, 25};
constexpr ControlRect kExitButtonRect{10, 60, 175, 25};
constexpr ControlRect kResolutionListRect{10, 95, 175, 225};
constexpr ControlRect kFullscreenBoxRect{10, 150, 175, 20};
constexpr int kLauncherSize = 200;

// What the controls show; a click on the start button reads it.
struct LauncherControls {
    bool fullscreenChecked = true;
    int selectedIndex = 4; // -1: nothing selected
};

// Shows the launcher and runs its event loop until the window closes.
LaunchSettings runLauncher();
// Why the last runLauncher's window did not open (the launch is then cancelled); empty
// when it opened.
const std::string& launcherWindowError();

enum class LauncherButton { Start, Exit };
// A click on a button: start takes the size and mode the controls show (nothing selected
// cancels), exit cancels; either closes the launcher.
void clickLauncherButton(LauncherButton button);
// An event of the launcher window: a close request or Escape closes it, the choice as it stands.
void handleLauncherEvent(const InputEvent& event);

// The launcher's process-wide state, for its loop and for tests.
namespace launcher {
LauncherControls& controls();
LaunchSettings& settings();
// Defaults: settings cancelled 800 x 600 windowed; controls at index 4, box checked.
void reset();
} // namespace launcher

} // namespace qelFramework
