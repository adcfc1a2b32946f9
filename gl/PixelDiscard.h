#pragma once
// Drawing without pixels, for playing frames through quickly (the capture's fast-forward):
// while on, rasterization is discarded, clears included, and so is resolving a
// multisampled render target, a pixel copy that rasterization does not cover. Every other
// GL call (state, matrices, uniforms, vertices) goes to the driver as usual, so what the
// program reads back from GL and every state it leaves are those of a full frame; only
// pixel contents differ.
namespace qelFramework {

void beginPixelDiscard();
void endPixelDiscard();
bool pixelsDiscarded();

} // namespace qelFramework
