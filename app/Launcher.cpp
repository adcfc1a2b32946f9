#include "app/Launcher.h"

#include "platform/Kernel.h"
#include "platform/EventQueue.h"
#include "platform/FontRasterizer.h"
#include "platform/UiHost.h"
#include "platform/Window.h"

#include <imgui.h>

namespace qelFramework {

const Resolution kResolutions[kResolutionCount] = {
    {"800x600 (4:3)", 800, 600},       {"1280x1024 (5:4)", 1280, 1024},   {"1280x720 (16:9)", 1280, 720},
    {"1680x1050 (16:10)", 1680, 1050}, {"1920x1080 (16:9)", 1920, 1080}, {"1920x1200 (16:10)", 1920, 1200},
};

namespace {
LaunchSettings g_settings;
std::string g_windowError;
LauncherControls g_controls;
platform::Window* g_window = nullptr;

// Closes the launcher window: its loop ends once no event is waiting.
void closeLauncher() {
    platform::requestQuit(0);
    platform::hideOnClose(g_window);
}

// Draws the controls at their rectangles; a clicked button acts at once.
void drawControls() {
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(static_cast<float>(kLauncherSize), static_cast<float>(kLauncherSize)));
    ImGui::Begin("launcher", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoBringToFrontOnFocus);

    auto at = [](const ControlRect& r) { ImGui::SetCursorPos(ImVec2(static_cast<float>(r.x), static_cast<float>(r.y))); };
    auto size = [](const ControlRect& r) { return ImVec2(static_cast<float>(r.width), static_cast<float>(r.height)); };

    at(kFullscreenBoxRect);
    ImGui::Checkbox("fullscreen", &g_controls.fullscreenChecked);

    at(kStartButtonRect);
    if (ImGui::Button("VISIT QUILLMONT", size(kStartButtonRect)))
        clickLauncherButton(LauncherButton::Start);

    at(kExitButtonRect);
    if (ImGui::Button("exit", size(kExitButtonRect)))
        clickLauncherButton(LauncherButton::Exit);

    at(kResolutionListRect);
    ImGui::SetNextItemWidth(static_cast<float>(kResolutionListRect.width));
    const char* preview = g_controls.selectedIndex >= 0 && g_controls.selectedIndex < kResolutionCount
                              ? kResolutions[g_controls.selectedIndex].text
                              : "";
    if (ImGui::BeginCombo("##resolution", preview)) {
        for (int i = 0; i < kResolutionCount; ++i) {
            bool selected = i == g_controls.selectedIndex;
            if (ImGui::Selectable(kResolutions[i].text, selected))
                g_controls.selectedIndex = i;
            if (selected)
                ImGui::SetItemDefaultFocus();
        }
        ImGui::EndCombo();
    }
    ImGui::End();
}
} // namespace

namespace launcher {
LauncherControls& controls() { return g_controls; }
LaunchSettings& settings() { return g_settings; }
void reset() {
    g_settings = LaunchSettings{};
    g_controls = LauncherControls{};
}
} // namespace launcher

void clickLauncherButton(LauncherButton button) {
    if (button == LauncherButton::Exit) {
        g_settings.cancelled = true;
    } else {
        g_settings.cancelled = false;
        g_settings.fullscreen = g_controls.fullscreenChecked;
        int index = g_controls.selectedIndex;
        if (index >= 0 && index < kResolutionCount) {
            g_settings.width = kResolutions[index].width;
            g_settings.height = kResolutions[index].height;
        } else {
            g_settings.cancelled = true;
        }
    }
    closeLauncher();
}

void handleLauncherEvent(const InputEvent& event) {
    if (event.kind == EventKind::CloseRequest)
        closeLauncher();
    else if (event.kind == EventKind::KeyDown && event.key == Key::Escape)
        platform::requestQuit(0);
}

const std::string& launcherWindowError() { return g_windowError; }

LaunchSettings runLauncher() {
    launcher::reset();

    platform::WindowRequest request;
    request.title = "welcome to quillmont";
    request.width = kLauncherSize;
    request.height = kLauncherSize;
    request.centered = true;
    platform::WindowResult made = platform::createWindow(request);
    g_window = made.window;
    g_windowError = made.error;
    if (!g_window)
        return g_settings; // nothing can be chosen, so nothing starts

    platform::beginUi(g_window, platform::findFontFile("DejaVuSans.ttf").c_str(), 16.0f);

    for (;;) {
        InputEvent event;
        if (platform::pollEvent(event)) {
            handleLauncherEvent(event);
            continue;
        }
        if (platform::takeQuitRequest())
            break;
        platform::uiNewFrame();
        drawControls();
        platform::uiPresent(0.93f, 0.93f, 0.93f);
        platform::sleepMs(5); // waits instead of spinning while nothing happens
    }

    platform::endUi();
    platform::destroyWindow(g_window);
    g_window = nullptr;
    return g_settings;
}

} // namespace qelFramework
