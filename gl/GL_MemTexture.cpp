#include "gl/GL_MemTexture.h"

#include <vector>

namespace qelFramework {

namespace {

// The power of two GLU picks for a side: the lower one, or the upper one when the side's
// two leading bits are both set (6 -> 8, 5 -> 4, 100 -> 128, 60 -> 64).
int nearestPowerOfTwo(int value) {
    int power = 1;
    while (value > 3) {
        value >>= 1;
        power <<= 1;
    }
    return value == 3 ? power * 4 : power * value;
}

// For each output sample, the source samples it covers and their share of its area.
struct Tap {
    int source;
    float weight;
};
std::vector<std::vector<Tap>> boxTaps(int from, int to) {
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(to));
    double scale = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        double lo = i * scale, hi = (i + 1) * scale;
        for (int s = static_cast<int>(lo); s < from && s < hi; ++s) {
            double overlap = (s + 1 < hi ? s + 1 : hi) - (s > lo ? s : lo);
            if (overlap > 0)
                taps[static_cast<size_t>(i)].push_back({s, static_cast<float>(overlap / scale)});
        }
    }
    return taps;
}

// Area-averaging resize of tightly packed 8-bit rows, first across, then down.
std::vector<unsigned char> boxScale(const unsigned char* pixels, int width, int height, int channels, int newWidth,
                                    int newHeight) {
    std::vector<std::vector<Tap>> across = boxTaps(width, newWidth), down = boxTaps(height, newHeight);
    std::vector<float> rows(static_cast<size_t>(newWidth) * height * channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < newWidth; ++x)
            for (const Tap& t : across[static_cast<size_t>(x)])
                for (int c = 0; c < channels; ++c)
                    rows[(static_cast<size_t>(y) * newWidth + x) * channels + c] +=
                        t.weight * pixels[(static_cast<size_t>(y) * width + t.source) * channels + c];
    std::vector<unsigned char> out(static_cast<size_t>(newWidth) * newHeight * channels);
    for (int y = 0; y < newHeight; ++y)
        for (int x = 0; x < newWidth; ++x)
            for (int c = 0; c < channels; ++c) {
                float sum = 0.0f;
                for (const Tap& t : down[static_cast<size_t>(y)])
                    sum += t.weight * rows[(static_cast<size_t>(t.source) * newWidth + x) * channels + c];
                sum += 0.5f;
                out[(static_cast<size_t>(y) * newWidth + x) * channels + c] =
                    static_cast<unsigned char>(sum < 0.0f ? 0.0f : sum > 255.0f ? 255.0f : sum);
            }
    return out;
}

} // namespace

void GL_MemTexture::bind(GLenum unit) {
    glEnable(GL_TEXTURE_2D);
    glActiveTexture(unit);
    glBindTexture(GL_TEXTURE_2D, textureName);
    boundUnit = unit;
}

void GL_MemTexture::unbind() {
    glActiveTexture(boundUnit);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void GL_MemTexture::release() {
    if (textureName != 0)
        glDeleteTextures(1, &textureName);
    textureName = 0;
}

void GL_MemTexture::upload(const unsigned char* pixels, int imageWidth, int imageHeight, GLenum format) {
    if (!pixels || imageWidth <= 0 || imageHeight <= 0)
        return;
    width = imageWidth;
    height = imageHeight;
    glEnable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    if (textureName == 0)
        glGenTextures(1, &textureName);
    glBindTexture(GL_TEXTURE_2D, textureName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);

    // Sides that are not powers of two are scaled here to the size GLU would choose: GLU's
    // own scaling loses the last row when only the width changes.
    int levelWidth = nearestPowerOfTwo(width), levelHeight = nearestPowerOfTwo(height);
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    while (maxSize > 0 && levelWidth > maxSize)
        levelWidth /= 2;
    while (maxSize > 0 && levelHeight > maxSize)
        levelHeight /= 2;
    std::vector<unsigned char> scaled;
    if (levelWidth != width || levelHeight != height) {
        scaled = boxScale(pixels, width, height, format == GL_RGBA ? 4 : 3, levelWidth, levelHeight);
        pixels = scaled.data();
    }

    // Rows are packed without padding; the default unpack alignment of 4 would skew
    // every RGB image whose row is not a multiple of 4 bytes long.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(format), levelWidth, levelHeight, format, GL_UNSIGNED_BYTE,
                      pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);

    glDisable(GL_TEXTURE_2D);
}

} // namespace qelFramework
