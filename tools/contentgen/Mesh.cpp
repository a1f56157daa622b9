#include "Mesh.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "Output.h"

namespace contentgen {

namespace {

constexpr int kTile = 32;         // atlas tile edge in pixels
constexpr int kAtlasWidth = 256;  // 8 tiles across
constexpr int kShadeSteps = 12;

Vec3 FaceNormal(const std::vector<Vec3>& c) {
    Vec3 n;
    for (size_t i = 0; i < c.size(); ++i) {
        n = n + Cross(c[i], c[(i + 1) % c.size()]);
    }
    return Normalize(n);
}

Vec3 Centroid(const std::vector<Vec3>& c) {
    Vec3 s;
    for (const Vec3& p : c) {
        s = s + p;
    }
    return s * (1.0f / static_cast<float>(c.size()));
}

// The light the baked shading assumes: from above, to the left of and behind the game's camera. The
// shaders may light the faces again by their normals, so the baked contrast stays mild.
float ShadeOf(Vec3 n) {
    static const Vec3 light = Normalize({-0.45f, 1.0f, -0.6f});
    float lit = 0.6f + 0.4f * std::max(0.0f, Dot(n, light));
    return std::round(lit * kShadeSteps) / kShadeSteps;
}

uint32_t HashCell(int a, int b, uint32_t seed) {
    uint32_t h =
        static_cast<uint32_t>(a) * 73856093u ^ static_cast<uint32_t>(b) * 19349663u ^ seed * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    return h ^ (h >> 15);
}

float Frac(float v) {
    return v - std::floor(v);
}

// Puts the corners into clockwise order seen from outside, `outward` pointing away from the solid.
std::vector<Vec3> Oriented(std::vector<Vec3> corners, Vec3 outward) {
    if (Dot(FaceNormal(corners), outward) < 0) {
        std::reverse(corners.begin(), corners.end());
    }
    return corners;
}

}  // namespace

Affine Affine::operator*(const Affine& o) const {
    Affine r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            float v = (j == 3) ? m[i][3] : 0.0f;
            for (int k = 0; k < 3; ++k) {
                v += m[i][k] * o.m[k][j];
            }
            r.m[i][j] = v;
        }
    }
    return r;
}

