#include "layers/scenes/EmbeddedCloth.h"

#if __has_include("layers/scenes/Layer_Liquid.h")
#include "layers/scenes/Layer_Liquid.h"

namespace qelFramework {

std::unique_ptr<Layer_Base> makeEmbeddedCloth() { return std::make_unique<Layer_Liquid>(true, 25.0f); }

} // namespace qelFramework

#else

namespace qelFramework {

namespace {
class NoCloth : public Layer_KeepsTime {
public:
    bool init(GL_TextureManager*, SyncData*) override { return true; }
    void render() override {}
};
} // namespace

std::unique_ptr<Layer_Base> makeEmbeddedCloth() { return std::make_unique<NoCloth>(); }

} // namespace qelFramework

#endif
