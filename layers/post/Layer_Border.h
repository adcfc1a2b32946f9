#pragma once
// The border: a full-screen frame picture laid over the scenes inside the post-processor's
// target, so it is graded with them.
#include "layers/post/Layer_Picture.h"

namespace qelFramework {

class Layer_Border : public Layer_Picture {
public:
    // Fetches the frame picture. Always true.
    bool init(GL_TextureManager* textures, SyncData* sync) override;
    // Blends the picture over the whole viewport without writing depth; the depth test
    // stays as the earlier layers left it.
    void render() override;
};

} // namespace qelFramework
