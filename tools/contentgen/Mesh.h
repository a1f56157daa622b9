// Building the game's models. The game's shaders draw the texture only (no lights, material colours
// are not used), so every model's shading is baked into its texture: each face is given a tile of an
// atlas painted with its material's colour and pattern at the brightness that a fixed light from the
// upper left gives that face. Faces never share vertices, so the summed normals the game's reader
// builds equal the face normals.
#pragma once

#include <string>
#include <vector>

#include "Canvas.h"
#include "Geometry.h"

namespace contentgen {

class Output;

enum class Pattern {
    Flat,     // plain colour
    Brick,    // brick courses with mortar
    Rock,     // blotchy stone
    Tread,    // track cleats across the width
    Plate,    // riveted armour plate
    Wood,     // bark stripes
    Leaves,   // dappled foliage
    Stripes,  // hazard stripes
    Glow,     // bright centre fading to the edge
    Grille,   // dark slots
};

struct Material {
    Color color;
    Pattern pattern = Pattern::Flat;
    bool unlit = false;  // full brightness on every face (lamps, glowing parts)
};

struct Affine {
    float m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
    Vec3 Apply(Vec3 p) const {
        return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
                m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
                m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
    }
    Affine operator*(const Affine& o) const;  // this applied after o
    float Determinant() const;
};

// One material of an exported model: its texture (written beside the model) and its alpha; below 1
// the game draws the subset blended.
struct ExportedMaterial {
    std::string textureName;
    platform::Image texture;
    float alpha = 1.0f;
};

// A model as the .x file stores it: one frame, one mesh, one or more materials.
struct ExportedMesh {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<float> uvs;               // u, v per vertex
    std::vector<std::vector<int>> faces;  // vertex indices, clockwise seen from the front
    std::vector<int> faceMaterial;        // index into materials, per face
    std::vector<ExportedMaterial> materials;
    int TriangleCount() const;
};

class MeshBuilder {
public:
    int AddMaterial(const Material& material);

    // Transform applied to everything added after it; Push/Pop save and restore it.
    void Push();
    void Pop();
    void Translate(Vec3 t);
    void RotateX(float degrees);
    void RotateY(float degrees);
    void RotateZ(float degrees);
    void Scale(Vec3 s);

    // A flat polygon, corners clockwise seen from the side it faces.
    void Polygon(std::vector<Vec3> corners, int material);
    // A polygon with explicit texture coordinates (only for meshes exported with their own texture).
    void PolygonUv(std::vector<Vec3> corners, std::vector<float> uvs, int material);

    // An axis-aligned box (in the current transform) with its edges cut by `bevel`; the top face
    // can have its own material (-1: the same). `leaveOut` (kBoxBottom, kBoxTop) drops the faces on
    // that side, bevels included, where the box stands on something or something stands on it.
    static constexpr int kBoxBottom = 1, kBoxTop = 2;
    void Box(Vec3 lo, Vec3 hi, int material, float bevel = 0.0f, int topMaterial = -1, int leaveOut = 0);
    // A frustum of a cone along +y from (0, y0, 0) with radius r0 to y1 with radius r1.
    void Frustum(float y0, float r0, float y1, float r1, int segments, int material, bool capBottom = true,
                 bool capTop = true, int capMaterial = -1);
    // A cylinder along +z (a barrel) from z0 to z1 around (x, y).
    void Barrel(float x, float y, float z0, float z1, float radius, int segments, int material,
                int muzzleMaterial = -1);
    // A profile in the z-y plane (points listed counter-clockwise when seen from +x: front is +z,
    // up is +y) extruded from x0 to x1: hulls, wedges and tracks.
    void Extrude(const std::vector<std::pair<float, float>>& zy, float x0, float x1, int material,
                 int sideMaterial = -1);
    // A faceted sphere (latitude-longitude), or its upper half when `dome`.
    void Sphere(Vec3 centre, float radius, int rings, int segments, int material, bool dome = false);

    // A lumpy ellipsoid of triangles (stones, foliage): each lattice point is pushed in or out by up
    // to `jitter` of the radius, the same point always by the same amount, so there are no cracks.
    void Blob(Vec3 centre, Vec3 radii, int rings, int segments, float jitter, uint32_t seed, int material);

    // Bakes the shading atlas (textureName) and produces the model.
    ExportedMesh Bake(const std::string& textureName, uint32_t seed) const;
    // Uses the face texture coordinates given with PolygonUv; builder material i takes texture i.
    ExportedMesh WithTextures(std::vector<ExportedMaterial> textures) const;

private:
    struct Face {
        std::vector<Vec3> corners;
        std::vector<float> uvs;
        int material = 0;
    };
    std::vector<Material> materials_;
    std::vector<Face> faces_;
    Affine current_;
    std::vector<Affine> stack_;
    void Apply(const Affine& a) { current_ = current_ * a; }
};

// The text .x file of a model; texture names are relative to the model's folder.
std::string WriteXFile(const ExportedMesh& mesh);

// "mesh Meshes/<fileName> <vertices> <triangles> <materials> <alpha of the first material>
//  <min x> <min y> <min z> <max x> <max y> <max z>": what the content tests check the files against.
std::string ManifestLine(const std::string& fileName, const ExportedMesh& mesh);

// Writes Meshes/<fileName>, its textures beside it, and the manifest line.
void EmitMesh(Output& out, const std::string& fileName, const ExportedMesh& mesh);

// Paints one material tile (used by the atlas and by the preview sheets).
Color PatternColor(const Material& m, float u, float v, float shade, uint32_t seed);

}  // namespace contentgen
