#include "platform/UiHost.h"
#include "platform/Messages.h"
#include "platform/NativeWindow.h"

#include "gl/GLHeaders.h"

#include <imgui.h>
#include <imgui_impl_opengl2.h>
#include <imgui_impl_sdl.h>
#include <sys/stat.h>

namespace qelFramework::platform {

namespace {
HWND g_uiWindow = nullptr;

void feedToolkit(const void* event) {
    if (g_uiWindow)
        ImGui_ImplSDL2_ProcessEvent(static_cast<const SDL_Event*>(event));
}
} // namespace

bool beginUi(HWND window, const char* fontPath, float fontPixels) {
    if (!window || g_uiWindow)
        return false;
    g_uiWindow = window;
    SDL_GL_MakeCurrent(window->sdl, window->gl);
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    struct stat st{};
    if (fontPath && stat(fontPath, &st) == 0)
        io.Fonts->AddFontFromFileTTF(fontPath, fontPixels);
    ImGui_ImplSDL2_InitForOpenGL(window->sdl, window->gl);
    ImGui_ImplOpenGL2_Init();
    setRawEventHook(feedToolkit);
    return true;
}

void uiNewFrame() {
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
}

void uiPresent(float r, float g, float b) {
    ImGui::Render();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(g_uiWindow->sdl, &w, &h);
    glViewport(0, 0, w, h);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    SDL_GL_SwapWindow(g_uiWindow->sdl);
}

void endUi() {
    if (!g_uiWindow)
        return;
    setRawEventHook(nullptr);
    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    g_uiWindow = nullptr;
}

} // namespace qelFramework::platform
