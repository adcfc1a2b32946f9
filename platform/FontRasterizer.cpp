#include "platform/FontRasterizer.h"
#include "platform/Paths.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace qelFramework::platform {

std::string findFontFile(const std::string& fileName) {
    const std::string beside = executableFolder() + "/fonts/" + fileName;
    return fileExists(beside) ? beside : "/usr/share/fonts/truetype/dejavu/" + fileName;
}

struct FontFace::Impl {
    std::vector<unsigned char> file; // the face reads from it as long as it lives
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    int pixels = 0;

    ~Impl() {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
};

FontFace::FontFace() : impl(new Impl) {}
FontFace::~FontFace() = default;

bool FontFace::load(const std::string& path, std::string& error) {
    impl.reset(new Impl);
    if (FT_Init_FreeType(&impl->library) != 0) {
        impl->library = nullptr;
        error = "the font library could not be started";
        return false;
    }
    // Read through Paths, which names files the system's way (wide names on Windows); a
    // font file is a few megabytes at most.
    const std::size_t kLargestFont = 64u << 20;
    std::string why;
    if (!readWholeFile(path, impl->file, kLargestFont, why) ||
        FT_New_Memory_Face(impl->library, impl->file.data(), static_cast<FT_Long>(impl->file.size()), 0, &impl->face) != 0) {
        impl->face = nullptr;
        error = "cannot read the font " + path;
        return false;
    }
    if (!(impl->face->face_flags & FT_FACE_FLAG_SCALABLE)) {
        FT_Done_Face(impl->face);
        impl->face = nullptr;
        error = "not a scalable font: " + path;
        return false;
    }
    FT_Select_Charmap(impl->face, FT_ENCODING_UNICODE);
    if (!setPixelSize(32)) {
        FT_Done_Face(impl->face);
        impl->face = nullptr;
        error = "the font cannot be sized: " + path;
        return false;
    }
    return true;
}

bool FontFace::loaded() const { return impl->face != nullptr; }

bool FontFace::setPixelSize(int pixels) {
    if (!impl->face || pixels < kMinFontPixels || pixels > kMaxFontPixels)
        return false;
    if (FT_Set_Pixel_Sizes(impl->face, 0, static_cast<FT_UInt>(pixels)) != 0)
        return false;
    impl->pixels = pixels;
    return true;
}

int FontFace::pixelSize() const { return impl->face ? impl->pixels : 0; }

bool FontFace::renderGlyph(std::uint32_t codepoint, GlyphBitmap& out) {
    out = GlyphBitmap();
    if (!impl->face)
        return false;
    FT_UInt index = FT_Get_Char_Index(impl->face, codepoint);
    if (FT_Load_Glyph(impl->face, index, FT_LOAD_DEFAULT) != 0)
        return false;
    FT_GlyphSlot slot = impl->face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
        return false;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.rows > 0)
        return false;
    out.width = static_cast<int>(bitmap.width);
    out.height = static_cast<int>(bitmap.rows);
    out.left = slot->bitmap_left;
    out.top = slot->bitmap_top;
    out.advance = static_cast<float>(slot->advance.x) / 64.f;
    out.coverage.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
    for (int y = 0; y < out.height; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        std::copy(row, row + out.width, out.coverage.begin() + static_cast<ptrdiff_t>(y) * out.width);
    }
    return true;
}

float FontFace::kerning(std::uint32_t left, std::uint32_t right) {
    if (!impl->face || !FT_HAS_KERNING(impl->face))
        return 0.f;
    FT_Vector delta{0, 0};
    if (FT_Get_Kerning(impl->face, FT_Get_Char_Index(impl->face, left), FT_Get_Char_Index(impl->face, right),
                       FT_KERNING_DEFAULT, &delta) != 0)
        return 0.f;
    return static_cast<float>(delta.x) / 64.f;
}

float FontFace::ascender() const {
    return impl->face ? static_cast<float>(impl->face->size->metrics.ascender) / 64.f : 0.f;
}
float FontFace::descender() const {
    return impl->face ? static_cast<float>(impl->face->size->metrics.descender) / 64.f : 0.f;
}
float FontFace::lineHeight() const {
    return impl->face ? static_cast<float>(impl->face->size->metrics.height) / 64.f : 0.f;
}

std::vector<std::uint32_t> decodeUtf8(const std::string& text) {
    std::vector<std::uint32_t> out;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        unsigned c = s[i];
        int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= n) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        std::uint32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        bool good = true;
        for (int k = 1; k <= extra; ++k) {
            unsigned b = s[i + static_cast<size_t>(k)];
            if ((b & 0xC0) != 0x80) {
                good = false;
                break;
            }
            cp = (cp << 6) | (b & 0x3F);
        }
        static const std::uint32_t smallest[4] = {0, 0x80, 0x800, 0x10000};
        if (!good || cp < smallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

bool renderText(FontFace& face, const std::string& text, float letterSpacing, TextBitmap& out) {
    out = TextBitmap();
    if (!face.loaded() || text.size() > 4 * 4096)
        return false;
    const std::vector<std::uint32_t> chars = decodeUtf8(text);
    if (chars.size() > 4096)
        return false;

    struct Placed {
        GlyphBitmap glyph;
        int x, y; // top-left of the glyph bitmap relative to the pen start on the baseline
    };
    std::vector<Placed> placed;
    placed.reserve(chars.size());
    float pen = 0.f;
    int minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN;
    for (size_t i = 0; i < chars.size(); ++i) {
        if (i > 0)
            pen += face.kerning(chars[i - 1], chars[i]) + letterSpacing;
        Placed p;
        if (!face.renderGlyph(chars[i], p.glyph))
            return false;
        p.x = static_cast<int>(std::lround(pen)) + p.glyph.left;
        p.y = -p.glyph.top;
        pen += p.glyph.advance;
        if (p.glyph.width > 0 && p.glyph.height > 0) {
            minX = std::min(minX, p.x);
            minY = std::min(minY, p.y);
            maxX = std::max(maxX, p.x + p.glyph.width);
            maxY = std::max(maxY, p.y + p.glyph.height);
        }
        placed.push_back(std::move(p));
    }
    out.advance = pen;
    if (minX == INT_MAX) { // nothing inked (empty text or blanks only)
        out.originX = 0;
        out.baseline = 0;
        return true;
    }
    const long long area = static_cast<long long>(maxX - minX) * (maxY - minY);
    if (area > 64LL * 1024 * 1024)
        return false;
    out.width = maxX - minX;
    out.height = maxY - minY;
    out.originX = -minX;
    out.baseline = -minY;
    out.coverage.assign(static_cast<size_t>(area), 0);
    for (const Placed& p : placed) {
        for (int y = 0; y < p.glyph.height; ++y) {
            std::uint8_t* row = &out.coverage[static_cast<size_t>(p.y - minY + y) * out.width + (p.x - minX)];
            const std::uint8_t* src = &p.glyph.coverage[static_cast<size_t>(y) * p.glyph.width];
            for (int x = 0; x < p.glyph.width; ++x)
                row[x] = std::max(row[x], src[x]);
        }
    }
    return true;
}

} // namespace qelFramework::platform
