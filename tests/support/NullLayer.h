#pragma once
// A layer that does nothing: registry and schedule tests need only its address.
#include "timeline/Layer_Base.h"

namespace qmtest {

struct NullLayer : qelFramework::Layer_Base {
    bool init(qelFramework::GL_TextureManager*, qelFramework::SyncData*) override { return true; }
    void update(const qelFramework::FrameInfo&) override {}
    void render() override {}
    void unload() override {}
};

} // namespace qmtest
