#include "Dancer.h"
#include "Shaping.h"

#include <algorithm>
#include <cmath>

namespace qelFramework::forge {

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kFloor = -1.0f;
constexpr float kBodyX = -0.24f; // the dancer keeps left of the cut-away corner of the recording
constexpr float kBodyZ = 2.58f;

Vec3 normalize(Vec3 v) {
    float l = std::sqrt(dot(v, v));
    return l > 0 ? v * (1.0f / l) : v;
}
// Rodrigues' rotation of v about a unit axis.
Vec3 rotate(Vec3 v, Vec3 axis, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    return v * c + cross(axis, v) * s + axis * (dot(axis, v) * (1 - c));
}
// The part of v across `d`, at unit length (or `fallback` when v runs along d).
Vec3 across(Vec3 v, Vec3 d, Vec3 fallback) {
    Vec3 r = v - d * dot(v, d);
    return dot(r, r) > 1e-8f ? normalize(r) : fallback;
}

// Angles of the limbs and the trunk; blended linearly between the dance's phases.
struct Pose {
    float shiftX = 0, shiftZ = 0;        // pelvis offset from the dancer's spot
    float leanSide = 0, leanForward = 0; // trunk
    float twist = 0;                     // chest against the hips
    float headTilt = 0, headTurn = 0;    // tilt > 0 looks down
    // Per side (0 left, 1 right): raise forward, raise sideways, bend.
    float armFlex[2] = {}, armAbduct[2] = {}, elbow[2] = {};
    float legFlex[2] = {}, legAbduct[2] = {}, knee[2] = {};

