#include "scene/StaticFloor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "scene/InstanceGeometry.h"

namespace {

constexpr float kEpsilon = 1e-3f;
// Box edges are snapped to this grid for the cover, so tiles that meet leave no sliver between them.
constexpr float kCoverGrid = 1.0f / 1024.0f;

// Engine usage code of the blend indices and type code of one float (the copy number).
constexpr uint8_t kUsageBlendIndices = 6;
constexpr uint8_t kTypeFloat1 = 0;

TVector3 TransformPoint(const TVector3& p, const TMatrix& m) {
    return Vector3(p.X * m._11 + p.Y * m._21 + p.Z * m._31 + m._41,
                   p.X * m._12 + p.Y * m._22 + p.Z * m._32 + m._42,
                   p.X * m._13 + p.Y * m._23 + p.Z * m._33 + m._43);
}

float Snap(float v) {
    return std::round(v / kCoverGrid) * kCoverGrid;
}

// What Build reads of one piece.
struct TSource {
    std::vector<uint16_t> Indices;
    std::vector<uint8_t> Vertices;
    uint32_t Stride = 0;
    uint32_t PositionOffset = 0;
    std::vector<uint16_t> Kept;  // the indices of the triangles kept
};

bool ReadSource(const TRenderOperation& op, TSource& source) {
    if (op.Declaration == nullptr || op.VertexBuffer == nullptr || op.IndexBuffer == nullptr ||
        op.NumVertices <= 0 || op.PrimitiveCount <= 0) {
        return false;
    }
    source.Stride = op.Declaration->GetStride();
    source.PositionOffset = op.Declaration->ElementOffset(0, 0);
    const uint32_t vertexBytes = static_cast<uint32_t>(op.NumVertices) * source.Stride;
    const uint32_t indexBytes = static_cast<uint32_t>(op.PrimitiveCount) * 3 * 2;
    if (source.Stride < source.PositionOffset + 12 || vertexBytes > op.VertexBuffer->GetLength() ||
        indexBytes > op.IndexBuffer->GetLength()) {
        return false;
    }
    const uint16_t* indices = op.IndexBuffer->Lock(0, indexBytes, platform::D3DLOCK_READONLY);
    if (indices != nullptr) {
        source.Indices.assign(indices, indices + indexBytes / 2);
        op.IndexBuffer->Unlock();
    }
    const auto* vertices =
        static_cast<const uint8_t*>(op.VertexBuffer->Lock(0, vertexBytes, platform::D3DLOCK_READONLY));
    if (vertices != nullptr) {
        source.Vertices.assign(vertices, vertices + vertexBytes);
        op.VertexBuffer->Unlock();
    }
    if (indices == nullptr || vertices == nullptr) {
        return false;
    }
    for (uint16_t index : source.Indices) {
        if (index >= static_cast<uint32_t>(op.NumVertices)) {
            return false;
        }
    }
    return true;
}

TVector3 WorldPosition(const TSource& source, uint16_t index, const TMatrix& matrix) {
    TVector3 p;
    std::memcpy(&p, source.Vertices.data() + index * source.Stride + source.PositionOffset, sizeof p);
    return TransformPoint(p, matrix);
}

bool SameLayout(const TVertexDeclaration& a, const TVertexDeclaration& b) {
    if (a.GetStride() != b.GetStride() || a.Elements().size() != b.Elements().size()) {
        return false;
    }
    return std::memcmp(a.Elements().data(), b.Elements().data(),
                       a.Elements().size() * sizeof(platform::VertexElement)) == 0;
}

}  // namespace

bool SideCovered(const std::vector<TFloorBox>& boxes, size_t box, int side, float a0, float a1, float y0,
                 float y1) {
    const TFloorBox& b = boxes[box];
    const bool alongX = side < 2;  // the face's plane is x = c
    const float c = side == 0 ? b.Max.X : side == 1 ? b.Min.X : side == 2 ? b.Max.Z : b.Min.Z;
    const bool positive = side == 0 || side == 2;
    std::vector<std::pair<float, float>> spans;
    for (size_t i = 0; i < boxes.size(); ++i) {
        const TFloorBox& o = boxes[i];
        if (i == box || o.Min.Y > y0 + kEpsilon || o.Max.Y < y1 - kEpsilon) {
            continue;
        }
        const float lo = alongX ? o.Min.X : o.Min.Z;
        const float hi = alongX ? o.Max.X : o.Max.Z;
        // It must reach across the plane to the outside of the face.
        const bool against = positive ? (lo <= c + kEpsilon && hi >= c + 10 * kEpsilon)
                                      : (hi >= c - kEpsilon && lo <= c - 10 * kEpsilon);
        if (against) {
            spans.emplace_back(alongX ? o.Min.Z : o.Min.X, alongX ? o.Max.Z : o.Max.X);
        }
    }
    std::sort(spans.begin(), spans.end());
    float reached = a0;
    for (const auto& span : spans) {
        if (span.first > reached + kEpsilon) {
            break;
        }
        reached = std::max(reached, span.second);
    }
    return reached >= a1 - kEpsilon;
}

