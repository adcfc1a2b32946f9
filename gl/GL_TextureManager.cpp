#include "gl/GL_TextureManager.h"

#include "gl/ImageLoader.h"
#include "platform/Paths.h"

#include <algorithm>

namespace qelFramework {

GL_TextureManager::~GL_TextureManager() = default;

GL_Texture* GL_TextureManager::getTexture(const char* path) {
    const std::string key = platform::nativePath(path ? path : "");
    GL_Texture*& entry = textures[key];
    if (entry) {
        if (std::find(failed.begin(), failed.end(), entry) != failed.end())
            ++missing;
        return entry;
    }

    made.push_back(std::make_unique<GL_MemTexture>());
    GL_MemTexture* texture = made.back().get();
    std::unique_ptr<unsigned char[]> pixels;
    int width = 0, height = 0, channels = 0;
    if (loadImageFile(key.c_str(), pixels, width, height, channels)) {
        texture->upload(pixels.get(), width, height, channels == 4 ? GL_RGBA : GL_RGB);
    } else {
        failed.push_back(texture);
        ++missing;
    }
    entry = texture;
    return texture;
}

bool GL_TextureManager::addTexture(const char* name, GL_Texture* texture) {
    GL_Texture*& entry = textures[platform::nativePath(name ? name : "")];
    if (entry)
        return true;
    entry = texture;
    return false;
}

} // namespace qelFramework