    void add(const Pose& p, float w) {
        float* dst = &shiftX;
        const float* src = &p.shiftX;
        for (size_t i = 0; i < sizeof(Pose) / sizeof(float); ++i)
            dst[i] += src[i] * w;
    }
};

// The dance, 120 beats a minute. Each phase is a pose as a function of time.
Pose intro(float t) {
    Pose p;
    float u = smoothstep(0.f, 3.f, t);
    p.shiftX = 0.03f * std::sin(kPi * t * 0.7f);
    p.headTilt = 0.35f * (1 - u);
    for (int s = 0; s < 2; ++s) {
        p.armAbduct[s] = 0.15f + 0.5f * u;
        p.armFlex[s] = 0.4f * u;
        p.elbow[s] = 0.2f + 0.3f * u;
        p.knee[s] = 0.1f;
        p.legAbduct[s] = 0.03f;
    }
    return p;
}

Pose groove(float t) {
    Pose p;
    float beat = t * 2.f, phase = kPi * beat, side = std::sin(phase);
    float left = std::max(side, 0.f), right = std::max(-side, 0.f);
    p.shiftX = 0.06f * side;
    p.shiftZ = -0.05f * std::sin(phase * 0.5f);
    p.leanSide = 0.08f * side;
    p.twist = 0.3f * side;
    p.headTilt = -0.05f + 0.08f * std::sin(2 * phase);
    p.headTurn = 0.25f * side;
    p.armFlex[0] = 0.3f + 0.7f * side;
    p.armFlex[1] = 0.3f - 0.7f * side;
    for (int s = 0; s < 2; ++s) {
        p.armAbduct[s] = 0.35f;
        p.elbow[s] = 1.1f;
        p.knee[s] = 0.25f + 0.2f * std::fabs(std::sin(2 * phase));
    }
    p.legAbduct[0] = 0.05f + 0.2f * left;
    p.legFlex[0] = 0.35f * left * left;
    p.knee[0] += 0.4f * left * left;
    p.legAbduct[1] = 0.02f + 0.04f * right;
    p.legFlex[1] = 0.35f * right * right;
    p.knee[1] += 0.4f * right * right;
    return p;
}

Pose spin(float t) {
    Pose p;
    float u = std::clamp((t - 7.5f) / 2.2f, 0.f, 1.f), bump = std::sin(kPi * u);
    p.headTilt = -0.15f;
    for (int s = 0; s < 2; ++s) {
        p.armAbduct[s] = 1.45f;
        p.armFlex[s] = 0.1f;
        p.elbow[s] = 0.2f;
        p.knee[s] = 0.15f;
    }
    p.legFlex[0] = 0.9f * bump;
    p.knee[0] = 0.15f + 1.7f * bump;
    p.legAbduct[0] = 0.15f * bump;
    p.legAbduct[1] = 0.02f;
    return p;
}

Pose waves(float t) {
    Pose p;
    float beat = t * 2.f, wave = kPi * beat * 0.5f, s = std::sin(wave);
    p.leanSide = 0.15f * s;
    p.twist = 0.1f * std::sin(2 * wave);
    p.headTilt = -0.2f;
    p.headTurn = -0.3f * s;
    p.armAbduct[0] = 1.5f + 1.1f * (0.5f + 0.5f * s);
    p.armAbduct[1] = 1.5f + 1.1f * (0.5f - 0.5f * s);
    for (int k = 0; k < 2; ++k) {
        p.armFlex[k] = 0.2f;
        p.elbow[k] = 0.5f + 0.3f * std::sin(wave + k * kPi);
        p.knee[k] = 0.1f + 0.35f * (0.5f + 0.5f * std::cos(2 * kPi * beat));
        p.legAbduct[k] = 0.06f;
    }
    p.legAbduct[1] = 0.03f;
    return p;
}

Pose slowing(float t) {
    Pose p;
    float breath = std::sin(t * 1.7f);
    p.headTilt = -0.15f;
    p.leanSide = 0.05f * breath;
    for (int s = 0; s < 2; ++s) {
        p.armAbduct[s] = 1.0f + 0.15f * breath;
        p.armFlex[s] = 0.25f;
        p.elbow[s] = 0.3f;
        p.knee[s] = 0.12f;
    }
    p.legAbduct[0] = 0.1f;
    p.legAbduct[1] = 0.03f;
    return p;
}

// Opening out and coming to rest: arms wide and low, face up, legs a little apart.
Pose stillness(float t) {
    Pose p;
    float breath = 0.02f * std::sin(t * 1.3f);
    p.headTilt = -0.3f;
    for (int s = 0; s < 2; ++s) {
        p.armAbduct[s] = 0.8f + breath;
        p.armFlex[s] = 0.05f;
        p.elbow[s] = 0.15f;
        p.knee[s] = 0.04f;
    }
    p.legAbduct[0] = 0.13f;
    p.legAbduct[1] = 0.05f;
    return p;
}

// Weight of the phase that runs from a to b, cross-fading with its neighbours.
float window(float t, float a, float b) {
    const float fade = 0.45f;
    return smoothstep(a - fade, a + fade, t) * (1.f - smoothstep(b - fade, b + fade, t));
}

Pose poseAt(float t) {
    Pose p;
    p.add(intro(t), window(t, -10.f, 3.f));
    p.add(groove(t), window(t, 3.f, 7.5f));
    p.add(spin(t), window(t, 7.5f, 9.7f));
    p.add(waves(t), window(t, 9.7f, 12.3f));
    p.add(slowing(t), window(t, 12.3f, 14.8f));
    p.add(stillness(t), window(t, 14.8f, 100.f));
    return p;
}

// Turning about the vertical: a gentle swing in the groove, one full spin, a last look
// left and right while slowing down.
float yawAt(float t) {
    float yaw = 2 * kPi * smoothstep(7.5f, 9.7f, t);
    yaw += 0.25f * std::sin(kPi * t) * window(t, 3.f, 7.5f);
    yaw += 0.45f * std::sin(kPi * (t - 12.3f) / 1.25f) * window(t, 12.3f, 14.8f);
    return yaw;
}

Vec3 turnY(Vec3 v, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    return {v.x * c + v.z * s, v.y, -v.x * s + v.z * c};
}

BodyShape capsule(Vec3 a, Vec3 b, float r) {
    BodyShape s;
    s.kind = BodyShape::Capsule;
    s.a = a;
    s.b = b;
    s.radius = r;
    return s;
}

BodyShape ellipsoid(Vec3 centre, Vec3 x, Vec3 y, Vec3 z, float rx, float ry, float rz) {
    BodyShape s;
    s.kind = BodyShape::Ellipsoid;
    s.a = centre;
    s.axes[0] = x;
    s.axes[1] = y;
    s.axes[2] = z;
    s.radii[0] = rx;
    s.radii[1] = ry;
    s.radii[2] = rz;
    return s;
}

// A limb's direction from its joint: hanging along -up, raised forward by `flex` and out
// to the side by `abduct`.
Vec3 limbDirection(Vec3 up, Vec3 side, Vec3 forward, float flex, float abduct) {
    float ca = std::cos(abduct);
    return up * (-ca * std::cos(flex)) + side * std::sin(abduct) + forward * (ca * std::sin(flex));
}

} // namespace

