// The static floor: a side face is left out only when the boxes lying against it cover it all along and
// all the way up (a gap, a lower neighbour or a box that does not reach across the face keeps it); the
// scene manager bakes static tiles alone and culls the chunks; a plane under the floor is cut where the
// floor hides it, keeping its texture coordinates, and without cracks.
#include "scene/StaticFloor.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <set>
#include <sstream>

#include "platform/HeadlessWindow.h"
#include "platform/RecordingDevice.h"
#include "scene/GE_SCENEMANAGER.h"
#include "tests/scene/SceneTestSupport.h"
#include "util/Files.h"

namespace {

TFloorBox Box(float x0, float z0, float x1, float z1, float y0 = -0.6f, float y1 = 0.0f) {
    return TFloorBox{Vector3(x0, y0, z0), Vector3(x1, y1, z1)};
}

}  // namespace

TEST(StaticFloorSides, CoveredOnlyWhenNeighboursSpanTheWholeFace) {
    // A 4 x 4 tile with a 4 x 4 neighbour at +x, two 1 x 1 tiles (with a gap) at -x, and a lower
    // tile at +z.
    const std::vector<TFloorBox> boxes = {Box(0, 0, 4, 4), Box(4, 0, 8, 4), Box(-1, 0, 0, 1),
                                          Box(-1, 2, 0, 4), Box(0, 4, 4, 8, -0.6f, -0.3f)};
    EXPECT_TRUE(SideCovered(boxes, 0, 0, 0.0f, 4.0f, -0.6f, 0.0f));   // +x: the neighbour covers it all
    EXPECT_TRUE(SideCovered(boxes, 1, 1, 0.0f, 4.0f, -0.6f, 0.0f));   // and the neighbour's -x side too
    EXPECT_FALSE(SideCovered(boxes, 1, 0, 0.0f, 4.0f, -0.6f, 0.0f));  // nothing beyond +x of the second
    EXPECT_FALSE(SideCovered(boxes, 0, 1, 0.0f, 4.0f, -0.6f, 0.0f));  // -x: the gap from z 1 to 2 shows
    EXPECT_TRUE(SideCovered(boxes, 0, 1, 0.0f, 1.0f, -0.6f, 0.0f));   // a triangle within the first
    EXPECT_FALSE(SideCovered(boxes, 0, 2, 0.0f, 4.0f, -0.6f, 0.0f));  // +z: the neighbour is lower
    EXPECT_FALSE(SideCovered(boxes, 0, 3, 0.0f, 4.0f, -0.6f, 0.0f));  // -z: nothing there
    // Tiles that meet only to within rounding (a rotated tile's corners) still cover each other.
    const std::vector<TFloorBox> rounded = {Box(0, 0, 4.0000002f, 4),
                                            Box(3.9999998f, -0.0000003f, 8, 4.0000001f)};
    EXPECT_TRUE(SideCovered(rounded, 0, 0, 0.0f, 4.0f, -0.6f, 0.0f));
}

// ---------------------------------------------------------------------------------------------------
// Baking and cutting on the recording device, with meshes made on the spot.

