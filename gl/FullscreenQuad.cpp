#include "gl/FullscreenQuad.h"

#include "gl/GLHeaders.h"
#include "gl/UnitProjection.h"

namespace qelFramework {

const char* const kFullscreenQuadVertexSource = R"(
void main()
{
	gl_TexCoord[0] = gl_MultiTexCoord0;
	gl_Position = ftransform();
}
)";

void drawFullscreenQuad(bool flip) {
    pushUnitProjection(true);

    // Vertices bottom left, bottom right, top right, top left.
    static const float kVertices[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    static const float kUpright[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    static const float kFlipped[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    const float(*coordinates)[2] = flip ? kFlipped : kUpright;
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(coordinates[i][0], coordinates[i][1]);
        glVertex2f(kVertices[i][0], kVertices[i][1]);
    }
    glEnd();
    popUnitProjection();
}

} // namespace qelFramework
