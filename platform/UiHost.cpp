#include "platform/UiHost.h"
#include "platform/EventQueue.h"
#include "platform/NativeWindow.h"

#include <epoxy/gl.h>

#include <imgui.h>
#include <imgui_impl_opengl2.h>
#include <sys/stat.h>

namespace qelFramework::platform {

namespace {
// The toolkit's input is fed from the window's own events (also scripted ones), so it
// does not depend on pointer polling or keyboard focus.
struct UiState {
    Window* window = nullptr;
    float mouseX = -1.0e9f, mouseY = -1.0e9f;
    bool down[3] = {};
    bool pressed[3] = {}; // pressed since the last frame, so a quick click is not lost
    Uint32 lastTicks = 0;
};
UiState g_ui;

int buttonIndex(Uint8 button) {
    switch (button) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    default: return -1;
    }
}

void feedToolkit(const void* raw) {
    if (!g_ui.window)
        return;
    const SDL_Event& e = *static_cast<const SDL_Event*>(raw);
    Uint32 id = SDL_GetWindowID(g_ui.window->sdl);
    if (e.type == SDL_MOUSEMOTION && e.motion.windowID == id) {
        g_ui.mouseX = static_cast<float>(e.motion.x);
        g_ui.mouseY = static_cast<float>(e.motion.y);
    } else if ((e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP) && e.button.windowID == id) {
        int i = buttonIndex(e.button.button);
        if (i < 0)
            return;
        g_ui.mouseX = static_cast<float>(e.button.x);
        g_ui.mouseY = static_cast<float>(e.button.y);
        g_ui.down[i] = e.type == SDL_MOUSEBUTTONDOWN;
        if (g_ui.down[i])
            g_ui.pressed[i] = true;
    } else if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_LEAVE && e.window.windowID == id) {
        g_ui.mouseX = g_ui.mouseY = -1.0e9f;
    }
}
} // namespace

bool beginUi(Window* window, const char* fontPath, float fontPixels) {
    if (!window || g_ui.window)
        return false;
    g_ui = UiState{};
    g_ui.window = window;
    SDL_GL_MakeCurrent(window->sdl, window->gl);
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    struct stat st{};
    if (fontPath && stat(fontPath, &st) == 0)
        io.Fonts->AddFontFromFileTTF(fontPath, fontPixels);
    ImGui_ImplOpenGL2_Init();
    g_ui.lastTicks = SDL_GetTicks();
    setRawEventHook(feedToolkit);
    return true;
}

void uiNewFrame() {
    ImGui_ImplOpenGL2_NewFrame();
    ImGuiIO& io = ImGui::GetIO();
    int w = 0, h = 0;
    SDL_GetWindowSize(g_ui.window->sdl, &w, &h);
    io.DisplaySize = ImVec2(static_cast<float>(w), static_cast<float>(h));
    Uint32 now = SDL_GetTicks();
    io.DeltaTime = now > g_ui.lastTicks ? static_cast<float>(now - g_ui.lastTicks) / 1000.0f : 1.0f / 1000.0f;
    g_ui.lastTicks = now;
    io.MousePos = ImVec2(g_ui.mouseX, g_ui.mouseY);
    for (int i = 0; i < 3; ++i) {
        io.MouseDown[i] = g_ui.down[i] || g_ui.pressed[i];
        g_ui.pressed[i] = false;
    }
    ImGui::NewFrame();
}

void uiPresent(float r, float g, float b) {
    ImGui::Render();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(g_ui.window->sdl, &w, &h);
    glViewport(0, 0, w, h);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    SDL_GL_SwapWindow(g_ui.window->sdl);
}

void endUi() {
    if (!g_ui.window)
        return;
    setRawEventHook(nullptr);
    ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext();
    g_ui = UiState{};
}

} // namespace qelFramework::platform
