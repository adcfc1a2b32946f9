#include "gl/Billboards.h"

#include "gl/DrawPacing.h"
#include "gl/GLHeaders.h"

namespace qelFramework {

namespace {

struct Basis {
    float right[3] = {0, 0, 0};
    float up[3] = {0, 0, 0};
};

void readBasis(Basis& basis) {
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    basis.right[0] = m[0];
    basis.right[1] = m[4];
    basis.right[2] = m[8];
    basis.up[0] = m[1];
    basis.up[1] = m[5];
    basis.up[2] = m[9];
}

// Corners (-R - U), (R - U), (R + U), (U - R) with their texture coordinates.
void drawQuad(const Basis& basis, float x, float y, float z, float halfWidth, float halfHeight, const float (&s)[4],
              const float (&t)[4], bool multiTexture) {
    float r[3], u[3];
    for (int i = 0; i < 3; ++i) {
        r[i] = basis.right[i] * halfWidth;
        u[i] = basis.up[i] * halfHeight;
    }
    const float signR[4] = {-1, 1, 1, -1};
    const float signU[4] = {-1, -1, 1, 1};
    glTranslatef(x, y, z);
    glBegin(GL_QUADS);
    for (int c = 0; c < 4; ++c) {
        if (multiTexture)
            glMultiTexCoord2f(GL_TEXTURE0, s[c], t[c]);
        else
            glTexCoord2f(s[c], t[c]);
        glVertex3f(signR[c] * r[0] + signU[c] * u[0], signR[c] * r[1] + signU[c] * u[1],
                   signR[c] * r[2] + signU[c] * u[2]);
    }
    glEnd();
    countSmallDraw();
}

} // namespace

void drawBillboard(float x, float y, float z, float halfSize, bool refreshBasis) {
    static Basis basis;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    if (refreshBasis)
        readBasis(basis);
    drawQuad(basis, x, y, z, halfSize, halfSize, {0, 1, 1, 0}, {1, 1, 0, 0}, true);
    glPopMatrix();
}

void drawBillboardRect(float x, float y, float z, float halfWidth, float halfHeight) {
    static Basis basis;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    readBasis(basis);
    drawQuad(basis, x, y, z, halfWidth, halfHeight, {0, 1, 1, 0}, {1, 1, 0, 0}, true);
    glPopMatrix();
}

void drawBillboardTile(float x, float y, float z, float halfSize, bool refreshBasis, float uStart, float vStart,
                       float tileSize) {
    static Basis basis;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    if (refreshBasis)
        readBasis(basis);
    float u1 = uStart + tileSize, v1 = vStart + tileSize;
    drawQuad(basis, x, y, z, halfSize, halfSize, {uStart, u1, u1, uStart}, {v1, v1, vStart, vStart}, false);
    glPopMatrix();
}

void drawBillboardRectTile(float x, float y, float z, float halfWidth, float halfHeight, float uStart, float vStart,
                           float du, float dv) {
    static Basis basis;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    readBasis(basis);
    float u1 = uStart + du, v1 = vStart + dv;
    drawQuad(basis, x, y, z, halfWidth, halfHeight, {uStart, u1, u1, uStart}, {v1, v1, vStart, vStart}, false);
    glPopMatrix();
}

} // namespace qelFramework
