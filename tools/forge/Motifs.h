#pragma once
// Recurring motifs of the production's pictures, shared so that every picture draws them
// the same way: the quill mark, a star field, a skyline silhouette, a glow behind type.
#include "Canvas.h"
#include "Text.h"

#include <cstdint>
#include <string>

namespace qelFramework::forge {

// The quill: a curved spine from the nib (x, y) along the angle (radians, 0 = right,
// negative = up), with barbs on both sides that swell and taper like a feather.
void drawQuill(Canvas& canvas, float x, float y, float length, float angle, const Color& nib, const Color& tip,
               float weight);

// Stars above the horizon line (y), thinning towards it.
void drawStars(Canvas& canvas, float horizon, int count, std::uint64_t seed);

// Blocks of houses standing on the baseline (y) with a few lit windows.
void drawSkyline(Canvas& canvas, float baseline, float maxHeight, const Color& body, const Color& window,
                 std::uint64_t seed);

// A horizontal hairline from x0 to x1 whose opacity rises over the first fadeIn and falls
// over the last fadeOut fraction of its length.
void drawRule(Canvas& canvas, float x0, float x1, float y, float weight, const Color& color, float fadeIn,
              float fadeOut);

// Type with a soft glow around it: the glow is the text blurred and added as light.
bool drawGlowingText(Canvas& canvas, const TextStyle& style, const std::string& text, float x, float y,
                     Anchor anchor, const Color& color, const Color& glowColor, float glowSigma, float glowAmount,
                     std::string& error);

} // namespace qelFramework::forge