void TStaticFloor::Clear() {
    ++Generation;
    Chunks.clear();
    Boxes.clear();
    CoverX.clear();
    CoverZ.clear();
    Covered.clear();
    HiddenTriangles = 0;
    SourceTriangles = 0;
}

bool TStaticFloor::Build(const std::vector<TFloorPiece>& pieces) {
    Clear();
    if (pieces.empty()) {
        return true;
    }
    std::vector<TSource> sources(pieces.size());
    size_t tiles = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (!ReadSource(pieces[i].Operation, sources[i])) {
            Clear();
            return false;
        }
        tiles = std::max(tiles, pieces[i].Tile + 1);
    }

    // Each tile's box, and whether its top covers the box's whole footprint (only such a box hides).
    std::vector<TFloorBox> boxes(tiles,
                                 TFloorBox{Vector3(1e30f, 1e30f, 1e30f), Vector3(-1e30f, -1e30f, -1e30f)});
    for (size_t i = 0; i < pieces.size(); ++i) {
        TFloorBox& box = boxes[pieces[i].Tile];
        for (uint16_t index : sources[i].Indices) {
            const TVector3 p = WorldPosition(sources[i], index, pieces[i].Matrix);
            box.Min = Vector3(std::min(box.Min.X, p.X), std::min(box.Min.Y, p.Y), std::min(box.Min.Z, p.Z));
            box.Max = Vector3(std::max(box.Max.X, p.X), std::max(box.Max.Y, p.Y), std::max(box.Max.Z, p.Z));
        }
    }
    std::vector<double> topArea(tiles, 0.0);
    for (size_t i = 0; i < pieces.size(); ++i) {
        const TFloorBox& box = boxes[pieces[i].Tile];
        const std::vector<uint16_t>& indices = sources[i].Indices;
        for (size_t t = 0; t + 2 < indices.size(); t += 3) {
            const TVector3 a = WorldPosition(sources[i], indices[t], pieces[i].Matrix);
            const TVector3 b = WorldPosition(sources[i], indices[t + 1], pieces[i].Matrix);
            const TVector3 c = WorldPosition(sources[i], indices[t + 2], pieces[i].Matrix);
            const float top = box.Max.Y - kEpsilon;
            if (a.Y >= top && b.Y >= top && c.Y >= top) {
                topArea[pieces[i].Tile] +=
                    0.5 * std::fabs(double(b.X - a.X) * (c.Z - a.Z) - double(c.X - a.X) * (b.Z - a.Z));
            }
        }
    }
    for (size_t tile = 0; tile < tiles; ++tile) {
        const TFloorBox& box = boxes[tile];
        const double footprint = double(box.Max.X - box.Min.X) * (box.Max.Z - box.Min.Z);
        if (footprint > 0.0 && std::fabs(topArea[tile] - footprint) <= 1e-3 * footprint &&
            box.Max.Y > box.Min.Y + kEpsilon) {
            Boxes.push_back(box);
        } else {
            Boxes.push_back(TFloorBox{Vector3(0, 0, 0), Vector3(0, -1, 0)});  // hides nothing
        }
    }

    // The triangles kept: all but the side faces the neighbouring boxes cover.
    for (size_t i = 0; i < pieces.size(); ++i) {
        const TFloorBox& box = Boxes[pieces[i].Tile];
        const std::vector<uint16_t>& indices = sources[i].Indices;
        for (size_t t = 0; t + 2 < indices.size(); t += 3) {
            ++SourceTriangles;
            const TVector3 p[3] = {WorldPosition(sources[i], indices[t], pieces[i].Matrix),
                                   WorldPosition(sources[i], indices[t + 1], pieces[i].Matrix),
                                   WorldPosition(sources[i], indices[t + 2], pieces[i].Matrix)};
            int side = -1;
            const float planes[4] = {box.Max.X, box.Min.X, box.Max.Z, box.Min.Z};
            for (int s = 0; s < 4 && box.Max.Y >= box.Min.Y; ++s) {
                bool on = true;
                for (const TVector3& v : p) {
                    on = on && std::fabs((s < 2 ? v.X : v.Z) - planes[s]) <= kEpsilon;
                }
                if (on) {
                    side = s;
                    break;
                }
            }
            bool hidden = false;
            if (side >= 0) {
                float a0 = 1e30f, a1 = -1e30f, y0 = 1e30f, y1 = -1e30f;
                for (const TVector3& v : p) {
                    const float a = side < 2 ? v.Z : v.X;
                    a0 = std::min(a0, a);
                    a1 = std::max(a1, a);
                    y0 = std::min(y0, v.Y);
                    y1 = std::max(y1, v.Y);
                }
                hidden = SideCovered(Boxes, pieces[i].Tile, side, a0, a1, y0, y1);
            }
            if (hidden) {
                ++HiddenTriangles;
            } else {
                sources[i].Kept.insert(sources[i].Kept.end(), indices.begin() + t, indices.begin() + t + 3);
            }
        }
    }

    // Pieces grouped by texture and layout, each group in rows of the grid (near pieces together, so a
    // chunk of a group covers a compact part of the level), cut into chunks of at most kMaxCopies.
    std::map<std::pair<uint32_t, uint32_t>, std::vector<size_t>> groups;
    std::vector<const TVertexDeclaration*> layouts;
    std::vector<TVector3> centres(pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (sources[i].Kept.empty()) {
            continue;
        }
        uint32_t layout = 0;
        while (layout < layouts.size() && !SameLayout(*layouts[layout], *pieces[i].Operation.Declaration)) {
            ++layout;
        }
        if (layout == layouts.size()) {
            layouts.push_back(pieces[i].Operation.Declaration);
        }
        centres[i] = TransformPoint(Vector3(0, 0, 0), pieces[i].Matrix);
        groups[{pieces[i].Operation.Texture.Slot, layout}].push_back(i);
    }
    for (auto& group : groups) {
        std::stable_sort(group.second.begin(), group.second.end(), [&](size_t a, size_t b) {
            const float rowA = std::floor(centres[a].Z / kRowSize),
                        rowB = std::floor(centres[b].Z / kRowSize);
            return rowA != rowB ? rowA < rowB : centres[a].X < centres[b].X;
        });
    }

    for (const auto& group : groups) {
        const std::vector<size_t>& members = group.second;
        size_t first = 0;
        while (first < members.size()) {
            // As many copies as one call takes, and as 16-bit indices reach.
            size_t count = 0;
            int32_t vertices = 0;
            while (first + count < members.size() && count < static_cast<size_t>(kMaxCopies) &&
                   vertices + pieces[members[first + count]].Operation.NumVertices <= 65536) {
                vertices += pieces[members[first + count]].Operation.NumVertices;
                ++count;
            }
            TChunk chunk;
            const TFloorPiece& lead = pieces[members[first]];
            chunk.Texture = lead.Operation.Texture;
            const uint32_t stride = sources[members[first]].Stride;
            std::vector<uint8_t> vertexData;
            std::vector<uint16_t> indexData;
            TVector3 low = Vector3(1e30f, 1e30f, 1e30f), high = Vector3(-1e30f, -1e30f, -1e30f);
            uint32_t base = 0;
            for (size_t k = 0; k < count; ++k) {
                const size_t i = members[first + k];
                const TSource& source = sources[i];
                const uint32_t n = static_cast<uint32_t>(pieces[i].Operation.NumVertices);
                const size_t at = vertexData.size();
                vertexData.resize(at + size_t(n) * (stride + 4));
                ReplicateVertices(source.Vertices.data(), n, stride, 1, vertexData.data() + at);
                const float copy = static_cast<float>(k);
                for (uint32_t j = 0; j < n; ++j) {
                    std::memcpy(vertexData.data() + at + j * (stride + 4) + stride, &copy, sizeof copy);
                }
                for (uint16_t index : source.Kept) {
                    indexData.push_back(static_cast<uint16_t>(base + index));
                    const TVector3 p = WorldPosition(source, index, pieces[i].Matrix);
                    low = Vector3(std::min(low.X, p.X), std::min(low.Y, p.Y), std::min(low.Z, p.Z));
                    high = Vector3(std::max(high.X, p.X), std::max(high.Y, p.Y), std::max(high.Z, p.Z));
                }
                base += n;
                chunk.Copies.push_back(pieces[i].Matrix);
            }
            chunk.Centre = VectorScale(VectorAdd(low, high), 0.5f);
            chunk.Radius = 0.5f * VectorLength(VectorSub(high, low));
            chunk.NumVertices = static_cast<int32_t>(base);
            chunk.PrimitiveCount = static_cast<int32_t>(indexData.size() / 3);
            chunk.Declaration = std::make_unique<TVertexDeclaration>(Device.Device());
            chunk.Declaration->CopyFrom(lead.Operation);
            chunk.Declaration->AddElement(kUsageBlendIndices, kTypeFloat1);
            chunk.Declaration->EndDeclaration();
            chunk.Declaration->Build();
            chunk.Vertices = std::make_unique<TVertexBuffer>(Device.Device());
            chunk.Indices = std::make_unique<TIndexBuffer>(Device.Device());
            const uint32_t vertexBytes = static_cast<uint32_t>(vertexData.size());
            const uint32_t indexBytes = static_cast<uint32_t>(indexData.size() * 2);
            bool ok = chunk.Vertices->CreateBuffer(vertexBytes, platform::D3DUSAGE_WRITEONLY,
                                                   platform::D3DPOOL_DEFAULT) &&
                      chunk.Indices->CreateBuffer(indexBytes, platform::D3DUSAGE_WRITEONLY,
                                                  platform::D3DPOOL_DEFAULT);
            if (ok) {
                void* v = chunk.Vertices->Lock(0, 0, 0);
                if (v != nullptr) {
                    chunk.Vertices->Write(vertexData.data(), 0, vertexBytes);
                    chunk.Vertices->Unlock();
                }
                uint16_t* x = chunk.Indices->Lock(0, 0, 0);
                if (x != nullptr) {
                    chunk.Indices->Write(indexData.data(), 0, indexBytes);
                    chunk.Indices->Unlock();
                }
                ok = v != nullptr && x != nullptr;
            }
            if (!ok) {
                Clear();
                return false;
            }
            Chunks.push_back(std::move(chunk));
            first += count;
        }
    }
    BuildCover();
    return true;
}

