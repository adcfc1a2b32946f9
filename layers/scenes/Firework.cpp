#include "layers/scenes/Firework.h"

#include "base/PortableMath.h"
#include "gl/Random.h"
#include "gl/RandomVector.h"

#include <cmath>

namespace qelFramework {

int Firework::serialCounter = 0;
unsigned Firework::burstCounter = 0;

namespace {

// rand() mod n as a float.
float draw(int n) { return static_cast<float>(qelFramework::rand() % n); }

void normalise(Vector3& v) {
    float length = vectorLength(v);
    if (length > 0.0f) {
        v.x /= length;
        v.y /= length;
        v.z /= length;
    }
}

// A random colour direction with non-negative components, at unit length.
Vector3 randomColour() {
    Vector3 c = randomVector(1, 1, 1);
    c.x = std::fabs(c.x);
    c.y = std::fabs(c.y);
    c.z = std::fabs(c.z);
    normalise(c);
    return c;
}

} // namespace

Firework::Firework() : serial(serialCounter++) {}

void Firework::launch() {
    // Each statement draws in turn: the order of the draws is the layout.
    float c = draw(3000) / 100.0f;
    Vector3 at = randomVector(40, 10, 10);
    at.y += 20.0f;
    at.z -= 60.0f;
    burst(at, c);
}

void Firework::burst(const Vector3& at, float countdownSeconds) {
    countdown = countdownSeconds;
    finished = false;
    ++burstCounter;
    qelFramework::srand(burstCounter);

    const int n = static_cast<int>(draw(400)) + 200;
    sparks.assign(static_cast<size_t>(n), Spark{});
    const Vector3 a = randomColour();
    const Vector3 b = randomColour();

    float j = draw(100) / 100.0f;
    j *= j;
    const float jitter = j >= 0.7f ? 0.1f : 0.0f;
    const float shimmer = portablePow(draw(100) / 100.0f, 15.0f);
    const float size = draw(1000) / 2000.0f + 0.5f;
    const float lifetimeBase = draw(1500) / 1000.0f + 1.0f;
    const float spread = draw(1000) / 1000.0f;
    const float lifetimeSpread = spread * spread;
    qelFramework::rand(); // drawn and not used; later draws depend on it
    const float speedBase = draw(3000) / 1000.0f + 1.0f;
    const float scatter = (draw(100) / 100.0f) * 0.5f + 2.5f;
    const Vector3 direction = randomVector(1, 1, 1);
    const float speedSpread = draw(100) / 100.0f;

    for (Spark& s : sparks) {
        s.position = at;
        s.startColour = s.colour = a;
        s.endColour = b;
        jitterDirection(s.startColour, jitter, jitter, jitter);
        jitterDirection(s.endColour, jitter, jitter, jitter);
        s.lifetime = draw(1000) / 1000.0f * lifetimeSpread + lifetimeBase;
        const float speed = draw(3000) / 1000.0f * speedSpread + speedBase;
        s.velocity = Vector3{direction.x * speed, direction.y * speed, direction.z * speed};
        jitterDirection(s.velocity, scatter, scatter, scatter);
        normalise(s.velocity);
        const float reach = draw(1000) / 1000.0f + 0.2f;
        s.velocity.x *= reach;
        s.velocity.y *= reach;
        s.velocity.z *= reach;
        s.age = 0.0f;
        s.shimmer = shimmer;
        s.size = size;
    }
}

void Firework::step(float dt, bool trigger) {
    finished = false;
    if (trigger && serial % 2 == 0)
        countdown = 0.0f;
    countdown -= dt;
    if (countdown > 0.0f)
        return;
    finished = true;
    for (size_t i = 0; i < sparks.size(); ++i) {
        Spark& s = sparks[i];
        s.age += dt;
        // Each spark falls a little differently.
        const float g = std::fabs(portableSin(0.25f * static_cast<float>(i))) * 0.2f + 0.1f;
        s.position.x += s.velocity.x * dt * 5.0f;
        s.position.y += s.velocity.y * dt * 5.0f - 9.81f * s.age * s.age * g * dt;
        s.position.z += s.velocity.z * dt * 5.0f;
        if (s.age < s.lifetime)
            finished = false;
        const float f = s.age / s.lifetime;
        s.colour.x = (1.0f - f) * (s.startColour.x + f * (s.endColour.x - s.startColour.x));
        s.colour.y = (1.0f - f) * (s.startColour.y + f * (s.endColour.y - s.startColour.y));
        s.colour.z = (1.0f - f) * (s.startColour.z + f * (s.endColour.z - s.startColour.z));
    }
}

} // namespace qelFramework
