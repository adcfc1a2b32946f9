#pragma once
// The sky scene's birds: a single bird of feather segments that climbs a spiral and
// rolls into a swarm of 35, and the greetings the swarm bursts into one by one at the
// key times of "Sky: Show Greetings". Everything here is recomputed every frame from the
// time and the controllers; fixed seeds make the random layouts repeat exactly.
#include "gl/GL_Camera.h"
#include "gl/GL_Texture.h"
#include "gl/Vector3.h"

#include <vector>

namespace qelFramework {

class RawModel;
class SyncController;

// The sky controllers' current values, read once per update and per render.
struct SkyValues {
    float lineIntensity = 0.0f;  // "Sky: Particle Line Intensity"
    float flareIntensity = 0.0f; // "Sky: Particle Flare Intensity"
    float moveUp = 0.0f;         // "Sky: Move Up"
    float birdUp = 0.0f;         // "Sky: Bird Up"
    float showGreetings = 0.0f;  // "Sky: Show Greetings"
    float blobsDown = 0.0f;      // "Sky: Move Blobs Down"
    float joinSwarm = 0.0f;      // "Sky: Bird Join Swarm"
    float swarmDown = 0.0f;      // "Sky: Bird Swarm Down"
    float camOut = 0.0f;         // "Sky: Bird Swarm Cam Out"
    float brightness = 0.0f;     // "Sky: Bird Swarm Brightness"
    float zoomOut = 0.0f;        // "Sky: Zoom Out Full"
};

// What the last render drew, counted per kind (quads, model copies, cards).
struct SkyDrawCounts {
    int ringParticles = 0;
    int flares = 0;
    int cloudParticles = 0;
    int singleBirds = 0;
    int solidSwarmBirds = 0;
    int glowSwarmBirds = 0;
    int bursts = 0;
    int burstParticles = 0;
    int flashes = 0;
    int cards = 0;
};

// What the birds draw with; the textures belong to the texture cache, the model and
// the program to the sky layer.
struct SkyBirdResources {
    RawModel* wingPart = nullptr;
    GL_Texture* wingTexture = nullptr;
    GL_Texture* glowTexture = nullptr;  // particle.jpg
    GL_Texture* burstTexture = nullptr; // particleDepth.jpg
    GL_Texture* flashTexture = nullptr; // superGlow.jpg
    GL_Texture* cardTexture = nullptr;  // greetings.png
    GLuint particleProgram = 0;         // "skyParticles"
};

struct Colour3 {
    float r = 0.0f, g = 0.0f, b = 0.0f;
};

class SkyBirds {
public:
    static constexpr int kSwarmSize = 35;
    static constexpr int kTrackedGreetings = 36;

    // Update: the single bird on its spiral, drawn towards the meeting point by Join Swarm.
    void placeBird(const SkyValues& v);
    // Update: the camera that hovers beside the current greeting (or, before the first,
    // approaches the first swarm point). `driftCamera` is the layer's camera before any
    // blending.
    void aimGreetingCamera(GL_Camera& camera, const GL_Camera& swarmCamera, const GL_Camera& driftCamera,
                           const SkyValues& v, float t) const;
    // Update: the age of every greeting key and the last one that has passed.
    void countGreetings(const SyncController& showGreetings, float t);

    // Render, in this order, under the sky's group matrix.
    void drawSingleBird(const SkyValues& v, float t, SkyDrawCounts& counts);
    void placeSwarm(const SkyValues& v, float t);
    void drawSwarm(const SkyValues& v, float t, SkyDrawCounts& counts);
    void drawBursts(const SkyValues& v, float t, SkyDrawCounts& counts);
    void drawCards(SkyDrawCounts& counts);

    // The colour of greeting i's burst and card: three values of the generator seeded
    // with 2i (the generator continues from there).
    static Colour3 greetingColour(int i);
    // The card's alpha at an age: opaque at the key, fading out until 10 s.
    static float cardAlpha(float age);

    Vector3 heroBird;
    Vector3 swarmTarget{-15.0f, 43.0f, -19.0f};
    std::vector<Vector3> swarmPoints;
    float greetingAges[kTrackedGreetings] = {};
    int currentGreeting = -1;
    int greetingKeys = 0; // keys of "Sky: Show Greetings" at the last count
    SkyBirdResources res;

private:
    // Keys whose age lies within [0, 15): their bursts and cards are showing.
    bool showing(int i) const;
    Vector3 burstOrigin(int i) const;
};

} // namespace qelFramework
