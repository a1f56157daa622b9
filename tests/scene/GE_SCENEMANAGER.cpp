#include "scene/GE_SCENEMANAGER.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/HeadlessWindow.h"
#include "platform/RecordingDevice.h"
#include "tests/scene/SceneTestSupport.h"
#include "util/Files.h"

namespace {

using platform::D3DCULL_CCW;
using platform::D3DCULL_CW;
using scene_test::DrawState;

// Counts Draw calls and notes the device state each one found.
class FakeEffect : public TSceneEffect {
public:
    FakeEffect(platform::RecordingDevice*& device) : TSceneEffect("paticlesystem"), device_(device) {}
    void Draw() override {
        ++draws;
        depthWriteAtDraw = device_->RenderState(platform::D3DRS_ZWRITEENABLE);
        blendAtDraw = device_->RenderState(platform::D3DRS_ALPHABLENDENABLE);
        c0 = device_->Constant(0);
        c4 = device_->Constant(4);
    }
    void OnLostDevice() override { ++lost; }
    void OnResetDevice() override { ++reset; }

    int draws = 0;
    int lost = 0;
    int reset = 0;
    uint32_t depthWriteAtDraw = 99;
    uint32_t blendAtDraw = 99;
    std::array<float, 4> c0{};
    std::array<float, 4> c4{};

private:
    platform::RecordingDevice*& device_;
};

class SceneManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        render_ = std::make_unique<TRenderD3D9>(system_);
        std::string error;
        ASSERT_TRUE(render_->Initialize(&window_, true, 800, 600, 1, error)) << error;
        device_ = system_.LastDevice();
        scene_ = std::make_unique<TSceneManager>(*render_, files::TDataRoot(BRELVOX_SOURCE_DIR));
        // Looking along +Z from z = -20: the walls stand around the origin.
        TCamera* camera = scene_->GetCamera();
        camera->SetRotation(0, 0, 0);
        camera->SetPosition(0, 0, -20);
        level_ = scene_->GetRoot()->AddChild(std::make_unique<TMoveableObject>("Level"));
    }

    void TearDown() override {
        scene_.reset();
        meshes_.clear();
        render_.reset();
    }

    TMeshResource* Mesh(int triangles, float alpha = 1.0f, int extraVertices = 0) {
        meshes_.push_back(scene_test::MakeMesh(render_->Device(),
                                               scene_test::BoxMeshText(triangles, alpha, extraVertices),
                                               "mesh" + std::to_string(meshes_.size())));
        return meshes_.back().get();
    }

    TGameObject* AddObject(TMeshResource* mesh, float x, float y, float z,
                           TMoveableObject* parent = nullptr) {
        auto* object =
            (parent != nullptr ? parent : level_)->AddChild(std::make_unique<TGameObject>("Wall", mesh));
        object->SetPosition(x, y, z);
        return object;
    }

    // `count` walls in rows of `perRow` (ten unless told), `spacing` apart, around the origin.
    void AddWalls(TMeshResource* mesh, int count, int perRow = 10, float spacing = 1.0f) {
        for (int i = 0; i < count; ++i) {
            AddObject(mesh,
                      spacing * (static_cast<float>(i % perRow) - 0.5f * static_cast<float>(perRow - 1)),
                      spacing * static_cast<float>(i / perRow) - 3.0f, 0.0f);
        }
    }

    // One update (matrices) and one draw pass; the draws of the pass.
    std::vector<DrawState> Frame() {
        scene_->Update(16);
        start_ = scene_test::CurrentState(*device_);
        device_->ClearLog();
        scene_->Render();
        return scene_test::ReplayDraws(device_->Calls(), start_);
    }

    uint32_t StaticShader() const { return ShaderHandle("Static.vs"); }
    uint32_t InstanceShader() const { return ShaderHandle("Instance.vs"); }

    // The slot of the shader whose source has the file's first comment line (made once, so in the
    // slot's first generation).
    uint32_t ShaderHandle(const std::string& file) const {
        std::string source, error;
        files::TDataRoot(BRELVOX_SOURCE_DIR).ReadFile("Data/Shaders/" + file, source, error);
        for (uint32_t handle = 1; handle < 1000; ++handle) {
            const platform::RecordedShader* shader = device_->Shader(platform::ShaderHandle{handle, 1});
            if (shader != nullptr && shader->Source.find(source.substr(0, 60)) != std::string::npos) {
                return handle;
            }
        }
        return 0;
    }

    platform::RecordingGraphicsSystem system_;
    platform::HeadlessWindow window_{800, 600};
    std::unique_ptr<TRenderD3D9> render_;
    platform::RecordingDevice* device_ = nullptr;
    std::unique_ptr<TSceneManager> scene_;
    std::vector<std::unique_ptr<TMeshResource>> meshes_;
    TMoveableObject* level_ = nullptr;
    DrawState start_;
};

