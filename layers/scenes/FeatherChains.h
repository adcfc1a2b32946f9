#pragma once
// One bird of the sky drawn from the wing-part model: its feathers and glows, the
// chains bending with the wing beat.
#include "layers/scenes/SkyBirds.h"

namespace qelFramework {

class RawModel;

// How one bird looks: wing beat phase and amplitude, glow colour and its swing along the
// chains, glow size, and which passes draw.
struct BirdLook {
    float phase = 0.0f;
    float amplitude = 1.0f;
    Colour3 colour;
    Colour3 swing;
    float size = 1.0f;
    bool solid = true;
    bool glow = true;
};

// Draws the bird at time t (the wing beat's clock) in the current transform.
void drawBird(RawModel* wingPart, float t, const BirdLook& look, const SkyBirdResources& res);

} // namespace qelFramework
