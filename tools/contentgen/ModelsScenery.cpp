// The water plane, the ground tile and the decoration the levels place.
#include <cmath>

#include "Models.h"

namespace contentgen {

namespace {

// Seamless water: deep blue with lighter wave crests.
platform::Image WaterTexture() {
    Canvas c(128, 128);
    c.Paint([](float x, float y) {
        float n = FractalNoise(x / 16, y / 16, 8, 3, 901);
        float wave = 0.5f + 0.5f * std::sin((x + y * 0.5f) / 128 * 2 * kPi * 4 + n * 6);
        Color deep = Rgb(24, 70, 120), light = Rgb(70, 140, 190);
        Color col = Mix(deep, light, 0.25f + 0.45f * n + 0.2f * wave * wave * wave);
        return col;
    });
    return c.Image();
}

// A square plane of 200 x 200 units (the largest level is far smaller), facing up, its texture
// repeated every 4 units.
NamedMesh Water() {
    MeshBuilder b;
    const int cells = 8;
    const float size = 200, step = size / cells, repeat = 4;
    for (int i = 0; i < cells; ++i) {
        for (int j = 0; j < cells; ++j) {
            float x0 = -size / 2 + i * step, z0 = -size / 2 + j * step;
            float u0 = x0 / repeat, v0 = -z0 / repeat, u1 = (x0 + step) / repeat, v1 = -(z0 + step) / repeat;
            // Clockwise seen from above: (x0,z0) -> (x0,z1) -> (x1,z1) -> (x1,z0).
            b.PolygonUv({{x0, 0, z0}, {x0, 0, z0 + step}, {x0 + step, 0, z0 + step}, {x0 + step, 0, z0}},
                        {u0, v0, u0, v1, u1, v1, u1, v0}, 0);
        }
    }
    b.AddMaterial({Rgb(255, 255, 255), Pattern::Flat});
    return {"water.x", b.WithTextures({{"water.png", WaterTexture(), 1.0f}})};
}

platform::Image GrassTexture() {
    Canvas c(128, 128);
    c.Paint([](float x, float y) {
        float n = FractalNoise(x / 16, y / 16, 8, 4, 311);
        float fine = ValueNoise(x / 2, y / 2, 64, 312);
        Color a = Rgb(70, 118, 50), b = Rgb(120, 160, 70);
        Color col = Mix(a, b, n);
        return Scale(col, 0.9f + 0.18f * fine);
    });
    return c.Image();
}

platform::Image DirtTexture() {
    Canvas c(64, 64);
    c.Paint([](float x, float y) {
        float n = FractalNoise(x / 8, y / 8, 8, 3, 411);
        Color col = Mix(Rgb(92, 70, 48), Rgb(130, 100, 70), n);
        return Scale(col, 0.75f + 0.25f * (1.0f - y / 64));  // darker towards the water
    });
    return c.Image();
}

// One cell of ground: a grass top at y = 0 with earth banks down to the water under the level.
NamedMesh GroundTile() {
    MeshBuilder b;
    b.AddMaterial({Rgb(255, 255, 255), Pattern::Flat});
    b.AddMaterial({Rgb(255, 255, 255), Pattern::Flat});
    const float h = 0.5f, d = -0.6f;
    b.PolygonUv({{-h, 0, -h}, {-h, 0, h}, {h, 0, h}, {h, 0, -h}}, {0, 1, 0, 0, 1, 0, 1, 1}, 0);
    // Banks, each clockwise seen from outside.
    b.PolygonUv({{-h, d, -h}, {-h, 0, -h}, {h, 0, -h}, {h, d, -h}}, {0, 1, 0, 0, 1, 0, 1, 1}, 1);
    b.PolygonUv({{h, d, h}, {h, 0, h}, {-h, 0, h}, {-h, d, h}}, {0, 1, 0, 0, 1, 0, 1, 1}, 1);
    b.PolygonUv({{-h, d, h}, {-h, 0, h}, {-h, 0, -h}, {-h, d, -h}}, {0, 1, 0, 0, 1, 0, 1, 1}, 1);
    b.PolygonUv({{h, d, -h}, {h, 0, -h}, {h, 0, h}, {h, d, h}}, {0, 1, 0, 0, 1, 0, 1, 1}, 1);
    return {"grass.x",
            b.WithTextures({{"grass.png", GrassTexture(), 1.0f}, {"dirt.png", DirtTexture(), 1.0f}})};
}

// Four by four cells of ground in one piece (the levels cover the land with these where there is no
// water nearby); its texture repeats once per cell.
NamedMesh GroundPatch() {
    MeshBuilder b;
    b.AddMaterial({Rgb(255, 255, 255), Pattern::Flat});
    b.AddMaterial({Rgb(255, 255, 255), Pattern::Flat});
    const float h = 2.0f, d = -0.6f, r = 4.0f;
    b.PolygonUv({{-h, 0, -h}, {-h, 0, h}, {h, 0, h}, {h, 0, -h}}, {0, r, 0, 0, r, 0, r, r}, 0);
    b.PolygonUv({{-h, d, -h}, {-h, 0, -h}, {h, 0, -h}, {h, d, -h}}, {0, 1, 0, 0, r, 0, r, 1}, 1);
    b.PolygonUv({{h, d, h}, {h, 0, h}, {-h, 0, h}, {-h, d, h}}, {0, 1, 0, 0, r, 0, r, 1}, 1);
    b.PolygonUv({{-h, d, h}, {-h, 0, h}, {-h, 0, -h}, {-h, d, -h}}, {0, 1, 0, 0, r, 0, r, 1}, 1);
    b.PolygonUv({{h, d, -h}, {h, 0, -h}, {h, 0, h}, {h, d, h}}, {0, 1, 0, 0, r, 0, r, 1}, 1);
    return {"ground.x",
            b.WithTextures({{"grass.png", GrassTexture(), 1.0f}, {"dirt.png", DirtTexture(), 1.0f}})};
}

// A round-topped tree about 2.2 high.
NamedMesh Tree() {
    MeshBuilder b;
    int bark = b.AddMaterial({Rgb(110, 78, 50), Pattern::Wood});
    int leaves = b.AddMaterial({Rgb(60, 130, 50), Pattern::Leaves});
    int leaves2 = b.AddMaterial({Rgb(85, 150, 55), Pattern::Leaves});
    b.Frustum(0, 0.14f, 1.0f, 0.09f, 5, bark, false, false);
    b.Blob({0, 1.45f, 0}, {0.75f, 0.7f, 0.75f}, 4, 8, 0.18f, 21, leaves);
    b.Blob({0.25f, 1.95f, -0.1f}, {0.42f, 0.38f, 0.42f}, 3, 6, 0.18f, 22, leaves2);
    return {"tree.x", b.Bake("tree.png", 20)};
}

// A fir of three stacked cones, open underneath (the camera is always above them).
NamedMesh Pine() {
    MeshBuilder b;
    int bark = b.AddMaterial({Rgb(95, 68, 45), Pattern::Wood});
    int needles = b.AddMaterial({Rgb(40, 100, 60), Pattern::Leaves});
    b.Frustum(0, 0.12f, 0.6f, 0.09f, 5, bark, false, false);
    b.Frustum(0.45f, 0.8f, 1.3f, 0.0f, 9, needles, false, false);
    b.Frustum(1.0f, 0.62f, 1.9f, 0.0f, 9, needles, false, false);
    b.Frustum(1.5f, 0.42f, 2.5f, 0.0f, 9, needles, false, false);
    return {"pine.x", b.Bake("pine.png", 23)};
}

// A mossy boulder.
NamedMesh Rock() {
    MeshBuilder b;
    int stone = b.AddMaterial({Rgb(132, 128, 122), Pattern::Rock});
    int moss = b.AddMaterial({Rgb(100, 125, 75), Pattern::Rock});
    b.Blob({0, 0.15f, 0}, {0.6f, 0.45f, 0.5f}, 4, 8, 0.22f, 31, stone);
    b.Blob({0.3f, 0.5f, 0.05f}, {0.25f, 0.15f, 0.25f}, 3, 6, 0.2f, 32, moss);
    return {"rock.x", b.Bake("rock.png", 24)};
}

// A low bush.
NamedMesh Bush() {
    MeshBuilder b;
    int leaves = b.AddMaterial({Rgb(70, 135, 55), Pattern::Leaves});
    int berries = b.AddMaterial({Rgb(200, 60, 60), Pattern::Flat});
    b.Blob({0, 0.25f, 0}, {0.5f, 0.35f, 0.45f}, 4, 7, 0.2f, 41, leaves);
    b.Blob({0.3f, 0.3f, 0.2f}, {0.3f, 0.25f, 0.3f}, 3, 6, 0.2f, 42, leaves);
    b.Sphere({0.1f, 0.55f, -0.32f}, 0.06f, 2, 4, berries);
    b.Sphere({-0.25f, 0.45f, -0.3f}, 0.06f, 2, 4, berries);
    return {"bush.x", b.Bake("bush.png", 25)};
}

}  // namespace

std::vector<NamedMesh> BuildSceneryModels() {
    std::vector<NamedMesh> out;
    out.push_back(Water());
    out.push_back(GroundTile());
    out.push_back(GroundPatch());
    out.push_back(Tree());
    out.push_back(Pine());
    out.push_back(Rock());
    out.push_back(Bush());
    return out;
}

}  // namespace contentgen
