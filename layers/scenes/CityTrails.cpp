#include "layers/scenes/CityTrails.h"

#include "base/PortableMath.h"
#include "gl/Random.h"
#include "layers/scenes/Layer_CityScene.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace qelFramework {

namespace {

const float kTrailStart[3] = {1.0f, 0.0f, 2.8f};

// The trails through the town, each from the same spot in the street.
const float kTrail0[][3] = {{1, 0.397f, 2.8f},         {0.064f, 0.266f, 2.8f},    {-1.1f, 0.129f, 1.237f},
                            {-1.181f, 0.271f, 1.237f}, {-1.181f, 0.271f, -0.482f}, {-0.886f, 0.306f, -1.312f}};
const float kTrail1[][3] = {{1.083f, 0.306f, 2.886f}, {1.083f, 0.183f, 1.171f}, {1.525f, 0.326f, -0.416f},
                            {1.065f, 0.29f, -1.759f}};
const float kTrail2[][3] = {{1, 0.431f, 2.676f}, {3.121f, 0.431f, 0.024f}, {6.16f, 0.28f, -1.858f},
                            {12.174f, 0.28f, -6.452f}};
const float kTrail3[][3] = {{1, 0.451f, 2.8f},          {-0.16f, 0.272f, 4.786f}, {-2.81f, 0.272f, 4.786f},
                            {-3.558f, 0.272f, 2.814f}, {-7.139f, 0.272f, 2.142f}};
const float kTrail4[][3] = {{1, 0.493f, 2.8f}, {1, 0.337f, 6.018f}, {-0.166f, 0.337f, 10.689f}};
const float kTrail5[][3] = {
    {1, 0.528f, 2.8f},          {2.236f, 0.226f, 5.773f},   {2.646f, 0.329f, 6.327f},   {5.254f, 0.256f, 9.713f},
    {9.967f, 0.467f, 9.21f},    {9.967f, 0.73f, 9.21f},     {15.491f, 0.73f, 11.476f},  {17.952f, 0.73f, 16.758f},
    {17.18f, 2.063f, 16.052f},  {16.451f, 11.678f, 15.792f}, {17.547f, 14.583f, 15.792f}, {17.547f, 19.659f, 15.792f},
    {17.654f, 28.287f, 17.728f}, {17.667f, 33.049f, 17.057f}, {17.483f, 36.871f, 17.057f}, {14.874f, 36.871f, 17.057f},
    {14.874f, 39.262f, 17.057f}, {13.363f, 41.262f, 17.934f}, {10.594f, 41.262f, 17.045f}};
const float kTrail6[][3] = {{1, 0.301f, 2.8f}, {-2.639f, 0.335f, 3.024f}, {-4.222f, 0.305f, 0.656f},
                            {-8.25f, 0.568f, 0.656f}};
const float kTrail7[][3] = {
    {1, 0.517f, 2.8f},         {7.413f, 0.517f, 6.148f},  {11.694f, 0.517f, 4.372f}, {11.694f, 0.738f, 4.372f},
    {17.983f, 0.738f, 4.372f}, {17.711f, 1.442f, 4.359f}, {17.633f, 2.113f, 4.359f}, {17.664f, 7.975f, 5.212f},
    {17.637f, 13.395f, 3.051f}, {17.637f, 13.395f, 3.051f}, {17.591f, 23.804f, 5.023f}, {17.611f, 34.211f, 5.023f},
    {19.611f, 40.62f, 5.521f}};
const float kTrail8[][3] = {
    {1, 0.316f, 2.8f},          {3.477f, 0.219f, 5.321f},   {5.25f, 0.219f, 6.273f},    {6.004f, 0.219f, 7.048f},
    {11.413f, 0.219f, 7.048f},  {11.413f, 0.672f, 7.048f},  {17.827f, 0.672f, 7.048f},  {17.827f, 1.957f, 7.048f},
    {17.535f, 1.957f, 7.048f},  {17.535f, 3.393f, 7.048f},  {15.095f, 3.393f, 7.048f},  {16.095f, 3.752f, 7.048f},
    {17.709f, 3.752f, 7.048f},  {17.35f, 4.125f, 6.798f},   {17.35f, 13.98f, 6.798f},   {17.617f, 13.98f, 6.798f},
    {17.617f, 18.578f, 8.164f}, {17.539f, 20.261f, 8.984f}, {17.539f, 21.041f, 8.984f}, {15.172f, 21.041f, 8.984f},
    {16.172f, 21.59f, 8.984f},  {17.492f, 21.59f, 8.984f},  {17.492f, 31.649f, 8.984f}, {17.661f, 31.649f, 8.984f},
    {17.661f, 37.757f, 8.984f}, {15.258f, 37.757f, 8.984f}, {15.258f, 37.817f, 8.984f}, {15.996f, 37.817f, 8.984f},
    {15.996f, 39.113f, 8.984f}, {17.67f, 39.144f, 8.984f},  {17.076f, 39.513f, 8.722f}, {22.793f, 45.752f, 8.722f},
    {22.793f, 65.752f, 9.722f}};

template <std::size_t N>
TrailPath trailFrom(const float (&points)[N][3]) {
    TrailPath path{Vector3{kTrailStart[0], kTrailStart[1], kTrailStart[2]}};
    for (const auto& p : points)
        path.push_back(Vector3{p[0], p[1], p[2]});
    return path;
}

float clamp01(float v) { return std::min(std::max(v, 0.0f), 1.0f); }

// The growth controller of each trail and the Grow Main value below which it is shown.
bool isGroundTrail(int k) { return k <= 4 || k == 6; }
bool isOuterTrail(int k) { return k == 5 || k == 7; }

} // namespace

