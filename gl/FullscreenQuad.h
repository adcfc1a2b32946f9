#pragma once
// A textured quad over the whole current viewport, for post-processing and backgrounds.

namespace qelFramework {

// flip false puts texture row t = 0 at the bottom of the viewport (render targets show
// upright); flip true puts it at the top (images loaded from files show upright). Colour,
// texture and program are the caller's; both matrices are restored and the modelview is
// left current.
void drawFullscreenQuad(bool flip);

// The vertex stage of a program that only reads textures over such a quad: the vertex
// transformed as usual and the texture coordinate of unit 0 passed on.
extern const char* const kFullscreenQuadVertexSource;

} // namespace qelFramework