void TStaticFloor::BuildCover() {
    CoverX.clear();
    CoverZ.clear();
    CoverBottom = -1e30f;
    CoverTop = 1e30f;
    bool any = false;
    for (const TFloorBox& box : Boxes) {
        if (box.Max.Y < box.Min.Y) {
            continue;
        }
        any = true;
        CoverX.push_back(Snap(box.Min.X));
        CoverX.push_back(Snap(box.Max.X));
        CoverZ.push_back(Snap(box.Min.Z));
        CoverZ.push_back(Snap(box.Max.Z));
        CoverBottom = std::max(CoverBottom, box.Min.Y);
        CoverTop = std::min(CoverTop, box.Max.Y);
    }
    if (!any) {
        CoverX.clear();
        CoverZ.clear();
        Covered.clear();
        return;
    }
    std::sort(CoverX.begin(), CoverX.end());
    CoverX.erase(std::unique(CoverX.begin(), CoverX.end()), CoverX.end());
    std::sort(CoverZ.begin(), CoverZ.end());
    CoverZ.erase(std::unique(CoverZ.begin(), CoverZ.end()), CoverZ.end());
    const size_t columns = CoverX.size() - 1, rows = CoverZ.size() - 1;
    Covered.assign(columns * rows, 0);
    auto index = [](const std::vector<float>& edges, float v) {
        return static_cast<size_t>(std::lower_bound(edges.begin(), edges.end(), v) - edges.begin());
    };
    for (const TFloorBox& box : Boxes) {
        if (box.Max.Y < box.Min.Y) {
            continue;
        }
        const size_t x0 = index(CoverX, Snap(box.Min.X)), x1 = index(CoverX, Snap(box.Max.X));
        const size_t z0 = index(CoverZ, Snap(box.Min.Z)), z1 = index(CoverZ, Snap(box.Max.Z));
        for (size_t x = x0; x < x1; ++x) {
            for (size_t z = z0; z < z1; ++z) {
                Covered[x * rows + z] = 1;
            }
        }
    }
}

