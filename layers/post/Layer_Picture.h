#pragma once
// A layer that lays one picture from the texture cache over the whole viewport; the
// border and the logo overlay are made of it.
#include "timeline/Layer_Base.h"

namespace qelFramework {

class GL_Texture;

class Layer_Picture : public Layer_Base {
public:
    void update(const FrameInfo& frame) override { (void)frame; }
    void unload() override {}

protected:
    // Blends the picture over the viewport (source alpha over) in white at the given
    // opacity, without writing depth; flip as for drawFullscreenQuad. Leaves blending
    // off, depth writes on, the picture unbound and the colour white. Nothing without a
    // picture.
    void drawPicture(float opacity, bool flip) const;

    GL_Texture* picture = nullptr; // from the texture cache, not owned
};

} // namespace qelFramework
