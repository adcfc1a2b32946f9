#include "Mesh.h"

#include "platform/Paths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

namespace qelFramework::forge {

Vec3 normalize(Vec3 v) {
    float l = std::sqrt(dot(v, v));
    return l > 0 ? v * (1.f / l) : Vec3{};
}

namespace {

struct P2 {
    float s, t;
};

float cross2(P2 o, P2 a, P2 b) { return (a.s - o.s) * (b.t - o.t) - (a.t - o.t) * (b.s - o.s); }

bool inside(P2 p, P2 a, P2 b, P2 c) {
    return cross2(a, b, p) >= 0 && cross2(b, c, p) >= 0 && cross2(c, a, p) >= 0;
}

// Ear clipping of a counter-clockwise simple polygon; indices three per triangle.
std::vector<int> triangulate(const std::vector<P2>& pts) {
    std::vector<int> out, left(pts.size());
    for (size_t i = 0; i < pts.size(); ++i)
        left[i] = static_cast<int>(i);
    size_t guard = 0;
    while (left.size() > 3 && guard++ < 10000) {
        bool clipped = false;
        for (size_t i = 0; i < left.size(); ++i) {
            int a = left[(i + left.size() - 1) % left.size()], b = left[i], c = left[(i + 1) % left.size()];
            if (cross2(pts[a], pts[b], pts[c]) <= 1e-9f)
                continue;
            bool empty = true;
            for (int k : left)
                if (k != a && k != b && k != c && inside(pts[k], pts[a], pts[b], pts[c])) {
                    empty = false;
                    break;
                }
            if (!empty)
                continue;
            out.insert(out.end(), {a, b, c});
            left.erase(left.begin() + static_cast<long>(i));
            clipped = true;
            break;
        }
        if (!clipped) // degenerate rest: fan it
            break;
    }
    for (size_t i = 1; i + 1 < left.size(); ++i)
        out.insert(out.end(), {left[0], left[i], left[i + 1]});
    return out;
}

void appendFloat(std::string& s, float v) {
    char buffer[32];
    if (std::fabs(v) < 5e-6f)
        v = 0;
    int n = std::snprintf(buffer, sizeof(buffer), "%.5g ", v);
    s.append(buffer, static_cast<size_t>(n));
}

} // namespace

int Mesh::face(const std::vector<Vec3>& outline, int material, int tag, float faceDensity, Vec3 uHint) {
    MeshFace f;
    f.outline = outline;
    f.material = material;
    f.tag = tag;
    f.density = faceDensity;
    // Newell's normal copes with concave outlines.
    Vec3 n;
    for (size_t i = 0; i < outline.size(); ++i) {
        Vec3 a = outline[i], b = outline[(i + 1) % outline.size()];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    f.normal = normalize(n);
    const Vec3 up{0, 1, 0};
    if (dot(uHint, uHint) > 0) {
        f.uAxis = normalize(uHint - f.normal * dot(f.normal, uHint));
        f.vAxis = cross(f.normal, f.uAxis);
    } else {
        // Up the slope; on faces that are nearly flat, towards +z (-z facing down), both
        // kept in the face's plane.
        Vec3 toward = std::fabs(f.normal.y) > 0.95f ? Vec3{0, 0, f.normal.y > 0 ? 1.f : -1.f} : up;
        Vec3 v = normalize(toward - f.normal * dot(f.normal, toward));
        f.vAxis = v;
        f.uAxis = cross(v, f.normal);
    }
    f.planeOffset = dot(outline[0], f.normal);
    std::vector<P2> pts;
    for (const Vec3& p : outline)
        pts.push_back({dot(p, f.uAxis), dot(p, f.vAxis)});
    f.triangles = triangulate(pts);
    f.index = static_cast<int>(faces.size());
    faces.push_back(std::move(f));
    return static_cast<int>(faces.size() - 1);
}

int Mesh::quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, int material, int tag, float faceDensity) {
    return face({a, b, c, d}, material, tag, faceDensity);
}

void Mesh::box(Vec3 lo, Vec3 hi, int material, int tag, int skip, float faceDensity) {
    const float x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
    if (!(skip & 1))
        quad({x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, material, tag, faceDensity);
    if (!(skip & 2))
        quad({x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, material, tag, faceDensity);
    if (!(skip & 4))
        quad({x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}, material, tag, faceDensity);
    if (!(skip & 8))
        quad({x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0}, material, tag, faceDensity);
    if (!(skip & 16))
        quad({x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, material, tag, faceDensity);
    if (!(skip & 32))
        quad({x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, material, tag, faceDensity);
}

namespace {

// Twice the signed area of a profile of (a, b) pairs, with a negated when flip is set.
float signedArea(const std::vector<float>& ab, bool flip) {
    const size_t n = ab.size() / 2;
    float area = 0;
    for (size_t i = 0; i < n; ++i) {
        float a0 = ab[i * 2], b0 = ab[i * 2 + 1], a1 = ab[(i + 1) % n * 2], b1 = ab[(i + 1) % n * 2 + 1];
        area += a0 * b1 - a1 * b0;
    }
    return flip ? -area : area;
}

std::vector<float> reversedPairs(const std::vector<float>& ab) {
    std::vector<float> out;
    for (size_t i = ab.size() / 2; i-- > 0;)
        out.insert(out.end(), {ab[i * 2], ab[i * 2 + 1]});
    return out;
}

} // namespace

void Mesh::extrudeZ(const std::vector<float>& profile, float z0, float z1, int material, int tag, float faceDensity,
                    bool caps) {
    const std::vector<float> xy = signedArea(profile, false) < 0 ? reversedPairs(profile) : profile;
    const size_t n = xy.size() / 2;
    for (size_t i = 0; i < n; ++i) {
        float ax = xy[i * 2], ay = xy[i * 2 + 1], bx = xy[(i + 1) % n * 2], by = xy[(i + 1) % n * 2 + 1];
        quad({ax, ay, z0}, {bx, by, z0}, {bx, by, z1}, {ax, ay, z1}, material, tag, faceDensity);
    }
    if (!caps)
        return;
    std::vector<Vec3> front, back;
    for (size_t i = 0; i < n; ++i) {
        front.push_back({xy[i * 2], xy[i * 2 + 1], z1});
        back.push_back({xy[(n - 1 - i) * 2], xy[(n - 1 - i) * 2 + 1], z0});
    }
    face(front, material, tag, faceDensity);
    face(back, material, tag, faceDensity);
}

void Mesh::extrudeX(const std::vector<float>& profile, float x0, float x1, int material, int tag, float faceDensity,
                    bool caps) {
    // Seen from +x, screen right is -z.
    const std::vector<float> zy = signedArea(profile, true) < 0 ? reversedPairs(profile) : profile;
    const size_t n = zy.size() / 2;
    for (size_t i = 0; i < n; ++i) {
        float az = zy[i * 2], ay = zy[i * 2 + 1], bz = zy[(i + 1) % n * 2], by = zy[(i + 1) % n * 2 + 1];
        quad({x0, ay, az}, {x0, by, bz}, {x1, by, bz}, {x1, ay, az}, material, tag, faceDensity);
    }
    if (!caps)
        return;
    std::vector<Vec3> front, back;
    for (size_t i = 0; i < n; ++i) {
        front.push_back({x1, zy[i * 2 + 1], zy[i * 2]});
        back.push_back({x0, zy[(n - 1 - i) * 2 + 1], zy[(n - 1 - i) * 2]});
    }
    face(front, material, tag, faceDensity);
    face(back, material, tag, faceDensity);
}

void Mesh::prism(const std::vector<float>& profile, Vec3 origin, Vec3 axisA, Vec3 axisB, float depth, int material,
                 int tag, float faceDensity) {
    const std::vector<float> ab = signedArea(profile, false) < 0 ? reversedPairs(profile) : profile;
    const Vec3 n = normalize(cross(axisA, axisB));
    const size_t count = ab.size() / 2;
    auto at = [&](size_t i, float d) { return origin + axisA * ab[i * 2] + axisB * ab[i * 2 + 1] + n * d; };
    for (size_t i = 0; i < count; ++i) {
        size_t j = (i + 1) % count;
        quad(at(i, 0), at(j, 0), at(j, depth), at(i, depth), material, tag, faceDensity);
    }
    std::vector<Vec3> front, back;
    for (size_t i = 0; i < count; ++i) {
        front.push_back(at(i, depth));
        back.push_back(at(count - 1 - i, 0));
    }
    face(front, material, tag, faceDensity);
    face(back, material, tag, faceDensity);
}

void Mesh::orientedBox(Vec3 c, Vec3 a, Vec3 b, Vec3 h, int material, int tag, float faceDensity) {
    const Vec3 n = normalize(cross(a, b));
    prism({-h.x, -h.y, h.x, -h.y, h.x, h.y, -h.x, h.y}, c - n * h.z, a, b, 2 * h.z, material, tag, faceDensity);
}

int Mesh::faceToward(std::vector<Vec3> outline, Vec3 direction, int material, int tag, float faceDensity) {
    int index = face(outline, material, tag, faceDensity);
    if (dot(faces[static_cast<size_t>(index)].normal, direction) >= 0)
        return index;
    faces.pop_back();
    std::reverse(outline.begin(), outline.end());
    return face(outline, material, tag, faceDensity);
}

void Mesh::frustum(float cx, float cz, float y0, float r0, float y1, float r1, int segments, int material, int tag,
                   bool bottomCap, bool topCap, float faceDensity) {
    std::vector<Vec3> top, bottom;
    for (int i = 0; i < segments; ++i) {
        float a0 = 6.2831853f * i / segments, a1 = 6.2831853f * (i + 1) / segments;
        Vec3 b0{cx + r0 * std::cos(a0), y0, cz + r0 * std::sin(a0)}, b1{cx + r0 * std::cos(a1), y0, cz + r0 * std::sin(a1)};
        Vec3 t0{cx + r1 * std::cos(a0), y1, cz + r1 * std::sin(a0)}, t1{cx + r1 * std::cos(a1), y1, cz + r1 * std::sin(a1)};
        if (r1 > 0 && r0 > 0)
            quad(b1, b0, t0, t1, material, tag, faceDensity);
        else if (r1 > 0)
            face({b0, t0, t1}, material, tag, faceDensity);
        else
            face({b1, b0, t0}, material, tag, faceDensity);
        top.push_back(t0);
        bottom.insert(bottom.begin(), b0);
    }
    if (topCap && r1 > 0) {
        std::reverse(top.begin(), top.end());
        face(top, material, tag, faceDensity);
    }
    if (bottomCap && r0 > 0) {
        std::reverse(bottom.begin(), bottom.end());
        face(bottom, material, tag, faceDensity);
    }
}

bool Mesh::layout(int atlasWidth, int atlasHeight, float wanted, int gutter) {
    atlasW = atlasWidth;
    atlasH = atlasHeight;
    gutterPixels = gutter;
    for (MeshFace& f : faces) {
        f.sMin = f.tMin = 1e30f;
        f.sMax = f.tMax = -1e30f;
        for (const Vec3& p : f.outline) {
            float s = dot(p, f.uAxis), t = dot(p, f.vAxis);
            f.sMin = std::min(f.sMin, s);
            f.sMax = std::max(f.sMax, s);
            f.tMin = std::min(f.tMin, t);
            f.tMax = std::max(f.tMax, t);
        }
    }
    std::vector<size_t> order(faces.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    for (density = wanted; density > 0.5f; density *= 0.93f) {
        for (MeshFace& f : faces) {
            f.pixelsPerUnit = density * f.density;
            f.chartW = std::max(1, static_cast<int>(std::ceil((f.sMax - f.sMin) * f.pixelsPerUnit)));
            f.chartH = std::max(1, static_cast<int>(std::ceil((f.tMax - f.tMin) * f.pixelsPerUnit)));
        }
        std::stable_sort(order.begin(), order.end(),
                         [this](size_t a, size_t b) { return faces[a].chartH > faces[b].chartH; });
        int x = 0, y = 0, shelf = 0;
        bool fits = true;
        for (size_t i : order) {
            MeshFace& f = faces[i];
            int w = f.chartW + 2 * gutter, h = f.chartH + 2 * gutter;
            if (w > atlasW) {
                fits = false;
                break;
            }
            if (x + w > atlasW) {
                x = 0;
                y += shelf;
                shelf = 0;
            }
            if (y + h > atlasH) {
                fits = false;
                break;
            }
            f.chartX = x + gutter;
            f.chartY = y + gutter;
            x += w;
            shelf = std::max(shelf, h);
        }
        if (fits)
            return true;
    }
    return false;
}

void Mesh::paint(Canvas& canvas, const FacePainter& painter) const {
    const int g = gutterPixels;
    auto work = [&](size_t first, size_t step) {
        for (size_t i = first; i < faces.size(); i += step) {
            const MeshFace& f = faces[i];
            for (int y = f.chartY - g; y < f.chartY + f.chartH + g; ++y)
                for (int x = f.chartX - g; x < f.chartX + f.chartW + g; ++x) {
                    if (x < 0 || y < 0 || x >= canvas.width() || y >= canvas.height())
                        continue;
                    float s = f.sMin + (x + 0.5f - f.chartX) / f.pixelsPerUnit;
                    float t = f.tMax - (y + 0.5f - f.chartY) / f.pixelsPerUnit;
                    Color c = painter(f, s, t, f.at(s, t));
                    float* p = canvas.pixel(x, y);
                    p[0] = c.r * c.a;
                    p[1] = c.g * c.a;
                    p[2] = c.b * c.a;
                    p[3] = c.a;
                }
        }
    };
    const size_t threads = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    std::vector<std::thread> pool;
    for (size_t k = 1; k < threads; ++k)
        pool.emplace_back(work, k, threads);
    work(0, threads);
    for (std::thread& t : pool)
        t.join();
}

int Mesh::vertexCount() const {
    size_t n = 0;
    for (const MeshFace& f : faces)
        n += f.triangles.size();
    return static_cast<int>(n);
}

std::string Mesh::modelText(bool mirrorX) const {
    const int n = vertexCount();
    std::string positions, uvs, normals, tangents, bitangents;
    auto direction = [mirrorX](std::string& out, Vec3 d) {
        if (mirrorX)
            d.x = -d.x;
        // The loader turns a stored (a, b, c) into (c, -b, -a).
        appendFloat(out, -d.z);
        appendFloat(out, -d.y);
        appendFloat(out, d.x);
    };
    for (const MeshFace& f : faces) {
        for (size_t k = 0; k < f.triangles.size(); k += 3) {
            int corner[3] = {f.triangles[k], f.triangles[k + 1], f.triangles[k + 2]};
            if (mirrorX) // keep the winding counter-clockwise from outside after the mirror
                std::swap(corner[1], corner[2]);
            for (int c : corner) {
                const Vec3& p = f.outline[static_cast<size_t>(c)];
                appendFloat(positions, mirrorX ? -p.x : p.x);
                appendFloat(positions, p.y);
                appendFloat(positions, p.z);
                float s = dot(p, f.uAxis), t = dot(p, f.vAxis);
                appendFloat(uvs, (f.chartX + (s - f.sMin) * f.pixelsPerUnit) / atlasW);
                appendFloat(uvs, (f.chartY + (f.tMax - t) * f.pixelsPerUnit) / atlasH);
                direction(normals, f.normal);
                direction(tangents, f.uAxis);
                direction(bitangents, f.vAxis);
            }
            positions += '\n';
        }
    }
    std::string text = "model 1\nvertices " + std::to_string(n) + "\npositions\n";
    text += positions;
    text += "\ntexcoords\n" + uvs + "\nnormals\n" + normals + "\ntangents\n" + tangents + "\nbitangents\n" + bitangents +
            "\n";
    return text;
}

bool writeText(const std::string& path, const std::string& text, std::string& error) {
    return platform::writeWholeFile(path, std::vector<unsigned char>(text.begin(), text.end()), error);
}

} // namespace qelFramework::forge
