#pragma once
// Hosts an immediate-mode UI toolkit in one of the program's windows: feeds it the
// window's input and draws its frames with the window's GL context.
#include "platform/Window.h"

namespace qelFramework::platform {

// Starts the toolkit on the window; fontPath/fontPixels choose its font (the toolkit's
// own font when the file cannot be read).
bool beginUi(Window* window, const char* fontPath, float fontPixels);
void uiNewFrame();
// Renders the frame and presents it.
void uiPresent(float r, float g, float b);
void endUi();

} // namespace qelFramework::platform
