#include "app/FrameLoop.h"

#include "gl/GLHeaders.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Window.h"

namespace qelFramework {

LRESULT mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE)
        platform::postQuitMessage(0);
    else if (message == WM_KEYDOWN && wParam == static_cast<WPARAM>(VK_ESCAPE))
        platform::postMessage(window, WM_CLOSE, 0, 0);
    return platform::defWindowProc(window, message, wParam, lParam);
}

void runFrameLoop(HWND window) {
    for (;;) {
        MSG msg;
        if (platform::peekMessage(msg)) {
            if (msg.message == WM_QUIT)
                break;
            platform::translateMessage(msg);
            platform::dispatchMessage(msg);
            continue;
        }
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        platform::swapBuffers(window);
        platform::sleepMs(1);
    }
}

} // namespace qelFramework
