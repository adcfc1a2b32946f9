#pragma once
// The texture cache: every layer asks it for its textures by file path, and layers
// publish their own render targets in it under plain names for the others to fetch.
#include "gl/GL_MemTexture.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qelFramework {

class GL_TextureManager {
public:
    GL_TextureManager() = default;
    GL_TextureManager(const GL_TextureManager&) = delete;
    GL_TextureManager& operator=(const GL_TextureManager&) = delete;
    // Deletes the texture objects the cache made, without touching their OpenGL names
    // (the context may be gone by then); entries stored by addTexture are left alone.
    virtual ~GL_TextureManager();

    // The texture stored under `path` with its slashes normalised (a backslash or a run
    // of slashes is one '/'; case counts), made from the file on the first request, so
    // one file named two ways loads once. Never null: a file that cannot be loaded gives
    // a 32 x 32 texture without an image, cached like any other and never retried.
    GL_Texture* getTexture(const char* path);

    // How many getTexture answers so far held no picture (a file that could not be
    // loaded counts at every request). A layer whose count grows during its init fails it.
    std::size_t missingPictures() const { return missing; }

    // Stores `texture` under `name` (normalised the same way) unless the key already holds a texture. Returns true
    // when the key was taken (nothing stored), false when the texture was stored.
    bool addTexture(const char* name, GL_Texture* texture);

private:
    std::map<std::string, GL_Texture*> textures;
    std::vector<std::unique_ptr<GL_MemTexture>> made;
    std::vector<const GL_Texture*> failed; // made without a picture
    std::size_t missing = 0;
};

} // namespace qelFramework