// ---- instancing ----

TEST_F(SceneManagerTest, TenWallsOfOneSubsetAreOneInstancedCall) {
    AddWalls(Mesh(12), 10);
    const auto draws = Frame();
    ASSERT_NE(InstanceShader(), 0u);  // made on the first pass
    ASSERT_EQ(draws.size(), 1u) << device_->LogText();
    EXPECT_EQ(draws[0].VertexShader, InstanceShader());
    EXPECT_EQ(draws[0].PrimitiveCount, 120u);
    EXPECT_EQ(draws[0].NumVertices, 80u);
    EXPECT_EQ(draws[0].LastConstantCount, 31u);  // (A, B), then three rows for each of ten copies
    EXPECT_EQ(draws[0].CullMode, D3DCULL_CCW);
    EXPECT_EQ(draws[0].AlphaBlend, 0u);
    EXPECT_EQ(device_->BadDraws(), 0);
    EXPECT_EQ(device_->BadHandleUses(), 0);
}

TEST_F(SceneManagerTest, WallsBeyondOneCallsCopiesAreTwoCalls) {
    AddWalls(Mesh(12), 175, 25, 0.4f);
    const auto draws = Frame();
    ASSERT_EQ(draws.size(), 2u) << device_->LogText();
    EXPECT_EQ(draws[0].PrimitiveCount, 170u * 12);
    EXPECT_EQ(draws[0].LastConstantCount, 1u + 170 * 3);  // c0-c510
    EXPECT_EQ(draws[1].PrimitiveCount, 5u * 12);
    EXPECT_EQ(draws[1].LastConstantCount, 1u + 5 * 3);
    EXPECT_EQ(draws[1].VertexShader, InstanceShader());
    EXPECT_EQ(device_->BadDraws(), 0);
}

TEST_F(SceneManagerTest, InstanceDeclarationAddsCopyNumberAsBlendIndices1) {
    AddWalls(Mesh(12), 10);
    Frame();
    const auto creates = device_->FindCalls("CreateVertexDeclaration");
    ASSERT_FALSE(creates.empty());
    const auto& bytes = creates.back().VertexBytes;
    std::vector<platform::VertexElement> elements(bytes.size() / sizeof(platform::VertexElement));
    std::memcpy(elements.data(), bytes.data(), elements.size() * sizeof(platform::VertexElement));
    ASSERT_EQ(elements.size(), 5u);  // position, normal, texture coordinate, copy number, end
    EXPECT_EQ(elements[3].Offset, 32);
    EXPECT_EQ(elements[3].Type, platform::D3DDECLTYPE_FLOAT1);
    EXPECT_EQ(elements[3].Usage, platform::D3DDECLUSAGE_BLENDINDICES);
    EXPECT_EQ(elements[3].UsageIndex, 0);  // the mesh layout has no blend indices of its own
    EXPECT_TRUE(platform::IsDeclarationEnd(elements[4]));
}

