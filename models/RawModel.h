#pragma once
// A static triangle mesh read from a text file of ready-to-draw vertices, kept in vertex
// buffer objects and drawn with one draw call. The city's house parts and the birds'
// wings are such models.
#include "gl/GLHeaders.h"

#include <memory>

namespace qelFramework {

// Something that reads its content from a file.
class ModelLoader {
public:
    virtual void load(const char* path) = 0;

protected:
    ~ModelLoader() = default;
};

// Something that draws itself with the texture, program and matrices that are current.
class ModelRenderer {
public:
    virtual void draw() = 0;

protected:
    ~ModelRenderer() = default;
};

// The file is white-space separated text: a label word, an integer (not used), a label
// word, the vertex count N, then five sections, each a label word followed by its floats:
// positions (3N), texture coordinates (2N), normals (3N), tangents (3N), bitangents (3N).
// Every three vertices make one triangle. Label words are never compared with anything.
class RawModel : public ModelLoader, public ModelRenderer {
public:
    RawModel() = default;
    RawModel(const RawModel&) = delete;
    RawModel& operator=(const RawModel&) = delete;
    // Frees the vertex arrays. The buffer objects are left alone: the GL context may be
    // gone by then.
    virtual ~RawModel() = default;

    // Reads the file and uploads it (needs a current GL context). Missing or unreadable
    // numbers read as 0. Every failed or partial read writes one WARNING under
    // "modelLoader" naming the file, the vertex count it promised and how many vertices it
    // held whole: a file that cannot be opened, has no vertex count (empty, or not a
    // model) or a count of 0 leaves the model empty; so does a count that is negative or
    // larger than the file could hold (or than 4 million); a file cut short keeps every
    // promised vertex, what is missing read as 0, and draws that. Triangles with a position
    // that is not a number, infinite or beyond a million are left out, said in the same
    // record (or one of their own).
    // The direction vectors (normals, tangents, bitangents) are stored turned:
    // (x, y, z) becomes (z, -y, -x).
    void load(const char* path) override;

    // Draws the triangles from the position, normal and texture-coordinate buffers. A
    // model without vertices draws nothing and makes no GL call.
    void draw() override;

    std::unique_ptr<float[]> positions;  // 3 per vertex
    std::unique_ptr<float[]> texCoords;  // 2 per vertex
    std::unique_ptr<float[]> normals;    // 3 per vertex
    std::unique_ptr<float[]> tangents;   // 3 per vertex
    std::unique_ptr<float[]> bitangents; // 3 per vertex
    int vertexCount = 0;

    GLuint positionBuffer = 0;
    GLuint texCoordBuffer = 0;
    GLuint normalBuffer = 0;
    GLuint tangentBuffer = 0;
    GLuint bitangentBuffer = 0;
};

} // namespace qelFramework
