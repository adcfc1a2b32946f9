// The sky scene's content: the wide flare, the two-look particle sprite, the feather
// picture and its model, and the greeting cards.
#include "ArtDirection.h"
#include "Canvas.h"
#include "Motifs.h"
#include "Noise.h"
#include "Products.h"
#include "Rng.h"
#include "Shaping.h"
#include "Text.h"

#include "platform/ImageWriter.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace qelFramework::forge {

namespace {

bool saveJpeg(const Canvas& c, const std::string& path, std::string& error) {
    return platform::writeJpeg(path, c.width(), c.height(), c.toBytes(3, 0x5C1), 94, error);
}

// The feather's half width across its vane at s (0 at the quill, 1 at the tip) on one
// side (+1 the wide side, -1 the narrow one), as a fraction of the widest possible; the
// picture and the model share this outline.
float featherHalfWidth(float s, float side) {
    // Narrow at the quill, widest a little before the middle, rounded at the tip.
    float body = std::sqrt(std::max(0.f, 1.f - std::pow((s - 0.42f) / 0.58f, 2.f)));
    return body * (0.45f + 0.55f * smoothstep(0.f, 0.35f, s)) * (side < 0.f ? 0.7f : 1.f);
}

// The ink veil behind a card's type: a rounded panel over the lines of text, opaque to
// 0.8, fading out over 48 px and clear of the card's margins, so that filtering never
// reaches the neighbouring card.
float veilAlpha(float x, float y, int w, int h) {
    const float halfW = w * 0.4f, halfH = h * 0.3f, corner = 70.f, fade = 48.f;
    const float cx = w * 0.5f, cy = h * 0.535f;
    const float dx = std::max(0.f, std::fabs(x - cx) - (halfW - corner));
    const float dy = std::max(0.f, std::fabs(y - cy) - (halfH - corner));
    const float outside = std::hypot(dx, dy) - corner; // < 0 inside the panel
    return 0.8f * (1.f - smoothstep(0.f, fade, outside));
}

} // namespace

bool makeSuperGlow(const std::string& path, std::string& note, std::string& error) {
    // A lens flare for a wide billboard: a white-hot core in a soft halo, crossed by a
    // long horizontal streak with a cool sheen. Black at every edge.
    const int W = 512, H = 256;
    Canvas c(W, H);
    c.fill(Color{0, 0, 0, 1});
    const float cx = W / 2.f, cy = H / 2.f;
    c.shade([&](float x, float y) {
        float dx = (x - cx) / cx, dy = (y - cy) / cy; // -1..1 both ways
        float r2 = dx * dx * 4.f + dy * dy;           // the halo is round on the picture
        float window = std::pow(std::max(0.f, 1.f - dx * dx), 2.f) * std::pow(std::max(0.f, 1.f - dy * dy), 2.f);
        float core = std::exp(-r2 / (2.f * 0.012f));
        float halo = 0.32f * std::exp(-r2 / (2.f * 0.09f));
        float streak = 0.75f * std::exp(-dy * dy / (2.f * 0.0022f)) * std::exp(-std::fabs(dx) * 2.6f);
        float veil = 0.18f * std::exp(-dy * dy / (2.f * 0.03f)) * std::exp(-std::fabs(dx) * 1.4f);
        Color warm = mix(art::kPaper, art::kEmber, 0.25f);
        Color cool = mix(art::kPaper, art::kSky, 0.55f);
        float r = (core + halo) * warm.r + (streak + veil) * cool.r;
        float g = (core + halo) * warm.g + (streak + veil) * cool.g;
        float b = (core + halo) * warm.b + (streak + veil) * cool.b;
        return Color{std::min(r * window, 1.f), std::min(g * window, 1.f), std::min(b * window, 1.f), 1.f};
    });
    if (!saveJpeg(c, path, error))
        return false;
    note = sizeNote(W, H, "RGB JPEG");
    return true;
}

bool makeParticleDepth(const std::string& path, std::string& note, std::string& error) {
    // Red: the near look, a soft out-of-focus disc with a faint bright rim. Green: the
    // far look, a small sharp point in a little glow. Blue is unused.
    const int S = 256;
    Canvas c(S, S);
    c.shade([&](float x, float y) {
        float dx = (x - S / 2.f) / (S / 2.f), dy = (y - S / 2.f) / (S / 2.f);
        float d = std::sqrt(dx * dx + dy * dy);
        float disc = 1.f - smoothstep(0.70f, 0.80f, d);
        float rim = std::exp(-std::pow((d - 0.72f) / 0.05f, 2.f));
        float near = std::min(1.f, disc * (0.55f + 0.35f * d) + 0.3f * rim);
        float far = std::exp(-d * d / (2.f * 0.012f)) + 0.28f * std::exp(-d * d / (2.f * 0.07f));
        far *= 1.f - smoothstep(0.8f, 0.98f, d);
        return Color{near, std::min(far, 1.f), 0.f, 1.f};
    });
    if (!saveJpeg(c, path, error))
        return false;
    note = sizeNote(S, S, "RGB JPEG, red near, green far");
    return true;
}

