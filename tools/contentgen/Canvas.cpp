#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace contentgen {

namespace {

uint8_t ToByte(float v) {
    v = std::clamp(v, 0.0f, 1.0f);
    return static_cast<uint8_t>(std::lround(v * 255.0f));
}

float SegmentDistance(float px, float py, float ax, float ay, float bx, float by) {
    float dx = bx - ax, dy = by - ay;
    float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    float qx = ax + t * dx - px, qy = ay + t * dy - py;
    return std::sqrt(qx * qx + qy * qy);
}

uint32_t Hash(int x, int y, uint32_t seed) {
    uint32_t h =
        static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

}  // namespace

Color Mix(Color a, Color b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Color Scale(Color c, float s) {
    return {c.r * s, c.g * s, c.b * s, c.a};
}

Shape Circle(float cx, float cy, float r) {
    return [=](float x, float y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

Shape Ring(float cx, float cy, float inner, float outer) {
    return [=](float x, float y) {
        float d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        return d2 <= outer * outer && d2 >= inner * inner;
    };
}

Shape Rect(float x0, float y0, float x1, float y1) {
    return [=](float x, float y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };
}

Shape RoundRect(float x0, float y0, float x1, float y1, float radius) {
    return [=](float x, float y) {
        float cx = std::clamp(x, x0 + radius, x1 - radius);
        float cy = std::clamp(y, y0 + radius, y1 - radius);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

Shape Capsule(float ax, float ay, float bx, float by, float radius) {
    return [=](float x, float y) { return SegmentDistance(x, y, ax, ay, bx, by) <= radius; };
}

Shape Polygon(std::vector<float> xy) {
    return [xy = std::move(xy)](float x, float y) {
        bool inside = false;
        size_t n = xy.size() / 2;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) {
                inside = !inside;
            }
        }
        return inside;
    };
}

Shape Union(Shape a, Shape b) {
    return [=](float x, float y) { return a(x, y) || b(x, y); };
}

Shape Minus(Shape a, Shape b) {
    return [=](float x, float y) { return a(x, y) && !b(x, y); };
}

Canvas::Canvas(int width, int height, Color fill) {
    image_.Width = width;
    image_.Height = height;
    image_.Rgba.resize(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Set(x, y, fill);
        }
    }
}

Color Canvas::Get(int x, int y) const {
    const uint8_t* p = &image_.Rgba[(static_cast<size_t>(y) * image_.Width + x) * 4];
    return {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f};
}

void Canvas::Set(int x, int y, Color c) {
    if (x < 0 || y < 0 || x >= image_.Width || y >= image_.Height) {
        return;
    }
    uint8_t* p = &image_.Rgba[(static_cast<size_t>(y) * image_.Width + x) * 4];
    p[0] = ToByte(c.r);
    p[1] = ToByte(c.g);
    p[2] = ToByte(c.b);
    p[3] = ToByte(c.a);
}

void Canvas::Blend(int x, int y, Color c, float coverage) {
    if (x < 0 || y < 0 || x >= image_.Width || y >= image_.Height) {
        return;
    }
    float a = std::clamp(c.a * coverage, 0.0f, 1.0f);
    if (a <= 0) {
        return;
    }
    Color d = Get(x, y);
    float outA = a + d.a * (1 - a);
    Color o;
    if (outA > 0) {
        o.r = (c.r * a + d.r * d.a * (1 - a)) / outA;
        o.g = (c.g * a + d.g * d.a * (1 - a)) / outA;
        o.b = (c.b * a + d.b * d.a * (1 - a)) / outA;
    }
    o.a = outA;
    Set(x, y, o);
}

void Canvas::Fill(const Shape& shape, Color c) {
    Fill(shape, [c](float, float) { return c; });
}

void Canvas::Fill(const Shape& shape, const std::function<Color(float x, float y)>& paint) {
    FillIn(0, 0, image_.Width, image_.Height, shape, paint);
}

void Canvas::FillIn(int x0, int y0, int x1, int y1, const Shape& shape,
                    const std::function<Color(float x, float y)>& paint) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, image_.Width);
    y1 = std::min(y1, image_.Height);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    if (shape(x + (sx + 0.5f) / 4, y + (sy + 0.5f) / 4)) {
                        ++hits;
                    }
                }
            }
            if (hits) {
                Blend(x, y, paint(x + 0.5f, y + 0.5f), hits / 16.0f);
            }
        }
    }
}

void Canvas::Paint(const std::function<Color(float x, float y)>& paint) {
    for (int y = 0; y < image_.Height; ++y) {
        for (int x = 0; x < image_.Width; ++x) {
            Set(x, y, paint(x + 0.5f, y + 0.5f));
        }
    }
}

float ValueNoise(float x, float y, int period, uint32_t seed) {
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    float fx = x - x0, fy = y - y0;
    auto at = [&](int ix, int iy) {
        ix = ((ix % period) + period) % period;
        iy = ((iy % period) + period) % period;
        return (Hash(ix, iy, seed) & 0xFFFF) / 65535.0f;
    };
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    float a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    float b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return a + (b - a) * sy;
}

float FractalNoise(float x, float y, int period, int octaves, uint32_t seed) {
    float sum = 0, weight = 0, amp = 1;
    for (int o = 0; o < octaves; ++o) {
        sum += ValueNoise(x, y, period, seed + o * 101u) * amp;
        weight += amp;
        amp *= 0.5f;
        x *= 2;
        y *= 2;
        period *= 2;
    }
    return sum / weight;
}

}  // namespace contentgen
