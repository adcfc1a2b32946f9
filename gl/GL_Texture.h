#pragma once
// The one binding interface of every texture: images from files and render targets.
#include "gl/GLHeaders.h"

namespace qelFramework {

class GL_Texture {
public:
    GL_Texture() = default;
    GL_Texture(const GL_Texture&) = delete;
    GL_Texture& operator=(const GL_Texture&) = delete;
    // Releases no OpenGL object; that is release()'s job.
    virtual ~GL_Texture() = default;

    // Enables 2D texturing and binds the texture on `unit` (GL_TEXTURE0 + n).
    virtual void bind(GLenum unit) = 0;
    // Unbinds the unit last given to bind(), whichever unit is active now.
    virtual void unbind() = 0;
    virtual void release() = 0;

    GLuint textureName = 0; // 0 until an image or storage is attached
    int width = 32;
    int height = 32;
};

} // namespace qelFramework