bool makeWingPart(const std::string& path, std::string& note, std::string& error) {
    // One feather lying along the picture: the quill at the left, the tip at the right,
    // the vane across the height as the model's outline has it. Barbs sweep towards the
    // tip; one side of the vane is wider and has a split; a cool sheen runs along the
    // shaft; the edges darken. Transparent outside.
    const int W = 256, H = 64;
    Canvas c(W, H);
    TileNoise wobble(0xFE47);
    c.shade([&](float x, float y) {
        float s = x / W;
        float across = (y / H) * 2.f - 1.f; // -1..1
        float half = featherHalfWidth(s, across);
        float inside = 1.f - smoothstep(half - 0.06f, half + 0.02f, std::fabs(across));
        // Barbs: stripes slanting towards the tip, slightly irregular.
        float slant = s * 30.f - std::fabs(across) * 3.2f;
        float barb = 0.5f + 0.5f * std::cos((slant + 0.7f * wobble.fractal(s * 6.f, across * 2.f, 64, 64, 2, 0.5f)) *
                                            6.2832f);
        float edge = std::fabs(across) / std::max(half, 0.05f);
        Color base = mix(art::kPaper, art::kSky, 0.35f + 0.35f * edge);
        base = mix(base, art::kInk, 0.55f * smoothstep(0.55f, 1.f, edge) + 0.18f * (1.f - barb));
        // One split in the wide side of the vane, slanting like the barbs.
        if (across > 0.2f && std::fabs(s - (0.58f + 0.1f * across)) < 0.004f)
            base = mix(base, art::kInk, 0.55f);
        float shaft = std::exp(-across * across / (2.f * 0.0025f)) * (1.f - smoothstep(0.85f, 1.f, s));
        base = mix(base, art::kPaper, 0.8f * shaft);
        return base.withAlpha(std::max(inside, shaft * (s < 0.97f ? 1.f : 0.f)));
    });
    std::vector<std::uint8_t> bytes = c.toBytes(4, 0);
    // The colour outside the vane is its dark edge, so the filtered outline stays a line.
    const Color rim = mix(art::kInk, art::kSky, 0.15f);
    for (size_t p = 0; p < bytes.size(); p += 4)
        if (bytes[p + 3] == 0) {
            bytes[p] = static_cast<std::uint8_t>(std::lround(rim.r * 255.f));
            bytes[p + 1] = static_cast<std::uint8_t>(std::lround(rim.g * 255.f));
            bytes[p + 2] = static_cast<std::uint8_t>(std::lround(rim.b * 255.f));
        }
    if (!platform::writePng(path, W, H, 4, bytes, error))
        return false;
    note = sizeNote(W, H, "RGBA feather");
    return true;
}

bool makeGreetingCards(const std::string& path, std::string& note, std::string& error) {
    // Eight cards stacked from the top, one per eighth of the height, each 2 : 1 like the
    // billboard that shows it: a small "greetings to" line, the makers' name large, and
    // a hairline with the quill under it, white, on a veil of ink. The sky colours the
    // type and leaves the ink dark; the newest card is drawn last, so its veil dims the
    // older cards' type behind its own and its name stays readable.
    struct Card {
        const char* name;
        const char* line;
    };
    static const Card kCards[8] = {
        {"amberfield", "for the long summer of pixels"},
        {"the velvet lathe", "turn it up, turn it round"},
        {"northwind kites", "see you above the rooftops"},
        {"paperbird", "fold, fly, repeat"},
        {"halcyon wires", "current running, lights on"},
        {"moth & lantern", "we followed your glow"},
        {"cinder orchard", "every spark a seed"},
        {"tidewater", "waves back from the hill"},
    };
    const int W = 1024, CardH = 512, H = CardH * 8;
    Canvas sheet(W, H);
    const Color white{1, 1, 1, 1};
    for (int i = 0; i < 8; ++i) {
        const float top = static_cast<float>(i * CardH);
        Canvas card(W, CardH);
        TextStyle small{art::kTextFont, 34, 0.42f};
        if (!drawText(card, small, "greetings to", W / 2.f, 150.f, Anchor::Centre, white.withAlpha(0.8f), error))
            return false;
        TextStyle name{art::kSerifFont, 120, 0.02f};
        TextBox box;
        if (!measureText(name, kCards[i].name, box, error))
            return false;
        // Long names shrink to keep a margin on both sides.
        const float widest = W * 0.8f;
        if (box.right - box.left > widest)
            name.size = static_cast<int>(name.size * widest / (box.right - box.left));
        if (!drawGlowingText(card, name, kCards[i].name, W / 2.f, 300.f, Anchor::Centre, white, white, 10.f, 0.45f,
                             error))
            return false;
        drawRule(card, W * 0.2f, W * 0.8f, 350.f, art::kStroke * 0.9f, white.withAlpha(0.7f), 0.45f, 0.45f);
        drawQuill(card, W / 2.f - 70.f, 362.f, 140.f, -0.12f, white, white.withAlpha(0.6f), art::kHairline * 1.4f);
        TextStyle caption{art::kTextFont, 30, 0.12f};
        if (!drawText(card, caption, kCards[i].line, W / 2.f, 430.f, Anchor::Centre, white.withAlpha(0.75f), error))
            return false;
        Canvas veil(W, CardH);
        veil.shade([&](float x, float y) { return art::kInk.withAlpha(veilAlpha(x, y, W, CardH)); });
        veil.compositeOver(card);
        for (int y = 0; y < CardH; ++y)
            for (int x = 0; x < W; ++x) {
                const float* from = veil.pixel(x, y);
                float* to = sheet.pixel(x, static_cast<int>(top) + y);
                for (int k = 0; k < 4; ++k)
                    to[k] = from[k];
            }
    }
    if (!platform::writePng(path, W, H, 4, sheet.toBytes(4, 0), error))
        return false;
    note = sizeNote(W, H, "RGBA, 8 cards");
    return true;
}

