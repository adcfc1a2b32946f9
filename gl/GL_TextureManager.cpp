#include "gl/GL_TextureManager.h"

#include "gl/ImageLoader.h"

namespace qelFramework {

GL_TextureManager::~GL_TextureManager() = default;

GL_Texture* GL_TextureManager::getTexture(const char* path) {
    if (!path)
        path = "";
    GL_Texture*& entry = textures[path];
    if (entry)
        return entry;

    made.push_back(std::make_unique<GL_MemTexture>());
    GL_MemTexture* texture = made.back().get();
    std::unique_ptr<unsigned char[]> pixels;
    int width = 0, height = 0, channels = 0;
    if (loadImageFile(path, pixels, width, height, channels))
        texture->upload(pixels.get(), width, height, channels == 4 ? GL_RGBA : GL_RGB);
    addTexture(path, texture);
    return texture;
}

bool GL_TextureManager::addTexture(const char* name, GL_Texture* texture) {
    GL_Texture*& entry = textures[name ? name : ""];
    if (entry)
        return true;
    entry = texture;
    return false;
}

} // namespace qelFramework
