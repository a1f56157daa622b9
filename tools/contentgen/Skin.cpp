// Buttons are light brushed-metal plates because their captions are drawn in black; hover warms
// them up, pressing darkens them. Every rectangle's colour reaches its very edge pixels (the GUI
// stretches them with point sampling), and transparent corners keep the outline's colour.
#include "Skin.h"

#include <cmath>
#include <string>
#include <vector>

#include "Canvas.h"
#include "Font.h"
#include "Output.h"

namespace contentgen {

namespace {

constexpr int kWidth = 512, kHeight = 256;

struct Rectangle {
    std::string name;
    int left, top, right, bottom;
};

// Coordinates are in pixels of the canvas, `k` times those of the design's skin: outlines, bevels and
// the brushing keep their sizes in the design's pixels.
void Plate(Canvas& c, float k, int x0, int y0, int x1, int y1, Color top, Color bottom, Color edge,
           bool sunken) {
    float fx0 = static_cast<float>(x0), fy0 = static_cast<float>(y0), fx1 = static_cast<float>(x1),
          fy1 = static_cast<float>(y1);
    // The outline colour everywhere first, fully transparent, so the rounded corners blend cleanly.
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            c.Set(x, y, Color{edge.r, edge.g, edge.b, 0});
        }
    }
    c.FillIn(x0, y0, x1, y1, RoundRect(fx0, fy0, fx1, fy1, 7 * k), [&](float, float) { return edge; });
    c.FillIn(x0, y0, x1, y1, RoundRect(fx0 + 3 * k, fy0 + 3 * k, fx1 - 3 * k, fy1 - 3 * k, 5 * k),
             [&](float x, float y) {
                 float t = (y - fy0) / (fy1 - fy0);
                 Color col = Mix(top, bottom, sunken ? 1 - t : t);
                 float brush = ValueNoise(x / k / 24, y / k * 2, 64, 17);
                 return Scale(col, 0.96f + 0.06f * brush);
             });
    // Bevel: a light line along the top, a dark one along the bottom (swapped when sunken).
    Color light = Rgb(255, 255, 255, 0.55f), dark = Rgb(0, 0, 0, 0.25f);
    c.FillIn(x0, y0, x1, y1, Rect(fx0 + 6 * k, fy0 + 4 * k, fx1 - 6 * k, fy0 + 6 * k),
             [&](float, float) { return sunken ? dark : light; });
    c.FillIn(x0, y0, x1, y1, Rect(fx0 + 6 * k, fy1 - 6 * k, fx1 - 6 * k, fy1 - 4 * k),
             [&](float, float) { return sunken ? light : dark; });
}

void Field(Canvas& c, float k, int x0, int y0, int x1, int y1, Color ring) {
    Plate(c, k, x0, y0, x1, y1, Rgb(250, 250, 246), Rgb(232, 232, 226), ring, false);
    float fx0 = static_cast<float>(x0), fy0 = static_cast<float>(y0), fx1 = static_cast<float>(x1);
    c.FillIn(x0, y0, x1, y0 + static_cast<int>(12 * k),
             Rect(fx0 + 4 * k, fy0 + 4 * k, fx1 - 4 * k, fy0 + 8 * k),
             [](float, float) { return Rgb(0, 0, 0, 0.15f); });  // inner shadow: the field is sunk in
}

void Box(Canvas& c, float k, int x0, int y0, int state, bool ticked, bool round) {
    const int size = static_cast<int>(40 * k);
    Color fill = state == 0 ? Rgb(245, 245, 240) : state == 1 ? Rgb(255, 240, 190) : Rgb(205, 205, 198);
    Color edge = Rgb(40, 44, 48);
    float cx = x0 + size / 2.0f, cy = y0 + size / 2.0f;
    for (int y = y0; y < y0 + size; ++y) {
        for (int x = x0; x < x0 + size; ++x) {
            c.Set(x, y, Color{edge.r, edge.g, edge.b, 0});
        }
    }
    Shape outer = round ? Circle(cx, cy, 19 * k)
                        : RoundRect(x0 + 1.0f * k, y0 + 1.0f * k, x0 + 39.0f * k, y0 + 39.0f * k, 5 * k);
    Shape inner = round ? Circle(cx, cy, 15.5f * k)
                        : RoundRect(x0 + 4.5f * k, y0 + 4.5f * k, x0 + 35.5f * k, y0 + 35.5f * k, 3 * k);
    c.FillIn(x0, y0, x0 + size, y0 + size, outer, [&](float, float) { return edge; });
    c.FillIn(x0, y0, x0 + size, y0 + size, inner,
             [&](float, float y) { return Mix(fill, Scale(fill, 0.85f), (y - y0) / size); });
    if (!ticked) {
        return;
    }
    Color mark = Rgb(30, 150, 60);
    if (round) {
        c.FillIn(x0, y0, x0 + size, y0 + size, Circle(cx, cy, 9 * k), [&](float, float) { return mark; });
        c.FillIn(x0, y0, x0 + size, y0 + size, Circle(cx - 3 * k, cy - 3 * k, 3 * k),
                 [](float, float) { return Rgb(255, 255, 255, 0.6f); });
    } else {
        c.FillIn(x0, y0, x0 + size, y0 + size,
                 Union(Capsule(x0 + 10.0f * k, y0 + 21.0f * k, x0 + 17.0f * k, y0 + 29.0f * k, 3.2f * k),
                       Capsule(x0 + 17.0f * k, y0 + 29.0f * k, x0 + 31.0f * k, y0 + 11.0f * k, 3.2f * k)),
                 [&](float, float) { return mark; });
    }
}

