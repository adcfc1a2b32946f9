#include "support/FakeContent.h"

#include "support/TestImages.h"
#include "support/TestSupport.h"

#include <cstdio>
#include <filesystem>

namespace qmtest {

FakeContent::~FakeContent() { release(); }

void FakeContent::picture(const std::string& path, Rgba colour, int side, bool alpha) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent);
    const bool jpeg = path.size() > 4 && path.compare(path.size() - 4, 4, ".jpg") == 0;
    const int channels = jpeg || !alpha ? 3 : 4;
    std::vector<unsigned char> pixels;
    for (int i = 0; i < side * side; ++i)
        pixels.insert(pixels.end(), colour.begin(), colour.begin() + channels);
    if (jpeg)
        writeJpeg(path, side, side, 3, pixels, 95);
    else
        writePng(path, side, side, channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, 8, pixels);
}

void FakeContent::quads(const std::string& path, const std::vector<Corners>& quads, bool mirrored) {
    const int order[6] = {0, 1, 2, 0, 2, 3};
    const size_t n = quads.size() * 6;
    std::string text = "model 1 vertices " + std::to_string(n) + " positions";
    char buffer[96];
    for (const Corners& c : quads)
        for (int i : order) {
            std::snprintf(buffer, sizeof(buffer), " %g %g %g", mirrored ? -c[i].x : c[i].x, c[i].y, c[i].z);
            text += buffer;
        }
    text += " uv";
    for (size_t i = 0; i < n; ++i)
        text += " 0.5 0.5";
    for (const char* section : {" n", " t", " b"}) {
        text += section;
        for (size_t i = 0; i < n; ++i)
            text += " 0 0 1";
    }
    writeFile(path, text);
}

qelFramework::GL_MemTexture& FakeContent::texture(qelFramework::GL_TextureManager& cache, const std::string& name,
                                                  const std::function<std::array<float, 4>(float, float)>& shade,
                                                  int side) {
    std::vector<unsigned char> rgba;
    for (int i = 0; i < side * side; ++i)
        for (float v : shade((i % side + 0.5f) / side, (i / side + 0.5f) / side))
            rgba.push_back(static_cast<unsigned char>(v * 255.0f + 0.5f));
    textures.push_back(std::make_unique<qelFramework::GL_MemTexture>());
    textures.back()->upload(rgba.data(), side, side, GL_RGBA);
    cache.addTexture(name.c_str(), textures.back().get());
    return *textures.back();
}

qelFramework::GL_MemTexture& FakeContent::texture(qelFramework::GL_TextureManager& cache, const std::string& name,
                                                  Rgba colour, int side) {
    return texture(cache, name, [colour](float, float) {
        return std::array<float, 4>{colour[0] / 255.0f, colour[1] / 255.0f, colour[2] / 255.0f, colour[3] / 255.0f};
    }, side);
}

void FakeContent::release() {
    for (auto& t : textures)
        t->release();
    textures.clear();
}

} // namespace qmtest
