#include "Textures.h"

#include <cmath>

#include "Font.h"
#include "Geometry.h"
#include "Output.h"

namespace contentgen {

namespace {

constexpr int kIcon = 64;

// --- Symbols shared by the HUD and help icons (drawn into a 64 x 64 box at the given scale) ---

void Shield(Canvas& c, float ox, float oy, float s) {
    auto P = [&](std::vector<float> p) {
        for (size_t i = 0; i < p.size(); i += 2) {
            p[i] = ox + p[i] * s;
            p[i + 1] = oy + p[i + 1] * s;
        }
        return Polygon(p);
    };
    c.Fill(P({10, 8, 54, 8, 54, 30, 32, 58, 10, 30}), Rgb(235, 240, 250));
    c.Fill(P({15, 13, 49, 13, 49, 30, 32, 51, 15, 30}),
           [&](float, float y) { return Mix(Rgb(110, 200, 255), Rgb(30, 100, 200), (y - oy) / (50 * s)); });
    c.Fill(P({30, 17, 34, 17, 34, 44, 30, 44}), Rgb(235, 240, 250, 0.8f));
}

void ClockFace(Canvas& c, float ox, float oy, float s) {
    c.Fill(Circle(ox + 32 * s, oy + 34 * s, 26 * s), Rgb(50, 110, 210));
    c.Fill(Circle(ox + 32 * s, oy + 34 * s, 21 * s), Rgb(248, 248, 240));
    for (int i = 0; i < 12; ++i) {
        float a = i * kPi / 6;
        float r0 = (i % 3 == 0 ? 15 : 17) * s, r1 = 19 * s;
        c.Fill(Capsule(ox + 32 * s + std::sin(a) * r0, oy + 34 * s - std::cos(a) * r0,
                       ox + 32 * s + std::sin(a) * r1, oy + 34 * s - std::cos(a) * r1, 1.0f * s),
               Rgb(40, 40, 40));
    }
    c.Fill(Capsule(ox + 32 * s, oy + 34 * s, ox + 32 * s, oy + 19 * s, 2.2f * s), Rgb(20, 20, 20));
    c.Fill(Capsule(ox + 32 * s, oy + 34 * s, ox + 43 * s, oy + 38 * s, 2.2f * s), Rgb(20, 20, 20));
    c.Fill(Circle(ox + 32 * s, oy + 34 * s, 3 * s), Rgb(210, 40, 40));
    c.Fill(RoundRect(ox + 27 * s, oy + 2 * s, ox + 37 * s, oy + 9 * s, 2 * s), Rgb(50, 110, 210));
}

void Heart(Canvas& c, float ox, float oy, float s) {
    Shape heart =
        Union(Union(Circle(ox + 21 * s, oy + 23 * s, 13 * s), Circle(ox + 43 * s, oy + 23 * s, 13 * s)),
              Polygon({ox + 9.5f * s, oy + 29 * s, ox + 54.5f * s, oy + 29 * s, ox + 32 * s, oy + 56 * s}));
    c.Fill(heart,
           [&](float, float y) { return Mix(Rgb(255, 90, 100), Rgb(180, 20, 40), (y - oy) / (56 * s)); });
    c.Fill(Circle(ox + 18 * s, oy + 19 * s, 4.5f * s), Rgb(255, 255, 255, 0.75f));
}

void Bomb(Canvas& c, float ox, float oy, float s) {
    c.Fill(Circle(ox + 30 * s, oy + 38 * s, 20 * s), [&](float x, float y) {
        float d = std::hypot(x - (ox + 23 * s), y - (oy + 31 * s)) / (30 * s);
        return Mix(Rgb(110, 110, 120), Rgb(20, 20, 24), std::min(1.0f, d));
    });
    c.Fill(RoundRect(ox + 34 * s, oy + 14 * s, ox + 46 * s, oy + 24 * s, 2 * s), Rgb(150, 150, 150));
    c.Fill(Capsule(ox + 41 * s, oy + 15 * s, ox + 50 * s, oy + 7 * s, 1.8f * s), Rgb(200, 170, 120));
    c.Fill(Circle(ox + 52 * s, oy + 6 * s, 5 * s), Rgb(255, 200, 60));
    c.Fill(Circle(ox + 52 * s, oy + 6 * s, 2.5f * s), Rgb(255, 255, 220));
}

void Wrench(Canvas& c, float ox, float oy, float s) {
    c.Fill(RoundRect(ox + 8 * s, oy + 8 * s, ox + 56 * s, oy + 56 * s, 8 * s), Rgb(245, 245, 245));
    c.Fill(Rect(ox + 27 * s, oy + 14 * s, ox + 37 * s, oy + 50 * s), Rgb(210, 40, 40));
    c.Fill(Rect(ox + 14 * s, oy + 27 * s, ox + 50 * s, oy + 37 * s), Rgb(210, 40, 40));
    c.Fill(Capsule(ox + 16 * s, oy + 48 * s, ox + 44 * s, oy + 20 * s, 4 * s), Rgb(230, 175, 60));
    c.Fill(Minus(Circle(ox + 47 * s, oy + 17 * s, 9 * s),
                 Polygon({ox + 47 * s, oy + 17 * s, ox + 60 * s, oy + 4 * s, ox + 62 * s, oy + 16 * s})),
           Rgb(230, 175, 60));
    c.Fill(Circle(ox + 47 * s, oy + 17 * s, 3.5f * s), Rgb(245, 245, 245));
}

void Arrow(Canvas& c, float ox, float oy, float s) {
    auto gold = [&](float, float y) {
        return Mix(Rgb(255, 235, 130), Rgb(220, 150, 30), (y - oy) / (60 * s));
    };
    c.Fill(Polygon({ox + 32 * s, oy + 4 * s, ox + 56 * s, oy + 30 * s, ox + 8 * s, oy + 30 * s}), gold);
    c.Fill(Rect(ox + 23 * s, oy + 29 * s, ox + 41 * s, oy + 46 * s), gold);
    c.Fill(Polygon({ox + 14 * s, oy + 50 * s, ox + 32 * s, oy + 42 * s, ox + 50 * s, oy + 50 * s, ox + 50 * s,
                    oy + 58 * s, ox + 32 * s, oy + 50 * s, ox + 14 * s, oy + 58 * s}),
           gold);
}

void BrickWallIcon(Canvas& c, float ox, float oy, float s) {
    for (int row = 0; row < 4; ++row) {
        float y0 = oy + (12 + row * 11) * s;
        float off = (row % 2) ? 8.0f : 0.0f;
        for (int col = -1; col < 4; ++col) {
            float x0 = ox + (8 + off + col * 16) * s;
            float a = std::max(x0, ox + 8 * s), b = std::min(x0 + 15 * s, ox + 56 * s);
            if (b - a < 2) {
                continue;
            }
            Color brick = (row + col) % 3 ? Rgb(190, 85, 55) : Rgb(165, 70, 48);
            c.Fill(RoundRect(a, y0, b, y0 + 10 * s, 1.5f * s), brick);
        }
    }
}

// A round badge for the help screen in the colour of the bonus's ring.
Canvas Badge(Color ring) {
    Canvas c(kIcon, kIcon);
    c.Fill(Circle(32, 32, 31), Scale(ring, 0.45f));
    c.Fill(Ring(32, 32, 27, 31), ring);
    return c;
}

// --- Particle sprites: white or near-white so that the effects tint them ---

Canvas SoftPuff() {
    Canvas c(kIcon, kIcon);
    c.Paint([](float x, float y) {
        float d = std::hypot(x - 32, y - 32) / 31;
        float n = FractalNoise(x / 8, y / 8, 8, 3, 501);
        float a = std::max(0.0f, 1 - d);
        a = a * a * (0.55f + 0.6f * n);
        return Color{1, 1, 1, std::min(a, 1.0f)};
    });
    return c;
}

Canvas Spark() {
    Canvas c(kIcon, kIcon);
    c.Paint([](float x, float y) {
        float dx = std::fabs(x - 32) / 31, dy = std::fabs(y - 32) / 31;
        float d = std::hypot(dx, dy);
        float core = std::max(0.0f, 1 - d * 3.0f);
        float rays = std::max(0.0f, 1 - dx * 8) * std::max(0.0f, 1 - dy) +
                     std::max(0.0f, 1 - dy * 8) * std::max(0.0f, 1 - dx);
        float glow = std::max(0.0f, 1 - d) * 0.35f;
        float a = std::min(1.0f, core + rays * 0.8f + glow * glow * 2);
        return Mix(Rgb(255, 220, 120, a), Rgb(255, 255, 255, a), std::min(1.0f, core * 1.5f));
    });
    return c;
}

Canvas Fire() {
    Canvas c(kIcon, kIcon);
    c.Paint([](float x, float y) {
        float n = FractalNoise(x / 10, y / 10, 8, 3, 601);
        float d = std::hypot(x - 32, y - 32) / 31 + (n - 0.5f) * 0.45f;
        float t = std::clamp(d, 0.0f, 1.0f);
        Color col = t < 0.3f ? Mix(Rgb(255, 255, 220), Rgb(255, 210, 80), t / 0.3f)
                             : Mix(Rgb(255, 210, 80), Rgb(200, 50, 20), (t - 0.3f) / 0.7f);
        float a = std::clamp(1.6f * (1 - t), 0.0f, 1.0f);
        col.a = std::pow(a, 1.4f);
        return col;
    });
    return c;
}

Canvas Glitter() {
    Canvas c(kIcon, kIcon);
    c.Paint([](float x, float y) {
        float d = (std::fabs(x - 32) + std::fabs(y - 32)) / 30;  // diamond distance
        float glow = std::max(0.0f, 1 - std::hypot(x - 32, y - 32) / 31);
        float a = d < 0.6f ? 1.0f : std::max(0.0f, (1 - d) / 0.4f);
        a = std::max(a, glow * glow * 0.6f);
        Color col = Mix(Rgb(255, 255, 255), Rgb(200, 240, 255), std::min(1.0f, d));
        col.a = std::min(1.0f, a);
        return col;
    });
    c.Fill(Polygon({32, 10, 40, 32, 32, 54, 24, 32}), Rgb(255, 255, 255));
    return c;
}

Canvas Debris() {
    Canvas c(kIcon, kIcon);
    Shape chunk = Polygon({12, 20, 30, 10, 52, 16, 56, 38, 40, 54, 16, 48, 8, 34});
    c.Fill(chunk, [](float x, float y) {
        bool mortar =
            std::fmod(y, 16.0f) < 2.5f || std::fmod(x + (std::fmod(y, 32.0f) < 16 ? 0 : 12), 24.0f) < 2.5f;
        Color col = mortar ? Rgb(200, 190, 165) : Rgb(185, 90, 60);
        return Scale(col, 0.8f + 0.35f * FractalNoise(x / 6, y / 6, 16, 2, 701) - (y - 10) / 200);
    });
    return c;
}

Canvas SpawnRing() {
    Canvas c(kIcon, kIcon);
    c.Paint([](float x, float y) {
        float d = std::hypot(x - 32, y - 32) / 31;
        float ring = std::max(0.0f, 1 - std::fabs(d - 0.72f) / 0.2f);
        float inner = std::max(0.0f, 0.6f - d) * 0.4f;
        float a = std::min(1.0f, ring * ring * 1.2f + inner);
        return Color{0.75f + 0.25f * ring, 1, 1, a};
    });
    return c;
}

// --- Cursors ---

Canvas PointerCursor() {
    Canvas c(kIcon, kIcon);
    std::vector<float> outline = {2, 2, 2, 50, 14, 39, 23, 58, 32, 54, 23, 36, 39, 36};
    c.Fill(Polygon(outline), Rgb(10, 10, 10));
    std::vector<float> inner = {6, 11, 6, 41, 15, 32, 24, 51, 27, 50, 18, 31, 30, 31};
    c.Fill(Polygon(inner),
           [](float, float y) { return Mix(Rgb(255, 255, 255), Rgb(210, 220, 235), y / 50); });
    return c;
}

// The aiming cursor: red for the first player, `red` of the second player's own colour.
Canvas AimCursor(Color red = Rgb(255, 60, 40)) {
    Canvas c(kIcon, kIcon);
    Color dark = Rgb(0, 0, 0, 0.7f);
    c.Fill(Ring(32, 32, 16, 22), dark);
    c.Fill(Ring(32, 32, 17.5f, 20.5f), red);
    for (int i = 0; i < 4; ++i) {
        float a = i * kPi / 2;
        float x0 = 32 + std::cos(a) * 10, y0 = 32 + std::sin(a) * 10;
        float x1 = 32 + std::cos(a) * 30, y1 = 32 + std::sin(a) * 30;
        c.Fill(Capsule(x0, y0, x1, y1, 3.2f), dark);
        c.Fill(Capsule(x0, y0, x1, y1, 1.6f), Rgb(255, 255, 255));
    }
    c.Fill(Circle(32, 32, 3), dark);
    c.Fill(Circle(32, 32, 1.8f), red);
    return c;
}

// --- The menu background, 1024 x 768 ---

Canvas Background() {
    const int W = 1024, H = 768;
    Canvas c(W, H);
    const float horizon = 470;
    c.Paint([&](float x, float y) {
        float n = FractalNoise(x / 64, y / 64, 16, 4, 801);
        Color sky = Mix(Rgb(16, 22, 36), Rgb(58, 52, 50), std::pow(y / horizon, 1.6f));
        Color ground = Mix(Rgb(44, 52, 36), Rgb(22, 26, 20), (y - horizon) / (H - horizon));
        Color col = y < horizon ? sky : ground;
        col = Scale(col, 0.85f + 0.3f * n);
        // A warm glow on the horizon.
        float glow = std::exp(-std::fabs(y - horizon) / 60) * std::exp(-std::pow((x - 512) / 520, 2));
        col = Mix(col, Rgb(220, 120, 60), 0.65f * glow);
        // Vignette.
        float vx = (x - 512) / 512, vy = (y - 384) / 384;
        return Scale(col, 1.0f - 0.35f * (vx * vx + vy * vy) / 2);
    });
    // A perspective grid on the ground, vanishing at the centre of the horizon.
    Color grid = Rgb(140, 200, 120, 0.16f);
    for (int i = -14; i <= 14; ++i) {
        float xb = 512 + i * 110;
        c.FillIn(0, static_cast<int>(horizon), W, H, Capsule(512, horizon, xb, H + 200, 1.0f),
                 [&](float, float) { return grid; });
    }
    for (int k = 1; k < 12; ++k) {
        float y = horizon + std::pow(k / 11.0f, 2.2f) * (H - horizon + 40);
        c.FillIn(0, static_cast<int>(y) - 3, W, static_cast<int>(y) + 3, Rect(0, y - 0.8f, W, y + 0.8f),
                 [&](float, float) { return grid; });
    }
    // Tank silhouettes on the horizon, facing each other.
    auto tank = [&](float cx, float base, float s, int dir) {
        Color ink = Rgb(10, 12, 14);
        int x0 = static_cast<int>(cx - 140 * s), x1 = static_cast<int>(cx + 140 * s);
        int y0 = static_cast<int>(base - 90 * s), y1 = static_cast<int>(base + 4);
        auto fill = [&](const Shape& sh) { c.FillIn(x0, y0, x1, y1, sh, [&](float, float) { return ink; }); };
        fill(RoundRect(cx - 95 * s, base - 30 * s, cx + 95 * s, base, 14 * s));
        fill(Polygon({cx - 85 * s, base - 28 * s, cx + 85 * s, base - 28 * s, cx + 70 * s, base - 48 * s,
                      cx - 78 * s, base - 48 * s}));
        fill(RoundRect(cx - 45 * s, base - 78 * s, cx + 40 * s, base - 46 * s, 10 * s));
        fill(RoundRect(cx + dir * 30 * s - (dir < 0 ? 100 * s : 0), base - 68 * s,
                       cx + dir * 30 * s + (dir > 0 ? 100 * s : 0), base - 58 * s, 4 * s));
    };
    tank(200, horizon + 8, 1.2f, 1);
    tank(830, horizon + 8, 1.2f, -1);
    // The title.
    const int size = 96;
    const std::string title = "BRELVOX";
    float tw = MeasureText(title, size);
    float tx = (W - tw) / 2, ty = 18;
    for (int dy = -4; dy <= 4; dy += 2) {
        for (int dx = -4; dx <= 4; dx += 2) {
            DrawText(c, title, tx + dx, ty + dy + 3, size, Rgb(0, 0, 0, 0.25f));
        }
    }
    DrawText(c, title, tx, ty, size, Rgb(250, 200, 60));
    DrawText(c, title, tx, ty - 2, size, Rgb(255, 236, 150, 0.35f));
    return c;
}

}  // namespace

void WriteTextures(Output& out) {
    out.WritePng("Textures/BackGround.png", Background().Image());

    Canvas shield(kIcon, kIcon);
    Shield(shield, 0, 0, 1);
    out.WritePng("Textures/armour.png", shield.Image());
    Canvas clock(kIcon, kIcon);
    ClockFace(clock, 0, 0, 1);
    out.WritePng("Textures/clock.png", clock.Image());
    Canvas life(kIcon, kIcon);
    Heart(life, 0, 0, 1);
    out.WritePng("Textures/life.png", life.Image());
    out.WritePng("Textures/cursor.png", PointerCursor().Image());
    out.WritePng("Textures/guncursor.png", AimCursor().Image());
    out.WritePng("Textures/guncursor2.png", AimCursor(Rgb(60, 170, 255)).Image());

    out.WritePng("Textures/particle.png", SoftPuff().Image());
    out.WritePng("Textures/spark.png", Spark().Image());
    out.WritePng("Textures/bang.png", Fire().Image());
    out.WritePng("Textures/romb.png", Glitter().Image());
    out.WritePng("Textures/wall.png", Debris().Image());
    out.WritePng("Textures/respaun.png", SpawnRing().Image());

    const float s = 0.72f, o = 32 - 32 * s;  // symbols inside the badge
    Canvas hArmour = Badge(Rgb(80, 200, 255));
    Shield(hArmour, o, o, s);
    out.WritePng("Textures/H_armour_bonus.png", hArmour.Image());
    Canvas hWall = Badge(Rgb(255, 150, 90));
    BrickWallIcon(hWall, o, o, s);
    out.WritePng("Textures/H_wall_bonus.png", hWall.Image());
    Canvas hRemount = Badge(Rgb(120, 255, 120));
    Wrench(hRemount, o, o, s);
    out.WritePng("Textures/H_remount_bonus.png", hRemount.Image());
    Canvas hTime = Badge(Rgb(120, 255, 255));
    ClockFace(hTime, o, o, s);
    out.WritePng("Textures/H_time_bonus.png", hTime.Image());
    Canvas hUpgrade = Badge(Rgb(255, 220, 80));
    Arrow(hUpgrade, o, o, s);
    out.WritePng("Textures/H_upgrade_bonus.png", hUpgrade.Image());
    Canvas hBomb = Badge(Rgb(255, 120, 60));
    Bomb(hBomb, o, o, s);
    out.WritePng("Textures/H_bomb_bonus.png", hBomb.Image());
}

}  // namespace contentgen
