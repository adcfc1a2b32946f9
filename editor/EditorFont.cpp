#include "editor/EditorFont.h"

#include "base/Trace.h"
#include "platform/FontRasterizer.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace qelFramework {

std::string editorFontFile() { return platform::findFontFile("DejaVuSans.ttf"); }

namespace {
// Coverage from which a pixel of the 1-bit glyph is set: a little under half, so that
// thin strokes of small sizes keep their pixels.
constexpr int kInkThreshold = 100;

// Replaces bytes without a glyph, so that no byte can reach a list outside the font.
unsigned char printable(unsigned char c) {
    return c >= EditorFont::kFirstCode && c < EditorFont::kFirstCode + EditorFont::kGlyphCount ? c : '?';
}
} // namespace

bool EditorFont::create(const std::string& name, const std::string& fontFile, int pixelsPerEm) {
    release();
    fontName = name;
    pixels = pixelsPerEm;
    base = glGenLists(kGlyphCount);

    platform::FontFace face;
    std::string error;
    bool ok = face.load(fontFile, error) && face.setPixelSize(pixelsPerEm);
    if (!ok)
        Trace::write(Trace::Warning, "editorFont", "font %s: %s", name.c_str(),
                     error.empty() ? "size not accepted" : error.c_str());

    GLint oldAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &oldAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    std::vector<GLubyte> bits;
    for (int i = 0; i < kGlyphCount; ++i) {
        platform::GlyphBitmap glyph;
        if (ok && !face.renderGlyph(static_cast<std::uint32_t>(kFirstCode + i), glyph))
            glyph = platform::GlyphBitmap{};
        // glBitmap takes one bit per pixel, most significant bit first, bottom row first.
        const int rowBytes = (glyph.width + 7) / 8;
        bits.assign(static_cast<size_t>(rowBytes) * glyph.height, 0);
        for (int y = 0; y < glyph.height; ++y) {
            GLubyte* row = &bits[static_cast<size_t>(glyph.height - 1 - y) * rowBytes];
            for (int x = 0; x < glyph.width; ++x)
                if (glyph.coverage[static_cast<size_t>(y) * glyph.width + x] >= kInkThreshold)
                    row[x / 8] |= static_cast<GLubyte>(0x80 >> (x % 8));
        }
        advances[i] = std::round(glyph.advance);
        // An empty glyph (the blank) becomes one unset pixel: some drivers drop the
        // raster movement of an empty bitmap compiled into a list.
        if (bits.empty()) {
            glyph.width = glyph.height = 1;
            glyph.left = glyph.top = 0;
            bits.assign(1, 0);
        }
        glNewList(base + i, GL_COMPILE);
        glBitmap(glyph.width, glyph.height, static_cast<GLfloat>(-glyph.left),
                 static_cast<GLfloat>(glyph.height - glyph.top), advances[i], 0.0f, bits.data());
        glEndList();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, oldAlignment);
    return ok;
}

void EditorFont::release() {
    if (base)
        glDeleteLists(base, kGlyphCount);
    base = 0;
}

float EditorFont::textWidth(const std::string& text) const {
    float width = 0.0f;
    for (unsigned char c : text)
        width += advances[printable(c) - kFirstCode];
    return width;
}

void printText(const EditorFont* font, float x, float y, float r, float g, float b, float a, const char* format, ...) {
    if (!font || !font->listBase())
        return;
    char buffer[4096];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    if (length <= 0)
        return;
    if (length >= static_cast<int>(sizeof(buffer)))
        length = static_cast<int>(sizeof(buffer)) - 1;
    for (int i = 0; i < length; ++i)
        buffer[i] = static_cast<char>(printable(static_cast<unsigned char>(buffer[i])));

    // A raster position outside the window would drop the whole text; text that starts
    // just off an edge is moved onto it instead.
    glColor4f(r, g, b, a);
    glRasterPos2f(std::clamp(x, 0.0f, 0.999f), std::clamp(y, 0.0f, 0.999f));
    glPushAttrib(GL_LIST_BIT);
    glListBase(font->listBase() - EditorFont::kFirstCode);
    glCallLists(length, GL_UNSIGNED_BYTE, buffer);
    glPopAttrib();
}

} // namespace qelFramework
