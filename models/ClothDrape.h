#pragma once
// The falling sheet, worked out once at load time: a 40 x 40 particle grid dropped onto a
// height field taken from one recorded point cloud and stepped 30 times. Every step is kept
// as a ready-to-draw triangle mesh; at run time the cloth only blends between two of them.
#include "gl/Vector3.h"
#include "models/MotionPoint.h"

#include <vector>

namespace qelFramework {

constexpr int kClothGridSize = 40;      // particles per side
constexpr int kClothSteps = 30;         // stored meshes
constexpr int kClothVertexCount = 7350; // 35 x 35 quads, two triangles each
constexpr int kNoAnchor = -1;           // an unsupported particle with nothing to hang from

struct ClothParticle {
    Vector3 position;
    Vector3 smoothed;            // working copy the meshes are built from
    Vector3 normal;              // unit length, from `smoothed`
    float fallTime = 0.0f;       // grows by the step size every step
    float supportHeight = 0.0f;  // height of the figure under the particle
    int anchorIndex = kNoAnchor; // nearest supported particle (itself when supported)
    float anchorDistance = 0.0f; // rest distance to the anchor
    bool supported = false;
};

// One stored mesh: 3 position, 3 normal and 2 texture-coordinate floats per vertex.
struct ClothFrame {
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> texCoords;
};

struct ClothAnimation {
    std::vector<ClothFrame> frames;
    int vertexCount = kClothVertexCount;
};

// Drops the sheet onto `points` and keeps every one of the 30 steps as a mesh.
ClothAnimation buildClothAnimation(const std::vector<MotionPoint>& points, float stepSize);

// The grid (row-major, index = i * 40 + j, i the x step, j the z step) resting at height
// 1.3 over the height field of `points`, with every unsupported particle tied to its
// nearest supported one. With no supported particle at all every anchor stays kNoAnchor.
void buildClothGrid(const std::vector<MotionPoint>& points, std::vector<ClothParticle>& particles);

// One step: fall, hold to the anchor or rest on the support, then smooth, take normals,
// push the smoothed sheet off the figure along them and take the normals again.
void stepCloth(std::vector<ClothParticle>& particles, float stepSize);

// One in-place 3 x 3 smoothing pass over the interior (weights 0.2 centre, 0.1 around).
void smoothCloth(std::vector<ClothParticle>& particles);
void computeClothNormals(std::vector<ClothParticle>& particles);
void inflateCloth(std::vector<ClothParticle>& particles, float amount);

} // namespace qelFramework
