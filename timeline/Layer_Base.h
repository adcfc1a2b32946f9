#pragma once
// The abstract layer every scene and pass derives from. The timeline owns the layers,
// initialises each once behind the loading screen and, per frame, updates and renders
// the layer of every active track.
#include "platform/InputEvent.h"
#include "timeline/FrameInfo.h"

namespace qelFramework {

class GL_TextureManager;
class SyncData;

class Layer_Base {
public:
    virtual ~Layer_Base() = default;
    // Loads textures, compiles shaders, creates render targets and looks controllers up.
    // False when the layer cannot go on; the production then does not play.
    virtual bool init(GL_TextureManager* textures, SyncData* sync) = 0;
    virtual void update(const FrameInfo& frame) = 0;
    // Draws into whatever target is bound, starting from identity matrices.
    virtual void render() = 0;
    // Every input event the production window receives while the layer's track is active.
    virtual void handleMessage(const InputEvent& event) { (void)event; }
    // A draft picture: from the next frame on, the targets the size of the picture are
    // 1/divisor of it in width and height (1: full size again). Called between frames.
    virtual void setDraft(int divisor) { (void)divisor; }
    virtual void unload() = 0;
};

// The behaviour of layers whose update only keeps the frame's time and delta.
class Layer_KeepsTime : public Layer_Base {
public:
    void update(const FrameInfo& frame) override {
        time = frame.time;
        delta = frame.delta;
    }
    void unload() override {}

protected:
    float time = 0.0f;
    float delta = 0.0f;
};

} // namespace qelFramework
