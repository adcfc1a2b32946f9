#pragma once
// The border: a full-screen frame picture laid over the scenes inside the post-processor's
// target, so it is graded with them.
#include "timeline/Layer_Base.h"

namespace qelFramework {

class GL_Texture;

class Layer_Border : public Layer_Base {
public:
    // Fetches the frame picture. Always true.
    bool init(GL_TextureManager* textures, SyncData* sync) override;
    void update(const FrameInfo& frame) override { (void)frame; }
    // Blends the picture over the whole viewport without writing depth; the depth test
    // stays as the earlier layers left it.
    void render() override;
    void unload() override {}

private:
    GL_Texture* picture = nullptr; // from the texture cache, not owned
};

} // namespace qelFramework