std::vector<BodyShape> dancerAt(float seconds) {
    const Pose p = poseAt(seconds);
    const float yaw = yawAt(seconds);
    // The body's own axes: facing the camera at yaw 0, its left to the camera's right (-x).
    const Vec3 U{0, 1, 0};
    const Vec3 F = turnY({0, 0, -1}, yaw);
    const Vec3 L = turnY({-1, 0, 0}, yaw);
    const Vec3 spot{kBodyX + p.shiftX, 0, kBodyZ + p.shiftZ};

    // Legs first, relative to the pelvis, to find how high the pelvis stands.
    const float thigh = 0.43f, shin = 0.42f, ankle = 0.07f;
    Vec3 hip[2], knee[2], foot[2];
    float lowest = 0;
    for (int s = 0; s < 2; ++s) {
        float sign = s == 0 ? 1.f : -1.f;
        hip[s] = L * (0.09f * sign) - U * 0.06f;
        Vec3 d = limbDirection(U, L * sign, F, p.legFlex[s], p.legAbduct[s]);
        knee[s] = hip[s] + d * thigh;
        Vec3 bend = across(F * -1.f, d, F * -1.f);
        Vec3 sd = d * std::cos(p.knee[s]) + bend * std::sin(p.knee[s]);
        foot[s] = knee[s] + sd * shin;
        lowest = std::min(lowest, foot[s].y);
    }
    const Vec3 pelvis = spot + Vec3{0, kFloor + ankle - lowest, 0};

    std::vector<BodyShape> shapes;
    shapes.reserve(40);
    for (int s = 0; s < 2; ++s) {
        Vec3 h = pelvis + hip[s], k = pelvis + knee[s], a = pelvis + foot[s];
        Vec3 thighMid = h + (k - h) * 0.45f, calf = k + (a - k) * 0.35f;
        shapes.push_back(capsule(h, thighMid, 0.082f));
        shapes.push_back(capsule(thighMid, k, 0.06f));
        shapes.push_back(capsule(k, calf, 0.056f));
        shapes.push_back(capsule(calf, a, 0.04f));
        Vec3 toe = a + normalize(Vec3{F.x, 0, F.z}) * 0.15f - U * 0.035f;
        shapes.push_back(capsule(a - U * 0.02f - F * 0.03f, toe, 0.038f));
    }

    // Trunk: leaning spine, chest twisted against the hips.
    const Vec3 S = normalize(U + L * p.leanSide + F * p.leanForward);
    const Vec3 Lc = across(rotate(L, S, p.twist), S, L);
    const Vec3 Fc = cross(Lc, S);
    const Vec3 Lp = across(L, S, L), Fp = cross(Lp, S);
    // Hips, waist and rib cage overlap into one tapering trunk: separate round lumps
    // read as a snowman in the sparse cloud of sensor points.
    shapes.push_back(ellipsoid(pelvis - U * 0.02f, Lp, S, Fp, 0.155f, 0.13f, 0.105f));
    const Vec3 Lw = normalize(Lp + Lc), Fw = cross(Lw, S);
    shapes.push_back(ellipsoid(pelvis + S * 0.17f, Lw, S, Fw, 0.12f, 0.15f, 0.09f));
    shapes.push_back(ellipsoid(pelvis + S * 0.34f + Fc * 0.01f, Lc, S, Fc, 0.165f, 0.19f, 0.105f));
    const Vec3 neck = pelvis + S * 0.50f;
    shapes.push_back(capsule(neck - S * 0.05f + Lc * 0.17f, neck - S * 0.05f - Lc * 0.17f, 0.055f));

    // Head on a short neck, tilted and turned.
    Vec3 H = normalize(S * 1.f + Fc * (0.35f * p.headTilt));
    Vec3 Lh = across(rotate(Lc, H, p.headTurn), H, Lc), Fh = cross(Lh, H);
    Vec3 neckTop = neck + H * 0.06f;
    shapes.push_back(capsule(neck - S * 0.04f, neckTop, 0.047f));
    shapes.push_back(ellipsoid(neckTop + H * 0.10f + Fh * 0.01f, Lh, H, Fh, 0.078f, 0.105f, 0.095f));
    // Hair gathered at the back of the head.
    shapes.push_back(capsule(neckTop + H * 0.12f - Fh * 0.08f, neckTop + H * 0.02f - Fh * 0.11f, 0.045f));

    // Arms from the shoulders.
    for (int s = 0; s < 2; ++s) {
        float sign = s == 0 ? 1.f : -1.f;
        Vec3 shoulder = neck - S * 0.04f + Lc * (0.19f * sign);
        Vec3 d = limbDirection(S, Lc * sign, Fc, p.armFlex[s], p.armAbduct[s]);
        Vec3 elbow = shoulder + d * 0.29f;
        Vec3 bend = across(Fc + S * 0.3f, d, Fc);
        Vec3 fd = d * std::cos(p.elbow[s]) + bend * std::sin(p.elbow[s]);
        Vec3 wrist = elbow + fd * 0.26f;
        Vec3 side = across(Lc * sign, d, Fc);
        shapes.push_back(ellipsoid(shoulder + d * 0.04f, side, d, cross(side, d), 0.06f, 0.08f, 0.06f));
        shapes.push_back(capsule(shoulder, elbow, 0.047f));
        shapes.push_back(capsule(elbow, elbow + fd * 0.12f, 0.042f));
        shapes.push_back(capsule(elbow + fd * 0.12f, wrist, 0.032f));
        Vec3 palm = across(Fc, fd, side);
        shapes.push_back(ellipsoid(wrist + fd * 0.08f, cross(fd, palm), fd, palm, 0.045f, 0.085f, 0.02f));
    }
    return shapes;
}

