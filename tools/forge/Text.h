#pragma once
// Type on a canvas: lines of text rendered with the font rasteriser and composited in a
// colour, anchored at a point.
#include "Canvas.h"

#include <string>

namespace qelFramework::forge {

struct TextStyle {
    std::string font;    // file name in the art direction's font folder
    int size = 32;       // pixels per em
    float tracking = 0;  // extra spacing between letters, as a fraction of size
};

enum class Anchor { Left, Centre, Right };

struct TextBox {
    float left = 0, right = 0;  // inked extent, pixels from the anchor point's x
    float top = 0, bottom = 0;  // inked extent, pixels from the baseline (top negative)
    float advance = 0;
};

// Measures a line without drawing it; false when the font cannot be used.
bool measureText(const TextStyle& style, const std::string& text, TextBox& box, std::string& error);

// Draws a line with its baseline at y and its pen start, middle or end at x (by anchor).
bool drawText(Canvas& canvas, const TextStyle& style, const std::string& text, float x, float y, Anchor anchor,
              const Color& color, std::string& error);

} // namespace qelFramework::forge