TEST_F(SceneManagerTest, ReplicatedGeometryStaysWhileItsSubsetIsDrawnAndGoesWithIt) {
    TMeshResource* mesh = Mesh(12);
    AddWalls(mesh, 10);
    const size_t before = device_->LiveBuffers();
    Frame();
    EXPECT_EQ(device_->LiveBuffers(), before + 2);  // the replicated vertices and indices
    const auto writes = [&]() {
        return std::count_if(device_->Calls().begin(), device_->Calls().end(), [](const auto& call) {
            return call.Name == "CreateVertexBuffer" || call.Name == "CreateIndexBuffer" ||
                   call.Name == "LockBuffer";
        });
    };
    // Fewer copies in view: the same geometry, nothing built or uploaded again.
    level_->GetChild(0)->Remove();
    auto draws = Frame();
    EXPECT_EQ(writes(), 0);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].PrimitiveCount, 9u * 12u);

    // A subset whose buffers were written again is replicated again.
    TVertexBuffer* source = mesh->Mesh->GetPart(0)->VertexBuffer.get();
    ASSERT_NE(source->Lock(0, 0, 0), nullptr);
    source->Unlock();
    Frame();
    EXPECT_GT(writes(), 0);

    // Off the screen, then on a device reset, the replicated geometry is given back.
    for (int i = 0; i < 9; ++i) {
        level_->GetChild(0)->Remove();
    }
    Frame();
    EXPECT_EQ(device_->LiveBuffers(), before);
    AddWalls(mesh, 10);
    Frame();
    scene_->ReleaseDeviceObjects();
    EXPECT_EQ(device_->LiveBuffers(), before);
}

TEST_F(SceneManagerTest, SubsetOf300TrianglesIsNeverInstanced) {
    AddWalls(Mesh(300), 10);
    const auto draws = Frame();
    ASSERT_EQ(draws.size(), 10u);
    for (const DrawState& draw : draws) {
        EXPECT_EQ(draw.VertexShader, StaticShader());
        EXPECT_EQ(draw.PrimitiveCount, 300u);
        EXPECT_EQ(draw.LastConstantCount, 4u);
    }
}

TEST_F(SceneManagerTest, SubsetOf299TrianglesIsInstanced) {
    AddWalls(Mesh(299), 10);
    const auto draws = Frame();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].PrimitiveCount, 2990u);
}

TEST_F(SceneManagerTest, SingleCopyTakesStaticPath) {
    AddWalls(Mesh(12), 1);
    const auto draws = Frame();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].VertexShader, StaticShader());
    EXPECT_EQ(draws[0].PrimitiveCount, 12u);
    EXPECT_EQ(draws[0].LastConstantCount, 4u);
}

TEST_F(SceneManagerTest, InstancingOffDrawsEveryCopyOnItsOwn) {
    AddWalls(Mesh(12), 10);
    scene_->SetInstancing(false);
    const auto draws = Frame();
    ASSERT_EQ(draws.size(), 10u);
    EXPECT_EQ(draws[0].VertexShader, StaticShader());
    EXPECT_EQ(scene_->GetDrawCallCount(), 10);
    scene_->SetInstancing(true);
    EXPECT_EQ(Frame().size(), 1u);
    EXPECT_EQ(scene_->GetDrawCallCount(), 1);
}

TEST_F(SceneManagerTest, DifferentMeshesMakeSeparateRuns) {
    TMeshResource* a = Mesh(12);
    TMeshResource* b = Mesh(24);
    for (int i = 0; i < 5; ++i) {  // interleaved in the tree
        AddObject(a, static_cast<float>(i), 0, 0);
        AddObject(b, static_cast<float>(i), 2, 0);
    }
    const auto draws = Frame();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].PrimitiveCount + draws[1].PrimitiveCount, 5u * 12 + 5u * 24);
    EXPECT_NE(draws[0].Indices, draws[1].Indices);
}

TEST_F(SceneManagerTest, CopiesPerCallKeepIndicesWithin16Bits) {
    // 2008 vertices per copy: only 32 copies fit 16-bit indices.
    AddWalls(Mesh(12, 1.0f, 2000), 70);
    const auto draws = Frame();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].PrimitiveCount, 32u * 12);
    EXPECT_EQ(draws[0].NumVertices, 32u * 2008);
    EXPECT_EQ(draws[1].PrimitiveCount, 32u * 12);
    EXPECT_EQ(draws[2].PrimitiveCount, 6u * 12);
    EXPECT_EQ(device_->BadDraws(), 0);
}

// ---- culling ----