bool TStaticFloor::Covers(float x0, float z0, float x1, float z1, float y) const {
    if (Covered.empty() || !(y > CoverBottom && y < CoverTop) || x0 < CoverX.front() || x1 > CoverX.back() ||
        z0 < CoverZ.front() || z1 > CoverZ.back()) {
        return false;
    }
    const size_t rows = CoverZ.size() - 1;
    // The cells overlapping the rectangle: from the one holding its low edge to the one before its high
    // edge's.
    const size_t xa =
        static_cast<size_t>(std::upper_bound(CoverX.begin(), CoverX.end(), x0) - CoverX.begin()) - 1;
    const size_t xb =
        static_cast<size_t>(std::lower_bound(CoverX.begin(), CoverX.end(), x1) - CoverX.begin());
    const size_t za =
        static_cast<size_t>(std::upper_bound(CoverZ.begin(), CoverZ.end(), z0) - CoverZ.begin()) - 1;
    const size_t zb =
        static_cast<size_t>(std::lower_bound(CoverZ.begin(), CoverZ.end(), z1) - CoverZ.begin());
    for (size_t x = xa; x < xb && x < CoverX.size() - 1; ++x) {
        for (size_t z = za; z < zb && z < rows; ++z) {
            if (Covered[x * rows + z] == 0) {
                return false;
            }
        }
    }
    return true;
}

bool TStaticFloor::GetCoverBounds(float bounds[4]) const {
    if (Covered.empty()) {
        return false;
    }
    bounds[0] = CoverX.front();
    bounds[1] = CoverZ.front();
    bounds[2] = CoverX.back();
    bounds[3] = CoverZ.back();
    return true;
}

// ---------------------------------------------------------------------------------------------------
// The cut of a plane under the floor

bool TFloorCut::From(const TRenderOperation& source) const {
    return source.IndexBuffer != nullptr && source.VertexBuffer != nullptr &&
           SourceIndices == source.IndexBuffer->Handle() && SourceVertices == source.VertexBuffer->Handle() &&
           SourceIndexVersion == source.IndexBuffer->Version() &&
           SourceVertexVersion == source.VertexBuffer->Version();
}

