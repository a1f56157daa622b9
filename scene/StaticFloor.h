// The level's floor tiles baked into chunks, and the floor's cover of what lies under it.
//
// The floor tiles are the static game objects (TGameObject::IsStatic) whose mesh lies at or below its
// origin: the ground and grass boxes of a level. Their subsets are baked, by texture, into chunks of at
// most kMaxCopies copies, each chunk a compact part of the level (rows of the grid) that is culled on its
// own. Every copy keeps its own world matrix and its vertices in its own space, so a chunk draws through
// the instanced vertex shader exactly as the copies drawn one by one. A chunk leaves out the side faces no
// camera above the floor can see: a vertical face on a side of its tile's box that the boxes of the
// neighbouring tiles cover all along (the ground sides between tiles). Seen from above y = 0, such a face
// lies behind its neighbour's top or an outer side.
//
// The floor also tells which rectangles at a height inside the tiles' boxes are covered from above
// (Covers): the water plane under the ground uses it to leave out what the ground hides.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/Buffers.h"
#include "render/GE_D3D9.h"
#include "render/VertexDeclaration.h"
#include "util/GE_MATH.h"

// One subset of one floor tile: `Tile` numbers the tile (the subsets of one object share it).
struct TFloorPiece {
    TRenderOperation Operation;
    TMatrix Matrix;  // part * world
    size_t Tile = 0;
};

// An axis-aligned box in world space.
struct TFloorBox {
    TVector3 Min;
    TVector3 Max;
};

class TStaticFloor {
public:
    static constexpr int32_t kMaxCopies = 170;  // as many as an instanced draw takes
    // A group's pieces are taken in rows of this many world units, each row along x.
    static constexpr float kRowSize = 8.0f;

    explicit TStaticFloor(TRenderD3D9& device) : Device(device) {}

    // Bakes the pieces; false (and empty) when a source buffer cannot be read.
    bool Build(const std::vector<TFloorPiece>& pieces);
    void Clear();
    bool Empty() const { return Chunks.empty(); }

    struct TChunk {
        platform::TextureHandle Texture;
        std::vector<TMatrix> Copies;  // part * world of each copy, in copy-number order
        TVector3 Centre;
        float Radius = 0.0f;
        int32_t NumVertices = 0;
        int32_t PrimitiveCount = 0;
        std::unique_ptr<TVertexBuffer> Vertices;
        std::unique_ptr<TIndexBuffer> Indices;
        std::unique_ptr<TVertexDeclaration> Declaration;
    };
    const std::vector<TChunk>& GetChunks() const { return Chunks; }
    // Side triangles left out, of all the pieces' triangles (for tests and tools).
    int32_t GetHiddenTriangles() const { return HiddenTriangles; }
    int32_t GetSourceTriangles() const { return SourceTriangles; }

    // Whether every point of the rectangle [x0, x1] x [z0, z1] at height y lies inside a tile's box
    // (strictly between its bottom and its top), so that from above it is hidden by the floor.
    bool Covers(float x0, float z0, float x1, float z1, float y) const;
    const std::vector<TFloorBox>& GetBoxes() const { return Boxes; }
    // The rectangle around every box that hides (x0, z0, x1, z1); false when none does.
    bool GetCoverBounds(float bounds[4]) const;
    // The boxes' x and z edges, sorted, each once.
    const std::vector<float>& GetCoverX() const { return CoverX; }
    const std::vector<float>& GetCoverZ() const { return CoverZ; }
    // Counts the builds and clears: what was made against the floor is current while it is unchanged.
    uint32_t GetGeneration() const { return Generation; }

private:
    // The union of the boxes as cells between consecutive box edges, each cell covered or not.
    void BuildCover();

    TRenderD3D9& Device;
    std::vector<TChunk> Chunks;
    std::vector<TFloorBox> Boxes;  // one per tile
    std::vector<float> CoverX;     // the boxes' x and z edges, sorted
    std::vector<float> CoverZ;
    std::vector<uint8_t> Covered;  // (CoverX.size() - 1) x (CoverZ.size() - 1), [x][z]
    float CoverBottom = 0.0f;      // the height band all boxes share
    float CoverTop = 0.0f;
    int32_t HiddenTriangles = 0;
    int32_t SourceTriangles = 0;
    uint32_t Generation = 0;
};

// A flat mesh subset lying under the floor (the water plane), drawn with the part the floor hides left
// out: the subset's triangles that reach under the floor's boxes are replaced by a grid whose lines are
// the floor's box edges a margin either side (inside a ring one cell wide along the region's border);
// a cell the floor covers with the margin around is dropped, so what is left out is the cover shrunk by
// the margin. The remaining cells are merged into rectangles, their attributes taken from the subset's
// own (which must be an affine function of x and z over the plane, as a flat textured plane's are).
// Triangles away from the floor stay as they are. The cut holds while what it left out has moved less
// than the margin since it was made, and is made again when it has moved further (the water breathes).
class TFloorCut {
public:
    // World units the cover must reach beyond a dropped cell, and how far the subset may move.
    static constexpr float kMargin = 0.25f;
    // The ring's width in world units.
    static constexpr float kCell = 0.5f;

    explicit TFloorCut(TRenderD3D9& device) : Device(device) {}

    // What to draw for `source` under `matrix` (part * world) this frame: the cut subset, or `source`
    // itself when it cannot be cut.
    const TRenderOperation& For(const TRenderOperation& source, const TMatrix& matrix,
                                const TStaticFloor& floor);
    // Whether this cut was made from `source`.
    bool From(const TRenderOperation& source) const;
    bool Drawn = false;  // in this pass

private:
    bool Read(const TRenderOperation& source);
    bool Make(const TMatrix& matrix, const TStaticFloor& floor);

    TRenderD3D9& Device;
    platform::VertexBufferHandle SourceVertices;
    platform::IndexBufferHandle SourceIndices;
    uint32_t SourceVertexVersion = 0;
    uint32_t SourceIndexVersion = 0;
    bool Cuttable = false;
    bool Made = false;
    TRenderOperation Source;
    std::vector<uint8_t> Vertices;  // the source's
    std::vector<uint16_t> Indices;
    uint32_t Floats = 0;             // per vertex
    float Fit[3][64] = {};           // attribute f = Fit[0][f] + Fit[1][f] x + Fit[2][f] z
    std::vector<uint8_t> NearFloor;  // per source triangle: its bounds reach the floor's
    float Dropped[4] = {};           // x0, z0, x1, z1 around the cells left out, in the subset's
                                     // space (x0 > x1: none)
    TMatrix MadeFor;
    uint32_t MadeForFloor = 0;  // the floor's generation
    bool Failed = false;        // Make failed for MadeForFloor: not tried again until the floor changes
    TRenderOperation Cut;
    std::unique_ptr<TVertexBuffer> CutVertices;
    std::unique_ptr<TIndexBuffer> CutIndices;
};

// Whether a horizontal side of `box` at `side` (0 +x, 1 -x, 2 +z, 3 -z) is covered all along
// [a0, a1] (along the other horizontal axis) and [y0, y1] by the other boxes lying against it outside.
bool SideCovered(const std::vector<TFloorBox>& boxes, size_t box, int side, float a0, float a1, float y0,
                 float y1);