TEST_F(SceneManagerTest, ObjectsOutsideTheViewAreNotDrawn) {
    TMeshResource* mesh = Mesh(12);
    AddObject(mesh, 0, 0, -40);   // behind the camera
    AddObject(mesh, 500, 0, 0);   // far to the right
    AddObject(mesh, 0, 0, 2000);  // beyond the far plane
    EXPECT_TRUE(Frame().empty());
    EXPECT_TRUE(scene_->GetOpaqueItems().empty());
}

TEST_F(SceneManagerTest, SphereScalesWithLargestScaleComponent) {
    // Just behind the near plane's reach with radius 0.866; scaled by 10 it reaches into view.
    TGameObject* object = AddObject(Mesh(12), 0, 0, -25);
    EXPECT_TRUE(Frame().empty());
    object->SetScale(1, 10, 1);
    EXPECT_EQ(Frame().size(), 1u);
}

// ---- transparency ----

TEST_F(SceneManagerTest, TransparentItemsDrawnTwiceFarBeforeNear) {
    TMeshResource* nearMesh = Mesh(12, 0.5f);
    TMeshResource* farMesh = Mesh(24, 0.5f);
    AddObject(nearMesh, 0, 0, 0);
    AddObject(farMesh, 0, 0, 30);
    const auto draws = Frame();
    ASSERT_EQ(draws.size(), 4u) << device_->LogText();
    EXPECT_EQ(draws[0].PrimitiveCount, 24u);
    EXPECT_EQ(draws[0].CullMode, D3DCULL_CW);
    EXPECT_EQ(draws[1].PrimitiveCount, 24u);
    EXPECT_EQ(draws[1].CullMode, D3DCULL_CCW);
    EXPECT_EQ(draws[2].PrimitiveCount, 12u);
    EXPECT_EQ(draws[2].CullMode, D3DCULL_CW);
    EXPECT_EQ(draws[3].PrimitiveCount, 12u);
    EXPECT_EQ(draws[3].CullMode, D3DCULL_CCW);
    for (const DrawState& draw : draws) {
        EXPECT_EQ(draw.AlphaBlend, 1u);
        EXPECT_EQ(draw.VertexShader, StaticShader());
    }
}

TEST_F(SceneManagerTest, TransparentAfterOpaque) {
    AddObject(Mesh(12, 0.5f), 0, 0, 0);
    AddWalls(Mesh(24), 3);
    const auto draws = Frame();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].AlphaBlend, 0u);
    EXPECT_EQ(draws[0].PrimitiveCount, 72u);
    EXPECT_EQ(draws[1].AlphaBlend, 1u);
}

// ---- particles ----

TEST_F(SceneManagerTest, ParticlesDrawnWithDepthWritesOffThenOn) {
    auto* effect = level_->AddChild(std::make_unique<FakeEffect>(device_));
    Frame();
    EXPECT_EQ(effect->draws, 1);
    EXPECT_EQ(effect->depthWriteAtDraw, 0u);
    EXPECT_EQ(effect->blendAtDraw, 1u);
    EXPECT_EQ(device_->RenderState(platform::D3DRS_ZWRITEENABLE), 1u);
    EXPECT_EQ(device_->RenderState(platform::D3DRS_ALPHABLENDENABLE), 1u);  // blending stays on
}

TEST_F(SceneManagerTest, ParticleConstantsAreViewProjectionAndCameraRotation) {
    scene_->GetCamera()->SetRotation(30, 40, 0);
    scene_->GetCamera()->SetPosition(3, 4, 5);
    auto* effect = level_->AddChild(std::make_unique<FakeEffect>(device_));
    Frame();
    TCamera* camera = scene_->GetCamera();
    const TMatrix viewProjection = MatrixMultiply(camera->GetView(), camera->GetProjection());
    // c0 is the first column of view * projection.
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(effect->c0[i], viewProjection.m[i][0], 1e-5f);
    }
    // c4 is the first column of the inverse view rotation: the camera's right axis as a row.
    const TVector3 right = camera->GetRight();
    EXPECT_NEAR(effect->c4[0], right.X, 1e-5f);
    EXPECT_NEAR(effect->c4[1], camera->GetUp().X, 1e-5f);
    EXPECT_NEAR(effect->c4[2], camera->GetLook().X, 1e-5f);
    EXPECT_NEAR(effect->c4[3], 0.0f, 1e-6f);
}

