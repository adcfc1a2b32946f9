#pragma once
// Textured billboards lit as small bumpy surfaces: the texture's colour holds a normal in
// the particle's tangent frame, and three coloured lights shade it. All batches share one
// program, "particleShader", built by the first batch created. The owner writes eyePos,
// sorts the batch back to front and draws it.
#include "gl/GL_Shader.h"
#include "gl/GL_Texture.h"
#include "gl/Vector3.h"

#include <vector>

namespace qelFramework {

struct LitParticle {
    Vector3 position;
    Vector3 offset;  // added to the position when drawn, not when sorted
    Vector3 normal;  // face normal, any length
    Vector3 tangent;
    Vector3 reserved;
    float u = 0.0f, v = 0.0f; // atlas cell
    float size = 0.0f;        // billboard half size; 0 or less hides the particle
    float alpha = 0.0f;
    float spare = 0.0f;
};
static_assert(sizeof(LitParticle) == 20 * sizeof(float), "a lit particle is 20 floats");

class LitParticleBatch {
public:
    // The eye position the sort measures from and the shader fades with.
    static Vector3 eyePos;

    // Builds the shared program if no batch did yet, looks up its uniforms (a missing one
    // writes the "shaderAccess" WARNING and stays -1), and makes `count` particles, all
    // zero but their atlas cell: particle i shows tile (i mod 4, (i / 4) mod 4) of the
    // texture's 4 x 4 atlas. True when the shared program is usable.
    bool create(GL_Texture* texture, int count, const float lightA[3], const float lightB[3],
                const float lightC[3]);

    // Sets one particle's size, position, normal and alpha, and its tangent to the
    // normal crossed with the direction from the position to the target. The offset is
    // kept. An index outside the batch changes nothing.
    void set(int index, float size, const Vector3& position, const Vector3& normal, const Vector3& target,
             float alpha);

    // Copies the particles into the draw list, farthest from eyePos first (the offset
    // does not count; equal distances keep no defined order).
    void copyAndSort();

    // Draws the draw list with the shared program and the texture on unit 0. Hidden
    // particles get neither a quad nor uniforms. The billboard orientation is read from
    // the modelview matrix once per 100 particles (and at the first one drawn).
    void draw();

    int count() const { return static_cast<int>(particles.size()); }

    // The shared program (program 0 before the first create).
    static const GL_Shader& sharedProgram();
    // Deletes the shared program so that the next create builds it anew; for a GL
    // context that is about to go away (tests make one after the other).
    static void releaseSharedProgram();

    std::vector<LitParticle> particles;
    std::vector<LitParticle> drawList;
    float lightA[3] = {}, lightB[3] = {}, lightC[3] = {};
    GL_Texture* texture = nullptr; // owned by the texture cache

    GLint tangentLocation = -1;
    GLint alphaLocation = -1;
    GLint eyePosLocation = -1;
    GLint lightALocation = -1;
    GLint lightBLocation = -1;
    GLint lightCLocation = -1;
};

} // namespace qelFramework
