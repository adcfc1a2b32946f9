#pragma once
// A texture whose image came from memory (a decoded file).
#include "gl/GL_Texture.h"

namespace qelFramework {

class GL_MemTexture : public GL_Texture {
public:
    // A texture that never received an image binds texture name 0.
    void bind(GLenum unit) override;
    void unbind() override;
    void release() override;

    // Makes the texture from rows top to bottom, tightly packed, format GL_RGB or
    // GL_RGBA: full mipmap chain (sizes that are not powers of two are scaled), linear
    // magnification, nearest-mipmap linear minification, repeat wrapping. The texture is
    // left bound on unit 0 with 2D texturing disabled.
    void upload(const unsigned char* pixels, int width, int height, GLenum format);

    GLenum boundUnit = GL_TEXTURE0;
};

} // namespace qelFramework
