#pragma once
// The logo overlay: a picture drawn over the finished, graded frame with the opacity of
// the "Overlay: Fader" controller.
#include "layers/post/Layer_Picture.h"

namespace qelFramework {

class SyncController;

class Layer_Overlay : public Layer_Picture {
public:
    // Fetches the logo picture and the fader. Always true.
    bool init(GL_TextureManager* textures, SyncData* sync) override;
    // Blends the picture upright over the whole viewport, without depth test or writes.
    void render() override;

private:
    SyncController* fader = nullptr;
};

} // namespace qelFramework