bool TFloorCut::Read(const TRenderOperation& source) {
    Source = source;
    Made = false;
    SourceVertices =
        source.VertexBuffer != nullptr ? source.VertexBuffer->Handle() : platform::VertexBufferHandle{};
    SourceIndices =
        source.IndexBuffer != nullptr ? source.IndexBuffer->Handle() : platform::IndexBufferHandle{};
    SourceVertexVersion = source.VertexBuffer != nullptr ? source.VertexBuffer->Version() : 0;
    SourceIndexVersion = source.IndexBuffer != nullptr ? source.IndexBuffer->Version() : 0;
    TSource read;
    if (!ReadSource(source, read) || read.Stride % 4 != 0 || read.Stride / 4 > 64 ||
        read.PositionOffset % 4 != 0) {
        return false;
    }
    for (const platform::VertexElement& element : source.Declaration->Elements()) {
        if (element.Stream != 0xFF && element.Type > 3) {
            return false;  // only float attributes can be interpolated
        }
    }
    Vertices = std::move(read.Vertices);
    Indices = std::move(read.Indices);
    Floats = read.Stride / 4;
    const uint32_t position = read.PositionOffset / 4;
    auto at = [&](uint16_t vertex, uint32_t f) {
        float v;
        std::memcpy(&v, Vertices.data() + (size_t(vertex) * Floats + f) * 4, 4);
        return v;
    };
    // Flat in the subset's own space, and its attributes affine in x and z: fitted on the largest
    // triangle, checked on every vertex.
    const float y = at(Indices[0], position + 1);
    size_t best = 0;
    double bestArea = 0.0;
    for (size_t t = 0; t + 2 < Indices.size(); t += 3) {
        const double ax = at(Indices[t], position), az = at(Indices[t], position + 2);
        const double area = (at(Indices[t + 1], position) - ax) * (at(Indices[t + 2], position + 2) - az) -
                            (at(Indices[t + 2], position) - ax) * (at(Indices[t + 1], position + 2) - az);
        if (std::fabs(area) > std::fabs(bestArea)) {
            best = t;
            bestArea = area;
        }
    }
    if (bestArea == 0.0) {
        return false;
    }
    const double x0 = at(Indices[best], position), z0 = at(Indices[best], position + 2);
    const double x1 = at(Indices[best + 1], position), z1 = at(Indices[best + 1], position + 2);
    const double x2 = at(Indices[best + 2], position), z2 = at(Indices[best + 2], position + 2);
    for (uint32_t f = 0; f < Floats; ++f) {
        const double f0 = at(Indices[best], f), f1 = at(Indices[best + 1], f), f2 = at(Indices[best + 2], f);
        const double b = ((f1 - f0) * (z2 - z0) - (f2 - f0) * (z1 - z0)) / bestArea;
        const double c = ((f2 - f0) * (x1 - x0) - (f1 - f0) * (x2 - x0)) / bestArea;
        Fit[1][f] = static_cast<float>(b);
        Fit[2][f] = static_cast<float>(c);
        Fit[0][f] = static_cast<float>(f0 - b * x0 - c * z0);
    }
    for (uint16_t vertex : Indices) {
        const float x = at(vertex, position), z = at(vertex, position + 2);
        if (std::fabs(at(vertex, position + 1) - y) > 1e-4f) {
            return false;
        }
        for (uint32_t f = 0; f < Floats; ++f) {
            const float fitted = Fit[0][f] + Fit[1][f] * x + Fit[2][f] * z;
            const float value = at(vertex, f);
            if (std::fabs(fitted - value) > 1e-4f * (1.0f + std::fabs(value))) {
                return false;
            }
        }
    }
    return true;
}