namespace {

// A .x text of one box from y = -0.6 to 0 over x, z in [-half, half]: its top and its four sides.
std::string TileText(float half) {
    const float c[8][3] = {{-half, 0, -half},   {half, 0, -half},      {half, 0, half},
                           {-half, 0, half},    {-half, -0.6f, -half}, {half, -0.6f, -half},
                           {half, -0.6f, half}, {-half, -0.6f, half}};
    const int faces[10][3] = {{0, 3, 2}, {0, 2, 1}, {4, 0, 1}, {4, 1, 5}, {5, 1, 2},
                              {5, 2, 6}, {6, 2, 3}, {6, 3, 7}, {7, 3, 0}, {7, 0, 4}};
    std::ostringstream x;
    x << "xof 0303txt 0032\nMesh tile {\n8;\n";
    for (const auto& v : c) {
        x << v[0] << ";" << v[1] << ";" << v[2] << ";,\n";
    }
    x << "10;\n";
    for (const auto& f : faces) {
        x << "3;" << f[0] << "," << f[1] << "," << f[2] << ";,\n";
    }
    x << "MeshTextureCoords {\n8;\n";
    for (int v = 0; v < 8; ++v) {
        x << (v & 1) << ";" << ((v >> 1) & 1) << ";,\n";
    }
    x << "}\n}\n";
    return x.str();
}

// A flat square from -half to half at y = 0, texture coordinates u = x / 4, v = z / 4.
std::string PlaneText(float half) {
    std::ostringstream x;
    x << "xof 0303txt 0032\nMesh plane {\n4;\n"
      << -half << ";0;" << -half << ";,\n"
      << -half << ";0;" << half << ";,\n"
      << half << ";0;" << half << ";,\n"
      << half << ";0;" << -half << ";,\n"
      << "2;\n3;0,1,2;,\n3;0,2,3;,\nMeshTextureCoords {\n4;\n"
      << -half / 4 << ";" << -half / 4 << ";,\n"
      << -half / 4 << ";" << half / 4 << ";,\n"
      << half / 4 << ";" << half / 4 << ";,\n"
      << half / 4 << ";" << -half / 4 << ";,\n}\n}\n";
    return x.str();
}

// Positions and u, v of every vertex of `op`, and its indices.
void ReadBack(const TRenderOperation& op, std::vector<std::array<float, 5>>& v, std::vector<uint16_t>& indices) {
    const uint32_t stride = op.Declaration->GetStride();
    const auto* bytes = static_cast<const uint8_t*>(
        op.VertexBuffer->Lock(0, static_cast<uint32_t>(op.NumVertices) * stride, platform::D3DLOCK_READONLY));
    ASSERT_NE(bytes, nullptr);
    v.assign(static_cast<size_t>(op.NumVertices), {});
    const uint8_t uv = op.Declaration->ElementOffset(2, 0);
    for (size_t i = 0; i < v.size(); ++i) {
        std::memcpy(v[i].data(), bytes + i * stride, 12);
        std::memcpy(v[i].data() + 3, bytes + i * stride + uv, 8);
    }
    op.VertexBuffer->Unlock();
    const uint16_t* idx =
        op.IndexBuffer->Lock(0, static_cast<uint32_t>(op.PrimitiveCount) * 6, platform::D3DLOCK_READONLY);
    ASSERT_NE(idx, nullptr);
    indices.assign(idx, idx + op.PrimitiveCount * 3);
    op.IndexBuffer->Unlock();
}

class FloorTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(renderer_.Start(error)) << error;
        render_ = renderer_.render.get();
        scene_ = std::make_unique<TSceneManager>(*render_, renderer_.root);
        scene_->GetCamera()->SetRotation(60, 0, 0);  // looking down on the floor from above
        scene_->GetCamera()->SetPosition(0, 15, -10);
        level_ = scene_->GetRoot()->AddChild(std::make_unique<TMoveableObject>("Level"));
        tile_ = scene_test::MakeMesh(render_->Device(), TileText(0.5f), "tile");
        plane_ = scene_test::MakeMesh(render_->Device(), PlaneText(10.0f), "plane");
        ASSERT_TRUE(tile_ && tile_->Mesh && plane_ && plane_->Mesh);
    }
    void TearDown() override {
        scene_.reset();
        tile_.reset();
        plane_.reset();
    }
    TGameObject* Add(TMeshResource* mesh, float x, float y, float z, bool isStatic) {
        auto* object = level_->AddChild(std::make_unique<TGameObject>("Decor", mesh));
        object->SetPosition(x, y, z);
        object->SetStatic(isStatic);
        return object;
    }
    uint64_t FrameTriangles() {
        scene_->Update(16);
        const uint64_t before = renderer_.system.LastDevice()->Counts().Primitives;
        scene_->Render();
        return renderer_.system.LastDevice()->Counts().Primitives - before;
    }

    scene_test::RecordingRender renderer_;
    TRenderD3D9* render_ = nullptr;
    std::unique_ptr<TSceneManager> scene_;
    std::unique_ptr<TMeshResource> tile_, plane_;
    TMoveableObject* level_ = nullptr;
};

}  // namespace

TEST_F(FloorTest, SidesBetweenStaticTilesAreLeftOut_OthersAndMovingTilesStay) {
    // A row of three static tiles (in one square of the chunk grid) and one more, not static, apart.
    for (int i = 1; i <= 3; ++i) {
        Add(tile_.get(), float(i), 0, 1, true);
    }
    Add(tile_.get(), 6, 0, 1, false);
    const int32_t calls = [&] {
        FrameTriangles();
        return scene_->GetDrawCallCount();
    }();
    // The two meeting places hide two faces each (two triangles a face); the fourth tile is drawn whole.
    EXPECT_EQ(scene_->GetStaticFloor().GetHiddenTriangles(), 8);
    EXPECT_EQ(FrameTriangles(), 3u * 10u - 8u + 10u);
    EXPECT_EQ(calls, 2);
    // Unbaked, every face is drawn again.
    scene_->SetFloorBaking(false);
    EXPECT_EQ(FrameTriangles(), 4u * 10u);
    // Out of view, the chunk is not drawn.
    scene_->SetFloorBaking(true);
    scene_->GetCamera()->SetPosition(0, 15, 200);
    EXPECT_EQ(FrameTriangles(), 0u);
}