float Affine::Determinant() const {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

int ExportedMesh::TriangleCount() const {
    int n = 0;
    for (const auto& f : faces) {
        n += std::max(0, static_cast<int>(f.size()) - 2);
    }
    return n;
}

int MeshBuilder::AddMaterial(const Material& material) {
    materials_.push_back(material);
    return static_cast<int>(materials_.size()) - 1;
}

void MeshBuilder::Push() {
    stack_.push_back(current_);
}

void MeshBuilder::Pop() {
    if (!stack_.empty()) {
        current_ = stack_.back();
        stack_.pop_back();
    }
}

void MeshBuilder::Translate(Vec3 t) {
    Affine a;
    a.m[0][3] = t.x;
    a.m[1][3] = t.y;
    a.m[2][3] = t.z;
    Apply(a);
}

void MeshBuilder::RotateX(float degrees) {
    float r = degrees * kPi / 180, c = std::cos(r), s = std::sin(r);
    Affine a;
    a.m[1][1] = c;
    a.m[1][2] = -s;
    a.m[2][1] = s;
    a.m[2][2] = c;
    Apply(a);
}

void MeshBuilder::RotateY(float degrees) {
    float r = degrees * kPi / 180, c = std::cos(r), s = std::sin(r);
    Affine a;
    a.m[0][0] = c;
    a.m[0][2] = s;
    a.m[2][0] = -s;
    a.m[2][2] = c;
    Apply(a);
}

void MeshBuilder::RotateZ(float degrees) {
    float r = degrees * kPi / 180, c = std::cos(r), s = std::sin(r);
    Affine a;
    a.m[0][0] = c;
    a.m[0][1] = -s;
    a.m[1][0] = s;
    a.m[1][1] = c;
    Apply(a);
}

void MeshBuilder::Scale(Vec3 s) {
    Affine a;
    a.m[0][0] = s.x;
    a.m[1][1] = s.y;
    a.m[2][2] = s.z;
    Apply(a);
}

void MeshBuilder::Polygon(std::vector<Vec3> corners, int material) {
    PolygonUv(std::move(corners), {}, material);
}

void MeshBuilder::PolygonUv(std::vector<Vec3> corners, std::vector<float> uvs, int material) {
    if (corners.size() < 3) {
        return;
    }
    Face f;
    for (Vec3& p : corners) {
        f.corners.push_back(current_.Apply(p));
    }
    f.uvs = std::move(uvs);
    if (current_.Determinant() < 0) {  // a mirroring transform turns the winding round
        std::reverse(f.corners.begin(), f.corners.end());
        for (size_t i = 0, j = f.corners.size() - 1; !f.uvs.empty() && i < j; ++i, --j) {
            std::swap(f.uvs[2 * i], f.uvs[2 * j]);
            std::swap(f.uvs[2 * i + 1], f.uvs[2 * j + 1]);
        }
    }
    f.material = material;
    faces_.push_back(std::move(f));
}

void MeshBuilder::Box(Vec3 lo, Vec3 hi, int material, float bevel, int topMaterial, int leaveOut) {
    // Whether a face or bevel whose outward direction has this sign on y is left out.
    auto dropped = [&](int ySign) {
        return (ySign < 0 && (leaveOut & kBoxBottom)) || (ySign > 0 && (leaveOut & kBoxTop));
    };
    Vec3 c = (lo + hi) * 0.5f;
    float h[3] = {(hi.x - lo.x) / 2, (hi.y - lo.y) / 2, (hi.z - lo.z) / 2};
    bevel = std::min({bevel, h[0] * 0.9f, h[1] * 0.9f, h[2] * 0.9f});
    auto point = [&](float a, float b, float d) { return Vec3{c.x + a, c.y + b, c.z + d}; };
    auto at = [&](int axis, float va, int axis2, float vb, int axis3, float vc) {
        float v[3];
        v[axis] = va;
        v[axis2] = vb;
        v[axis3] = vc;
        return point(v[0], v[1], v[2]);
    };
    // Main faces.
    for (int axis = 0; axis < 3; ++axis) {
        int a2 = (axis + 1) % 3, a3 = (axis + 2) % 3;
        for (int s = -1; s <= 1; s += 2) {
            if (axis == 1 && dropped(s)) {
                continue;
            }
            float e2 = h[a2] - bevel, e3 = h[a3] - bevel;
            std::vector<Vec3> q = {
                at(axis, s * h[axis], a2, -e2, a3, -e3), at(axis, s * h[axis], a2, e2, a3, -e3),
                at(axis, s * h[axis], a2, e2, a3, e3), at(axis, s * h[axis], a2, -e2, a3, e3)};
            Vec3 out = Centroid(q) - c;
            int m = (axis == 1 && s > 0 && topMaterial >= 0) ? topMaterial : material;
            Polygon(Oriented(q, out), m);
        }
    }
    if (bevel <= 0) {
        return;
    }
    // Bevel strips along each edge, then the corner triangles.
    std::vector<std::vector<Vec3>> extra;
    for (int a = 0; a < 3; ++a) {
        int b = (a + 1) % 3, d = (a + 2) % 3;
        for (int sa = -1; sa <= 1; sa += 2) {
            for (int sb = -1; sb <= 1; sb += 2) {
                if ((a == 1 && dropped(sa)) || (b == 1 && dropped(sb))) {
                    continue;
                }
                float ed = h[d] - bevel;
                extra.push_back({at(a, sa * h[a], b, sb * (h[b] - bevel), d, -ed),
                                 at(a, sa * h[a], b, sb * (h[b] - bevel), d, ed),
                                 at(a, sa * (h[a] - bevel), b, sb * h[b], d, ed),
                                 at(a, sa * (h[a] - bevel), b, sb * h[b], d, -ed)});
            }
        }
    }
    for (int sx = -1; sx <= 1; sx += 2) {
        for (int sy = -1; sy <= 1; sy += 2) {
            if (dropped(sy)) {
                continue;
            }
            for (int sz = -1; sz <= 1; sz += 2) {
                extra.push_back({point(sx * h[0], sy * (h[1] - bevel), sz * (h[2] - bevel)),
                                 point(sx * (h[0] - bevel), sy * h[1], sz * (h[2] - bevel)),
                                 point(sx * (h[0] - bevel), sy * (h[1] - bevel), sz * h[2])});
            }
        }
    }
    for (auto& q : extra) {
        Vec3 out = Centroid(q) - c;
        Polygon(Oriented(q, out), material);
    }
}

void MeshBuilder::Frustum(float y0, float r0, float y1, float r1, int segments, int material, bool capBottom,
                          bool capTop, int capMaterial) {
    if (capMaterial < 0) {
        capMaterial = material;
    }
    Vec3 centre{0, (y0 + y1) / 2, 0};
    auto ring = [&](float y, float r, int i) {
        float a = 2 * kPi * (i + 0.5f) / segments;
        return Vec3{r * std::sin(a), y, r * std::cos(a)};
    };
    std::vector<std::vector<Vec3>> polys;
    for (int i = 0; i < segments; ++i) {
        std::vector<Vec3> q;
        q.push_back(ring(y0, r0, i));
        if (r0 > 0) {
            q.push_back(ring(y0, r0, i + 1));
        }
        q.push_back(ring(y1, r1, i + 1));
        if (r1 > 0) {
            q.push_back(ring(y1, r1, i));
        }
        polys.push_back(q);
    }
    std::vector<Vec3> bottom, top;
    for (int i = 0; i < segments; ++i) {
        bottom.push_back(ring(y0, r0, i));
        top.push_back(ring(y1, r1, i));
    }
    // Orientation is decided in the builder's local frame, then the transform applies.
    for (auto& q : polys) {
        Vec3 mid = Centroid(q);
        Polygon(Oriented(q, Vec3{mid.x, 0, mid.z} + Vec3{0, (r0 - r1) * 0.5f, 0}), material);
    }
    if (capBottom && r0 > 0) {
        Polygon(Oriented(bottom, Vec3{0, -1, 0}), capMaterial);
    }
    if (capTop && r1 > 0) {
        Polygon(Oriented(top, Vec3{0, 1, 0}), capMaterial);
    }
    (void)centre;
}

void MeshBuilder::Barrel(float x, float y, float z0, float z1, float radius, int segments, int material,
                         int muzzleMaterial) {
    Push();
    Translate({x, y, z0});
    RotateX(90);  // the frustum's +y becomes +z
    Frustum(0, radius, z1 - z0, radius, segments, material, true, true, muzzleMaterial);
    Pop();
}

void MeshBuilder::Extrude(const std::vector<std::pair<float, float>>& zy, float x0, float x1, int material,
                          int sideMaterial) {
    if (sideMaterial < 0) {
        sideMaterial = material;
    }
    float area = 0;
    size_t n = zy.size();
    for (size_t i = 0; i < n; ++i) {
        const auto& a = zy[i];
        const auto& b = zy[(i + 1) % n];
        area += a.first * b.second - b.first * a.second;
    }
    float sign = area > 0 ? 1.0f : -1.0f;
    for (size_t i = 0; i < n; ++i) {
        const auto& a = zy[i];
        const auto& b = zy[(i + 1) % n];
        float dz = b.first - a.first, dy = b.second - a.second;
        Vec3 out{0, -dz * sign, dy * sign};
        std::vector<Vec3> q = {{x0, a.second, a.first},
                               {x1, a.second, a.first},
                               {x1, b.second, b.first},
                               {x0, b.second, b.first}};
        Polygon(Oriented(q, out), material);
    }
    std::vector<Vec3> left, right;
    for (const auto& p : zy) {
        left.push_back({x0, p.second, p.first});
        right.push_back({x1, p.second, p.first});
    }
    Polygon(Oriented(left, {-1, 0, 0}), sideMaterial);
    Polygon(Oriented(right, {1, 0, 0}), sideMaterial);
}

void MeshBuilder::Sphere(Vec3 centre, float radius, int rings, int segments, int material, bool dome) {
    auto point = [&](int ring, int seg) {
        float lat = kPi / 2 - kPi * ring / rings;  // +90 at the top
        float lon = 2 * kPi * seg / segments;
        return Vec3{centre.x + radius * std::cos(lat) * std::sin(lon), centre.y + radius * std::sin(lat),
                    centre.z + radius * std::cos(lat) * std::cos(lon)};
    };
    int lastRing = dome ? rings / 2 : rings;
    for (int r = 0; r < lastRing; ++r) {
        for (int s = 0; s < segments; ++s) {
            std::vector<Vec3> q;
            q.push_back(point(r, s));
            if (r != 0) {
                q.push_back(point(r, s + 1));
            }
            q.push_back(point(r + 1, s + 1));
            if (r + 1 != rings) {
                q.push_back(point(r + 1, s));
            }
            Polygon(Oriented(q, Centroid(q) - centre), material);
        }
    }
}

void MeshBuilder::Blob(Vec3 centre, Vec3 radii, int rings, int segments, float jitter, uint32_t seed,
                       int material) {
    auto point = [&](int ring, int seg) {
        seg %= segments;
        float lat = kPi / 2 - kPi * ring / rings;
        float lon = 2 * kPi * seg / segments;
        float k = 1.0f;
        if (ring != 0 && ring != rings) {
            k += jitter * ((HashCell(ring, seg, seed) % 2001) / 1000.0f - 1.0f);
        }
        return Vec3{centre.x + radii.x * k * std::cos(lat) * std::sin(lon),
                    centre.y + radii.y * k * std::sin(lat),
                    centre.z + radii.z * k * std::cos(lat) * std::cos(lon)};
    };
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            Vec3 a = point(r, s), b = point(r, s + 1), c = point(r + 1, s + 1), d = point(r + 1, s);
            if (r != 0) {
                std::vector<Vec3> t = {a, b, d};
                Polygon(Oriented(t, Centroid(t) - centre), material);
            }
            if (r + 1 != rings) {
                std::vector<Vec3> t = {b, c, d};
                Polygon(Oriented(t, Centroid(t) - centre), material);
            }
        }
    }
}

