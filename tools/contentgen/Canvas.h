// A drawing surface over platform::Image for icons, sprites and skins: shapes are coverage functions
// sampled 4 x 4 per pixel, so edges are smooth and the result is the same on every machine.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/GraphicsDevice.h"

namespace contentgen {

struct Color {
    float r = 0, g = 0, b = 0, a = 1;  // 0..1, straight (not premultiplied) alpha
};

inline Color Rgb(int r, int g, int b, float a = 1.0f) {
    return {r / 255.0f, g / 255.0f, b / 255.0f, a};
}
Color Mix(Color a, Color b, float t);
Color Scale(Color c, float s);  // scales r, g, b

// Inside test in pixel coordinates (x right, y down; pixel centres at +0.5).
using Shape = std::function<bool(float x, float y)>;

Shape Circle(float cx, float cy, float r);
Shape Ring(float cx, float cy, float inner, float outer);
Shape Rect(float x0, float y0, float x1, float y1);
Shape RoundRect(float x0, float y0, float x1, float y1, float radius);
Shape Capsule(float ax, float ay, float bx, float by, float radius);  // a thick line with round ends
Shape Polygon(std::vector<float> xy);                                 // x0, y0, x1, y1, ... (even-odd)
Shape Union(Shape a, Shape b);
Shape Minus(Shape a, Shape b);

class Canvas {
public:
    Canvas(int width, int height, Color fill = {0, 0, 0, 0});

    int Width() const { return image_.Width; }
    int Height() const { return image_.Height; }

    Color Get(int x, int y) const;
    void Set(int x, int y, Color c);
    // Alpha-blends c over the pixel with extra coverage.
    void Blend(int x, int y, Color c, float coverage = 1.0f);

    // Blends a colour over every pixel the shape covers, weighted by coverage.
    void Fill(const Shape& shape, Color c);
    // Same, with the colour given per pixel.
    void Fill(const Shape& shape, const std::function<Color(float x, float y)>& paint);
    // Same, looking only at the pixels of the box [x0, x1) x [y0, y1) (large canvases).
    void FillIn(int x0, int y0, int x1, int y1, const Shape& shape,
                const std::function<Color(float x, float y)>& paint);
    // Overwrites the whole image from a function of the pixel centre.
    void Paint(const std::function<Color(float x, float y)>& paint);

    const platform::Image& Image() const { return image_; }

private:
    platform::Image image_;
};

// Smooth value noise in 0..1, tiling with the given period (in lattice cells).
float ValueNoise(float x, float y, int period, uint32_t seed);
// Sum of octaves of ValueNoise, tiling with the period of the first octave.
float FractalNoise(float x, float y, int period, int octaves, uint32_t seed);

}  // namespace contentgen
