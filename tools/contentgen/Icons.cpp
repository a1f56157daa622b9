#include "Icons.h"

#include <cmath>
#include <string>

#include "Models.h"
#include "Raster.h"

namespace contentgen {

namespace {

// Each pixel of the icon averages this many samples across and down.
constexpr int kSamples = 4;

const ExportedMesh* Find(const std::vector<NamedMesh>& models, const char* name) {
    for (const NamedMesh& m : models) {
        if (m.fileName == name) {
            return &m.mesh;
        }
    }
    return nullptr;
}

// Averages each kSamples x kSamples block with premultiplied alpha, so transparent samples do not
// darken the edges.
Canvas Reduce(const Canvas& big, int size) {
    Canvas small(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    Color c = big.Get(x * kSamples + sx, y * kSamples + sy);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            small.Set(x, y,
                      a > 0 ? Color{r / a, g / a, b / a, a / (kSamples * kSamples)} : Color{0, 0, 0, 0});
        }
    }
    return small;
}

Canvas DrawIcon(const std::vector<NamedMesh>& models, int size) {
    const int big = size * kSamples;
    const float s = static_cast<float>(big);
    Raster r(big, big, Color{0, 0, 0, 0});
    // A round plate of the ground the tanks drive on, with a rim, under the tank.
    r.color.Fill(Circle(s * 0.5f, s * 0.5f, s * 0.47f), Rgb(46, 58, 38));
    r.color.Fill(Circle(s * 0.5f, s * 0.5f, s * 0.43f), [&](float x, float y) {
        return Mix(Rgb(112, 134, 78), Rgb(70, 90, 52), (x + y) / (2 * s));
    });
    Camera cam;
    cam.pitch = 32;
    cam.focal = 1 / std::tan(19 * kPi / 180);
    const float distance = 5.2f;
    const float p = cam.pitch * kPi / 180;
    cam.position = {0, 0.25f + distance * std::sin(p), -distance * std::cos(p)};
    const ExportedMesh* hull = Find(models, "player.x");
    const ExportedMesh* turret = Find(models, "tower1.x");
    for (bool transparent : {false, true}) {
        if (hull != nullptr) {
            DrawModel(r, *hull, {0, 0, 0}, -35, 1, cam, transparent);
        }
        if (turret != nullptr) {
            DrawModel(r, *turret, {0, 0, 0}, -65, 1, cam, transparent);
        }
    }
    return Reduce(r.color, size);
}

}  // namespace

void WriteIcons(Output& out) {
    const std::vector<NamedMesh> models = BuildGameModels();
    for (int size : {48, 64, 128, 256}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        out.WritePngBeside("desktop/icons/" + folder + "/" + kAppId + ".png", DrawIcon(models, size).Image());
    }
}

}  // namespace contentgen