Color PatternColor(const Material& m, float u, float v, float shade, uint32_t seed) {
    Color c = m.color;
    float k = 1.0f;
    switch (m.pattern) {
        case Pattern::Flat:
            break;
        case Pattern::Brick: {
            int row = static_cast<int>(std::floor(v * 4));
            float off = (row % 2) * 0.5f;
            int col = static_cast<int>(std::floor(u * 2 + off));
            if (Frac(v * 4) < 0.14f || Frac(u * 2 + off) < 0.07f) {
                c = Rgb(190, 178, 150);
                k = 0.9f;
            } else {
                k = 0.85f + 0.3f * (HashCell(col, row, seed) % 100) / 100.0f;
                k *= 0.92f + 0.12f * ValueNoise(u * 16, v * 16, 16, seed);
            }
            break;
        }
        case Pattern::Rock: {
            float n = FractalNoise(u * 4, v * 4, 4, 3, seed);
            k = 0.7f + 0.55f * n;
            if (std::fabs(n - 0.5f) < 0.025f) {
                k *= 0.6f;
            }
            break;
        }
        case Pattern::Tread:
            k = Frac(u * 8) < 0.55f ? 0.65f : 1.0f;
            if (v < 0.1f || v > 0.9f) {
                k *= 0.8f;
            }
            break;
        case Pattern::Plate: {
            float e = std::min({u, v, 1 - u, 1 - v});
            if (e < 0.05f) {
                k = 0.75f;
            } else {
                float du = std::min(std::fabs(u - 0.14f), std::fabs(u - 0.86f));
                float dv = std::min(std::fabs(v - 0.14f), std::fabs(v - 0.86f));
                k = (du * du + dv * dv < 0.0035f) ? 1.25f : 1.0f - 0.05f * ValueNoise(u * 8, v * 8, 8, seed);
            }
            break;
        }
        case Pattern::Wood:
            k = 0.8f + 0.25f * std::sin(u * 30 + 4 * ValueNoise(u * 4, v * 4, 4, seed));
            break;
        case Pattern::Leaves: {
            float n = FractalNoise(u * 6, v * 6, 6, 2, seed);
            k = 0.65f + 0.6f * n;
            break;
        }
        case Pattern::Stripes:
            if (Frac((u + v) * 2.5f) < 0.5f) {
                c = Rgb(30, 30, 30);
            }
            break;
        case Pattern::Glow: {
            float d = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f)) * 2;
            k = 1.25f - 0.4f * d;
            break;
        }
        case Pattern::Grille:
            if (Frac(u * 5) > 0.25f && Frac(u * 5) < 0.75f && v > 0.15f && v < 0.85f) {
                k = 0.35f;
            }
            break;
    }
    float s = m.unlit ? 1.0f : shade;
    Color out = Scale(c, k * s);
    out.r = std::min(out.r, 1.0f);
    out.g = std::min(out.g, 1.0f);
    out.b = std::min(out.b, 1.0f);
    return out;
}

