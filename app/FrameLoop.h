#pragma once
// The production window's procedure (the timeline's frame loop dispatches to it).
#include "platform/WinTypes.h"

namespace qelFramework {

LRESULT mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace qelFramework
