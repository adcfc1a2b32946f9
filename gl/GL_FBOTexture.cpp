#include "gl/GL_FBOTexture.h"

#include "base/Trace.h"
#include "gl/FboStack.h"
#include "gl/FullscreenQuad.h"
#include "gl/PixelDiscard.h"

namespace qelFramework {

namespace {

// Writes the completeness of the bound framebuffer; true when complete.
bool reportCompleteness(int width, int height) {
    const char* tag = "fboCreator";
    GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    const char* problem = nullptr;
    switch (status) {
    case GL_FRAMEBUFFER_COMPLETE:
        Trace::write(Trace::Info, tag, "FBO successfully created (%d * %d)", width, height);
        return true;
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT: problem = "FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT: problem = "FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT: problem = "FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT: problem = "FRAMEBUFFER_INCOMPLETE_FORMATS_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER: problem = "FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER: problem = "FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT"; break;
    case GL_FRAMEBUFFER_UNSUPPORTED: problem = "FRAMEBUFFER_UNSUPPORTED_EXT"; break;
    default:
        Trace::write(Trace::Warning, tag, "glCheckFramebufferStatusEXT: unknown return");
        return false;
    }
    Trace::write(Trace::Error, tag, "%s", problem);
    return false;
}

void attachDepthStencil(GLuint renderbuffer) {
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, renderbuffer);
}

} // namespace

bool GL_FBOTexture::create(int targetWidth, int targetHeight, int samples) {
    width = targetWidth;
    height = targetHeight;
    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &textureName);
    glBindTexture(GL_TEXTURE_2D, textureName);
    glGenFramebuffers(1, &framebufferName);

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);

    if (samples <= 1) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebufferName);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, textureName, 0);
        glGenRenderbuffers(1, &depthStencilRenderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, depthStencilRenderbuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_STENCIL, width, height);
        attachDepthStencil(depthStencilRenderbuffer);
        resolveFramebuffer = kNotMultisampled;
    } else {
        glGenRenderbuffers(1, &colorRenderbuffer);
        glGenFramebuffers(1, &resolveFramebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, resolveFramebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, textureName, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, framebufferName);
        glBindRenderbuffer(GL_RENDERBUFFER, colorRenderbuffer);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGB, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorRenderbuffer);
        glGenRenderbuffers(1, &depthStencilRenderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, depthStencilRenderbuffer);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH_STENCIL, width, height);
        attachDepthStencil(depthStencilRenderbuffer);
    }

    bool complete = reportCompleteness(width, height);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return complete;
}

void GL_FBOTexture::beginCapture() {
    glBindFramebuffer(GL_FRAMEBUFFER, framebufferName);
    glPushAttrib(GL_VIEWPORT_BIT);
    glViewport(0, 0, width, height);
    FboStack::push(this);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void GL_FBOTexture::endCapture() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (isMultisampled() && !pixelsDiscarded()) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebufferName);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFramebuffer);
        glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    glPopAttrib();
    FboStack::pop();
}

void GL_FBOTexture::bind(GLenum unit) {
    glEnable(GL_TEXTURE_2D);
    glActiveTexture(unit);
    glBindTexture(GL_TEXTURE_2D, textureName);
    boundUnit = unit;
}

void GL_FBOTexture::unbind() {
    glActiveTexture(boundUnit);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void GL_FBOTexture::release() {
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(1, &depthStencilRenderbuffer);
    glDeleteFramebuffers(1, &framebufferName);
    if (isMultisampled()) {
        glDeleteRenderbuffers(1, &colorRenderbuffer);
        glDeleteFramebuffers(1, &resolveFramebuffer);
    }
    glDeleteTextures(1, &textureName);
    depthStencilRenderbuffer = framebufferName = colorRenderbuffer = textureName = 0;
    resolveFramebuffer = kNotMultisampled;
}

bool resizeTarget(GL_FBOTexture& target, int width, int height, int samples) {
    width = width < 1 ? 1 : width;
    height = height < 1 ? 1 : height;
    if (target.framebufferName != 0 && target.width == width && target.height == height)
        return true;
    if (target.framebufferName != 0)
        target.release();
    return target.create(width, height, samples);
}

void copyTexture(GL_FBOTexture& target, GL_Texture& source) {
    if (&target == &source)
        return;
    source.bind(GL_TEXTURE0);
    target.beginCapture();
    glColor3f(1.0f, 1.0f, 1.0f);
    drawFullscreenQuad(false);
    target.endCapture();
    source.unbind();
}

} // namespace qelFramework