ExportedMesh MeshBuilder::Bake(const std::string& textureName, uint32_t seed) const {
    // One tile per (material, brightness) pair, in the order the faces first need them.
    std::map<std::pair<int, int>, int> tileOf;
    std::vector<std::pair<int, float>> tiles;  // material, shade
    std::vector<int> faceTile;
    std::vector<Vec3> faceNormal;
    for (const Face& f : faces_) {
        Vec3 n = FaceNormal(f.corners);
        float shade = ShadeOf(n);
        auto key = std::make_pair(f.material, static_cast<int>(std::lround(shade * kShadeSteps)));
        auto it = tileOf.find(key);
        if (it == tileOf.end()) {
            it = tileOf.emplace(key, static_cast<int>(tiles.size())).first;
            tiles.emplace_back(f.material, shade);
        }
        faceTile.push_back(it->second);
        faceNormal.push_back(n);
    }
    int columns = kAtlasWidth / kTile;
    int rows = (static_cast<int>(tiles.size()) + columns - 1) / columns;
    int height = kTile;
    while (height < rows * kTile) {
        height *= 2;
    }
    Canvas atlas(kAtlasWidth, height, Rgb(0, 0, 0));
    float alpha = 1.0f;
    for (size_t t = 0; t < tiles.size(); ++t) {
        const Material& m = materials_[tiles[t].first];
        alpha = std::min(alpha, m.color.a);
        int tx = static_cast<int>(t % columns) * kTile, ty = static_cast<int>(t / columns) * kTile;
        for (int y = 0; y < kTile; ++y) {
            for (int x = 0; x < kTile; ++x) {
                atlas.Set(tx + x, ty + y,
                          PatternColor(m, (x + 0.5f) / kTile, (y + 0.5f) / kTile, tiles[t].second,
                                       seed + tiles[t].first * 7u));
            }
        }
    }
    ExportedMesh out;
    for (size_t i = 0; i < faces_.size(); ++i) {
        const Face& f = faces_[i];
        const Material& m = materials_[f.material];
        int t = faceTile[i];
        float tx = static_cast<float>((t % columns) * kTile), ty = static_cast<float>((t / columns) * kTile);
        Vec3 n = faceNormal[i];
        Vec3 uAxis, vAxis;
        if (std::fabs(n.y) > 0.7f) {
            uAxis = {1, 0, 0};
            vAxis = {0, 0, -1};
        } else {
            uAxis = Normalize(Cross(n, {0, 1, 0}));
            vAxis = Normalize(Cross(n, uAxis)) * -1.0f;
            if (vAxis.y > 0) {
                vAxis = vAxis * -1.0f;
            }
        }
        float umin = 1e9f, umax = -1e9f, vmin = 1e9f, vmax = -1e9f;
        for (const Vec3& p : f.corners) {
            umin = std::min(umin, Dot(p, uAxis));
            umax = std::max(umax, Dot(p, uAxis));
            vmin = std::min(vmin, Dot(p, vAxis));
            vmax = std::max(vmax, Dot(p, vAxis));
        }
        std::vector<int> indices;
        for (const Vec3& p : f.corners) {
            float pu = 0.5f, pv = 0.5f;
            if (m.pattern != Pattern::Flat) {
                pu = umax - umin > 1e-6f ? (Dot(p, uAxis) - umin) / (umax - umin) : 0.5f;
                pv = vmax - vmin > 1e-6f ? (Dot(p, vAxis) - vmin) / (vmax - vmin) : 0.5f;
            }
            float inset = 1.5f, span = kTile - 2 * inset;
            indices.push_back(static_cast<int>(out.positions.size()));
            out.positions.push_back(p);
            out.normals.push_back(n);
            out.uvs.push_back((tx + inset + pu * span) / kAtlasWidth);
            out.uvs.push_back((ty + inset + pv * span) / height);
        }
        out.faces.push_back(indices);
        out.faceMaterial.push_back(0);
    }
    atlas.Paint([&](float x, float y) {
        Color c = atlas.Get(static_cast<int>(x), static_cast<int>(y));
        c.a = alpha;
        return c;
    });
    out.materials.push_back({textureName, atlas.Image(), alpha});
    return out;
}

