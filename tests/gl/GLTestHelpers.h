#pragma once
// Reading rendered pictures back for the GL toolkit's tests.
#include "gl/GLHeaders.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace qmtest {

// An RGB picture as OpenGL lays it out: row 0 at the bottom.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;

    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    bool nearColour(int x, int y, int r, int g, int b, int tolerance = 2) const {
        const unsigned char* p = at(x, y);
        return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[2] - b) <= tolerance;
    }
    // The pixel at (x, y) has this colour, give or take `tolerance` per channel; the
    // message names the pixel, the colour found and the one expected either way.
    ::testing::AssertionResult is(int x, int y, int r, int g, int b, int tolerance = 2) const {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") lies outside the " << width
                                                 << " x " << height << " picture";
        const unsigned char* p = at(x, y);
        ::testing::AssertionResult result = nearColour(x, y, r, g, b, tolerance) ? ::testing::AssertionSuccess()
                                                                           : ::testing::AssertionFailure();
        return result << "pixel (" << x << ", " << y << ") is (" << int(p[0]) << ", " << int(p[1]) << ", "
                      << int(p[2]) << "), expected (" << r << ", " << g << ", " << b << ") within " << tolerance;
    }
    int count(int r, int g, int b, int tolerance = 2) const {
        int n = 0;
        for (int i = 0; i < width * height; ++i)
            n += nearColour(i % width, i / width, r, g, b, tolerance);
        return n;
    }
    // With QM_FRAME_DIR set, writes the picture there as NAME.png to look at.
    void save(const std::string& name) const {
        const char* dir = std::getenv("QM_FRAME_DIR");
        std::vector<unsigned char> topFirst;
        for (int y = height - 1; y >= 0; --y)
            topFirst.insert(topFirst.end(), at(0, y), at(0, y) + width * 3);
        if (dir)
            writePng(std::string(dir) + "/" + name + ".png", width, height, PNG_COLOR_TYPE_RGB, 8, topFirst);
    }
};

inline Picture readTexture(GLuint texture) {
    Picture p;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &p.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &p.height);
    p.rgb.resize(static_cast<size_t>(p.width) * p.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, p.rgb.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return p;
}

// The lower left width x height of the framebuffer bound for reading.
inline Picture readFramebuffer(int width, int height) {
    Picture p{width, height, std::vector<unsigned char>(static_cast<size_t>(width) * height * 3)};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, p.rgb.data());
    return p;
}

inline GLint integer(GLenum what) {
    GLint v[4] = {};
    glGetIntegerv(what, v);
    return v[0];
}

inline std::vector<GLint> viewport() {
    std::vector<GLint> v(4);
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

} // namespace qmtest