TEST_F(SceneManagerTest, ParticleSystemFarOutsideViewIsStillDrawn) {
    auto* effect = level_->AddChild(std::make_unique<FakeEffect>(device_));
    effect->SetPosition(100000, 0, -100000);
    Frame();
    EXPECT_EQ(effect->draws, 1);
}

TEST_F(SceneManagerTest, ReleaseAndRestoreReachEveryEffect) {
    auto* a = level_->AddChild(std::make_unique<FakeEffect>(device_));
    TGameObject* tank = AddObject(nullptr, 0, 0, 0);
    auto* b = tank->AddChild(std::make_unique<FakeEffect>(device_));
    scene_->ReleaseDeviceObjects();
    EXPECT_EQ(a->lost, 1);
    EXPECT_EQ(b->lost, 1);
    EXPECT_EQ(a->reset, 0);
    scene_->RestoreDeviceObjects();
    EXPECT_EQ(a->reset, 1);
    EXPECT_EQ(b->reset, 1);
}

// ---- empty tree ----

TEST_F(SceneManagerTest, EmptyTreeChangesOnlyFilterAndShaders) {
    scene_->Update(16);
    EXPECT_EQ(StaticShader(), 0u);  // the shaders wait for the first pass
    scene_->Render();
    EXPECT_NE(StaticShader(), 0u);
    device_->ClearLog();
    scene_->Render();
    ASSERT_FALSE(device_->Calls().empty());
    for (const platform::RecordedCall& call : device_->Calls()) {
        EXPECT_TRUE(call.Name == "SetSamplerState" || call.Name == "SetVertexShader" ||
                    call.Name == "SetPixelShader")
            << call.Text;
    }
    EXPECT_EQ(device_->SamplerState(0, platform::D3DSAMP_MINFILTER), platform::D3DTEXF_LINEAR);
    EXPECT_EQ(device_->SamplerState(0, platform::D3DSAMP_MAGFILTER), platform::D3DTEXF_LINEAR);
    EXPECT_EQ(device_->BoundVertexShader().Slot, StaticShader());
}

TEST_F(SceneManagerTest, ObjectWithoutMeshDrawsNothing) {
    AddObject(nullptr, 0, 0, 0);
    EXPECT_TRUE(Frame().empty());
}

// ---- update pass ----

// Notes its Update in a shared journal; can remove itself, delete a node by name, or add a child.
class Scripted : public TGameObject {
public:
    Scripted(const std::string& name, TMeshResource* mesh, std::vector<std::string>& journal)
        : TGameObject(name, mesh), journal_(journal) {}
    void Update(int32_t deltaMs) override {
        journal_.push_back(Name + ":" + std::to_string(deltaMs));
        if (!deleteByName.empty()) {
            Top()->DeleteObject(deleteByName);
        }
        if (addChild) {
            addChild = false;
            AddChild(std::make_unique<Scripted>(Name + ".child", nullptr, journal_));
        }
        if (removeSelf) {
            Remove();  // nothing of this object may be touched from here on
        }
    }

    bool removeSelf = false;
    bool addChild = false;
    std::string deleteByName;

private:
    std::vector<std::string>& journal_;
};

TEST_F(SceneManagerTest, UpdateVisitsChildrenBeforeParents) {
    std::vector<std::string> journal;
    auto* a = level_->AddChild(std::make_unique<Scripted>("A", nullptr, journal));
    a->AddChild(std::make_unique<Scripted>("A1", nullptr, journal));
    level_->AddChild(std::make_unique<Scripted>("B", nullptr, journal));
    scene_->Update(33);
    EXPECT_EQ(journal, (std::vector<std::string>{"A1:33", "A:33", "B:33"}));
}