bool TFloorCut::Make(const TMatrix& m, const TStaticFloor& floor) {
    Made = false;
    float cover[4];
    // Only a plane kept horizontal and axis-aligned: world x from x alone, z from z alone.
    if (!floor.GetCoverBounds(cover) || std::fabs(m._13) > 1e-6f || std::fabs(m._31) > 1e-6f ||
        std::fabs(m._12) > 1e-6f || std::fabs(m._32) > 1e-6f || std::fabs(m._11) < 1e-6f ||
        std::fabs(m._33) < 1e-6f) {
        return false;
    }
    const uint32_t position = Source.Declaration->ElementOffset(0, 0) / 4;
    auto at = [&](uint16_t vertex, uint32_t f) {
        float v;
        std::memcpy(&v, Vertices.data() + (size_t(vertex) * Floats + f) * 4, 4);
        return v;
    };
    const float y = at(Indices[0], position + 1);
    const float sx = m._11, sz = m._33;
    const float tx = m._41 + y * m._21, tz = m._43 + y * m._23;
    const float worldY = y * m._22 + m._42;
    auto worldX = [&](float x) { return sx * x + tx; };
    auto worldZ = [&](float z) { return sz * z + tz; };

    // The triangles near the floor, and the rectangle they must fill.
    const float reach = kMargin + kCell;
    NearFloor.assign(Indices.size() / 3, 0);
    float region[4] = {1e30f, 1e30f, -1e30f, -1e30f};
    double nearArea = 0.0;
    for (size_t t = 0; t + 2 < Indices.size(); t += 3) {
        float lo[2] = {1e30f, 1e30f}, hi[2] = {-1e30f, -1e30f};
        for (size_t k = 0; k < 3; ++k) {
            const float x = at(Indices[t + k], position), z = at(Indices[t + k], position + 2);
            lo[0] = std::min(lo[0], x);
            hi[0] = std::max(hi[0], x);
            lo[1] = std::min(lo[1], z);
            hi[1] = std::max(hi[1], z);
        }
        const float wx0 = std::min(worldX(lo[0]), worldX(hi[0])),
                    wx1 = std::max(worldX(lo[0]), worldX(hi[0]));
        const float wz0 = std::min(worldZ(lo[1]), worldZ(hi[1])),
                    wz1 = std::max(worldZ(lo[1]), worldZ(hi[1]));
        if (wx1 < cover[0] - reach || wx0 > cover[2] + reach || wz1 < cover[1] - reach ||
            wz0 > cover[3] + reach) {
            continue;
        }
        NearFloor[t / 3] = 1;
        region[0] = std::min(region[0], lo[0]);
        region[1] = std::min(region[1], lo[1]);
        region[2] = std::max(region[2], hi[0]);
        region[3] = std::max(region[3], hi[1]);
        const float ax = at(Indices[t], position), az = at(Indices[t], position + 2);
        nearArea +=
            0.5 *
            std::fabs(double(at(Indices[t + 1], position) - ax) * (at(Indices[t + 2], position + 2) - az) -
                      double(at(Indices[t + 2], position) - ax) * (at(Indices[t + 1], position + 2) - az));
    }
    const double regionArea = double(region[2] - region[0]) * (region[3] - region[1]);
    if (nearArea == 0.0 || std::fabs(nearArea - regionArea) > 1e-4 * regionArea) {
        return false;  // nothing near, or the near triangles do not fill their rectangle
    }

    // The region's own vertices on its edges: the triangles outside meet the cut only there, so the
    // cut's outer edges go through these alone (no vertex of the cut lies inside an edge outside).
    std::vector<float> outer[4];  // x along z0, x along z1, z along x0, z along x1
    for (size_t t = 0; t + 2 < Indices.size(); t += 3) {
        for (size_t k = 0; k < 3 && NearFloor[t / 3]; ++k) {
            const float x = at(Indices[t + k], position), z = at(Indices[t + k], position + 2);
            if (z == region[1])
                outer[0].push_back(x);
            if (z == region[3])
                outer[1].push_back(x);
            if (x == region[0])
                outer[2].push_back(z);
            if (x == region[2])
                outer[3].push_back(z);
        }
    }
    for (std::vector<float>& side : outer) {
        std::sort(side.begin(), side.end());
        side.erase(std::unique(side.begin(), side.end()), side.end());
    }
    const bool corners = !outer[0].empty() && outer[0].front() == region[0] && outer[0].back() == region[2] &&
                         !outer[1].empty() && outer[1].front() == region[0] && outer[1].back() == region[2] &&
                         !outer[2].empty() && outer[2].front() == region[1] && outer[2].back() == region[3] &&
                         !outer[3].empty() && outer[3].front() == region[1] && outer[3].back() == region[3];

    // Grid lines: the region's edges, a ring one cell wide inside them, and inside the ring the floor's
    // box edges a margin either side, so that what is left out is the cover shrunk by the margin.
    auto gridLines = [](float lo, float hi, float scale, float offset, const std::vector<float>& edges) {
        const float ring = kCell / std::fabs(scale);
        std::vector<float> g = {lo, lo + ring, hi - ring, hi};
        for (float edge : edges) {
            for (float world : {edge - kMargin, edge + kMargin}) {
                const float v = (world - offset) / scale;
                if (v > lo + ring && v < hi - ring) {
                    g.push_back(v);
                }
            }
        }
        std::sort(g.begin(), g.end());
        g.erase(std::unique(g.begin(), g.end()), g.end());
        return g;
    };
    const std::vector<float> gx = gridLines(region[0], region[2], sx, tx, floor.GetCoverX());
    const std::vector<float> gz = gridLines(region[1], region[3], sz, tz, floor.GetCoverZ());
    const int nx = static_cast<int>(gx.size()) - 1;
    const int nz = static_cast<int>(gz.size()) - 1;
    if (!corners || nx < 3 || nz < 3 || gx[1] >= gx[size_t(nx) - 1] || gz[1] >= gz[size_t(nz) - 1]) {
        return false;
    }
    // Rows of kept runs [i0, i1) inside the ring; rows with the same runs make one strip.
    struct TStrip {
        int J0, J1;
        std::vector<std::pair<int, int>> Runs;
    };
    std::vector<TStrip> strips;
    float dropped[4] = {1e30f, 1e30f, -1e30f, -1e30f};
    for (int j = 1; j < nz - 1; ++j) {
        const float c = worldZ(gz[size_t(j)]), d = worldZ(gz[size_t(j) + 1]);
        std::vector<std::pair<int, int>> runs;
        int start = -1;
        for (int i = 1; i <= nx - 1; ++i) {
            bool keep = false;
            if (i < nx - 1) {
                const float a = worldX(gx[size_t(i)]), b = worldX(gx[size_t(i) + 1]);
                keep = !floor.Covers(std::min(a, b) - kMargin, std::min(c, d) - kMargin,
                                     std::max(a, b) + kMargin, std::max(c, d) + kMargin, worldY);
                if (!keep) {
                    dropped[0] = std::min(dropped[0], gx[size_t(i)]);
                    dropped[1] = std::min(dropped[1], gz[size_t(j)]);
                    dropped[2] = std::max(dropped[2], gx[size_t(i) + 1]);
                    dropped[3] = std::max(dropped[3], gz[size_t(j) + 1]);
                }
            }
            if (keep && start < 0) {
                start = i;
            } else if (!keep && start >= 0) {
                runs.emplace_back(start, i);
                start = -1;
            }
        }
        if (!strips.empty() && strips.back().Runs == runs) {
            strips.back().J1 = j + 1;
        } else {
            strips.push_back(TStrip{j, j + 1, std::move(runs)});
        }
    }

    // Vertices shared by position; triangles turned as the source's first one.
    std::vector<float> vertices(Vertices.size() / 4);
    std::memcpy(vertices.data(), Vertices.data(), Vertices.size());
    std::vector<uint16_t> indices;
    for (size_t t = 0; t + 2 < Indices.size(); t += 3) {
        if (!NearFloor[t / 3]) {
            indices.insert(indices.end(), Indices.begin() + t, Indices.begin() + t + 3);
        }
    }
    const float ax = at(Indices[0], position), az = at(Indices[0], position + 2);
    const double turn = double(at(Indices[1], position) - ax) * (at(Indices[2], position + 2) - az) -
                        double(at(Indices[2], position) - ax) * (at(Indices[1], position + 2) - az);
    std::map<std::pair<float, float>, uint16_t> made;
    bool full = false;
    auto vertex = [&](float x, float z) -> uint16_t {
        auto found = made.find({x, z});
        if (found != made.end()) {
            return found->second;
        }
        const size_t index = vertices.size() / Floats;
        if (index > 65535) {
            full = true;
            return 0;
        }
        for (uint32_t f = 0; f < Floats; ++f) {
            vertices.push_back(Fit[0][f] + Fit[1][f] * x + Fit[2][f] * z);
        }
        vertices[index * Floats + position] = x;
        vertices[index * Floats + position + 1] = y;
        vertices[index * Floats + position + 2] = z;
        made[{x, z}] = static_cast<uint16_t>(index);
        return static_cast<uint16_t>(index);
    };
    struct TPoint {
        float X, Z;
    };
    auto triangle = [&](const TPoint& p, const TPoint& q, const TPoint& r) {
        const double t = double(q.X - p.X) * (r.Z - p.Z) - double(r.X - p.X) * (q.Z - p.Z);
        if (t == 0.0) {
            return;
        }
        const uint16_t a = vertex(p.X, p.Z), b = vertex(q.X, q.Z), c = vertex(r.X, r.Z);
        indices.push_back(a);
        indices.push_back((t > 0.0) == (turn > 0.0) ? b : c);
        indices.push_back((t > 0.0) == (turn > 0.0) ? c : b);
    };
    // Triangles between two chains that start together and end together, each ordered along the
    // key (x for chains on two rows, z for chains on two columns).
    auto zip = [&](const std::vector<TPoint>& low, const std::vector<TPoint>& high, bool byX) {
        auto key = [byX](const TPoint& p) { return byX ? p.X : p.Z; };
        size_t i = 0, k = 0;
        while (i + 1 < low.size() || k + 1 < high.size()) {
            if (k + 1 >= high.size() || (i + 1 < low.size() && key(low[i + 1]) <= key(high[k + 1]))) {
                triangle(low[i], low[i + 1], high[k]);
                ++i;
            } else {
                triangle(low[i], high[k + 1], high[k]);
                ++k;
            }
        }
    };
    // The points of a run's edge on row line j: its ends and the ends of the runs of the strip across.
    auto edge = [&](int i0, int i1, int j, const TStrip* across) {
        std::vector<int> at = {i0, i1};
        if (across != nullptr) {
            for (const auto& run : across->Runs) {
                if (run.first > i0 && run.first < i1)
                    at.push_back(run.first);
                if (run.second > i0 && run.second < i1)
                    at.push_back(run.second);
            }
        }
        std::sort(at.begin(), at.end());
        at.erase(std::unique(at.begin(), at.end()), at.end());
        std::vector<TPoint> points;
        for (int i : at) {
            points.push_back(TPoint{gx[size_t(i)], gz[size_t(j)]});
        }
        return points;
    };
    // The inner ring's points: its corners, every end of a run on its bottom and top rows, every strip
    // line on its sides.
    std::vector<TPoint> innerBottom, innerTop, innerLeft, innerRight;
    for (int side = 0; side < 2; ++side) {
        const TStrip* strip = strips.empty() ? nullptr : side == 0 ? &strips.front() : &strips.back();
        const int j = side == 0 ? 1 : nz - 1;
        std::vector<TPoint>& out = side == 0 ? innerBottom : innerTop;
        out = edge(1, nx - 1, j, strip);
    }
    std::vector<int> lines = {1, nz - 1};
    for (const TStrip& strip : strips) {
        lines.push_back(strip.J0);
        lines.push_back(strip.J1);
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    for (int j : lines) {
        innerLeft.push_back(TPoint{gx[1], gz[size_t(j)]});
        innerRight.push_back(TPoint{gx[size_t(nx) - 1], gz[size_t(j)]});
    }
    auto chain = [&](const std::vector<float>& values, bool alongX, float fixed) {
        std::vector<TPoint> points;
        for (float v : values) {
            points.push_back(alongX ? TPoint{v, fixed} : TPoint{fixed, v});
        }
        return points;
    };
    zip(chain(outer[0], true, region[1]), innerBottom, true);
    zip(innerTop, chain(outer[1], true, region[3]), true);
    zip(chain(outer[2], false, region[0]), innerLeft, false);
    zip(innerRight, chain(outer[3], false, region[2]), false);
    for (size_t s = 0; s < strips.size(); ++s) {
        const TStrip* below = s > 0 ? &strips[s - 1] : nullptr;
        const TStrip* above = s + 1 < strips.size() ? &strips[s + 1] : nullptr;
        for (const auto& run : strips[s].Runs) {
            // On the ring's rows the ring's own points are the ends of these runs already.
            zip(edge(run.first, run.second, strips[s].J0, below),
                edge(run.first, run.second, strips[s].J1, above), true);
        }
    }
    if (full) {
        return false;
    }
    if (indices.empty()) {
        indices.assign(3, 0);  // nothing left: one empty triangle
    }
    if (!CutVertices) {
        CutVertices = std::make_unique<TVertexBuffer>(Device.Device());
        CutIndices = std::make_unique<TIndexBuffer>(Device.Device());
    }
    const uint32_t vertexBytes = static_cast<uint32_t>(vertices.size() * 4);
    const uint32_t indexBytes = static_cast<uint32_t>(indices.size() * 2);
    if (!CutVertices->CreateBuffer(vertexBytes, platform::D3DUSAGE_WRITEONLY, platform::D3DPOOL_DEFAULT) ||
        !CutIndices->CreateBuffer(indexBytes, platform::D3DUSAGE_WRITEONLY, platform::D3DPOOL_DEFAULT)) {
        return false;
    }
    void* v = CutVertices->Lock(0, 0, 0);
    if (v != nullptr) {
        CutVertices->Write(vertices.data(), 0, vertexBytes);
        CutVertices->Unlock();
    }
    uint16_t* x = CutIndices->Lock(0, 0, 0);
    if (x != nullptr) {
        CutIndices->Write(indices.data(), 0, indexBytes);
        CutIndices->Unlock();
    }
    if (v == nullptr || x == nullptr) {
        return false;
    }
    Cut = Source;
    Cut.VertexBuffer = CutVertices.get();
    Cut.IndexBuffer = CutIndices.get();
    Cut.NumVertices = static_cast<int32_t>(vertices.size() / Floats);
    Cut.PrimitiveCount = static_cast<int32_t>(indices.size() / 3);
    std::memcpy(Dropped, dropped, sizeof Dropped);
    MadeFor = m;
    MadeForFloor = floor.GetGeneration();
    Made = true;
    return true;
}

const TRenderOperation& TFloorCut::For(const TRenderOperation& source, const TMatrix& matrix,
                                       const TStaticFloor& floor) {
    if (!From(source)) {
        Cuttable = Read(source);
        Failed = false;
    }
    if (!Cuttable) {
        return source;
    }
    bool current = Made && MadeForFloor == floor.GetGeneration();
    if (current) {
        // What was left out moved less than the margin: the corners around it bound how far any point
        // of it went.
        const float y = 0.0f;
        const float corners[4][2] = {{Dropped[0], Dropped[1]},
                                     {Dropped[2], Dropped[1]},
                                     {Dropped[0], Dropped[3]},
                                     {Dropped[2], Dropped[3]}};
        for (const auto& c : corners) {
            if (Dropped[0] > Dropped[2]) {
                break;  // nothing left out
            }
            const TVector3 p = Vector3(c[0], y, c[1]);
            current =
                current && VectorDistance(TransformPoint(p, matrix), TransformPoint(p, MadeFor)) <= kMargin;
        }
    }
    if (!current && Failed && MadeForFloor == floor.GetGeneration()) {
        return source;
    }
    if (!current && !Make(matrix, floor)) {
        Failed = true;
        MadeForFloor = floor.GetGeneration();
        return source;
    }
    Failed = false;
    return Cut;
}