TEST_F(FloorTest, PlaneUnderTheFloorIsCutWithoutCracksAndKeepsWhatShows) {
    // Ground of 8 x 8 static tiles over [-4, 4] x [-4, 4]; a plane under it (the water).
    for (int x = -4; x < 4; ++x) {
        for (int z = -4; z < 4; ++z) {
            Add(tile_.get(), float(x) + 0.5f, 0, float(z) + 0.5f, true);
        }
    }
    scene_->Update(16);
    scene_->Render();
    const TStaticFloor& floor = scene_->GetStaticFloor();
    ASSERT_FALSE(floor.Empty());
    EXPECT_TRUE(floor.Covers(-3, -3, 3, 3, -0.5f));
    EXPECT_FALSE(floor.Covers(-3, -3, 4.5f, 3, -0.5f));  // beyond the ground
    EXPECT_FALSE(floor.Covers(-3, -3, 3, 3, 0.5f));      // above it

    TRenderOperation source;
    ASSERT_TRUE(plane_->Mesh->GetRenderOperation(0, 0, source));
    TMatrix matrix;
    D3DXMatrixTranslation(matrix, 0.0f, -0.5f, 0.0f);
    TFloorCut cut(*render_);
    const TRenderOperation& op = cut.For(source, matrix, floor);
    ASSERT_NE(op.IndexBuffer, source.IndexBuffer);

    std::vector<std::array<float, 5>> v;
    std::vector<uint16_t> indices;
    ReadBack(op, v, indices);
    double area = 0.0;
    std::set<std::pair<uint16_t, uint16_t>> edges;
    for (size_t t = 0; t < indices.size(); t += 3) {
        const auto &a = v[indices[t]], &b = v[indices[t + 1]], &c = v[indices[t + 2]];
        const double turn = double(b[0] - a[0]) * (c[2] - a[2]) - double(c[0] - a[0]) * (b[2] - a[2]);
        EXPECT_LT(turn, 0.0) << "turned as the source's triangles, none degenerate";
        area += -0.5 * turn;
        // What is left out lies under the ground with the margin around: no triangle's centre is
        // deeper inside than the margin.
        const float cx = (a[0] + b[0] + c[0]) / 3, cz = (a[2] + b[2] + c[2]) / 3;
        EXPECT_FALSE(std::fabs(cx) < 4 - TFloorCut::kMargin && std::fabs(cz) < 4 - TFloorCut::kMargin)
            << cx << ", " << cz;
        for (const auto* p : {&a, &b, &c}) {
            EXPECT_NEAR((*p)[3], (*p)[0] / 4, 1e-5f);  // the plane's own texture coordinates
            EXPECT_NEAR((*p)[4], (*p)[2] / 4, 1e-5f);
        }
        for (int e = 0; e < 3; ++e) {
            edges.insert({indices[t + e], indices[t + (e + 1) % 3]});
        }
    }
    // Everything but the ground's square less the margin is drawn: the cut follows the ground's edges ...
    const double hole = 400.0 - area;
    EXPECT_NEAR(hole, (8 - 2 * TFloorCut::kMargin) * (8 - 2 * TFloorCut::kMargin), 1e-3);
    // ... with no crack: no vertex lies inside another triangle's edge (a T-junction).
    for (const auto& edge : edges) {
        const auto &p = v[edge.first], &q = v[edge.second];
        for (const auto& r : v) {
            const double cross = double(q[0] - p[0]) * (r[2] - p[2]) - double(q[2] - p[2]) * (r[0] - p[0]);
            const double along = double(r[0] - p[0]) * (q[0] - p[0]) + double(r[2] - p[2]) * (q[2] - p[2]);
            const double length = double(q[0] - p[0]) * (q[0] - p[0]) + double(q[2] - p[2]) * (q[2] - p[2]);
            EXPECT_FALSE(std::fabs(cross) < 1e-6 && along > 1e-6 && along < length - 1e-6)
                << "vertex (" << r[0] << ", " << r[2] << ") inside edge (" << p[0] << ", " << p[2] << ")-("
                << q[0] << ", " << q[2] << ")";
        }
    }

    // The plane breathes as the water does, scaled about its centre: whatever the ground does not hide
    // stays drawn, the cut kept while it moved less than the margin and made again beyond.
    for (float scale : {1.02f, 1.06f, 1.1f, 1.0f, 0.9f}) {
        TMatrix scaling;
        D3DXMatrixScaling(scaling, scale, 1.0f, scale);
        const TRenderOperation& moved = cut.For(source, MatrixMultiply(scaling, matrix), floor);
        ReadBack(moved, v, indices);
        int uncovered = 0;
        for (float x = -4.55f; x < 4.6f; x += 0.1f) {
            for (float z = -4.55f; z < 4.6f; z += 0.1f) {
                if (std::fabs(x) < 4.0f && std::fabs(z) < 4.0f) {
                    continue;  // under the ground
                }
                const float px = x / scale, pz = z / scale;  // in the plane's own space
                bool inside = false;
                for (size_t t = 0; t + 2 < indices.size() && !inside; t += 3) {
                    const auto &a = v[indices[t]], &b = v[indices[t + 1]], &c = v[indices[t + 2]];
                    auto side = [&](const std::array<float, 5>& p, const std::array<float, 5>& q) {
                        return (q[0] - p[0]) * (pz - p[2]) - (q[2] - p[2]) * (px - p[0]);
                    };
                    const float ab = side(a, b), bc = side(b, c), ca = side(c, a);
                    inside = (ab <= 0 && bc <= 0 && ca <= 0) || (ab >= 0 && bc >= 0 && ca >= 0);
                }
                uncovered += inside ? 0 : 1;
            }
        }
        EXPECT_EQ(uncovered, 0) << "at scale " << scale;
    }
}
