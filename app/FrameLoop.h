#pragma once
// The production window's procedure and the loop that plays the production.
#include "platform/WinTypes.h"

namespace qelFramework {

LRESULT mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Pumps messages and presents frames until the quit message arrives.
void runFrameLoop(HWND window);

} // namespace qelFramework
