#pragma once
// The logo overlay: a picture drawn over the finished, graded frame with the opacity of
// the "Overlay: Fader" controller.
#include "timeline/Layer_Base.h"

namespace qelFramework {

class GL_Texture;
class SyncController;

class Layer_Overlay : public Layer_Base {
public:
    // Fetches the logo picture and the fader. Always true.
    bool init(GL_TextureManager* textures, SyncData* sync) override;
    void update(const FrameInfo& frame) override { (void)frame; }
    // Blends the picture upright over the whole viewport, without depth test or writes.
    void render() override;
    void unload() override {}

private:
    GL_Texture* image = nullptr; // from the texture cache, not owned
    SyncController* fader = nullptr;
};

} // namespace qelFramework
