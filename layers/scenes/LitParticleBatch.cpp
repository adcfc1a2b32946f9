#include "layers/scenes/LitParticleBatch.h"

#include "gl/Billboards.h"

#include <algorithm>
#include <cmath>

namespace qelFramework {

namespace {

// Lights from the upper left, the upper right and the viewer, turned into each particle's
// tangent frame; the face normal arrives as the vertex colour.
const char* const kVertexSource =
    "uniform vec3 vTangent;\n"
    "uniform vec3 eyePos;\n"
    "varying vec3 lightVec0;\n"
    "varying vec3 lightVec1;\n"
    "varying vec3 lightVec2;\n"
    "varying float fadeDistance;\n"
    "void main()\n"
    "{\n"
    "\tvec3 l0 = normalize(gl_NormalMatrix * vec3(-1.0, 1.0, 0.0));\n"
    "\tvec3 l1 = normalize(gl_NormalMatrix * vec3(1.0, 1.0, 0.0));\n"
    "\tvec3 l2 = normalize(gl_NormalMatrix * vec3(0.0, 0.0, 1.0));\n"
    "\tvec3 face = (gl_Color.rgb - 0.5) * 2.0;\n"
    "\tvec3 n = normalize(gl_NormalMatrix * face);\n"
    "\tvec3 t = normalize(gl_NormalMatrix * vTangent);\n"
    "\tvec3 b = cross(n, t);\n"
    "\tlightVec0 = vec3(dot(l0, t), dot(l0, b), dot(l0, n));\n"
    "\tlightVec1 = vec3(dot(l1, t), dot(l1, b), dot(l1, n));\n"
    "\tlightVec2 = vec3(dot(l2, t), dot(l2, b), dot(l2, n));\n"
    "\tgl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "\tgl_FrontColor = gl_Color;\n"
    "\tvec4 eyeSpace = gl_ModelViewMatrix * gl_Vertex;\n"
    "\tfadeDistance = clamp(length(eyeSpace.xyz - eyePos) / 100.0, 0.0, 1.0);\n"
    "\tgl_Position = ftransform();\n"
    "}\n";

const char* const kFragmentSource =
    "uniform sampler2D atlas;\n"
    "uniform vec3 lightA;\n"
    "uniform vec3 lightB;\n"
    "uniform vec3 lightC;\n"
    "uniform float alpha;\n"
    "varying vec3 lightVec0;\n"
    "varying vec3 lightVec1;\n"
    "varying vec3 lightVec2;\n"
    "varying float fadeDistance;\n"
    "void main()\n"
    "{\n"
    "\tvec4 col = texture2D(atlas, gl_TexCoord[0].st);\n"
    "\tvec3 n = normalize((col.rgb - 0.5) * 2.0);\n"
    "\tfloat light0 = clamp(dot(n, lightVec0), 0.0, 1.0);\n"
    "\tfloat light1 = clamp(dot(n, lightVec1), 0.0, 1.0);\n"
    "\tfloat light2 = clamp(abs(dot(n, lightVec2)), 0.0, 1.0);\n"
    "\tvec3 rgb = 0.2 + lightA * (light0 * light0 * 6.0) + lightB * (light1 * light1 * 6.0)\n"
    "\t\t+ lightC * (light2 * light2 * 8.0);\n"
    "\tgl_FragColor = vec4(rgb * col.a, col.a * 2.0 * fadeDistance * alpha);\n"
    "}\n";

GL_Shader* shared = nullptr; // built once, kept for the life of the process

float distanceSquared(const Vector3& a, const Vector3& b) {
    float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    float d = dx * dx + dy * dy + dz * dz;
    // A position that is not a number sorts as the nearest, keeping the order strict.
    return d == d ? d : -1.0f;
}

} // namespace

Vector3 LitParticleBatch::eyePos;

const GL_Shader& LitParticleBatch::sharedProgram() {
    static const GL_Shader none;
    return shared ? *shared : none;
}

void LitParticleBatch::releaseSharedProgram() {
    delete shared;
    shared = nullptr;
}

bool LitParticleBatch::create(GL_Texture* atlas, int count, const float a[3], const float b[3], const float c[3]) {
    if (!shared) {
        shared = new GL_Shader;
        shared->build("particleShader", kVertexSource, kFragmentSource);
    }
    tangentLocation = uniformLocation(*shared, "vTangent");
    alphaLocation = uniformLocation(*shared, "alpha");
    eyePosLocation = uniformLocation(*shared, "eyePos");
    lightALocation = uniformLocation(*shared, "lightA");
    lightBLocation = uniformLocation(*shared, "lightB");
    lightCLocation = uniformLocation(*shared, "lightC");
    for (int i = 0; i < 3; ++i) {
        lightA[i] = a[i];
        lightB[i] = b[i];
        lightC[i] = c[i];
    }
    texture = atlas;
    particles.assign(static_cast<size_t>(std::max(count, 0)), LitParticle{});
    for (size_t i = 0; i < particles.size(); ++i) {
        particles[i].u = static_cast<float>(i % 4) * 0.25f;
        particles[i].v = static_cast<float>((i / 4) % 4) * 0.25f;
    }
    drawList.clear();
    return shared->programName != 0;
}

void LitParticleBatch::set(int index, float size, const Vector3& position, const Vector3& normal,
                           const Vector3& target, float alpha) {
    if (index < 0 || index >= count())
        return;
    LitParticle& p = particles[static_cast<size_t>(index)];
    p.size = size;
    p.position = position;
    p.normal = normal;
    p.alpha = alpha;
    Vector3 d{target.x - position.x, target.y - position.y, target.z - position.z};
    float length = vectorLength(d);
    // A target on the particle leaves no direction: the tangent becomes zero.
    if (length > 0.0f) {
        d.x /= length;
        d.y /= length;
        d.z /= length;
    }
    p.tangent = Vector3{normal.y * d.z - normal.z * d.y, normal.z * d.x - normal.x * d.z,
                        normal.x * d.y - normal.y * d.x};
}

void LitParticleBatch::copyAndSort() {
    drawList = particles;
    const Vector3 eye = eyePos;
    // std::sort is an introspective sort: quicksort, insertion sort for short ranges and
    // heap sort when the recursion grows too deep.
    std::sort(drawList.begin(), drawList.end(), [&eye](const LitParticle& a, const LitParticle& b) {
        return distanceSquared(eye, a.position) > distanceSquared(eye, b.position);
    });
}

void LitParticleBatch::draw() {
    if (!shared)
        return;
    if (texture)
        texture->bind(GL_TEXTURE0);
    glUseProgram(shared->programName);
    glUniform3f(eyePosLocation, eyePos.x, eyePos.y, eyePos.z);
    glUniform3fv(lightALocation, 1, lightA);
    glUniform3fv(lightBLocation, 1, lightB);
    glUniform3fv(lightCLocation, 1, lightC);
    bool basisRead = false;
    for (size_t k = 0; k < drawList.size(); ++k) {
        const LitParticle& p = drawList[k];
        if (p.size <= 0.0f)
            continue;
        glColor3f((p.normal.x + 1.0f) * 0.5f, (p.normal.y + 1.0f) * 0.5f, (p.normal.z + 1.0f) * 0.5f);
        glUniform3f(tangentLocation, p.tangent.x, p.tangent.y, p.tangent.z);
        glUniform1f(alphaLocation, p.alpha);
        // Hidden particles at the head of the list must not leave a stale orientation.
        bool refresh = k % 100 == 0 || !basisRead;
        basisRead = true;
        drawBillboardTile(p.position.x + p.offset.x, p.position.y + p.offset.y, p.position.z + p.offset.z, p.size,
                          refresh, p.u, p.v, 0.25f);
    }
    glUseProgram(0);
    if (texture)
        texture->unbind();
}

} // namespace qelFramework
