#pragma once
// Glyph rasterisation with FreeType: a font face loaded from a file, set to a pixel
// size, renders single glyphs or whole strings into 8-bit coverage bitmaps.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qelFramework::platform {

// Pixel sizes accepted by FontFace::setPixelSize.
constexpr int kMinFontPixels = 1;
constexpr int kMaxFontPixels = 1024;

struct GlyphBitmap {
    int width = 0, height = 0;
    int left = 0;        // pixels from the pen position to the bitmap's left column
    int top = 0;         // pixels from the baseline up to the bitmap's top row
    float advance = 0.f; // pen movement after this glyph, in pixels
    std::vector<std::uint8_t> coverage; // width x height, rows top first, 0 to 255
};

// A string laid out on one line: the bitmap covers every inked pixel.
struct TextBitmap {
    int width = 0, height = 0;
    int originX = 0;     // column of the pen's start position
    int baseline = 0;    // row of the baseline (may lie outside 0..height-1)
    float advance = 0.f; // total pen movement
    std::vector<std::uint8_t> coverage;
};

class FontFace {
public:
    FontFace();
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // Loads the first face of a font file. False with a message when the file is
    // missing or not a font.
    bool load(const std::string& path, std::string& error);
    bool loaded() const;

    // Sets the nominal size (the em height) in pixels; false outside the accepted range.
    bool setPixelSize(int pixels);
    int pixelSize() const;

    // Renders one character; an unknown character renders the font's missing-glyph box.
    bool renderGlyph(std::uint32_t codepoint, GlyphBitmap& out);
    // Horizontal adjustment between two characters in pixels (0 when the font has none).
    float kerning(std::uint32_t left, std::uint32_t right);

    // Vertical metrics at the current size, in pixels (descender is negative).
    float ascender() const;
    float descender() const;
    float lineHeight() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

// Where the program reads a DejaVu font file (e.g. "DejaVuSans.ttf") from: the fonts/
// folder beside the program when it holds the file (the Windows package ships one),
// else the system's DejaVu folder.
std::string findFontFile(const std::string& fileName);

// Characters of a UTF-8 string; each malformed byte becomes U+FFFD.
std::vector<std::uint32_t> decodeUtf8(const std::string& text);

// Lays out a UTF-8 string on one line with kerning and extra spacing (pixels between
// characters). Strings longer than 4096 characters are refused.
bool renderText(FontFace& face, const std::string& text, float letterSpacing, TextBitmap& out);

} // namespace qelFramework::platform
