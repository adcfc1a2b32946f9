#include "Text.h"
#include "ArtDirection.h"

#include "platform/FontRasterizer.h"

#include <cmath>

namespace qelFramework::forge {

namespace {
bool layOut(const TextStyle& style, const std::string& text, platform::TextBitmap& bitmap, std::string& error) {
    platform::FontFace face;
    if (!face.load(platform::findFontFile(style.font), error))
        return false;
    if (!face.setPixelSize(style.size)) {
        error = "type size out of range";
        return false;
    }
    if (!platform::renderText(face, text, style.tracking * style.size, bitmap)) {
        error = "cannot lay out \"" + text + "\"";
        return false;
    }
    return true;
}

// The pen start relative to the anchor point: the line's advance is what is centred or
// right-aligned.
float penStart(const platform::TextBitmap& bitmap, Anchor anchor) {
    float extent = bitmap.advance;
    return anchor == Anchor::Left ? 0.f : anchor == Anchor::Centre ? -extent * 0.5f : -extent;
}
} // namespace

bool measureText(const TextStyle& style, const std::string& text, TextBox& box, std::string& error) {
    platform::TextBitmap bitmap;
    if (!layOut(style, text, bitmap, error))
        return false;
    box.advance = bitmap.advance;
    box.left = static_cast<float>(-bitmap.originX);
    box.right = static_cast<float>(bitmap.width - bitmap.originX);
    box.top = static_cast<float>(-bitmap.baseline);
    box.bottom = static_cast<float>(bitmap.height - bitmap.baseline);
    return true;
}

bool drawText(Canvas& canvas, const TextStyle& style, const std::string& text, float x, float y, Anchor anchor,
              const Color& color, std::string& error) {
    platform::TextBitmap bitmap;
    if (!layOut(style, text, bitmap, error))
        return false;
    int left = static_cast<int>(std::lround(x + penStart(bitmap, anchor))) - bitmap.originX;
    int top = static_cast<int>(std::lround(y)) - bitmap.baseline;
    for (int row = 0; row < bitmap.height; ++row)
        for (int col = 0; col < bitmap.width; ++col) {
            std::uint8_t c = bitmap.coverage[static_cast<size_t>(row) * bitmap.width + col];
            if (c)
                canvas.blendOver(left + col, top + row, color, c / 255.f);
        }
    return true;
}

} // namespace qelFramework::forge
