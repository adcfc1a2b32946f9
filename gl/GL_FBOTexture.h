#pragma once
// An off-screen render target whose colour result is an ordinary 2D texture. A
// multisampled target draws into multisample renderbuffers and resolves them into the
// texture when the capture ends. Captures nest through FboStack.
#include "gl/GL_Texture.h"

namespace qelFramework {

class GL_FBOTexture : public GL_Texture {
public:
    static constexpr GLuint kNotMultisampled = 0xFFFFFFFFu;

    // Makes the texture (8-bit RGB, linear filtering, clamped) and the framebuffer with a
    // packed depth-stencil buffer; samples 0 and 1 render straight into the texture (one
    // sample needs no resolve, and drivers that round 1 up to 4 would make the small
    // work targets four times as costly), samples >= 2 into multisample renderbuffers
    // resolved at the end of each capture. Writes the framebuffer's completeness under
    // "fboCreator" and returns true when it is complete.
    bool create(int width, int height, int samples);

    // Binds the target's framebuffer, saves the viewport and sets it to the whole target,
    // pushes the target on FboStack and clears colour and depth.
    void beginCapture();
    // Resolves a multisampled target into its texture (not while pixels are discarded),
    // restores the viewport and returns drawing to the outer target (or the window).
    void endCapture();

    void bind(GLenum unit) override;
    void unbind() override;
    // Deletes the framebuffers, renderbuffers and the colour texture.
    void release() override;

    bool isMultisampled() const { return resolveFramebuffer != kNotMultisampled; }

    GLuint framebufferName = 0;          // the framebuffer drawing goes into
    GLuint colorRenderbuffer = 0;        // multisampled targets only
    GLuint depthStencilRenderbuffer = 0;
    GLuint resolveFramebuffer = kNotMultisampled; // holds the texture when multisampled
    GLenum boundUnit = GL_TEXTURE0;
};

// Makes `target` width x height (at least 1 x 1) with the given samples, unless it is
// that size already: released and created again, its picture lost. True when complete.
bool resizeTarget(GL_FBOTexture& target, int width, int height, int samples);

// Draws `source` over the whole of `target` through the program that is current, with
// white colour and the unflipped full-screen quad. Does nothing when both are the same.
void copyTexture(GL_FBOTexture& target, GL_Texture& source);

} // namespace qelFramework
