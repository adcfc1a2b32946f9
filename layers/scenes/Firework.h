#pragma once
// One firework rocket: it waits out its countdown, bursts into a few hundred coloured
// sparks that fly, fall and fade, and is finished when every spark has outlived its
// lifetime. Every burst reseeds the program's generator with its own number, so the n-th
// burst of a run always looks the same.
#include "gl/Vector3.h"

#include <vector>

namespace qelFramework {

struct Spark {
    Vector3 position;
    Vector3 velocity; // units per second before the motion step's factor 5
    Vector3 startColour;
    Vector3 endColour;
    Vector3 colour; // current
    float lifetime = 0.0f; // seconds
    float age = 0.0f;      // seconds since the burst
    float shimmer = 0.0f;  // how fast the drawn size pulses
    float size = 0.0f;
};
static_assert(sizeof(Spark) == 19 * sizeof(float), "a spark is 19 floats");

class Firework {
public:
    // Takes the next serial number; no sparks until launched.
    Firework();

    // A countdown of 0 to 29.99 s and a place around (0, 20, -60), then the burst.
    void launch();

    // Takes the next burst number, seeds the generator with it and makes the sparks.
    void burst(const Vector3& at, float countdownSeconds);

    // Counts down; once burst, moves and fades the sparks. A trigger bursts rockets with
    // an even serial at once.
    void step(float dt, bool trigger);

    float countdown = 0.0f; // the rocket is burst while this is 0 or below
    int serial = 0;
    std::vector<Spark> sparks;
    bool finished = false; // every spark has outlived its lifetime

    // Process-wide numbering: serials and bursts both count up from 0 for the whole run.
    static int serialCounter;
    static unsigned burstCounter;
};

} // namespace qelFramework