TEST_F(SceneManagerTest, NodeAddedDuringUpdateStartsNextFrame) {
    std::vector<std::string> journal;
    auto* a = level_->AddChild(std::make_unique<Scripted>("A", nullptr, journal));
    a->addChild = true;
    scene_->Update(10);
    EXPECT_EQ(journal, (std::vector<std::string>{"A:10"}));
    scene_->Update(20);
    EXPECT_EQ(journal, (std::vector<std::string>{"A:10", "A.child:20", "A:20"}));
}

TEST_F(SceneManagerTest, MatricesAreRefreshedBeforeUpdates) {
    TGameObject* object = AddObject(nullptr, 1, 2, 3);
    scene_->Update(16);
    EXPECT_FLOAT_EQ(object->GetWorldMatrix()._43, 3.0f);
    object->SetPosition(7, 8, 9);
    EXPECT_FLOAT_EQ(object->GetWorldMatrix()._43, 3.0f);  // until the next pass
    scene_->Update(16);
    EXPECT_FLOAT_EQ(object->GetWorldMatrix()._43, 9.0f);
}

TEST_F(SceneManagerTest, ObjectRemovedInItsUpdateIsNotDrawn) {
    std::vector<std::string> journal;
    TMeshResource* mesh = Mesh(12);
    auto* doomed = level_->AddChild(std::make_unique<Scripted>("Doomed", mesh, journal));
    doomed->AddChild(std::make_unique<Scripted>("DoomedChild", mesh, journal));
    level_->AddChild(std::make_unique<Scripted>("Survivor", mesh, journal));
    doomed->removeSelf = true;
    const auto draws = Frame();
    EXPECT_EQ(journal, (std::vector<std::string>{"DoomedChild:16", "Doomed:16", "Survivor:16"}));
    EXPECT_EQ(level_->FindObject("Doomed"), nullptr);
    EXPECT_EQ(level_->FindObject("DoomedChild"), nullptr);
    ASSERT_EQ(draws.size(), 1u);  // the survivor alone, on the static path
    EXPECT_EQ(scene_->GetOpaqueItems().size(), 1u);
}

TEST_F(SceneManagerTest, NodeDeletedByAnotherIsSkippedForRestOfPass) {
    std::vector<std::string> journal;
    auto* killer = level_->AddChild(std::make_unique<Scripted>("Killer", nullptr, journal));
    auto* victim = level_->AddChild(std::make_unique<Scripted>("Victim", nullptr, journal));
    victim->AddChild(std::make_unique<Scripted>("VictimChild", nullptr, journal));
    killer->deleteByName = "Victim";  // updated before the victim and its child
    scene_->Update(5);
    EXPECT_EQ(journal, (std::vector<std::string>{"Killer:5"}));
    EXPECT_EQ(level_->GetChildCount(), 1);
}

TEST_F(SceneManagerTest, EveryObjectMayRemoveItselfInOnePass) {
    std::vector<std::string> journal;
    for (int i = 0; i < 20; ++i) {
        auto* node = level_->AddChild(std::make_unique<Scripted>("N" + std::to_string(i), nullptr, journal));
        node->removeSelf = true;
        node->AddChild(std::make_unique<Scripted>("C" + std::to_string(i), nullptr, journal))->removeSelf =
            (i % 2) == 0;
    }
    scene_->Update(1);
    EXPECT_EQ(journal.size(), 40u);
    EXPECT_EQ(level_->GetChildCount(), 0);
    scene_->Update(1);
    EXPECT_EQ(journal.size(), 40u);
}

// ---- sorting ----

TRenderItem Item(uintptr_t vertexKey, uintptr_t indexKey, float distance, int tag) {
    TRenderItem item;
    item.VertexKey = vertexKey;
    item.IndexKey = indexKey;
    item.Distance = distance;
    item.Operation.NumVertices = tag;  // tells equal items apart
    return item;
}

std::vector<int> Tags(const std::vector<TRenderItem>& items) {
    std::vector<int> tags;
    for (const TRenderItem& item : items) {
        tags.push_back(item.Operation.NumVertices);
    }
    return tags;
}

