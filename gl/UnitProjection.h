#pragma once
// A 0..1 projection over the current viewport for flat drawing (overlays, editor panels,
// full-screen quads), set up and undone in pairs.

namespace qelFramework {

// Pushes both matrices: the projection maps 0..1 in x and y onto the viewport (y growing
// downwards when yDown, upwards otherwise, z -1..1), the modelview is the identity and
// is left current.
void pushUnitProjection(bool yDown);
// Pops the two matrices pushUnitProjection pushed; the modelview is left current.
void popUnitProjection();

} // namespace qelFramework