bool makeWingModel(const std::string& path, std::string& note, std::string& error) {
    // The feather as a mesh: the quill at y = 0.5, the tip at y = -10, the vane across x
    // with the picture's outline, drooping in +z towards the tip and the edges. Normals
    // face -z, tangents run along the shaft towards the tip, bitangents across the vane.
    // The program turns every direction (x, y, z) into (z, -y, -x) when it reads the
    // file, so they are written as (-z, -y, x).
    const float y0 = 0.5f, length = 10.5f, widest = 2.f;
    const int stations = 25;
    struct Vertex {
        float p[3], uv[2], n[3], t[3], b[3];
    };
    auto normalised = [](float x, float y, float z, float* out) {
        float l = std::sqrt(x * x + y * y + z * z);
        out[0] = x / l;
        out[1] = y / l;
        out[2] = z / l;
    };
    auto vertexAt = [&](int station, int side) {
        const float s = static_cast<float>(station) / (stations - 1);
        const float x = static_cast<float>(side) * widest * featherHalfWidth(s, static_cast<float>(side));
        Vertex v{};
        v.p[0] = x;
        v.p[1] = y0 - s * length;
        v.p[2] = 0.8f * s * s + 0.3f * (x / widest) * (x / widest);
        v.uv[0] = s;
        v.uv[1] = (x / widest + 1.f) * 0.5f;
        const float dzds = 1.6f * s, dzdx = 0.6f * x / (widest * widest);
        normalised(dzdx, -dzds / length, -1.f, v.n);
        normalised(0.f, -length, dzds, v.t);
        normalised(1.f, 0.f, dzdx, v.b);
        return v;
    };
    std::vector<Vertex> vertices;
    for (int i = 0; i + 1 < stations; ++i)
        for (int side = -1; side <= 0; ++side) {
            // One strip from the left edge to the shaft, one from the shaft to the right.
            Vertex a = vertexAt(i, side), b = vertexAt(i, side + 1), c = vertexAt(i + 1, side),
                   d = vertexAt(i + 1, side + 1);
            for (const Vertex& v : {a, c, b, b, c, d})
                vertices.push_back(v);
        }

    std::string text = "feather 1\nvertices " + std::to_string(vertices.size()) + "\n";
    char line[160];
    auto section = [&](const char* label, auto write) {
        text += label;
        text += "\n";
        for (const Vertex& v : vertices) {
            write(v);
            text += line;
        }
    };
    section("positions", [&](const Vertex& v) { std::snprintf(line, sizeof(line), "%.5f %.5f %.5f\n", v.p[0], v.p[1], v.p[2]); });
    section("texcoords", [&](const Vertex& v) { std::snprintf(line, sizeof(line), "%.5f %.5f\n", v.uv[0], v.uv[1]); });
    auto direction = [&](const float* d) { std::snprintf(line, sizeof(line), "%.5f %.5f %.5f\n", -d[2], -d[1], d[0]); };
    section("normals", [&](const Vertex& v) { direction(v.n); });
    section("tangents", [&](const Vertex& v) { direction(v.t); });
    section("bitangents", [&](const Vertex& v) { direction(v.b); });

    if (!platform::writeWholeFile(path, std::vector<unsigned char>(text.begin(), text.end()), error))
        return false;
    note = std::to_string(vertices.size() / 3) + " triangles";
    return true;
}

} // namespace qelFramework::forge
