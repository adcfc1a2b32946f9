#pragma once
// A floating-point RGBA picture with premultiplied alpha and the drawing operations the
// forge's pictures are made of: fills, soft discs, anti-aliased lines, blur, layers.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qelFramework::forge {

struct Color {
    float r = 0, g = 0, b = 0, a = 1; // straight (not premultiplied) in this struct

    static Color hex(std::uint32_t rgb, float alpha = 1.f) {
        return {((rgb >> 16) & 255) / 255.f, ((rgb >> 8) & 255) / 255.f, (rgb & 255) / 255.f, alpha};
    }
    Color withAlpha(float alpha) const { return {r, g, b, alpha}; }
};

Color mix(const Color& a, const Color& b, float t);

class Canvas {
public:
    Canvas(int width, int height);

    int width() const { return w; }
    int height() const { return h; }

    // Premultiplied pixel access, 4 floats per pixel.
    float* pixel(int x, int y) { return &data[(static_cast<size_t>(y) * w + x) * 4]; }
    const float* pixel(int x, int y) const { return &data[(static_cast<size_t>(y) * w + x) * 4]; }

    void fill(const Color& c);
    // Sets every pixel from a function of its centre in pixel coordinates.
    void shade(const std::function<Color(float x, float y)>& colorAt);

    // Source-over with extra coverage 0..1.
    void blendOver(int x, int y, const Color& c, float coverage);
    // Adds light: colour x amount to the colour channels, amount x alpha to alpha.
    void addLight(int x, int y, const Color& c, float amount);

    // A disc with a smooth edge: full inside radius - softness, zero beyond radius + softness.
    void softDisc(float cx, float cy, float radius, float softness, const Color& c);
    // A glow falling off as a gaussian with the given radius (sigma), added as light.
    void glow(float cx, float cy, float sigma, const Color& c, float amount);
    // An anti-aliased line with round caps, drawn over.
    void line(float x0, float y0, float x1, float y1, float width, const Color& c);
    // Connected segments through points (x0, y0, x1, y1, ...).
    void polyline(const std::vector<float>& points, float width, const Color& c);

    // Gaussian blur (three box passes); wrap makes it seamless for tiling pictures.
    void blur(float sigma, bool wrap);

    // Source-over of another canvas of the same size, scaled by opacity.
    void compositeOver(const Canvas& layer, float opacity = 1.f);
    // Adds another canvas of the same size, scaled by amount.
    void compositeAdd(const Canvas& layer, float amount = 1.f);

    // 8-bit bytes, rows top first, 3 (alpha dropped, over black) or 4 channels
    // (straight alpha). ditherSeed != 0 adds a faint deterministic dither against banding.
    std::vector<std::uint8_t> toBytes(int channels, std::uint64_t ditherSeed) const;

private:
    int w, h;
    std::vector<float> data;
};

// Writes the canvas as an 8-bit PNG with 3 or 4 channels; false with a message on failure.
bool savePng(const Canvas& canvas, const std::string& path, int channels, std::uint64_t ditherSeed, std::string& error);

} // namespace qelFramework::forge
