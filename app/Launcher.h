#pragma once
// The small window shown before anything else: the viewer picks a resolution and
// full-screen mode, then starts the production or leaves.
#include "platform/WinTypes.h"

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

constexpr int IDC_FULLSCREEN = 1001;
constexpr int IDC_START = 1002;
constexpr int IDC_EXIT = 1003;

// Control rectangles in client pixels: x, y, width, height.
struct ControlRect {
    int x, y, width, height;
};
constexpr ControlRect kStartButtonRect{10, 25, 175, 25};
constexpr ControlRect kExitButtonRect{10, 60, 175, 25};
constexpr ControlRect kResolutionListRect{10, 95, 175, 225};
constexpr ControlRect kFullscreenBoxRect{10, 150, 175, 20};
constexpr int kLauncherSize = 200;

// What the controls show; the window procedure reads it when a button is clicked.
struct LauncherControls {
    bool fullscreenChecked = true;
    int selectedIndex = 4; // -1: nothing selected
};

// Shows the launcher and runs its message loop until the window closes.
LaunchSettings runLauncher();

LRESULT launcherWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The launcher's process-wide state, for the window procedure and for tests.
namespace launcher {
LauncherControls& controls();
LaunchSettings& settings();
// Defaults: settings cancelled 800 x 600 windowed; controls at index 4, box checked.
void reset();
} // namespace launcher

} // namespace qelFramework
