#pragma once
// Meshes for the text model format, built from flat faces: boxes, gabled roofs,
// extruded profiles, cylinders. Every face gets its own rectangle (chart) in one texture
// atlas, laid out at a common texel density, and a painter fills each chart from the
// world position of its texels, so materials line up across faces and light can be
// baked in. Vertices carry the face's normal and its texture axes as tangent and
// bitangent.
#include "Canvas.h"
#include "Vec3.h"

#include <functional>
#include <string>
#include <vector>

namespace qelFramework::forge {

// At unit length; the zero vector for a zero one.
Vec3 normalize(Vec3 v);

// One flat polygon of a mesh. s and t are world lengths along uAxis and vAxis (t runs
// up walls and up roof slopes), measured from the world origin, so neighbouring faces
// of one orientation share their pattern.
struct MeshFace {
    std::vector<Vec3> outline; // counter-clockwise seen from the side the normal points to
    Vec3 normal, uAxis, vAxis;
    float planeOffset = 0;     // dot(point on the face, normal)
    int material = 0;
    int tag = 0;               // free for the painter (a building, a sign, ...)
    int index = 0;             // position in the mesh
    float density = 1;         // texel density relative to the mesh's
    // Layout results.
    float sMin = 0, sMax = 0, tMin = 0, tMax = 0;
    int chartX = 0, chartY = 0, chartW = 0, chartH = 0; // pixels, without the gutter
    float pixelsPerUnit = 0;
    std::vector<int> triangles; // indices into outline, three per triangle

    Vec3 at(float s, float t) const { return uAxis * s + vAxis * t + normal * planeOffset; }
};

// A painter gives the colour of a texel of a face at (s, t), world point p.
using FacePainter = std::function<Color(const MeshFace& face, float s, float t, Vec3 p)>;

class Mesh {
public:
    // A flat polygon, counter-clockwise seen from outside (it may be concave). Returns
    // its index. uHint, when not zero, sets the direction of s on the face.
    int face(const std::vector<Vec3>& outline, int material, int tag = 0, float density = 1, Vec3 uHint = {});
    int quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, int material, int tag = 0, float density = 1);

    // Box sides, each bit of skip leaves one out: 1 -x, 2 +x, 4 -y, 8 +y, 16 -z, 32 +z.
    void box(Vec3 lo, Vec3 hi, int material, int tag = 0, int skip = 0, float density = 1);
    // A profile in the x-y plane (pairs x, y; either winding) swept along z from z0 to
    // z1, both ends closed when caps is set.
    void extrudeZ(const std::vector<float>& xy, float z0, float z1, int material, int tag = 0, float density = 1,
                  bool caps = true);
    // The same swept along x (pairs z, y).
    void extrudeX(const std::vector<float>& zy, float x0, float x1, int material, int tag = 0, float density = 1,
                  bool caps = true);
    // A profile of (a, b) pairs (either winding) in the plane through origin spanned by
    // axisA and axisB, swept along their cross product by depth; both ends closed.
    void prism(const std::vector<float>& ab, Vec3 origin, Vec3 axisA, Vec3 axisB, float depth, int material,
               int tag = 0, float density = 1);
    // A box turned in space: centre, three orthogonal unit axes and half sizes along them.
    void orientedBox(Vec3 centre, Vec3 axisA, Vec3 axisB, Vec3 halfSize, int material, int tag = 0,
                     float density = 1);
    // A flat polygon turned to face the given direction (reversed when it does not).
    int faceToward(std::vector<Vec3> outline, Vec3 direction, int material, int tag = 0, float density = 1);
    // A ring of quads from radius r0 at height y0 to r1 at y1 about (cx, cz); caps close
    // the bottom and top when asked.
    void frustum(float cx, float cz, float y0, float r0, float y1, float r1, int segments, int material, int tag = 0,
                 bool bottomCap = false, bool topCap = false, float density = 1);

    // Lays the charts out on an atlas of the given size at up to pixelsPerUnit, shrinking
    // the density until everything fits. False when nothing fits.
    bool layout(int atlasWidth, int atlasHeight, float pixelsPerUnit, int gutter = 3);
    float pixelsPerUnit() const { return density; }

    // Paints every chart (with its gutter) onto the canvas; faces in parallel bands.
    void paint(Canvas& canvas, const FacePainter& painter) const;

    // The model file text; mirrorX turns world x into -x (the town is drawn mirrored).
    std::string modelText(bool mirrorX) const;
    int vertexCount() const;
    size_t faceCount() const { return faces.size(); }
    const MeshFace& faceAt(size_t i) const { return faces[i]; }

private:
    std::vector<MeshFace> faces;
    int atlasW = 0, atlasH = 0, gutterPixels = 3;
    float density = 0;
};

// Writes text to path (whole or nothing).
bool writeText(const std::string& path, const std::string& text, std::string& error);

} // namespace qelFramework::forge