ExportedMesh MeshBuilder::WithTextures(std::vector<ExportedMaterial> textures) const {
    ExportedMesh out;
    for (const Face& f : faces_) {
        Vec3 n = FaceNormal(f.corners);
        std::vector<int> indices;
        for (size_t k = 0; k < f.corners.size(); ++k) {
            indices.push_back(static_cast<int>(out.positions.size()));
            out.positions.push_back(f.corners[k]);
            out.normals.push_back(n);
            out.uvs.push_back(2 * k + 1 < f.uvs.size() ? f.uvs[2 * k] : 0.5f);
            out.uvs.push_back(2 * k + 1 < f.uvs.size() ? f.uvs[2 * k + 1] : 0.5f);
        }
        out.faces.push_back(indices);
        out.faceMaterial.push_back(f.material);
    }
    out.materials = std::move(textures);
    return out;
}

std::string WriteXFile(const ExportedMesh& mesh) {
    auto num = [](float v) { return FormatNumber(v, '.'); };
    std::string s;
    s += "xof 0303txt 0032\n\n";
    s += "Frame Root {\n";
    s += "  FrameTransformMatrix {\n";
    s += "    1.000000,0.000000,0.000000,0.000000,\n    0.000000,1.000000,0.000000,0.000000,\n";
    s += "    0.000000,0.000000,1.000000,0.000000,\n    0.000000,0.000000,0.000000,1.000000;;\n  }\n";
    s += "  Mesh Model {\n";
    size_t nv = mesh.positions.size(), nf = mesh.faces.size();
    s += "    " + std::to_string(nv) + ";\n";
    for (size_t i = 0; i < nv; ++i) {
        const Vec3& p = mesh.positions[i];
        s += "    " + num(p.x) + ";" + num(p.y) + ";" + num(p.z) + ";" + (i + 1 < nv ? "," : ";") + "\n";
    }
    auto faceList = [&](std::string& out) {
        out += "    " + std::to_string(nf) + ";\n";
        for (size_t i = 0; i < nf; ++i) {
            const auto& f = mesh.faces[i];
            out += "    " + std::to_string(f.size()) + ";";
            for (size_t k = 0; k < f.size(); ++k) {
                out += std::to_string(f[k]) + (k + 1 < f.size() ? "," : "");
            }
            out += std::string(";") + (i + 1 < nf ? "," : ";") + "\n";
        }
    };
    faceList(s);
    s += "    MeshNormals {\n";
    s += "    " + std::to_string(nv) + ";\n";
    for (size_t i = 0; i < nv; ++i) {
        const Vec3& n = mesh.normals[i];
        s += "    " + num(n.x) + ";" + num(n.y) + ";" + num(n.z) + ";" + (i + 1 < nv ? "," : ";") + "\n";
    }
    faceList(s);
    s += "    }\n";
    s += "    MeshTextureCoords {\n";
    s += "    " + std::to_string(nv) + ";\n";
    for (size_t i = 0; i < nv; ++i) {
        s += "    " + num(mesh.uvs[2 * i]) + ";" + num(mesh.uvs[2 * i + 1]) + ";" + (i + 1 < nv ? "," : ";") +
             "\n";
    }
    s += "    }\n";
    s += "    MeshMaterialList {\n    " + std::to_string(mesh.materials.size()) + ";\n    " +
         std::to_string(nf) + ";\n";
    for (size_t i = 0; i < nf; ++i) {
        s += "    " + std::to_string(mesh.faceMaterial[i]) + (i + 1 < nf ? "," : ";") + "\n";
    }
    for (size_t m = 0; m < mesh.materials.size(); ++m) {
        const ExportedMaterial& mat = mesh.materials[m];
        s += "      Material Skin" + std::to_string(m) + " {\n";
        s += "        1.000000;1.000000;1.000000;" + num(mat.alpha) + ";;\n";
        s += "        16.000000;\n        0.000000;0.000000;0.000000;;\n        "
             "0.000000;0.000000;0.000000;;\n";
        s += "        TextureFilename {\n          \"" + mat.textureName + "\";\n        }\n";
        s += "      }\n";
    }
    s += "    }\n  }\n}\n";
    return s;
}

std::string ManifestLine(const std::string& fileName, const ExportedMesh& mesh) {
    Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (const Vec3& p : mesh.positions) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    std::string line = "mesh Meshes/" + fileName + " " + std::to_string(mesh.positions.size()) + " " +
                       std::to_string(mesh.TriangleCount()) + " " + std::to_string(mesh.materials.size()) +
                       " " + FormatNumber(mesh.materials.empty() ? 1.0f : mesh.materials[0].alpha);
    for (float v : {lo.x, lo.y, lo.z, hi.x, hi.y, hi.z}) {
        line += " " + FormatNumber(v);
    }
    return line;
}

void EmitMesh(Output& out, const std::string& fileName, const ExportedMesh& mesh) {
    out.Write("Meshes/" + fileName, WriteXFile(mesh));
    for (const ExportedMaterial& m : mesh.materials) {
        out.WritePng("Meshes/" + m.textureName, m.texture);
    }
    out.AddManifestLine(ManifestLine(fileName, mesh));
}

}  // namespace contentgen