TEST(SceneManagerSort, OrdersByVertexKeyIndexKeyThenDistance) {
    std::vector<TRenderItem> items = {Item(2, 1, 5, 0), Item(1, 2, 1, 1), Item(1, 1, 9, 2), Item(1, 1, 3, 3),
                                      Item(2, 0, 7, 4)};
    TSceneManager::SortItems(items);
    EXPECT_EQ(Tags(items), (std::vector<int>{3, 2, 1, 4, 0}));
}

TEST(SceneManagerSort, FullTiesTakeSecondHalfFirst) {
    // Two halves [0] and [1]: the tie takes the second half's item first.
    std::vector<TRenderItem> two = {Item(1, 1, 1, 0), Item(1, 1, 1, 1)};
    TSceneManager::SortItems(two);
    EXPECT_EQ(Tags(two), (std::vector<int>{1, 0}));
    // Five equal items: [0 1] and [2 3 4], each reversed, then the second half before the first.
    std::vector<TRenderItem> five;
    for (int i = 0; i < 5; ++i) {
        five.push_back(Item(1, 1, 1, i));
    }
    TSceneManager::SortItems(five);
    EXPECT_EQ(Tags(five), (std::vector<int>{4, 3, 2, 1, 0}));
}

TEST(SceneManagerSort, MatchesOrderOfKeysOnManyItems) {
    std::vector<TRenderItem> items;
    uint32_t seed = 7;
    for (int i = 0; i < 500; ++i) {
        seed = seed * 1103515245u + 12345u;
        items.push_back(Item((seed >> 8) % 5, (seed >> 12) % 7, static_cast<float>((seed >> 16) % 1000), i));
    }
    TSceneManager::SortItems(items);
    ASSERT_EQ(items.size(), 500u);
    for (size_t i = 1; i < items.size(); ++i) {
        const TRenderItem& a = items[i - 1];
        const TRenderItem& b = items[i];
        const bool ordered =
            a.VertexKey < b.VertexKey ||
            (a.VertexKey == b.VertexKey &&
             (a.IndexKey < b.IndexKey || (a.IndexKey == b.IndexKey && a.Distance <= b.Distance)));
        ASSERT_TRUE(ordered) << "at " << i;
    }
    std::vector<int> tags = Tags(items);
    std::sort(tags.begin(), tags.end());
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(tags[static_cast<size_t>(i)], i);  // nothing lost or duplicated
    }
}

TEST_F(SceneManagerTest, OpaqueItemsOfARunGoNearToFar) {
    TMeshResource* mesh = Mesh(300);  // static path: one draw per item, in sorted order
    AddObject(mesh, 0, 0, 10);
    AddObject(mesh, 0, 0, 0);
    AddObject(mesh, 0, 0, 5);
    Frame();
    const auto& items = scene_->GetOpaqueItems();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_LT(items[0].Distance, items[1].Distance);
    EXPECT_LT(items[1].Distance, items[2].Distance);
    EXPECT_FLOAT_EQ(items[0].Distance, 20.0f);
}

// A flat square of `triangles` triangles at y = 0 (nothing above its origin, as the ground and the water).
std::string FlatMeshText(int triangles) {
    std::string text = scene_test::BoxMeshText(triangles);
    for (size_t at = text.find(";0.5;"); at != std::string::npos; at = text.find(";0.5;", at)) {
        text.replace(at, 5, ";0;");
    }
    return text;
}

TEST_F(SceneManagerTest, GroundAndWaterComeAfterWhatStandsOnThemHigherFirst) {
    meshes_.push_back(scene_test::MakeMesh(render_->Device(), FlatMeshText(7), "ground"));
    TMeshResource* ground = meshes_.back().get();
    meshes_.push_back(scene_test::MakeMesh(render_->Device(), FlatMeshText(5), "water"));
    TMeshResource* water = meshes_.back().get();
    AddObject(water, 0, -0.5f, 0);
    AddObject(ground, 0, 0, 0);
    AddObject(Mesh(12), 0, 0.5f, 0);
    const auto draws = Frame();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].PrimitiveCount, 12u);
    EXPECT_EQ(draws[1].PrimitiveCount, 7u);
    EXPECT_EQ(draws[2].PrimitiveCount, 5u);
}

}  // namespace
