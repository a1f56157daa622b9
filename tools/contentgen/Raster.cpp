#include "Raster.h"

#include <algorithm>
#include <cmath>

namespace contentgen {

Color Sample(const platform::Image& img, float u, float v) {
    if (img.Width == 0) {
        return Rgb(255, 0, 255);
    }
    u -= std::floor(u);
    v -= std::floor(v);
    int x = std::min(img.Width - 1, static_cast<int>(u * img.Width));
    int y = std::min(img.Height - 1, static_cast<int>(v * img.Height));
    const uint8_t* p = &img.Rgba[(static_cast<size_t>(y) * img.Width + x) * 4];
    return {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f};
}

void DrawModel(Raster& r, const ExportedMesh& mesh, Vec3 at, float yaw, float scale, const Camera& cam,
               bool transparentPass) {
    float p = cam.pitch * kPi / 180;
    Vec3 fwd{0, -std::sin(p), std::cos(p)}, up{0, std::cos(p), std::sin(p)}, right{1, 0, 0};
    float cy = std::cos(yaw * kPi / 180), sy = std::sin(yaw * kPi / 180);
    struct V {
        float sx, sy, z, u, v;
    };
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
        const ExportedMaterial& mat = mesh.materials[mesh.faceMaterial[f]];
        bool transparent = mat.alpha < 1.0f;
        if (transparent != transparentPass) {
            continue;
        }
        std::vector<V> vs;
        bool behind = false;
        for (int idx : mesh.faces[f]) {
            Vec3 q = mesh.positions[idx] * scale;
            Vec3 w{q.x * cy + q.z * sy + at.x, q.y + at.y, -q.x * sy + q.z * cy + at.z};
            Vec3 d = w - cam.position;
            float zv = Dot(d, fwd);
            if (zv < 0.1f) {
                behind = true;
                break;
            }
            float xs = Dot(d, right) / zv * cam.focal / cam.aspect, ys = Dot(d, up) / zv * cam.focal;
            vs.push_back({(xs * 0.5f + 0.5f) * r.width, (0.5f - ys * 0.5f) * r.height, zv, mesh.uvs[2 * idx],
                          mesh.uvs[2 * idx + 1]});
        }
        if (behind) {
            continue;
        }
        for (size_t k = 1; k + 1 < vs.size(); ++k) {
            V a = vs[0], b = vs[k], c = vs[k + 1];
            // Screen y grows downwards here, so a clockwise triangle (seen by the viewer) has a
            // positive area; the game culls the others unless the material is blended.
            float area = (b.sx - a.sx) * (c.sy - a.sy) - (c.sx - a.sx) * (b.sy - a.sy);
            if (!transparent && area <= 0) {
                continue;
            }
            if (std::fabs(area) < 1e-6f) {
                continue;
            }
            int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.sx, b.sx, c.sx}))));
            int x1 = std::min(r.width - 1, static_cast<int>(std::ceil(std::max({a.sx, b.sx, c.sx}))));
            int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.sy, b.sy, c.sy}))));
            int y1 = std::min(r.height - 1, static_cast<int>(std::ceil(std::max({a.sy, b.sy, c.sy}))));
            for (int y = y0; y <= y1; ++y) {
                for (int x = x0; x <= x1; ++x) {
                    float px = x + 0.5f, py = y + 0.5f;
                    float w0 = ((b.sx - px) * (c.sy - py) - (c.sx - px) * (b.sy - py)) / area;
                    float w1 = ((c.sx - px) * (a.sy - py) - (a.sx - px) * (c.sy - py)) / area;
                    float w2 = 1 - w0 - w1;
                    if (w0 < 0 || w1 < 0 || w2 < 0) {
                        continue;
                    }
                    float iz = w0 / a.z + w1 / b.z + w2 / c.z;
                    float z = 1 / iz;
                    float& d = r.depth[static_cast<size_t>(y) * r.width + x];
                    if (z >= d) {
                        continue;
                    }
                    float u = (w0 * a.u / a.z + w1 * b.u / b.z + w2 * c.u / c.z) * z;
                    float v = (w0 * a.v / a.z + w1 * b.v / b.z + w2 * c.v / c.z) * z;
                    Color col = Sample(mat.texture, u, v);
                    if (transparent) {
                        r.color.Blend(x, y, col);
                    } else {
                        col.a = 1;
                        r.color.Set(x, y, col);
                        d = z;
                    }
                }
            }
        }
    }
}

float Radius(const ExportedMesh& m) {
    float best = 0.3f;
    for (const Vec3& p : m.positions) {
        best = std::max(best, Length(p));
    }
    return best;
}

}  // namespace contentgen
