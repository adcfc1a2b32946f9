#include "gl/UnitProjection.h"

#include "gl/GLHeaders.h"

namespace qelFramework {

void pushUnitProjection(bool yDown) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, 1.0, yDown ? 1.0 : 0.0, yDown ? 0.0 : 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void popUnitProjection() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

} // namespace qelFramework