namespace {

// The sensor's depth image: coarse enough that the points stand about 1.2 cm apart on
// the body and each sprite still reads as a spark of its own.
constexpr int kWidth = 320, kHeight = 240;
constexpr float kFocal = 220.f, kCentreX = 159.5f, kCentreY = 119.5f;
constexpr float kNormalNoise = 0.3f;

std::uint32_t hash(std::uint32_t a, std::uint32_t b) {
    std::uint64_t z = (static_cast<std::uint64_t>(a) << 32 | b) + 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<std::uint32_t>(z ^ (z >> 31));
}
float unit(std::uint32_t h) { return (h >> 8) * (1.f / 16777216.f); }

// Nearest hit along a unit ray from the origin, or -1.
float hitCapsule(Vec3 rd, const BodyShape& c) {
    Vec3 ba = c.b - c.a, oa = c.a * -1.f;
    float baba = dot(ba, ba), bard = dot(ba, rd), baoa = dot(ba, oa), rdoa = dot(rd, oa), oaoa = dot(oa, oa);
    float a = baba - bard * bard, b = baba * rdoa - baoa * bard, k = baba * oaoa - baoa * baoa - c.radius * c.radius * baba;
    if (a > 1e-9f) {
        float h = b * b - a * k;
        if (h < 0)
            return -1;
        float t = (-b - std::sqrt(h)) / a;
        float y = baoa + t * bard;
        if (y > 0 && y < baba)
            return t;
    }
    // The round ends.
    float best = -1;
    for (const Vec3& end : {c.a, c.b}) {
        Vec3 oc = end * -1.f;
        float bb = dot(rd, oc), cc = dot(oc, oc) - c.radius * c.radius, h = bb * bb - cc;
        if (h > 0) {
            float t = -bb - std::sqrt(h);
            if (t > 0 && (best < 0 || t < best))
                best = t;
        }
    }
    return best;
}

float hitEllipsoid(Vec3 rd, const BodyShape& e, Vec3& normal) {
    Vec3 o = e.a * -1.f;
    Vec3 ro{dot(o, e.axes[0]) / e.radii[0], dot(o, e.axes[1]) / e.radii[1], dot(o, e.axes[2]) / e.radii[2]};
    Vec3 d{dot(rd, e.axes[0]) / e.radii[0], dot(rd, e.axes[1]) / e.radii[1], dot(rd, e.axes[2]) / e.radii[2]};
    float a = dot(d, d), b = dot(ro, d), c = dot(ro, ro) - 1, h = b * b - a * c;
    if (h < 0)
        return -1;
    float t = (-b - std::sqrt(h)) / a;
    Vec3 q = ro + d * t;
    normal = normalize(e.axes[0] * (q.x / e.radii[0]) + e.axes[1] * (q.y / e.radii[1]) + e.axes[2] * (q.z / e.radii[2]));
    return t;
}

// Distance from p to the shape's surface (about, for ellipsoids); `away` gets the
// direction away from it, not at unit length.
float shapeDistance(Vec3 p, const BodyShape& s, Vec3& away) {
    if (s.kind == BodyShape::Capsule) {
        Vec3 ba = s.b - s.a, pa = p - s.a;
        float h = std::clamp(dot(pa, ba) / dot(ba, ba), 0.f, 1.f);
        away = pa - ba * h;
        return std::sqrt(dot(away, away)) - s.radius;
    }
    Vec3 q = p - s.a;
    Vec3 k{dot(q, s.axes[0]) / s.radii[0], dot(q, s.axes[1]) / s.radii[1], dot(q, s.axes[2]) / s.radii[2]};
    Vec3 k2{k.x / s.radii[0], k.y / s.radii[1], k.z / s.radii[2]};
    float k0 = std::sqrt(dot(k, k)), k1 = std::sqrt(dot(k2, k2));
    away = s.axes[0] * k2.x + s.axes[1] * k2.y + s.axes[2] * k2.z;
    return k1 > 0 ? k0 * (k0 - 1.f) / k1 : -s.radii[0];
}

struct Bound {
    Vec3 centre;
    float radius;
};

Bound boundOf(const BodyShape& s) {
    if (s.kind == BodyShape::Capsule)
        return {(s.a + s.b) * 0.5f, std::sqrt(dot(s.b - s.a, s.b - s.a)) * 0.5f + s.radius};
    return {s.a, std::max({s.radii[0], s.radii[1], s.radii[2]})};
}

// The normal of the shapes melted together: each nearby shape's direction weighted by
// how close its surface is, so joints shade smoothly instead of showing seams.
Vec3 blendedNormal(Vec3 p, const std::vector<BodyShape>& shapes, const std::vector<Bound>& bounds) {
    const float blend = 0.025f, reach = 6.f * blend;
    Vec3 sum;
    for (size_t i = 0; i < shapes.size(); ++i) {
        Vec3 c = p - bounds[i].centre;
        float r = bounds[i].radius + reach;
        if (dot(c, c) > r * r)
            continue;
        Vec3 away;
        float d = shapeDistance(p, shapes[i], away);
        if (d > reach)
            continue;
        sum = sum + normalize(away) * std::exp(-std::max(d, -0.05f) / blend);
    }
    return normalize(sum);
}

// The pixels a shape can cover, from its bounding sphere.
void pixelBounds(const Bound& b, int& x0, int& x1, int& y0, int& y1) {
    float z = std::max(b.centre.z - b.radius, 0.3f);
    float spread = kFocal * b.radius / z;
    float u = kCentreX - kFocal * b.centre.x / b.centre.z, v = kCentreY - kFocal * b.centre.y / b.centre.z;
    x0 = std::max(0, static_cast<int>(u - spread) - 1);
    x1 = std::min(kWidth - 1, static_cast<int>(u + spread) + 1);
    y0 = std::max(0, static_cast<int>(v - spread) - 1);
    y1 = std::min(kHeight - 1, static_cast<int>(v + spread) + 1);
}

} // namespace

