#pragma once
// Made-up content for the scenes under test: small pictures and models written where
// the scenes read them (data/...), or pictures put straight into a texture cache.
#include "gl/GL_MemTexture.h"
#include "gl/GL_TextureManager.h"
#include "gl/Vector3.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qmtest {

using Rgba = std::array<unsigned char, 4>;
using Corners = std::array<qelFramework::Vector3, 4>;

class FakeContent {
public:
    ~FakeContent();

    // A side x side picture of one colour: a JPEG (without alpha) for a name ending in
    // .jpg, a PNG otherwise (RGBA, or RGB when `alpha` is false). Folders are made.
    static void picture(const std::string& path, Rgba colour, int side = 4, bool alpha = true);
    // A model file of quads, two triangles each (corners 0 1 2 and 0 2 3), every normal,
    // tangent and bitangent (0, 0, 1) and every uv (0.5, 0.5); `mirrored` writes x negated.
    static void quads(const std::string& path, const std::vector<Corners>& quads, bool mirrored = false);

    // A side x side texture made by `shade(x, y)` (0..1 from the top left, RGBA 0..1) in
    // the cache under `name`; it lives as long as this object, or until release().
    qelFramework::GL_MemTexture& texture(qelFramework::GL_TextureManager& cache, const std::string& name,
                                         const std::function<std::array<float, 4>(float, float)>& shade, int side = 4);
    // The same, of one colour.
    qelFramework::GL_MemTexture& texture(qelFramework::GL_TextureManager& cache, const std::string& name, Rgba colour,
                                         int side = 4);
    // Gives the textures back to GL (the context must still be current).
    void release();

private:
    std::vector<std::unique_ptr<qelFramework::GL_MemTexture>> textures;
};

} // namespace qmtest
