#include "gl/PixelDiscard.h"

#include "gl/GLHeaders.h"

namespace qelFramework {

namespace {
bool g_discarding = false;
} // namespace

void beginPixelDiscard() {
    glEnable(GL_RASTERIZER_DISCARD);
    g_discarding = true;
}

void endPixelDiscard() {
    glDisable(GL_RASTERIZER_DISCARD);
    g_discarding = false;
}

bool pixelsDiscarded() { return g_discarding; }

} // namespace qelFramework
