// A small software renderer that draws the generated models as the game's shaders do (texture only,
// back faces culled by their winding, blended materials last), for the previews and the icons.
#pragma once

#include <vector>

#include "Canvas.h"
#include "Geometry.h"
#include "Mesh.h"

namespace contentgen {

struct Camera {
    Vec3 position;
    float pitch = 60;  // degrees down, looking along +z
    float focal = 1;   // 1 / tan(fov / 2)
    float aspect = 1;  // width / height
};

struct Raster {
    int width, height;
    Canvas color;
    std::vector<float> depth;
    Raster(int w, int h, Color fill = Rgb(128, 128, 128))
        : width(w), height(h), color(w, h, fill), depth(static_cast<size_t>(w) * h, 1e30f) {}
};

// The texel of an RGBA8 image at (u, v), wrapping; magenta for an empty image.
Color Sample(const platform::Image& img, float u, float v);

// Draws a model placed by rotation about y (degrees), then translation by `at`, then uniform scale,
// seen from `cam`; only blended materials when `transparentPass`, only opaque ones otherwise.
void DrawModel(Raster& r, const ExportedMesh& mesh, Vec3 at, float yaw, float scale, const Camera& cam,
               bool transparentPass);

// The distance of the farthest vertex from the origin (at least 0.3).
float Radius(const ExportedMesh& m);

}  // namespace contentgen