void scanBody(const std::vector<BodyShape>& shapes, std::uint32_t seed, std::vector<MotionPoint>& points) {
    struct Sample {
        float t = 0;
        Vec3 normal;
    };
    static thread_local std::vector<Sample> depth;
    static thread_local std::vector<Vec3> rays;
    depth.resize(static_cast<size_t>(kWidth) * kHeight);
    rays.resize(depth.size());

    std::vector<Bound> bounds;
    for (const BodyShape& s : shapes)
        bounds.push_back(boundOf(s));
    // Only the pixels the body can cover are cleared and looked at.
    int left = kWidth, right = -1, top = kHeight, bottom = -1;
    for (const Bound& b : bounds) {
        int x0, x1, y0, y1;
        pixelBounds(b, x0, x1, y0, y1);
        left = std::min(left, x0);
        right = std::max(right, x1);
        top = std::min(top, y0);
        bottom = std::max(bottom, y1);
    }
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            size_t i = static_cast<size_t>(y) * kWidth + x;
            depth[i] = Sample{};
            // Each pixel looks through a jittered spot inside itself, so the samples do
            // not line up in rows when seen from elsewhere.
            std::uint32_t h = hash(seed, static_cast<std::uint32_t>(i));
            float jx = unit(h) - 0.5f, jy = unit(hash(h, 1)) - 0.5f;
            rays[i] = normalize({(kCentreX - (x + jx)) / kFocal, (kCentreY - (y + jy)) / kFocal, 1.f});
        }

    for (size_t k = 0; k < shapes.size(); ++k) {
        const BodyShape& s = shapes[k];
        int x0, x1, y0, y1;
        pixelBounds(bounds[k], x0, x1, y0, y1);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                size_t i = static_cast<size_t>(y) * kWidth + x;
                Vec3 n;
                float t = s.kind == BodyShape::Capsule ? hitCapsule(rays[i], s) : hitEllipsoid(rays[i], s, n);
                if (t <= 0 || (depth[i].t > 0 && depth[i].t <= t))
                    continue;
                depth[i] = {t, n};
            }
    }

    points.clear();
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            size_t i = static_cast<size_t>(y) * kWidth + x;
            if (depth[i].t <= 0)
                continue;
            // A little depth noise, as a real sensor gives.
            std::uint32_t h = hash(seed ^ 0x5EED5u, static_cast<std::uint32_t>(i));
            float noise = (unit(h) + unit(hash(h, 2)) - 1.f) * 0.004f;
            Vec3 p = rays[i] * (depth[i].t + noise);
            // Normals from a depth image are rough: each one wobbles a little.
            Vec3 wobble{unit(hash(h, 3)) - 0.5f, unit(hash(h, 4)) - 0.5f, unit(hash(h, 5)) - 0.5f};
            Vec3 n = normalize(blendedNormal(rays[i] * depth[i].t, shapes, bounds) + wobble * kNormalNoise);
            if (dot(n, rays[i]) > -0.05f) // still facing the sensor
                n = normalize(n - rays[i] * (dot(n, rays[i]) + 0.05f));
            points.push_back({p.x, p.y, p.z, n.x, n.y, n.z});
        }
}

} // namespace qelFramework::forge