TrailPath cityTrail(int k) {
    switch (k) {
    case 0: return trailFrom(kTrail0);
    case 1: return trailFrom(kTrail1);
    case 2: return trailFrom(kTrail2);
    case 3: return trailFrom(kTrail3);
    case 4: return trailFrom(kTrail4);
    case 5: return trailFrom(kTrail5);
    case 6: return trailFrom(kTrail6);
    case 7: return trailFrom(kTrail7);
    case 8: return trailFrom(kTrail8);
    default: return {};
    }
}

void Layer_CityScene::buildTrails() {
    for (int k = 0; k < kTrailCount; ++k) {
        paths[k] = cityTrail(k);
        keepOffWall(paths[k], 36.8f, 17.2f);
        resampled[k] = resampleTrail(paths[k], 0.01f, 0.008f);
        trailCount[k] = trailParticleCount(resampled[k]);
    }
    chasePath = resampled[8];
    smoothTrail(chasePath, 10, 0.2f);
}

void Layer_CityScene::setTrailSizes() {
    const float t = time;
    const float growMain = control(GrowMain);
    const float chase = control(ChaseSmoke);
    size_t first = 0;
    for (int k = 0; k < kTrailCount; ++k) {
        const int n = static_cast<int>(trailCount[k]);
        const float growth = isGroundTrail(k) ? control(GrowGround) : isOuterTrail(k) ? control(GrowOuter) : growMain;
        const bool shown = isGroundTrail(k) ? growMain < 0.5f : isOuterTrail(k) ? growMain < 0.9f : chase < 0.2f;
        const int m = static_cast<int>(static_cast<float>(n) * growth);
        for (int j = 0; j < n; ++j) {
            LitParticle& particle = trailBatch.particles[first + static_cast<size_t>(j)];
            if (!shown || j >= m) {
                particle.size = 0.0f;
                particle.alpha = 0.0f;
                continue;
            }
            const float c = clamp01(static_cast<float>(m - j) / 40.0f);
            if (k == 8 && n - j < 300) {
                // The main trail frays out as it nears the top.
                qelFramework::srand(static_cast<unsigned>(j));
                const float q = 1.0f - static_cast<float>(n - j) / 300.0f;
                const float u1 = static_cast<float>(qelFramework::rand() % 2000) / 1000.0f - 1.0f;
                const float u2 = static_cast<float>(qelFramework::rand() % 2000) / 1000.0f - 1.0f;
                const float u3 = static_cast<float>(qelFramework::rand() % 2000) / 1000.0f - 1.0f;
                (void)u2;
                const float sway = q * portableSin(t / 1.2f + static_cast<float>(j) / 10.0f);
                particle.offset = Vector3{20.0f * q * q * u1 + sway, 0.0f, 20.0f * q * q * u3};
                particle.size = 0.1f + 3.0f * q * c;
                particle.alpha = 5.5f * c * clamp01(1.1f * c);
            } else {
                particle.size = 0.1f + 0.4f * c * clamp01(17.0f * c);
                particle.alpha = 10.0f * clamp01(1.1f * c);
            }
        }
        first += static_cast<size_t>(n);
    }
}

} // namespace qelFramework