// The skin `factor` times as fine as the design's, and the rectangles in the design's pixels.
Canvas DrawSkin(int factor, std::vector<Rectangle>& rects) {
    const float k = static_cast<float>(factor);
    const auto at = [factor](int v) { return v * factor; };
    Canvas c(kWidth * factor, kHeight * factor, Color{0, 0, 0, 0});
    const int bw = 240, bh = 48;
    const Color edge = Rgb(34, 38, 44);
    // Buttons and the frame of edits, check boxes and radio buttons.
    Plate(c, k, 0, 0, at(bw), at(bh), Rgb(226, 222, 210), Rgb(168, 164, 150), edge, false);
    Plate(c, k, 0, at(52), at(bw), at(52 + bh), Rgb(255, 238, 170), Rgb(220, 180, 90), edge, false);
    Plate(c, k, 0, at(104), at(bw), at(104 + bh), Rgb(196, 192, 180), Rgb(140, 136, 124), edge, true);
    rects.push_back({"Back_state1", 0, 0, bw, bh});
    rects.push_back({"Back_state2", 0, 52, bw, 52 + bh});
    rects.push_back({"Back_state3", 0, 104, bw, 104 + bh});
    // Edit fields: white, outlined grey, blue when hovered, amber when focused.
    Field(c, k, at(256), 0, at(256 + bw), at(bh), Rgb(110, 112, 116));
    Field(c, k, at(256), at(52), at(256 + bw), at(52 + bh), Rgb(60, 130, 220));
    Field(c, k, at(256), at(104), at(256 + bw), at(104 + bh), Rgb(230, 160, 30));
    rects.push_back({"Edit_state1", 256, 0, 256 + bw, bh});
    rects.push_back({"Edit_state2", 256, 52, 256 + bw, 52 + bh});
    rects.push_back({"Edit_state3", 256, 104, 256 + bw, 104 + bh});
    // Check boxes and radio marks: clear (_1) and set (_2) in the three states.
    for (int ticked = 0; ticked < 2; ++ticked) {
        for (int state = 0; state < 3; ++state) {
            int x = (ticked * 3 + state) * 42, y = 160;
            Box(c, k, at(x), at(y), state, ticked != 0, false);
            std::string suffix = std::to_string(state + 1) + "_" + std::to_string(ticked + 1);
            rects.push_back({"Check_state" + suffix, x, y, x + 40, y + 40});
            Box(c, k, at(256 + x), at(y), state, ticked != 0, true);
            rects.push_back({"Radio_state" + suffix, 256 + x, y, 256 + x + 40, y + 40});
        }
    }
    return c;
}

}  // namespace

void WriteSkin(Output& out) {
    std::vector<Rectangle> rects;
    const Canvas c = DrawSkin(1, rects);
    std::string info = std::to_string(rects.size()) + "\r\n";
    for (const Rectangle& r : rects) {
        info += r.name + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                std::to_string(r.right) + " " + std::to_string(r.bottom) + "\r\n";
    }
    out.Write("GUI/guiskininfo.txt", info);
    out.WritePng("GUI/guiskintex.png", c.Image());
    // The finer skins: the same rectangles at `factor` times the pixels, so the one description
    // (divided by the design's 512 x 256) serves them all.
    for (int factor : kFinerAtlasFactors) {
        std::vector<Rectangle> unused;
        out.WritePng("GUI/guiskintex_" + std::to_string(factor) + "x.png", DrawSkin(factor, unused).Image());
    }
}

}  // namespace contentgen
