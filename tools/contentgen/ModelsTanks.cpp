// The player's hull and turrets and the four enemy tanks. A tank fits its 2 x 2 footprint (centred on
// the origin, forward +z); the hull is 0.46 high, the turret ring sits on it and the gun is at about
// 0.6, near the height shells fly at. The player's tank is green with yellow markings and white
// lamps; enemies are red, orange, crimson or black with red lamps.
#include "Models.h"

namespace contentgen {

namespace {

struct TankColors {
    Color body, accent, lamp;
    Pattern accentPattern = Pattern::Flat;
};

struct TankMaterials {
    int body, bodySide, accent, track, trackSide, wheel, lamp, grille, dark, turretTop;
};

TankMaterials AddTankMaterials(MeshBuilder& b, const TankColors& c) {
    TankMaterials m;
    m.body = b.AddMaterial({c.body, Pattern::Plate});
    m.bodySide = b.AddMaterial({Scale(c.body, 0.85f), Pattern::Plate});
    m.accent = b.AddMaterial({c.accent, c.accentPattern});
    m.track = b.AddMaterial({Rgb(62, 60, 58), Pattern::Tread});
    m.trackSide = b.AddMaterial({Rgb(48, 47, 46), Pattern::Flat});
    m.wheel = b.AddMaterial({Rgb(105, 104, 98), Pattern::Flat});
    m.lamp = b.AddMaterial({c.lamp, Pattern::Glow, true});
    m.grille = b.AddMaterial({Rgb(70, 70, 66), Pattern::Grille});
    m.dark = b.AddMaterial({Rgb(38, 38, 38), Pattern::Flat});
    m.turretTop = b.AddMaterial({Scale(c.body, 1.08f), Pattern::Plate});
    return m;
}

struct HullShape {
    float halfLength = 0.92f;  // along z
    float inner = 0.58f;       // hull half width (tracks start here)
    float outer = 0.9f;        // tracks' outer edge
    float trackHeight = 0.36f;
    float hullHeight = 0.46f;
};

void AddTracks(MeshBuilder& b, const TankMaterials& m, const HullShape& h) {
    float L = h.halfLength, H = h.trackHeight;
    std::vector<std::pair<float, float>> profile = {{-L + 0.14f, 0.0f}, {L - 0.14f, 0.0f}, {L, H * 0.5f},
                                                    {L - 0.08f, H},     {-L + 0.08f, H},   {-L, H * 0.5f}};
    b.Extrude(profile, -h.outer, -h.inner, m.track, m.trackSide);
    b.Extrude(profile, h.inner, h.outer, m.track, m.trackSide);
    // Road wheels on the outer faces.
    for (int side = -1; side <= 1; side += 2) {
        for (int i = 0; i < 4; ++i) {
            float z = -L + 0.3f + i * (2 * L - 0.6f) / 3;
            b.Push();
            b.Translate({side * h.outer, H * 0.45f, z});
            b.RotateZ(side > 0 ? -90.0f : 90.0f);
            b.Frustum(0, 0.13f, 0.035f, 0.1f, 8, m.wheel, false, true, m.dark);
            b.Pop();
        }
    }
}

void AddHull(MeshBuilder& b, const TankMaterials& m, const HullShape& h, bool friendMarks) {
    float L = h.halfLength, T = h.hullHeight;
    std::vector<std::pair<float, float>> profile = {{-L + 0.04f, 0.12f}, {L - 0.22f, 0.12f},
                                                    {L + 0.02f, 0.3f},   {L - 0.14f, T},
                                                    {-L + 0.1f, T},      {-L - 0.02f, 0.3f}};
    b.Extrude(profile, -h.inner - 0.01f, h.inner + 0.01f, m.body, m.bodySide);
    // Fenders over the tracks, striped on enemies; the player's tracks stay in view.
    for (int side = -1; side <= 1 && !friendMarks; side += 2) {
        float x0 = side < 0 ? -h.outer - 0.02f : h.inner - 0.02f;
        float x1 = side < 0 ? -h.inner + 0.02f : h.outer + 0.02f;
        b.Box({x0, h.trackHeight, -L + 0.06f}, {x1, h.trackHeight + 0.05f, L - 0.04f},
              friendMarks ? m.body : m.accent, 0.015f);
    }
    // Lamps at the front, an engine grille at the back.
    for (int side = -1; side <= 1; side += 2) {
        b.Box({side * 0.42f - 0.07f, T - 0.13f, L - 0.16f}, {side * 0.42f + 0.07f, T - 0.05f, L - 0.04f},
              m.lamp);
    }
    b.Box({-0.34f, T, -L + 0.14f}, {0.34f, T + 0.03f, -L + 0.4f}, m.grille);
    if (friendMarks) {
        // Stowage boxes on the back corners.
        for (int side = -1; side <= 1; side += 2) {
            b.Box({side * 0.4f - 0.12f, T, -L + 0.42f}, {side * 0.4f + 0.12f, T + 0.1f, -L + 0.66f},
                  m.bodySide, 0.015f);
        }
        // A yellow band across the glacis: the player's tank reads as a friend from above.
        b.Box({-h.inner + 0.05f, T - 0.005f, L - 0.36f}, {h.inner - 0.05f, T + 0.02f, L - 0.24f}, m.accent);
    }
}

// Turret ring and body on top of the hull, centred on the origin so that it turns in place.
void AddTurretBody(MeshBuilder& b, const TankMaterials& m, float radius, float y0, float height) {
    b.Push();
    b.Translate({0, y0, -0.06f});
    b.Frustum(0, radius, height, radius * 0.78f, 8, m.body, false, true, m.turretTop);
    b.Push();
    b.Translate({-0.16f, height, -0.1f});
    b.Frustum(0, 0.11f, 0.05f, 0.09f, 6, m.dark, false, true, m.bodySide);
    b.Pop();
    b.Pop();
}

void AddGun(MeshBuilder& b, const TankMaterials& m, float x, float y, float z0, float z1, float radius,
            bool muzzleBrake) {
    b.Barrel(x, y, z0, z1, radius, 8, m.bodySide, m.dark);
    // A mantlet where the gun leaves the turret.
    b.Box({x - radius * 1.8f, y - radius * 1.8f, z0 - 0.04f},
          {x + radius * 1.8f, y + radius * 1.8f, z0 + 0.1f}, m.bodySide, 0.01f);
    if (muzzleBrake) {
        b.Barrel(x, y, z1 - 0.12f, z1 + 0.02f, radius * 1.45f, 8, m.dark, m.dark);
    }
}

const TankColors kPlayer{Rgb(92, 138, 70), Rgb(250, 205, 45), Rgb(255, 246, 200)};
// The second player's tank in a game for two: steel blue with white markings.
const TankColors kSecondPlayer{Rgb(70, 108, 150), Rgb(235, 240, 250), Rgb(200, 225, 255)};

MeshBuilder PlayerTurretBase(TankMaterials& m, const TankColors& colors) {
    MeshBuilder b;
    m = AddTankMaterials(b, colors);
    AddTurretBody(b, m, 0.44f, 0.46f, 0.25f);
    // Yellow roundel on the turret roof: friend at a glance.
    b.Push();
    b.Translate({0.12f, 0.71f, -0.12f});
    b.Frustum(0, 0.12f, 0.012f, 0.12f, 8, m.accent, false, true);
    b.Pop();
    // A whip antenna with a yellow tip at the back of the turret.
    b.Box({0.24f, 0.7f, -0.4f}, {0.26f, 1.12f, -0.38f}, m.dark);
    b.Box({0.225f, 1.12f, -0.415f}, {0.275f, 1.17f, -0.365f}, m.accent);
    return b;
}

NamedMesh Tower(const std::string& name, int grade, const TankColors& colors = kPlayer, int seed = 100) {
    TankMaterials m{};
    MeshBuilder b = PlayerTurretBase(m, colors);
    float gy = 0.6f;
    switch (grade) {
        case 0:  // the unused plain turret: a stub gun
            AddGun(b, m, 0, gy, 0.28f, 0.75f, 0.07f, false);
            break;
        case 1:  // single short barrel
            AddGun(b, m, 0, gy, 0.28f, 1.0f, 0.065f, false);
            break;
        case 2:  // longer barrel with a muzzle brake
            AddGun(b, m, 0, gy, 0.28f, 1.3f, 0.07f, true);
            break;
        case 3:  // twin barrels, 0.2 to each side like the twin shots
            AddGun(b, m, -0.2f, gy, 0.28f, 1.1f, 0.06f, true);
            AddGun(b, m, 0.2f, gy, 0.28f, 1.1f, 0.06f, true);
            break;
        case 4: {  // rocket launcher: two pods of two tubes beside the turret, red warheads out front
            int red = b.AddMaterial({Rgb(235, 50, 40), Pattern::Flat, true});
            for (int side = -1; side <= 1; side += 2) {
                float x = side * 0.36f;
                b.Box({x - 0.13f, 0.56f, -0.32f}, {x + 0.13f, 0.84f, 0.42f}, m.body, 0.025f, m.turretTop);
                b.Box({x - 0.13f, 0.84f, -0.2f}, {x + 0.13f, 0.86f, 0.3f}, m.accent);
                for (int iy = 0; iy < 2; ++iy) {
                    float y = 0.63f + iy * 0.14f;
                    b.Barrel(x, y, 0.4f, 0.5f, 0.055f, 6, m.dark, m.dark);
                    b.Push();
                    b.Translate({x, y, 0.48f});
                    b.RotateX(90);
                    b.Frustum(0, 0.045f, 0.16f, 0.0f, 6, red, false, false);
                    b.Pop();
                }
            }
            break;
        }
    }
    return {name, b.Bake(name.substr(0, name.size() - 2) + ".png", seed + grade)};
}

NamedMesh PlayerHull(const std::string& name = "player", const TankColors& colors = kPlayer, int seed = 1) {
    MeshBuilder b;
    TankMaterials m = AddTankMaterials(b, colors);
    HullShape h;
    AddTracks(b, m, h);
    AddHull(b, m, h, true);
    return {name + ".x", b.Bake(name + ".png", seed)};
}

NamedMesh Enemy(int kind) {
    static const TankColors colors[4] = {
        {Rgb(168, 62, 48), Rgb(44, 40, 40), Rgb(255, 70, 50)},
        {Rgb(218, 112, 40), Rgb(44, 40, 40), Rgb(255, 70, 50)},
        {Rgb(124, 30, 40), Rgb(200, 60, 50), Rgb(255, 70, 50), Pattern::Stripes},
        {Rgb(72, 68, 74), Rgb(215, 45, 40), Rgb(255, 70, 50), Pattern::Stripes},
    };
    MeshBuilder b;
    TankMaterials m = AddTankMaterials(b, colors[kind]);
    HullShape h;
    switch (kind) {
        case 0:
            AddTracks(b, m, h);
            AddHull(b, m, h, false);
            AddTurretBody(b, m, 0.42f, h.hullHeight, 0.25f);
            AddGun(b, m, 0, 0.6f, 0.28f, 1.02f, 0.065f, false);
            break;
        case 1:  // fast: narrow, low, long thin gun
            h.inner = 0.5f;
            h.outer = 0.78f;
            h.trackHeight = 0.3f;
            h.hullHeight = 0.4f;
            h.halfLength = 0.95f;
            AddTracks(b, m, h);
            AddHull(b, m, h, false);
            AddTurretBody(b, m, 0.34f, h.hullHeight, 0.22f);
            AddGun(b, m, 0, 0.53f, 0.22f, 1.25f, 0.05f, true);
            break;
        case 2:  // heavy twin gun
            h.inner = 0.62f;
            h.outer = 0.95f;
            h.hullHeight = 0.48f;
            AddTracks(b, m, h);
            AddHull(b, m, h, false);
            b.Box({-0.5f, h.hullHeight, -0.52f}, {0.5f, h.hullHeight + 0.27f, 0.32f}, m.body, 0.05f,
                  m.turretTop);
            AddGun(b, m, -0.17f, 0.62f, 0.3f, 1.12f, 0.06f, true);
            AddGun(b, m, 0.17f, 0.62f, 0.3f, 1.12f, 0.06f, true);
            break;
        case 3: {  // rocket carrier
            h.halfLength = 0.95f;
            AddTracks(b, m, h);
            AddHull(b, m, h, false);
            AddTurretBody(b, m, 0.4f, h.hullHeight, 0.14f);
            int red = b.AddMaterial({Rgb(230, 50, 40), Pattern::Glow, true});
            for (int side = -1; side <= 1; side += 2) {
                float x = side * 0.26f;
                b.Box({x - 0.17f, 0.58f, -0.45f}, {x + 0.17f, 0.86f, 0.5f}, m.body, 0.03f, m.accent);
                for (int iy = 0; iy < 2; ++iy) {
                    float y = 0.65f + iy * 0.14f;
                    b.Barrel(x, y, 0.46f, 0.56f, 0.055f, 6, m.dark, red);
                }
            }
            break;
        }
    }
    std::string name = "Enemy" + std::to_string(kind + 1);
    return {name + ".x", b.Bake(name + ".png", 10 + kind)};
}

}  // namespace

std::vector<NamedMesh> BuildTankModels() {
    std::vector<NamedMesh> out;
    out.push_back(PlayerHull());
    out.push_back(Tower("tower.x", 0));
    for (int g = 1; g <= 4; ++g) {
        out.push_back(Tower("tower" + std::to_string(g) + ".x", g));
    }
    for (int k = 0; k < 4; ++k) {
        out.push_back(Enemy(k));
    }
    out.push_back(PlayerHull("player2", kSecondPlayer, 2));
    for (int g = 1; g <= 4; ++g) {
        out.push_back(Tower("tower" + std::to_string(g) + "b.x", g, kSecondPlayer, 200));
    }
    return out;
}

}  // namespace contentgen
