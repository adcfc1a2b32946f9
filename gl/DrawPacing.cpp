#include "gl/DrawPacing.h"

#include "gl/GLHeaders.h"

#include <cstring>

namespace qelFramework {

namespace {
bool pacing = false;
int drawsSinceFinish = 0;
} // namespace

void choosePacingForRenderer() {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const bool software = renderer && (std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe") ||
                                       std::strstr(renderer, "swrast"));
    setSmallDrawPacing(software);
}

void setSmallDrawPacing(bool on) {
    pacing = on;
    drawsSinceFinish = 0;
}

bool smallDrawPacing() { return pacing; }

void countSmallDraw() {
    if (!pacing || ++drawsSinceFinish < kSmallDrawsBetweenFinishes)
        return;
    drawsSinceFinish = 0;
    glFinish();
}

} // namespace qelFramework
