// The town: seventeen house parts and the floating tower, each a text model with its
// texture. Geometry is made from flat faces; the textures are painted per face with the
// night light baked in, because the city draws its houses unlit.
#include "Town.h"

#include "ArtDirection.h"
#include "Products.h"
#include "Text.h"
#include "TownLayout.h"
#include "TownPaint.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>

namespace qelFramework::forge {

using namespace town;

namespace {

const Vec3 kUp{0, 1, 0};

// Text painted onto a face's chart after the materials.
struct Label {
    int face;
    std::vector<std::string> lines;
    float size;      // type size as a fraction of the chart height
    Color colour;
    bool stacked;    // one letter per line, top to bottom
};

struct Built {
    Mesh mesh;
    std::vector<Label> labels;
    bool ok = false;
};

// A wall's along-axis: to the right of a viewer facing it.
Vec3 alongWall(Vec3 normal) { return cross(kUp, normal); }

// --- shared pieces --------------------------------------------------------------------

// A gabled house on the ground: walls up to the eave, gable ends up to the ridge, and
// (when roof is given) a roof slab with an overhang. ridgeAlongZ chooses its direction.
void gabledHouse(Mesh& walls, Mesh* roof, const Building& b, int tag, float ridgeY, bool ridgeAlongZ, int wallMat,
                 int roofMat, float density, float overhang = 0.5f) {
    const float g = b.ground - 0.05f, e = b.eave;
    if (ridgeAlongZ) {
        const float mx = (b.x0 + b.x1) / 2;
        walls.quad({b.x0, g, b.z0}, {b.x0, g, b.z1}, {b.x0, e, b.z1}, {b.x0, e, b.z0}, wallMat, tag, density);
        walls.quad({b.x1, g, b.z1}, {b.x1, g, b.z0}, {b.x1, e, b.z0}, {b.x1, e, b.z1}, wallMat, tag, density);
        walls.face({{b.x1, g, b.z0}, {b.x0, g, b.z0}, {b.x0, e, b.z0}, {mx, ridgeY, b.z0}, {b.x1, e, b.z0}}, wallMat, tag,
                   density);
        walls.face({{b.x0, g, b.z1}, {b.x1, g, b.z1}, {b.x1, e, b.z1}, {mx, ridgeY, b.z1}, {b.x0, e, b.z1}}, wallMat, tag,
                   density);
        if (roof) {
            const float half = (b.x1 - b.x0) / 2, slope = (ridgeY - e) / half, t = 0.35f;
            const float ex = overhang, ey = e - overhang * slope;
            roof->extrudeZ({b.x0 - ex, ey, mx, ridgeY + t, b.x1 + ex, ey, b.x1 + ex, ey - t, mx, ridgeY, b.x0 - ex,
                            ey - t},
                           b.z0 - overhang, b.z1 + overhang, roofMat, tag, density);
        }
    } else {
        const float mz = (b.z0 + b.z1) / 2;
        walls.quad({b.x1, g, b.z0}, {b.x0, g, b.z0}, {b.x0, e, b.z0}, {b.x1, e, b.z0}, wallMat, tag, density);
        walls.quad({b.x0, g, b.z1}, {b.x1, g, b.z1}, {b.x1, e, b.z1}, {b.x0, e, b.z1}, wallMat, tag, density);
        walls.face({{b.x0, g, b.z0}, {b.x0, g, b.z1}, {b.x0, e, b.z1}, {b.x0, ridgeY, mz}, {b.x0, e, b.z0}}, wallMat, tag,
                   density);
        walls.face({{b.x1, g, b.z1}, {b.x1, g, b.z0}, {b.x1, e, b.z0}, {b.x1, ridgeY, mz}, {b.x1, e, b.z1}}, wallMat, tag,
                   density);
        if (roof) {
            const float half = (b.z1 - b.z0) / 2, slope = (ridgeY - e) / half, t = 0.35f;
            const float ez = overhang, ey = e - overhang * slope;
            roof->extrudeX({b.z0 - ez, ey, mz, ridgeY + t, b.z1 + ez, ey, b.z1 + ez, ey - t, mz, ridgeY, b.z0 - ez,
                            ey - t},
                           b.x0 - overhang, b.x1 + overhang, roofMat, tag, density);
        }
    }
}

// Timber framing on a wall: posts at the given positions along it and beams at the
// given heights, standing proud of the wall. Positions are world z on walls facing along
// x, world x on walls facing along z.
void timberFrame(Mesh& m, Vec3 wallPoint, Vec3 normal, const std::vector<float>& posts, float y0, float y1,
                 const std::vector<float>& beams, float a0, float a1, int tag, float density) {
    const Vec3 a = std::fabs(normal.x) > 0.5f ? Vec3{0, 0, 1} : Vec3{1, 0, 0};
    const Vec3 plane = normal * dot(wallPoint, normal);
    for (float p : posts) {
        Vec3 c = plane + a * p + kUp * ((y0 + y1) / 2) + normal * 0.04f;
        m.orientedBox(c, a, kUp, {0.13f, (y1 - y0) / 2, 0.05f}, Timber, tag, density);
    }
    for (float y : beams) {
        Vec3 c = plane + a * ((a0 + a1) / 2) + kUp * y + normal * 0.05f;
        m.orientedBox(c, a, kUp, {(a1 - a0) / 2, 0.14f, 0.06f}, Timber, tag, density);
    }
}

// A window applied to a wall: frame, sill, head, mullions, glass and maybe shutters.
void window(Mesh& m, const Window& w, int tag, float density) {
    const Vec3 n = w.normal, a = alongWall(n);
    const float hw = w.width / 2, hh = w.height / 2;
    const Vec3 c = w.centre;
    const int glass = w.lit ? GlassLit : GlassDark;
    m.orientedBox(c + n * 0.02f, a, kUp, {hw, hh, 0.02f}, glass, tag, density);
    const float f = 0.09f;
    m.orientedBox(c + a * (-hw - f) + n * 0.07f, a, kUp, {f, hh + f, 0.07f}, Frame, tag, density);
    m.orientedBox(c + a * (hw + f) + n * 0.07f, a, kUp, {f, hh + f, 0.07f}, Frame, tag, density);
    m.orientedBox(c + kUp * (hh + f) + n * 0.08f, a, kUp, {hw + 2 * f, f, 0.08f}, Frame, tag, density);
    // Sill: stone, wider and deeper.
    m.orientedBox(c + kUp * (-hh - 0.07f) + n * 0.12f, a, kUp, {hw + 0.2f, 0.07f, 0.12f}, Kerb, tag, density);
    // Mullion and transom.
    m.orientedBox(c + n * 0.05f, a, kUp, {0.035f, hh, 0.03f}, Frame, tag, density);
    m.orientedBox(c + kUp * (hh * 0.3f) + n * 0.05f, a, kUp, {hw, 0.035f, 0.03f}, Frame, tag, density);
    if (w.shutters) {
        const float sw = hw * 0.55f;
        for (float side : {-1.f, 1.f})
            m.orientedBox(c + a * (side * (hw + 2 * f + sw)) + n * 0.03f, a, kUp, {sw, hh + 0.05f, 0.03f}, Planks, tag,
                          density);
    }
}

// A lantern on a wall bracket: an iron arm and a lit glass box with an iron cap.
void lantern(Mesh& m, Vec3 wallPoint, Vec3 normal, int tag) {
    const Vec3 a = alongWall(normal);
    m.orientedBox(wallPoint + normal * 0.25f + kUp * 0.35f, a, kUp, {0.03f, 0.03f, 0.25f}, Iron, tag);
    const Vec3 c = wallPoint + normal * 0.45f;
    m.orientedBox(c, a, kUp, {0.13f, 0.2f, 0.13f}, GlassLit, tag);
    m.frustum(c.x, c.z, 0.2f + c.y, 0.2f, 0.38f + c.y, 0.02f, 4, Iron, tag);
    m.orientedBox(c + kUp * -0.22f, a, kUp, {0.15f, 0.03f, 0.15f}, Iron, tag);
}

// --- the parts --------------------------------------------------------------------------

void buildFirstDoor(Built& out) {
    Mesh& m = out.mesh;
    const Vec3 n{-1, 0, 0}, a = alongWall(n);
    const float x = kFacadeX, y0 = kTerraceY, zc = 13.0f, hw = 0.85f, h = 2.7f;
    // Stone surround with a round-headed top made of segments.
    m.orientedBox({x - 0.1f, y0 + h / 2, zc - hw - 0.2f}, a, kUp, {0.2f, h / 2, 0.1f}, Ashlar, 1);
    m.orientedBox({x - 0.1f, y0 + h / 2, zc + hw + 0.2f}, a, kUp, {0.2f, h / 2, 0.1f}, Ashlar, 1);
    const int arcs = 7;
    for (int i = 0; i < arcs; ++i) {
        float t0 = 3.14159f * i / arcs, t1 = 3.14159f * (i + 1) / arcs;
        float r0 = hw, r1 = hw + 0.4f;
        std::vector<float> ab = {-r0 * std::cos(t0), r0 * std::sin(t0), -r1 * std::cos(t0), r1 * std::sin(t0),
                                 -r1 * std::cos(t1), r1 * std::sin(t1), -r0 * std::cos(t1), r0 * std::sin(t1)};
        m.prism(ab, {x - 0.02f, y0 + h, zc}, a, kUp, 0.2f, Ashlar, 1);
    }
    // Two leaves of planks and the fanlight above them.
    m.orientedBox({x - 0.05f, y0 + h / 2, zc - hw / 2}, a, kUp, {hw / 2 - 0.01f, h / 2, 0.05f}, Planks, 1);
    m.orientedBox({x - 0.05f, y0 + h / 2, zc + hw / 2}, a, kUp, {hw / 2 - 0.01f, h / 2, 0.05f}, Planks, 1);
    std::vector<Vec3> fan;
    for (int i = 0; i <= 8; ++i) {
        float t = 3.14159f * i / 8;
        fan.push_back({x - 0.03f, y0 + h + hw * std::sin(t), zc + hw * std::cos(t)});
    }
    m.faceToward(fan, n, GlassLit, 1);
    // Iron rings and studs.
    for (float side : {-1.f, 1.f})
        m.orientedBox({x - 0.13f, y0 + 1.25f, zc + side * 0.18f}, a, kUp, {0.05f, 0.05f, 0.03f}, Iron, 1);
    // Steps down to the terrace edge.
    m.box({x - 0.9f, y0, zc - hw - 0.4f}, {x, y0 + 0.16f, zc + hw + 0.4f}, Ashlar, 1, 4);
    m.box({x - 0.5f, y0 + 0.16f, zc - hw - 0.3f}, {x, y0 + 0.3f, zc + hw + 0.3f}, Ashlar, 1, 4);
    lantern(m, {x, y0 + 2.4f, zc + hw + 0.55f}, n, 1);
    out.ok = m.layout(512, 512, 160);
}

void buildSecondDoor(Built& out) {
    Mesh& m = out.mesh;
    const Vec3 n{1, 0, 0}, a = alongWall(n);
    const float x = -3.5f, y0 = kPavementY, zc = 10.9f, hw = 0.6f, h = 2.3f;
    m.orientedBox({x + 0.08f, y0 + h / 2, zc}, a, kUp, {hw, h / 2, 0.06f}, Planks, 4);
    m.orientedBox({x + 0.1f, y0 + h / 2, zc - hw - 0.1f}, a, kUp, {0.1f, h / 2 + 0.1f, 0.1f}, Timber, 4);
    m.orientedBox({x + 0.1f, y0 + h / 2, zc + hw + 0.1f}, a, kUp, {0.1f, h / 2 + 0.1f, 0.1f}, Timber, 4);
    m.orientedBox({x + 0.12f, y0 + h + 0.12f, zc}, a, kUp, {hw + 0.3f, 0.12f, 0.12f}, Timber, 4);
    // A small pitched canopy over the door.
    m.prism({-hw - 0.4f, 0.f, 0.f, 0.45f, hw + 0.4f, 0.f, hw + 0.4f, -0.08f, 0.f, 0.37f, -hw - 0.4f, -0.08f},
            {x, y0 + h + 0.35f, zc}, a, kUp, 0.75f, RedTiles, 4);
    m.orientedBox({x + 0.16f, y0 + 1.1f, zc + hw - 0.15f}, a, kUp, {0.04f, 0.04f, 0.04f}, Iron, 4);
    m.box({x, y0, zc - hw - 0.3f}, {x + 0.6f, y0 + 0.14f, zc + hw + 0.3f}, Ashlar, 4, 4);
    lantern(m, {x, y0 + 2.2f, zc + hw + 0.65f}, n, 4);
    out.ok = m.layout(512, 512, 160);
}

void buildWindowsOf(Built& out, int part, int atlas, float density) {
    for (const Window& w : windows())
        if (w.part == part)
            window(out.mesh, w, 0, 1);
    if (part == 10) {
        // A small balcony on the tall house, third storey.
        Mesh& m = out.mesh;
        const float y = kShopTop + 2 * kStorey - 0.05f;
        m.box({kFacadeX - 0.8f, y - 0.15f, 14.9f}, {kFacadeX, y, 17.3f}, Ashlar, 1);
        for (int i = 0; i <= 8; ++i)
            m.box({kFacadeX - 0.78f, y, 14.95f + i * 0.29f}, {kFacadeX - 0.72f, y + 0.9f, 15.01f + i * 0.29f}, Iron, 1);
        m.box({kFacadeX - 0.8f, y + 0.88f, 14.9f}, {kFacadeX - 0.7f, y + 0.96f, 17.3f}, Iron, 1);
    }
    if (part == 2) {
        // Awnings over the shop windows.
        Mesh& m = out.mesh;
        for (const Window& w : windows())
            if (w.part == 2) {
                float top = w.centre.y + w.height / 2 + 0.35f, hw = w.width / 2 + 0.2f;
                m.quad({kFacadeX, top, w.centre.z - hw}, {kFacadeX, top, w.centre.z + hw},
                       {kFacadeX - 1.1f, top - 0.6f, w.centre.z + hw}, {kFacadeX - 1.1f, top - 0.6f, w.centre.z - hw},
                       Pennant, 1);
                m.quad({kFacadeX - 1.1f, top - 0.6f, w.centre.z - hw}, {kFacadeX - 1.1f, top - 0.6f, w.centre.z + hw},
                       {kFacadeX - 1.1f, top - 0.85f, w.centre.z + hw}, {kFacadeX - 1.1f, top - 0.85f, w.centre.z - hw},
                       Pennant, 1);
            }
    }
    out.ok = out.mesh.layout(atlas, atlas, density);
}

void buildBottomWindows(Built& out) { buildWindowsOf(out, 2, 1024, 110); }
void buildTopWindows(Built& out) { buildWindowsOf(out, 10, 2048, 70); }
void buildRightWindows(Built& out) { buildWindowsOf(out, 12, 1024, 70); }

// A board with an arrow point, pointing along `direction` from the post.
void arrowBoard(Built& out, Vec3 post, float y, float angle, const std::string& text) {
    Mesh& m = out.mesh;
    const Vec3 a{std::cos(angle), 0, std::sin(angle)};
    const float len = 1.5f, hh = 0.17f;
    m.prism({0.08f, -hh, len - 0.25f, -hh, len, 0.f, len - 0.25f, hh, 0.08f, hh}, post + kUp * y - cross(a, kUp) * 0.03f,
            a, kUp, 0.06f, Board, 0);
    const int faces = static_cast<int>(m.faceCount());
    out.labels.push_back({faces - 2, {text}, 0.62f, art::kInk, false});
    out.labels.push_back({faces - 1, {text}, 0.62f, art::kInk, false});
}

void buildDirectionSign(Built& out) {
    Mesh& m = out.mesh;
    const Vec3 post{5.3f, kSquareY, 4.3f};
    m.frustum(post.x, post.z, post.y, 0.07f, post.y + 2.9f, 0.06f, 8, Iron, 0, false, true);
    m.frustum(post.x, post.z, post.y, 0.16f, post.y + 0.25f, 0.1f, 8, Iron, 0, false, true);
    m.frustum(post.x, post.z, post.y + 2.9f, 0.1f, post.y + 3.05f, 0.f, 8, Gold, 0);
    arrowBoard(out, post, 2.55f, 0.5f, "podium");
    arrowBoard(out, post, 2.15f, 2.4f, "old town");
    arrowBoard(out, post, 1.75f, -0.9f, "harbour");
    out.ok = m.layout(512, 512, 140);
}

void buildHangingSign(Built& out) {
    Mesh& m = out.mesh;
    const float z = 7.05f;
    const Vec3 a{-1, 0, 0}; // along the arm, out from the wall
    // The arm with a brace below it, and the ring at its end.
    m.box({15.0f, 3.55f, z - 0.04f}, {kFacadeX, 3.65f, z + 0.04f}, Iron, 0);
    m.prism({0.f, 0.f, 0.08f, 0.f, 1.5f, 1.15f, 1.45f, 1.2f}, {kFacadeX, 2.45f, z + 0.03f}, a, kUp, 0.06f, Iron, 0);
    m.frustum(15.1f, z, 3.5f, 0.08f, 3.7f, 0.08f, 6, Gold, 0);
    // Chains and the board.
    for (float x : {15.45f, 16.75f})
        m.box({x - 0.02f, 3.3f, z - 0.02f}, {x + 0.02f, 3.55f, z + 0.02f}, Iron, 0);
    m.orientedBox({16.1f, 2.65f, z}, a, kUp, {0.72f, 0.62f, 0.05f}, Board, 0);
    const int faces = static_cast<int>(m.faceCount());
    out.labels.push_back({faces - 2, {"the", "inky quill"}, 0.24f, art::kInk, false});
    out.labels.push_back({faces - 1, {"the", "inky quill"}, 0.24f, art::kInk, false});
    m.orientedBox({16.1f, 2.65f, z}, a, kUp, {0.78f, 0.68f, 0.035f}, Gold, 0);
    out.ok = m.layout(512, 512, 150);
}

void buildAdvert(Built& out) {
    Mesh& m = out.mesh;
    const float z = 8.98f, x0 = 15.25f, y0 = 14.3f, y1 = 20.95f;
    const Vec3 a{-1, 0, 0};
    m.orientedBox({(x0 + kFacadeX) / 2 - 0.1f, (y0 + y1) / 2, z}, a, kUp, {(kFacadeX - x0) / 2 - 0.15f, (y1 - y0) / 2, 0.08f},
                  Board, 0);
    const int faces = static_cast<int>(m.faceCount());
    out.labels.push_back({faces - 2, {"I", "N", "K", "&", "Q", "U", "I", "L", "L"}, 0.1f, art::kFlare, true});
    out.labels.push_back({faces - 1, {"I", "N", "K", "&", "Q", "U", "I", "L", "L"}, 0.1f, art::kFlare, true});
    // Iron frame and the two brackets that hold it off the wall.
    m.box({x0 - 0.08f, y0 - 0.1f, z - 0.1f}, {kFacadeX - 0.1f, y0, z + 0.1f}, Iron, 0);
    m.box({x0 - 0.08f, y1, z - 0.1f}, {kFacadeX, y1 + 0.12f, z + 0.1f}, Iron, 0);
    m.box({x0 - 0.1f, y0 - 0.1f, z - 0.1f}, {x0, y1 + 0.12f, z + 0.1f}, Iron, 0);
    m.frustum(x0 + 0.5f, z, y1 + 0.12f, 0.12f, y1 + 0.35f, 0.f, 6, Gold, 0);
    m.frustum(x0 + 1.3f, z, y1 + 0.12f, 0.12f, y1 + 0.35f, 0.f, 6, Gold, 0);
    out.ok = m.layout(512, 1024, 110);
}

void buildLeftHouse(Built& out) {
    Mesh& m = out.mesh;
    const Building& tall = buildings()[1];
    const Vec3 west{-1, 0, 0};
    // The street wall: stone ground floor, plaster above, with timber framing.
    const float g = kTerraceY - 0.05f;
    m.quad({kFacadeX, g, kTallZ0}, {kFacadeX, g, kTallZ1}, {kFacadeX, kShopTop, kTallZ1}, {kFacadeX, kShopTop, kTallZ0},
           Ashlar, 1, 1.2f);
    m.quad({kFacadeX, kShopTop, kTallZ0}, {kFacadeX, kShopTop, kTallZ1}, {kFacadeX, kEaveY, kTallZ1},
           {kFacadeX, kEaveY, kTallZ0}, Plaster, 1, 1.2f);
    std::vector<float> beams;
    for (int k = 0; k <= kUpperStoreys; ++k)
        beams.push_back(kShopTop + kStorey * k);
    timberFrame(m, {kFacadeX, 0, 0}, west, {1.15f, 4.45f, 7.9f, 12.35f, 15.45f, 18.1f, 21.0f, 23.85f}, kShopTop,
                kCorniceY, beams, kTallZ0, kTallZ1, 1, 1.2f);
    // String course over the shop floor.
    m.box({kFacadeX - 0.22f, kShopTop - 0.2f, kTallZ0 - 0.1f}, {kFacadeX, kShopTop + 0.1f, kTallZ1 + 0.1f}, Ashlar, 1);
    // The other walls and the gable ends.
    m.quad({kTallBackX, g, kTallZ1}, {kTallBackX, g, kTallZ0}, {kTallBackX, kEaveY, kTallZ0},
           {kTallBackX, kEaveY, kTallZ1}, Plaster, 1, 0.4f);
    m.face({{kTallBackX, g, kTallZ0}, {kFacadeX, g, kTallZ0}, {kFacadeX, kEaveY, kTallZ0}, {kRidgeX, kRidgeY, kTallZ0},
            {kTallBackX, kEaveY, kTallZ0}},
           Plaster, 1, 0.7f);
    m.face({{kFacadeX, g, kTallZ1}, {kTallBackX, g, kTallZ1}, {kTallBackX, kEaveY, kTallZ1}, {kRidgeX, kRidgeY, kTallZ1},
            {kFacadeX, kEaveY, kTallZ1}},
           Plaster, 1, 0.7f);
    // Corner posts down the gable ends.
    for (float z : {kTallZ0, kTallZ1})
        m.box({kFacadeX - 0.1f, kShopTop, z - 0.15f}, {kFacadeX + 0.3f, kCorniceY, z + 0.15f}, Timber, 1);
    // Beyond and before the tall house: two smaller gabled houses with their roofs.
    gabledHouse(m, &m, buildings()[2], 2, 25.f, false, Plaster, RedTiles, 0.5f);
    timberFrame(m, {12.5f, 0, 0}, west, {26.3f, 30.f, 33.f, 36.f, 39.7f}, kSquareY, 16.f, {5.4f, 8.7f, 12.f, 16.f},
                26.f, 40.f, 2, 0.5f);
    gabledHouse(m, &m, buildings()[3], 3, 29.f, true, Plaster, Slate, 0.4f);
    (void)tall;
    out.ok = m.layout(2048, 2048, 60);
}

void buildLeftRoof(Built& out) {
    Mesh& m = out.mesh;
    const float slope = (kRidgeY - kEaveY) / (kRidgeX - kFacadeX), over = 0.7f, t = 0.45f;
    const float ex0 = kFacadeX - over, ey = kEaveY - over * slope, ex1 = kTallBackX + over;
    m.extrudeZ({ex0, ey, kRidgeX, kRidgeY + t, ex1, ey, ex1, ey - t, kRidgeX, kRidgeY, ex0, ey - t}, kTallZ0 - 0.7f,
               kTallZ1 + 0.7f, Slate, 1, 1.f);
    // Ridge cap.
    m.box({kRidgeX - 0.3f, kRidgeY + 0.2f, kTallZ0 - 0.75f}, {kRidgeX + 0.3f, kRidgeY + 0.65f, kTallZ1 + 0.75f}, Copper, 1,
          0, 0.6f);
    // Two dormers on the street side.
    for (float zc : {6.f, 18.5f}) {
        const float x = 24.f, base = kEaveY + (x - kFacadeX) * slope;
        m.box({x - 2.2f, base - 2.6f, zc - 1.3f}, {x, base + 2.2f, zc + 1.3f}, Plaster, 1, 2, 1.f);
        m.extrudeZ({x - 2.5f, base + 2.1f, x + 1.0f, base + 4.0f, x + 1.0f, base + 3.6f, x - 2.5f, base + 1.75f},
                   zc - 1.6f, zc + 1.6f, Slate, 1);
        Window w{{x - 2.2f, base + 0.9f, zc}, {-1, 0, 0}, 1.2f, 1.6f, zc > 10, false, 15};
        window(m, w, 1, 1.f);
    }
    out.ok = m.layout(2048, 1024, 40);
}

void buildRoofLip(Built& out) {
    Mesh& m = out.mesh;
    // The cornice: stone mouldings stepping out from the wall, and on them a copper
    // gutter with a flared lip along the eave.
    const float z0 = kTallZ0 - 0.7f, z1 = kTallZ1 + 0.7f;
    m.extrudeZ({kFacadeX + 0.1f, kCorniceY, 16.75f, kCorniceY, 16.75f, 37.3f, 16.05f, 37.45f, 16.05f, 37.95f, 15.2f,
                38.15f, 15.2f, 39.2f, kFacadeX + 0.1f, 39.2f},
               z0, z1, Ashlar, 1, 1.f);
    m.extrudeZ({15.2f, 39.2f, 14.9f, 40.25f, 15.2f, 40.45f, 15.8f, 39.75f, kFacadeX + 0.3f, 39.6f, kFacadeX + 0.1f, 39.2f},
               z0, z1, Copper, 1, 1.f);
    // Dentils under the top moulding.
    for (float z = z0 + 0.3f; z < z1 - 0.2f; z += 0.55f)
        m.box({15.75f, 37.95f, z}, {16.05f, 38.15f, z + 0.25f}, Ashlar, 1, 0, 0.5f);
    // Corbels under it.
    for (float z = kTallZ0 + 0.6f; z < kTallZ1; z += 1.6f)
        m.prism({0.f, 0.f, 0.f, -0.9f, 0.5f, 0.f}, {kFacadeX, kCorniceY, z + 0.15f}, {-1, 0, 0}, kUp, 0.3f, Ashlar, 1);
    // A gargoyle spout over the corner of the terrace.
    m.prism({-0.3f, -0.25f, 0.3f, -0.25f, 0.25f, 0.3f, -0.25f, 0.3f}, {14.3f, 40.6f, 17.05f}, {0, 0, 1}, kUp, 3.7f,
            Ashlar, 1);
    m.frustum(10.7f, 17.05f, 40.8f, 0.32f, 41.45f, 0.05f, 6, Ashlar, 1);
    out.ok = m.layout(1024, 1024, 40);
}

void buildChimney(Built& out) {
    Mesh& m = out.mesh;
    const float cx = 34.126f, cz = 21.088f;
    m.box({cx - 1.1f, 54.f, cz - 1.1f}, {cx + 1.1f, 63.1f, cz + 1.1f}, Brick, 0, 4);
    m.box({cx - 1.3f, 62.4f, cz - 1.3f}, {cx + 1.3f, 62.7f, cz + 1.3f}, Ashlar, 0, 0);
    m.box({cx - 1.3f, 63.1f, cz - 1.3f}, {cx + 1.3f, 63.45f, cz + 1.3f}, Ashlar, 0, 0);
    m.frustum(cx, cz, 63.45f, 0.42f, 64.f, 0.34f, 10, Soot, 0, false, true);
    m.frustum(cx + 0.75f, cz - 0.6f, 63.45f, 0.3f, 63.85f, 0.25f, 10, Soot, 0, false, true);
    out.ok = m.layout(512, 512, 60);
}

void buildWimpel(Built& out) {
    Mesh& m = out.mesh;
    // On the gable of the brick house across the street, streaming over the street.
    const float x = -3.0f, z = 22.f, y0 = 12.8f, y1 = 17.5f;
    m.frustum(x, z, y0, 0.07f, y1, 0.05f, 6, Iron, 0, false, true);
    m.frustum(x, z, y1, 0.14f, y1 + 0.2f, 0.f, 6, Gold, 0);
    const int segments = 8;
    const float len = 3.2f;
    std::vector<Vec3> top, bottom;
    for (int i = 0; i <= segments; ++i) {
        float u = static_cast<float>(i) / segments;
        float px = x + 0.08f + u * len;
        float pz = z + 0.28f * std::sin(u * 7.f) * u;
        float mid = y1 - 0.55f - 0.35f * u * u;
        float half = 0.45f * (1.f - u) + 0.02f;
        top.push_back({px, mid + half, pz});
        bottom.push_back({px, mid - half, pz});
    }
    for (int i = 0; i < segments; ++i) {
        m.quad(bottom[i], bottom[i + 1], top[i + 1], top[i], Pennant, 0);
        m.quad(top[i], top[i + 1], bottom[i + 1], bottom[i], Pennant, 0);
    }
    out.ok = m.layout(512, 512, 100);
}

void buildRightHouse(Built& out) {
    Mesh& m = out.mesh;
    const auto& b = buildings();
    const Vec3 east{1, 0, 0};
    gabledHouse(m, &m, b[4], 4, 15.5f, true, Plaster, RedTiles, 0.8f);
    timberFrame(m, {-3.5f, 0, 0}, east, {5.15f, 8.1f, 11.7f, 13.9f, 16.85f}, kPavementY, 10.5f, {3.55f, 6.95f, 10.35f},
                5.f, 17.f, 4, 0.8f);
    gabledHouse(m, &m, b[5], 5, 13.5f, false, Brick, Slate, 0.7f);
    gabledHouse(m, &m, b[6], 6, 17.f, true, Plaster, Slate, 0.6f);
    gabledHouse(m, &m, b[7], 7, 13.5f, true, Ashlar, RedTiles, 0.6f);
    gabledHouse(m, &m, b[8], 8, 22.f, true, Brick, RedTiles, 0.45f);
    // The church tower at the end of the street, with a copper spire.
    const Building& t = b[9];
    m.box({t.x0, t.ground - 0.05f, t.z0}, {t.x1, t.eave, t.z1}, Ashlar, 9, 8, 0.3f);
    m.box({t.x0 - 0.4f, t.eave, t.z0 - 0.4f}, {t.x1 + 0.4f, t.eave + 0.8f, t.z1 + 0.4f}, Ashlar, 9, 0, 0.3f);
    m.frustum((t.x0 + t.x1) / 2, (t.z0 + t.z1) / 2, t.eave + 0.8f, 4.9f, 68.f, 0.f, 8, Copper, 9, false, false, 0.3f);
    // Far houses: silhouettes against the sky for the descent.
    for (int i = 0; i < 12; ++i) {
        float x0 = -30.f + (i % 6) * 11.f + 3.f * hash(i, 1, 700), z0 = 60.f + (i / 6) * 16.f + 4.f * hash(i, 2, 700);
        float w = 7.f + 3.f * hash(i, 3, 700), d = 8.f + 4.f * hash(i, 4, 700);
        if (x0 + w > 18.f && x0 < 29.f && z0 < 67.f)
            x0 -= 14.f; // keep clear of the church
        float eave = 10.f + 14.f * hash(i, 5, 700);
        Building far{x0, x0 + w, z0, z0 + d, kSquareY, eave, {1, 1, 1, 1}};
        gabledHouse(m, &m, far, 0, eave + 4.f + 3.f * hash(i, 6, 700), i % 2 == 0, i % 3 ? Plaster : Brick,
                    i % 2 ? Slate : RedTiles, 0.12f);
    }
    out.ok = m.layout(1024, 1024, 40);
}

void buildLittleWall(Built& out) {
    Mesh& m = out.mesh;
    // The terrace's retaining wall with coping stones, following its edge.
    const float edge[][2] = {{17.2f, -3.f}, {11.9f, -3.f}, {11.75f, 4.4f}, {11.45f, 7.f}, {10.f, 9.2f}, {8.f, 12.f},
                             {7.f, 26.f},   {12.5f, 26.f}};
    const size_t n = sizeof(edge) / sizeof(edge[0]);
    for (size_t i = 0; i + 1 < n; ++i) {
        Vec3 p{edge[i][0], 0, edge[i][1]}, q{edge[i + 1][0], 0, edge[i + 1][1]};
        Vec3 d = normalize(q - p), out_ = cross(d, kUp);
        float len = std::sqrt(dot(q - p, q - p));
        Vec3 mid = (p + q) * 0.5f;
        m.orientedBox(mid + kUp * ((kSquareY + 0.6f) / 2) - out_ * 0.15f, d * -1.f, kUp,
                      {len / 2, (0.6f - kSquareY) / 2 + 0.05f, 0.15f}, Ashlar, 0, 2.f);
        m.orientedBox(mid + kUp * 0.68f - out_ * 0.12f, d * -1.f, kUp, {len / 2 + 0.1f, 0.08f, 0.24f}, Kerb, 0, 2.f);
    }
    // A low wall stepping up along the side street across the road.
    const float steps[][3] = {{-5.5f, -7.5f, 0.42f}, {-7.5f, -12.f, 0.56f}};
    for (const auto& s : steps) {
        m.box({s[1], kPavementY - 0.02f, 0.4f}, {s[0], s[2] - 0.08f, 0.9f}, Ashlar, 0, 0, 2.f);
        m.box({s[1] - 0.05f, s[2] - 0.08f, 0.33f}, {s[0] + 0.05f, s[2], 0.97f}, Kerb, 0, 0, 2.f);
    }
    out.ok = m.layout(1024, 1024, 60);
}

void buildWalkway(Built& out) {
    Mesh& m = out.mesh;
    // Pavements: flagstone tops, kerb sides.
    auto slab = [&](Vec3 lo, Vec3 hi, float density) {
        m.box(lo, hi, Kerb, 0, 4 | 8, density);
        m.box(lo, hi, Flags, 0, 1 | 2 | 4 | 16 | 32, density);
    };
    slab({-14.f, -0.02f, -20.f}, {-1.15f, kPavementY, 3.9f}, 1.f);
    slab({-14.f, -0.02f, 3.9f}, {0.1f, kPavementY, 44.f}, 1.f);
    slab({5.5f, -0.02f, -20.f}, {30.f, kSquareY, 44.f}, 1.f);
    // The terrace top, bounded by its wall.
    std::vector<Vec3> terrace = {{17.3f, kTerraceY, -3.f}, {11.9f, kTerraceY, -3.f}, {11.75f, kTerraceY, 4.4f},
                                 {11.45f, kTerraceY, 7.f}, {10.f, kTerraceY, 9.2f},  {8.f, kTerraceY, 12.f},
                                 {7.f, kTerraceY, 26.f},   {17.3f, kTerraceY, 26.f}};
    m.faceToward(terrace, kUp, Flags, 0, 1.f);
    out.ok = m.layout(1024, 1024, 30);
}

void buildStreet(Built& out) {
    Mesh& m = out.mesh;
    // Cobbles: fine where the camera walks, coarse further out.
    auto ground = [&](float x0, float z0, float x1, float z1, float density) {
        m.faceToward({{x0, 0, z0}, {x1, 0, z0}, {x1, 0, z1}, {x0, 0, z1}}, kUp, Cobble, 0, density);
    };
    ground(-2.f, -20.f, 6.f, 20.f, 1.f);
    ground(-2.f, 20.f, 6.f, 46.f, 0.35f);
    ground(-60.f, -60.f, -2.f, 110.f, 0.1f);
    ground(6.f, -60.f, 90.f, 110.f, 0.1f);
    ground(-2.f, 46.f, 6.f, 110.f, 0.15f);
    ground(-2.f, -60.f, 6.f, -20.f, 0.15f);
    // The drain the trails rise from.
    m.frustum(1.f, 2.8f, -0.01f, 0.5f, 0.02f, 0.5f, 16, Iron, 0, false, true, 1.5f);
    out.ok = m.layout(1024, 1024, 40);
}

// --- painting -------------------------------------------------------------------------

using Builder = void (*)(Built&);

struct PartSpec {
    const char* stem;
    const char* texture;
    Builder build;
    int width, height; // texture size
};

const PartSpec kParts[] = {
    {"1stdoor", "diff-final-1stdoor.png", buildFirstDoor, 512, 512},
    {"2nddoor", "diff-final-2nddoor.png", buildSecondDoor, 512, 512},
    {"bottom-windows-left", "diff-final-bottom-windows-left.png", buildBottomWindows, 1024, 1024},
    {"direction-sign", "diff-final-direction-sign.png", buildDirectionSign, 512, 512},
    {"hangingsign", "diff-final-hangingsign.png", buildHangingSign, 512, 512},
    {"left-house", "diff-final-left-house.png", buildLeftHouse, 2048, 2048},
    {"littlewall", "diff-final-littlewall.png", buildLittleWall, 1024, 1024},
    {"right-house", "diff-final-right-house.png", buildRightHouse, 1024, 1024},
    {"sign-advert", "diff-final-sign-advert.png", buildAdvert, 512, 1024},
    {"street", "diff-final-street.png", buildStreet, 1024, 1024},
    {"top-windows-left", "diff-final-top-windows-left.png", buildTopWindows, 2048, 2048},
    {"walkway", "ao-final-walkway.png", buildWalkway, 1024, 1024},
    {"windows-right", "diff-final-windows-right.png", buildRightWindows, 1024, 1024},
    {"wimpel", "diff-final-wimpel.png", buildWimpel, 512, 512},
    {"chimney", "diff-final-chimney.png", buildChimney, 512, 512},
    {"left-roof", "diff-final-left-roof.png", buildLeftRoof, 2048, 1024},
    {"rooflip", "diff-final-rooflip.png", buildRoofLip, 1024, 1024},
};
constexpr int kPartCount = sizeof(kParts) / sizeof(kParts[0]);

// Each part is built once and shared by its model and its texture.
const Built& builtPart(int index) {
    static std::mutex guard;
    static std::map<int, std::unique_ptr<Built>> cache;
    std::lock_guard<std::mutex> lock(guard);
    auto& slot = cache[index];
    if (!slot) {
        slot = std::make_unique<Built>();
        kParts[index].build(*slot);
    }
    return *slot;
}

bool isWall(int material) { return material == Plaster || material == Brick || material == Ashlar; }

Color townTexel(const MeshFace& f, float s, float t, Vec3 p, const std::vector<Glow>& nearby) {
    Color a = albedo(f.material, f, s, t, p);
    if (f.material == GlassLit)
        return a; // lit windows shine by themselves
    const Building& b = buildings()[static_cast<size_t>(f.tag) < buildings().size() ? f.tag : 0];
    if (isWall(f.material) && f.tag > 0)
        a = {a.r * b.tint.r, a.g * b.tint.g, a.b * b.tint.b, 1};
    Color c = light(a, f, p, groundAt(p.x, p.z), f.tag > 0 ? b.eave : 1e9f, nearby);
    if (f.normal.y > 0.9f && p.y < 1.f) {
        float ao = 0.45f + 0.55f * smoothstep(0.f, 1.6f, wallDistance(p.x, p.z));
        c = {c.r * ao, c.g * ao, c.b * ao, 1};
    }
    return c;
}

bool drawLabels(Canvas& canvas, const Built& built, std::string& error) {
    for (const Label& l : built.labels) {
        const MeshFace& f = built.mesh.faceAt(static_cast<size_t>(l.face));
        const float cx = f.chartX + f.chartW * 0.5f;
        const int lines = static_cast<int>(l.lines.size());
        const int size = std::max(6, static_cast<int>(f.chartH * l.size));
        TextStyle style{art::kLogoFont, size, 0.05f};
        if (!l.stacked && lines == 1) {
            TextBox box;
            if (!measureText(style, l.lines[0], box, error))
                return false;
            if (box.advance > f.chartW * 0.8f)
                style.size = std::max(6, static_cast<int>(size * f.chartW * 0.8f / box.advance));
        }
        const float lineHeight = style.size * (l.stacked ? 1.05f : 1.15f);
        const float top = f.chartY + f.chartH * 0.5f - lineHeight * lines * 0.5f + style.size * 0.8f;
        for (int i = 0; i < lines; ++i) {
            TextStyle s = style;
            if (!l.stacked && lines > 1 && i == 0)
                s = {art::kSerifFont, static_cast<int>(size * 0.7f), 0.f};
            if (!drawText(canvas, s, l.lines[static_cast<size_t>(i)], cx, top + lineHeight * i, Anchor::Centre, l.colour,
                          error))
                return false;
        }
    }
    return true;
}

// Every glow that can reach the face.
std::vector<std::vector<Glow>> glowsByFace(const Mesh& mesh) {
    std::vector<std::vector<Glow>> out(mesh.faceCount());
    for (size_t i = 0; i < mesh.faceCount(); ++i) {
        const MeshFace& f = mesh.faceAt(i);
        Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
        for (const Vec3& p : f.outline) {
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
        for (const Glow& g : glows()) {
            float r = g.radius * 3.f;
            if (g.centre.x > lo.x - r && g.centre.x < hi.x + r && g.centre.y > lo.y - r && g.centre.y < hi.y + r &&
                g.centre.z > lo.z - r && g.centre.z < hi.z + r)
                out[i].push_back(g);
        }
    }
    return out;
}

std::string countNote(const Mesh& mesh) {
    return std::to_string(mesh.vertexCount()) + " vertices, " + std::to_string(mesh.faceCount()) + " faces";
}

} // namespace

int townPartCount() { return kPartCount; }

bool makeTownModel(int index, const std::string& path, std::string& note, std::string& error) {
    const Built& built = builtPart(index);
    if (!built.ok) {
        error = std::string("the charts of ") + kParts[index].stem + " do not fit its texture";
        return false;
    }
    if (!writeText(path, built.mesh.modelText(true), error))
        return false;
    note = countNote(built.mesh);
    return true;
}

bool makeTownTexture(int index, const std::string& path, std::string& note, std::string& error) {
    const Built& built = builtPart(index);
    if (!built.ok) {
        error = std::string("the charts of ") + kParts[index].stem + " do not fit its texture";
        return false;
    }
    Canvas canvas(kParts[index].width, kParts[index].height);
    canvas.fill(Color{0.1f, 0.1f, 0.12f, 1});
    const auto nearby = glowsByFace(built.mesh);
    built.mesh.paint(canvas, [&nearby](const MeshFace& f, float s, float t, Vec3 p) {
        return townTexel(f, s, t, p, nearby[static_cast<size_t>(f.index)]);
    });
    if (!drawLabels(canvas, built, error))
        return false;
    if (!savePng(canvas, path, 3, 0x7000 + static_cast<std::uint64_t>(index), error))
        return false;
    note = std::to_string(canvas.width()) + "x" + std::to_string(canvas.height()) + " RGB, " +
           std::to_string(static_cast<int>(built.mesh.pixelsPerUnit())) + " px/unit";
    return true;
}

} // namespace qelFramework::forge

namespace qelFramework::forge {

template <int I>
bool makeTownModelFile(const std::string& path, std::string& note, std::string& error) {
    return makeTownModel(I, path, note, error);
}
template <int I>
bool makeTownTextureFile(const std::string& path, std::string& note, std::string& error) {
    return makeTownTexture(I, path, note, error);
}

#define QM_TOWN_PART(I)                                                                                                \
    template bool makeTownModelFile<I>(const std::string&, std::string&, std::string&);                               \
    template bool makeTownTextureFile<I>(const std::string&, std::string&, std::string&);
QM_TOWN_PART(0)
QM_TOWN_PART(1)
QM_TOWN_PART(2)
QM_TOWN_PART(3)
QM_TOWN_PART(4)
QM_TOWN_PART(5)
QM_TOWN_PART(6)
QM_TOWN_PART(7)
QM_TOWN_PART(8)
QM_TOWN_PART(9)
QM_TOWN_PART(10)
QM_TOWN_PART(11)
QM_TOWN_PART(12)
QM_TOWN_PART(13)
QM_TOWN_PART(14)
QM_TOWN_PART(15)
QM_TOWN_PART(16)
#undef QM_TOWN_PART

} // namespace qelFramework::forge
