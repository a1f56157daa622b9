// Shells, walls, the base, the bonuses, the shield and the two helper markers.
#include "Models.h"

namespace contentgen {

namespace {

// A glowing bolt about 0.3 long, centred on the origin, pointing +z.
NamedMesh Bullet() {
    MeshBuilder b;
    int core = b.AddMaterial({Rgb(255, 250, 200), Pattern::Glow, true});
    int halo = b.AddMaterial({Rgb(255, 190, 60), Pattern::Flat, true});
    b.Barrel(0, 0, -0.15f, 0.08f, 0.045f, 6, halo, halo);
    b.Push();
    b.Translate({0, 0, 0.08f});
    b.RotateX(90);
    b.Frustum(0, 0.045f, 0.08f, 0.0f, 6, core, false, false);
    b.Pop();
    return {"bullet.x", b.Bake("bullet.png", 30)};
}

// A rocket about 0.45 long: grey body, red nose, four fins, a hot nozzle at the back.
NamedMesh Rocket() {
    MeshBuilder b;
    int body = b.AddMaterial({Rgb(200, 200, 195), Pattern::Flat});
    int nose = b.AddMaterial({Rgb(220, 40, 30), Pattern::Flat});
    int fin = b.AddMaterial({Rgb(60, 60, 60), Pattern::Flat});
    int fire = b.AddMaterial({Rgb(255, 200, 80), Pattern::Glow, true});
    b.Barrel(0, 0, -0.2f, 0.12f, 0.055f, 8, body, fire);
    b.Push();
    b.Translate({0, 0, 0.12f});
    b.RotateX(90);
    b.Frustum(0, 0.055f, 0.12f, 0.0f, 8, nose, false, false);
    b.Pop();
    for (int i = 0; i < 4; ++i) {
        b.Push();
        b.RotateZ(45.0f + 90.0f * i);
        b.Box({-0.008f, 0.04f, -0.2f}, {0.008f, 0.12f, -0.09f}, fin);
        b.Pop();
    }
    return {"roket.x", b.Bake("roket.png", 31)};
}

// Brick walls: intact block, chipped block, low rubble. One cell, 0.9 high.
NamedMesh BrickWall(int look) {
    MeshBuilder b;
    int brick = b.AddMaterial({Rgb(178, 82, 56), Pattern::Brick});
    int cap = b.AddMaterial({Rgb(196, 98, 66), Pattern::Brick});  // the camera mostly sees the top
    int rubble = b.AddMaterial({Rgb(150, 72, 52), Pattern::Rock});
    const float H = 0.9f;
    // No bevels (a few hundredths of a unit are under a pixel at the game's distance) and no faces
    // where a block stands on the ground or on another block.
    const int bottom = MeshBuilder::kBoxBottom, both = MeshBuilder::kBoxBottom | MeshBuilder::kBoxTop;
    if (look == 0) {
        b.Box({-0.48f, 0, -0.48f}, {0.48f, H - 0.06f, 0.48f}, brick, 0, -1, both);
        b.Box({-0.5f, H - 0.06f, -0.5f}, {0.5f, H, 0.5f}, cap, 0, -1, bottom);
    } else if (look == 1) {
        b.Box({-0.48f, 0, -0.48f}, {0.48f, 0.55f, 0.48f}, brick, 0, -1, bottom);
        b.Box({-0.48f, 0.55f, -0.48f}, {0.1f, 0.78f, 0.48f}, brick, 0, -1, bottom);
        b.Box({0.1f, 0.55f, 0.05f}, {0.48f, 0.7f, 0.48f}, brick, 0, -1, bottom);
        b.Box({-0.48f, 0.78f, -0.1f}, {-0.1f, 0.9f, 0.48f}, brick, 0, -1, bottom);
        b.Push();
        b.Translate({0.3f, 0.62f, -0.25f});
        b.RotateY(25);
        b.RotateZ(12);
        b.Box({-0.12f, -0.05f, -0.07f}, {0.12f, 0.05f, 0.07f}, rubble);
        b.Pop();
    } else {
        b.Box({-0.46f, 0, -0.46f}, {0.46f, 0.22f, 0.46f}, brick, 0, -1, bottom);
        Rng rng(77);
        for (int i = 0; i < 6; ++i) {
            b.Push();
            b.Translate({rng.Range(-0.32f, 0.32f), 0.26f + rng.Range(0, 0.08f), rng.Range(-0.32f, 0.32f)});
            b.RotateY(rng.Range(0, 180));
            b.RotateX(rng.Range(-20, 20));
            b.Box({-0.12f, -0.05f, -0.07f}, {0.12f, 0.05f, 0.07f}, i % 2 ? rubble : brick);
            b.Pop();
        }
    }
    static const char* names[3] = {"Wall", "Wall1", "Wall2"};
    std::string n = names[look];
    return {n + ".x", b.Bake(n + ".png", 40 + look)};
}

// Rock walls: a grey stone block that loses chunks, then a low heap.
NamedMesh RockWall(int look) {
    MeshBuilder b;
    int stone = b.AddMaterial({Rgb(128, 126, 120), Pattern::Rock});
    int dark = b.AddMaterial({Rgb(96, 94, 92), Pattern::Rock});
    int moss = b.AddMaterial({Rgb(140, 138, 128), Pattern::Rock});
    if (look == 0) {
        b.Box({-0.49f, 0, -0.49f}, {0.49f, 0.8f, 0.49f}, stone, 0.09f, moss);
        b.Blob({-0.18f, 0.82f, 0.1f}, {0.26f, 0.14f, 0.24f}, 4, 6, 0.2f, 5, dark);
        b.Blob({0.22f, 0.8f, -0.16f}, {0.2f, 0.12f, 0.2f}, 4, 6, 0.2f, 6, stone);
    } else if (look == 1) {
        b.Box({-0.49f, 0, -0.49f}, {0.49f, 0.5f, 0.49f}, stone, 0.08f, moss);
        b.Blob({-0.15f, 0.55f, 0.08f}, {0.32f, 0.22f, 0.3f}, 4, 7, 0.25f, 7, stone);
        b.Blob({0.28f, 0.5f, -0.25f}, {0.16f, 0.12f, 0.16f}, 3, 6, 0.2f, 8, dark);
    } else {
        b.Blob({-0.12f, 0.08f, 0.05f}, {0.38f, 0.24f, 0.34f}, 4, 7, 0.25f, 9, stone);
        b.Blob({0.25f, 0.06f, -0.2f}, {0.22f, 0.16f, 0.2f}, 3, 6, 0.25f, 10, dark);
        b.Blob({0.2f, 0.05f, 0.28f}, {0.16f, 0.1f, 0.14f}, 3, 5, 0.25f, 11, stone);
    }
    static const char* names[3] = {"Wall_rock", "Wall_rock1", "Wall_rock2"};
    std::string n = names[look];
    return {n + ".x", b.Bake(n + ".png", 50 + look)};
}

// The headquarters on its 2 x 2 footprint: an octagonal platform with four lamp posts.
NamedMesh BaseBody() {
    MeshBuilder b;
    int plate = b.AddMaterial({Rgb(125, 150, 200), Pattern::Plate});
    int rim = b.AddMaterial({Rgb(240, 205, 60), Pattern::Stripes});
    int steel = b.AddMaterial({Rgb(190, 200, 215), Pattern::Plate});
    int glow = b.AddMaterial({Rgb(120, 230, 255), Pattern::Glow, true});
    b.Frustum(0, 0.98f, 0.16f, 0.94f, 8, rim, false, true, plate);
    b.Frustum(0.16f, 0.8f, 0.26f, 0.72f, 8, steel, false, true, plate);
    b.Frustum(0.26f, 0.42f, 0.55f, 0.3f, 8, steel, false, true, glow);
    for (int i = 0; i < 4; ++i) {
        b.Push();
        b.RotateY(45.0f + 90.0f * i);
        b.Translate({0, 0, 0.72f});
        b.Box({-0.07f, 0.2f, -0.07f}, {0.07f, 0.85f, 0.07f}, steel, 0.015f);
        b.Box({-0.09f, 0.85f, -0.09f}, {0.09f, 0.97f, 0.09f}, glow);
        b.Pop();
    }
    return {"Base_body.x", b.Bake("Base_body.png", 60)};
}

// The spinning core above the base (turns about its own centre).
NamedMesh BaseCube() {
    MeshBuilder b;
    int core = b.AddMaterial({Rgb(110, 220, 255), Pattern::Glow, true});
    int frame = b.AddMaterial({Rgb(240, 205, 60), Pattern::Flat});
    b.Box({-0.26f, -0.26f, -0.26f}, {0.26f, 0.26f, 0.26f}, core, 0.09f);
    for (int axis = 0; axis < 3; ++axis) {
        b.Push();
        if (axis == 1) {
            b.RotateX(90);
        } else if (axis == 2) {
            b.RotateZ(90);
        }
        b.Box({-0.31f, -0.03f, -0.31f}, {0.31f, 0.03f, -0.25f}, frame);
        b.Box({-0.31f, -0.03f, 0.25f}, {0.31f, 0.03f, 0.31f}, frame);
        b.Pop();
    }
    return {"Base_cube.x", b.Bake("Base_cube.png", 61)};
}

// Every bonus floats over a glowing ring in its own colour.
void BonusRing(MeshBuilder& b, Color c) {
    int ring = b.AddMaterial({c, Pattern::Glow, true});
    int dark = b.AddMaterial({Scale(c, 0.6f), Pattern::Flat, true});
    b.Frustum(0.02f, 0.68f, 0.07f, 0.64f, 12, ring, false, true, dark);
}

// Flat pick-up symbols lean back towards the camera above: spinning about y, they never show their
// edge to a view from 60 degrees up.
void LeanBack(MeshBuilder& b, float height) {
    b.Translate({0, height, 0});
    b.RotateX(55);
    b.Translate({0, -height, 0});
}

NamedMesh ArmourBonus() {
    MeshBuilder b;
    BonusRing(b, Rgb(80, 200, 255));
    LeanBack(b, 0.85f);
    int shield = b.AddMaterial({Rgb(60, 150, 230), Pattern::Plate});
    int rim = b.AddMaterial({Rgb(220, 230, 240), Pattern::Flat});
    b.Push();
    b.RotateY(90);  // the profile's z becomes x: the shield faces -z, towards the camera
    b.Extrude({{-0.42f, 1.25f}, {-0.42f, 0.8f}, {0.0f, 0.32f}, {0.42f, 0.8f}, {0.42f, 1.25f}}, -0.07f, 0.07f,
              rim, rim);
    b.Extrude({{-0.3f, 1.17f}, {-0.3f, 0.83f}, {0.0f, 0.45f}, {0.3f, 0.83f}, {0.3f, 1.17f}}, -0.1f, 0.1f,
              shield, shield);
    b.Pop();
    return {"armour_bonus.x", b.Bake("armour_bonus.png", 70)};
}

NamedMesh TimeBonus() {
    MeshBuilder b;
    BonusRing(b, Rgb(120, 255, 255));
    LeanBack(b, 0.85f);
    int rim = b.AddMaterial({Rgb(60, 120, 220), Pattern::Plate});
    int face = b.AddMaterial({Rgb(245, 245, 235), Pattern::Flat});
    int hand = b.AddMaterial({Rgb(30, 30, 30), Pattern::Flat});
    b.Barrel(0, 0.8f, -0.09f, 0.09f, 0.45f, 12, rim, face);
    b.Barrel(0, 1.3f, -0.05f, 0.05f, 0.08f, 6, rim, rim);
    for (int side = -1; side <= 1; side += 2) {
        b.Push();
        b.Translate({side * 0.26f, 1.17f, 0});
        b.RotateZ(-side * 35.0f);
        b.Box({-0.1f, -0.04f, -0.06f}, {0.1f, 0.04f, 0.06f}, rim);
        b.Pop();
    }
    for (int side = -1; side <= 1; side += 2) {  // hands on both faces
        float z = side * 0.1f;
        b.Box({-0.025f, 0.78f, z - 0.01f}, {0.025f, 1.1f, z + 0.01f}, hand);
        b.Box({-0.02f, 0.77f, z - 0.01f}, {0.24f, 0.83f, z + 0.01f}, hand);
    }
    return {"time.x", b.Bake("time.png", 71)};
}

NamedMesh RemountBonus() {
    MeshBuilder b;
    BonusRing(b, Rgb(120, 255, 120));
    LeanBack(b, 0.85f);
    int metal = b.AddMaterial({Rgb(225, 170, 60), Pattern::Plate});
    int white = b.AddMaterial({Rgb(240, 240, 240), Pattern::Flat});
    int red = b.AddMaterial({Rgb(210, 40, 40), Pattern::Flat});
    // A wrench across a white repair badge with a red cross.
    b.Box({-0.36f, 0.42f, -0.07f}, {0.36f, 1.14f, 0.07f}, white, 0.04f);
    b.Box({-0.08f, 0.52f, -0.1f}, {0.08f, 1.04f, 0.1f}, red);
    b.Box({-0.26f, 0.7f, -0.1f}, {0.26f, 0.86f, 0.1f}, red);
    b.Push();
    b.Translate({0, 0.78f, 0});
    b.RotateZ(45);
    b.Box({-0.06f, -0.5f, -0.13f}, {0.06f, 0.42f, -0.08f}, metal);
    b.Box({-0.16f, 0.36f, -0.14f}, {-0.06f, 0.56f, -0.07f}, metal);
    b.Box({0.06f, 0.36f, -0.14f}, {0.16f, 0.56f, -0.07f}, metal);
    b.Pop();
    return {"remount_bonus.x", b.Bake("remount_bonus.png", 72)};
}

NamedMesh BombBonus() {
    MeshBuilder b;
    BonusRing(b, Rgb(255, 120, 60));
    int black = b.AddMaterial({Rgb(48, 48, 52), Pattern::Flat});
    int cap = b.AddMaterial({Rgb(140, 140, 140), Pattern::Plate});
    int fuse = b.AddMaterial({Rgb(200, 170, 120), Pattern::Wood});
    int spark = b.AddMaterial({Rgb(255, 220, 80), Pattern::Glow, true});
    b.Sphere({0, 0.75f, 0}, 0.42f, 8, 10, black);
    b.Push();
    b.Translate({0, 1.1f, 0});
    b.Frustum(0, 0.14f, 0.12f, 0.12f, 8, cap, false, true);
    b.Pop();
    b.Push();
    b.Translate({0, 1.2f, 0});
    b.RotateZ(-25);
    b.Frustum(0, 0.03f, 0.22f, 0.03f, 5, fuse, false, false);
    b.Pop();
    b.Sphere({0.1f, 1.42f, 0}, 0.08f, 3, 5, spark);
    return {"bomb.x", b.Bake("bomb.png", 73)};
}

NamedMesh UpgradeBonus() {
    MeshBuilder b;
    BonusRing(b, Rgb(255, 220, 80));
    LeanBack(b, 0.85f);
    int gold = b.AddMaterial({Rgb(245, 195, 50), Pattern::Plate});
    int bright = b.AddMaterial({Rgb(255, 235, 140), Pattern::Flat});
    b.Push();
    b.RotateY(90);
    // Arrow: head and shaft, then two chevrons below.
    b.Extrude({{-0.42f, 0.95f}, {0.42f, 0.95f}, {0.0f, 1.4f}}, -0.08f, 0.08f, gold, bright);
    b.Extrude({{-0.16f, 0.55f}, {0.16f, 0.55f}, {0.16f, 0.96f}, {-0.16f, 0.96f}}, -0.08f, 0.08f, gold,
              bright);
    b.Pop();
    return {"upgrade.x", b.Bake("upgrade.png", 74)};
}

NamedMesh LifeBonus() {
    MeshBuilder b;
    BonusRing(b, Rgb(255, 90, 110));
    LeanBack(b, 0.85f);
    int red = b.AddMaterial({Rgb(225, 40, 60), Pattern::Flat});
    int light = b.AddMaterial({Rgb(255, 140, 150), Pattern::Flat});
    // A heart: a square turned 45 degrees with two discs on its upper edges.
    b.Push();
    b.Translate({0, 0.82f, 0});
    b.RotateZ(45);
    b.Box({-0.27f, -0.27f, -0.1f}, {0.27f, 0.27f, 0.1f}, red, 0.03f);
    b.Pop();
    b.Barrel(-0.19f, 1.01f, -0.1f, 0.1f, 0.27f, 10, red, light);
    b.Barrel(0.19f, 1.01f, -0.1f, 0.1f, 0.27f, 10, red, light);
    return {"life_bonus.x", b.Bake("life_bonus.png", 75)};
}

NamedMesh WallBonus() {
    MeshBuilder b;
    BonusRing(b, Rgb(255, 150, 90));
    int brick = b.AddMaterial({Rgb(178, 82, 56), Pattern::Brick});
    int cap = b.AddMaterial({Rgb(200, 190, 170), Pattern::Flat});
    // A little fort: a ring of four brick blocks with battlements.
    for (int i = 0; i < 4; ++i) {
        b.Push();
        b.RotateY(90.0f * i);
        b.Box({-0.45f, 0.15f, 0.3f}, {0.3f, 0.75f, 0.45f}, brick, 0.02f, cap);
        b.Box({-0.45f, 0.75f, 0.3f}, {-0.25f, 0.9f, 0.45f}, brick, 0.01f, cap);
        b.Box({0.1f, 0.75f, 0.3f}, {0.3f, 0.9f, 0.45f}, brick, 0.01f, cap);
        b.Pop();
    }
    return {"wall_bonus.x", b.Bake("wall_bonus.png", 76)};
}

// The shield: a faceted translucent dome over the whole tank, drawn blended.
NamedMesh ArmourDome() {
    MeshBuilder b;
    int field = b.AddMaterial({Rgb(90, 200, 255, 0.38f), Pattern::Glow, true});
    b.Sphere({0, 0, 0}, 1.3f, 8, 14, field, true);
    return {"armour.x", b.Bake("armour.png", 80)};
}

// Debug markers: a green diamond (true) and a red cross (false).
NamedMesh Helper(bool yes) {
    MeshBuilder b;
    if (yes) {
        int green = b.AddMaterial({Rgb(60, 230, 90), Pattern::Flat, true});
        b.Sphere({0, 0.5f, 0}, 0.25f, 2, 4, green);
        return {"helperT.x", b.Bake("helperT.png", 90)};
    }
    int red = b.AddMaterial({Rgb(240, 50, 50), Pattern::Flat, true});
    for (int i = 0; i < 2; ++i) {
        b.Push();
        b.Translate({0, 0.5f, 0});
        b.RotateY(45.0f + 90.0f * i);
        b.Box({-0.3f, -0.06f, -0.06f}, {0.3f, 0.06f, 0.06f}, red);
        b.Pop();
    }
    return {"helperF.x", b.Bake("helperF.png", 91)};
}

}  // namespace

std::vector<NamedMesh> BuildTankModels();

std::vector<NamedMesh> BuildGameModels() {
    std::vector<NamedMesh> out = BuildTankModels();
    out.push_back(Bullet());
    out.push_back(Rocket());
    for (int i = 0; i < 3; ++i) {
        out.push_back(BrickWall(i));
        out.push_back(RockWall(i));
    }
    out.push_back(BaseBody());
    out.push_back(BaseCube());
    out.push_back(ArmourBonus());
    out.push_back(TimeBonus());
    out.push_back(RemountBonus());
    out.push_back(BombBonus());
    out.push_back(UpgradeBonus());
    out.push_back(LifeBonus());
    out.push_back(WallBonus());
    out.push_back(ArmourDome());
    out.push_back(Helper(true));
    out.push_back(Helper(false));
    return out;
}

}  // namespace contentgen
