#pragma once
// The editor's type: the 96 printable character codes (32 to 127) of a font face,
// rendered once with FreeType into one bitmap display list each. Text is drawn at the
// current raster position, so it keeps its pixel size whatever the projection.
#include "gl/GLHeaders.h"

#include <string>

namespace qelFramework {

class EditorFont {
public:
    static constexpr int kFirstCode = 32;
    static constexpr int kGlyphCount = 96;

    EditorFont() = default;
    EditorFont(const EditorFont&) = delete;
    EditorFont& operator=(const EditorFont&) = delete;
    // Deletes no display list (the context may be gone by then); release() does.
    ~EditorFont() = default;

    // Renders the face in fontFile at pixels per em into 96 new display lists. A face
    // that cannot be read still gets its lists, which then only move the raster
    // position; false and a WARNING in that case.
    bool create(const std::string& name, const std::string& fontFile, int pixels);
    // Deletes the glyph lists.
    void release();

    const std::string& name() const { return fontName; }
    // The list of character code 32; code c draws list listBase() + c - 32.
    GLuint listBase() const { return base; }
    int pixelSize() const { return pixels; }
    // Pen movement of a text in pixels (codes outside 32..127 count as '?').
    float textWidth(const std::string& text) const;

private:
    std::string fontName;
    GLuint base = 0;
    int pixels = 0;
    float advances[kGlyphCount] = {};
};

// The file of the DejaVu Sans face the editor's fonts are made from.
std::string editorFontFile();

// Formats printf-style (at most 4095 bytes), sets the colour and the raster position
// (x, y) and draws the text with the font's glyph lists. Bytes without a glyph are drawn
// as '?'; a position off the 0..1 window is moved onto its edge. Nothing is drawn
// without a font.
void printText(const EditorFont* font, float x, float y, float r, float g, float b, float a, const char* format, ...)
    __attribute__((format(gnu_printf, 8, 9)));

} // namespace qelFramework
