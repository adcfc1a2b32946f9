#include "app/KeptPicture.h"

#include "gl/FullscreenQuad.h"

namespace qelFramework {

namespace {

void setFilter(GLuint texture, GLint filter) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glBindTexture(GL_TEXTURE_2D, 0);
}

} // namespace

bool KeptPicture::beginDraft(int windowWidth, int windowHeight, int divisor) {
    kept = false;
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (divisor < 2 || viewport[2] < 1 || viewport[3] < 1)
        return false;
    if (!resizeTarget(picture, viewport[2] / divisor, viewport[3] / divisor, 0)) {
        picture.release();
        return false;
    }
    setFilter(picture.textureName, GL_LINEAR);
    keptDivisor = divisor;
    windowW = windowWidth;
    windowH = windowHeight;
    picture.beginCapture();
    drafting = true;
    return true;
}

void KeptPicture::endDraft() {
    if (!drafting)
        return;
    drafting = false;
    picture.endCapture();
    kept = true;
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    show();
}

bool KeptPicture::copyWindow(int windowWidth, int windowHeight) {
    kept = false;
    if (windowWidth < 1 || windowHeight < 1 || !resizeTarget(picture, windowWidth, windowHeight, 0)) {
        picture.release();
        return false;
    }
    setFilter(picture.textureName, GL_NEAREST);
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    } // errors left by others are not the copy's
    // A multisampled window is resolved by the copy.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, picture.framebufferName);
    glBlitFramebuffer(0, 0, windowWidth, windowHeight, 0, 0, windowWidth, windowHeight, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (glGetError() != GL_NO_ERROR)
        return false;
    keptDivisor = 1;
    windowW = windowWidth;
    windowH = windowHeight;
    viewport[0] = viewport[1] = 0;
    viewport[2] = windowWidth;
    viewport[3] = windowHeight;
    kept = true;
    return true;
}

void KeptPicture::show() {
    if (!kept)
        return;
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glUseProgram(0);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_VIEWPORT_BIT | GL_DEPTH_BUFFER_BIT |
                 GL_TEXTURE_BIT | GL_POLYGON_BIT);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_STENCIL_TEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    picture.bind(GL_TEXTURE0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    drawFullscreenQuad(false);
    picture.unbind();
    glPopAttrib();
    glUseProgram(static_cast<GLuint>(program));
}

bool KeptPicture::holds(int windowWidth, int windowHeight, int divisor) const {
    return kept && windowW == windowWidth && windowH == windowHeight && keptDivisor == divisor;
}

void KeptPicture::release() {
    if (picture.framebufferName != 0)
        picture.release();
    kept = false;
}

} // namespace qelFramework
