#pragma once
// Camera-facing textured quads centred on a point, for particles, flares and sprites.
// Their sides follow the viewer's right and up directions, read from the current
// modelview matrix. The plain and tile variants keep the last directions they read and
// read the matrix again only when refreshBasis is true, so a batch of particles can read
// it once; each variant keeps its own copy (zero before the first read). The Rect
// variants read it on every call. Colour, blending, depth and texture are the caller's.
// The bottom corners get the larger t, so images loaded from files show upright. Each
// billboard is a small draw counted by DrawPacing.

namespace qelFramework {

// Texture coordinates 0 to 1, sent with glMultiTexCoord2f on unit 0.
void drawBillboard(float x, float y, float z, float halfSize, bool refreshBasis);
void drawBillboardRect(float x, float y, float z, float halfWidth, float halfHeight);

// One cell of a texture atlas, sent with glTexCoord2f.
void drawBillboardTile(float x, float y, float z, float halfSize, bool refreshBasis, float uStart, float vStart,
                       float tileSize);
void drawBillboardRectTile(float x, float y, float z, float halfWidth, float halfHeight, float uStart, float vStart,
                           float du, float dv);

} // namespace qelFramework
