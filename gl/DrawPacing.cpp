#include "gl/DrawPacing.h"

#include "gl/GLHeaders.h"

namespace qelFramework {

namespace {
int drawsSinceFinish = 0;
} // namespace

void countSmallDraw() {
    if (++drawsSinceFinish < kSmallDrawsBetweenFinishes)
        return;
    drawsSinceFinish = 0;
    glFinish();
}

} // namespace qelFramework
