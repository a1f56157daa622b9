// TMeshDraw on the recording device: declarations, vertex and index buffers with the sizes, usage, pool
// and bytes the mesh implies; materials; draw operations; release and restore around a device reset.
#include "models/MeshDraw.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ModelTestSupport.h"

using model_test::kHeader;
using namespace platform;

namespace {

struct MeshDrawTest : ::testing::Test {
    model_test::RecordingSlot gpu;
    std::unique_ptr<TMeshDraw> mesh;

    void Build(const std::string& body, uint32_t usage = D3DUSAGE_WRITEONLY,
               uint32_t pool = D3DPOOL_MANAGED) {
        mesh = std::make_unique<TMeshDraw>(gpu.Ref());
        mesh->SetUsage(usage);
        mesh->SetPool(pool);
        std::string error;
        ASSERT_TRUE(mesh->LoadFromMemory(kHeader + body, "Data/Meshes/draw.x", error)) << error;
        mesh->BuildVertexBuffers();
        mesh->BuildIndexBuffers();
        mesh->BuildMaterials();
    }

    const RecordedBuffer& VertexBytes(int part) {
        const RecordedBuffer* buffer = gpu.device->Buffer(mesh->GetPart(part)->VertexBuffer->Handle());
        EXPECT_NE(buffer, nullptr);
        static RecordedBuffer none;
        return buffer != nullptr ? *buffer : none;
    }

    const std::vector<VertexElement>& Elements(int part) {
        const auto* elements = gpu.device->Declaration(mesh->GetPart(part)->Declaration->Handle());
        EXPECT_NE(elements, nullptr);
        static std::vector<VertexElement> none;
        return elements != nullptr ? *elements : none;
    }

    template <typename T>
    T At(const RecordedBuffer& buffer, size_t offset) {
        T value{};
        EXPECT_LE(offset + sizeof(T), buffer.Bytes.size());
        if (offset + sizeof(T) <= buffer.Bytes.size()) {
            std::memcpy(&value, buffer.Bytes.data() + offset, sizeof(T));
        }
        return value;
    }
};

void ExpectElement(const VertexElement& e, uint16_t offset, uint8_t type, uint8_t usage) {
    EXPECT_EQ(e.Stream, 0);
    EXPECT_EQ(e.Offset, offset);
    EXPECT_EQ(e.Type, type);
    EXPECT_EQ(e.Usage, usage);
    EXPECT_EQ(e.UsageIndex, 0);
}

TEST_F(MeshDrawTest, DefaultsAreWriteOnlyAndManaged) {
    TMeshDraw fresh(gpu.Ref());
    EXPECT_EQ(fresh.GetUsage(), D3DUSAGE_WRITEONLY);
    EXPECT_EQ(fresh.GetPool(), D3DPOOL_MANAGED);
}

TEST_F(MeshDrawTest, FullPartInterleavesPositionNormalAndTexCoord) {
    Build(model_test::SquareMesh("Q"), D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT);
    const auto& elements = Elements(0);
    ASSERT_EQ(elements.size(), 4u);
    ExpectElement(elements[0], 0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION);
    ExpectElement(elements[1], 12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL);
    ExpectElement(elements[2], 24, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD);
    EXPECT_TRUE(IsDeclarationEnd(elements[3]));
    EXPECT_EQ(mesh->GetPart(0)->Declaration->GetStride(), 32);

    const RecordedBuffer& vb = VertexBytes(0);
    EXPECT_EQ(vb.Bytes.size(), 32u * 4u);
    EXPECT_EQ(vb.Usage, D3DUSAGE_DYNAMIC);
    EXPECT_EQ(vb.Pool, D3DPOOL_DEFAULT);
    const TMeshPart& part = mesh->MeshParts[0];
    for (int v = 0; v < 4; ++v) {
        EXPECT_EQ(At<float>(vb, 32 * v + 0), part.Positions[v].X);
        EXPECT_EQ(At<float>(vb, 32 * v + 8), part.Positions[v].Z);
        EXPECT_EQ(At<float>(vb, 32 * v + 16), part.Normals[v].Y);
        EXPECT_EQ(At<float>(vb, 32 * v + 24), part.TexCoords[v].X);
        EXPECT_EQ(At<float>(vb, 32 * v + 28), part.TexCoords[v].Y);
    }

    const RecordedBuffer* ib = gpu.device->Buffer(mesh->GetIndexBuffer(0, 0)->Handle());
    ASSERT_NE(ib, nullptr);
    EXPECT_EQ(ib->FormatOrFvf, D3DFMT_INDEX16);
    EXPECT_EQ(ib->Usage, D3DUSAGE_DYNAMIC);
    EXPECT_EQ(ib->Pool, D3DPOOL_DEFAULT);
    ASSERT_EQ(ib->Bytes.size(), 12u);
    std::vector<uint16_t> indices(6);
    std::memcpy(indices.data(), ib->Bytes.data(), 12);
    EXPECT_EQ(indices, mesh->MeshParts[0].Subsets[0].Indices);
    const auto locks = gpu.device->FindCalls("LockBuffer");
    ASSERT_EQ(locks.size(), 2u);
    for (const RecordedCall& lock : locks) {
        EXPECT_EQ(lock.Ints.back(), D3DLOCK_DISCARD) << lock.Text;
    }
    EXPECT_EQ(gpu.device->BadHandleUses(), 0);
}

TEST_F(MeshDrawTest, PartWithoutNormalsHasStride20AndTexCoordsAt12) {
    Build(
        "Mesh T { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0,1,2;; MeshTextureCoords { 3; 0;0;, 0.5;0.25;, 1;1;; } "
        "}\n");
    EXPECT_EQ(mesh->GetPart(0)->Declaration->GetStride(), 20);
    EXPECT_EQ(mesh->GetPart(0)->Declaration->ElementOffset(2, 0), 12);
    const RecordedBuffer& vb = VertexBytes(0);
    EXPECT_EQ(vb.Bytes.size(), 60u);
    EXPECT_EQ(At<float>(vb, 20 + 12), 0.5f);
    EXPECT_EQ(At<float>(vb, 20 + 16), 0.25f);
    EXPECT_EQ(vb.Usage, D3DUSAGE_WRITEONLY);
    EXPECT_EQ(vb.Pool, D3DPOOL_MANAGED);
}

TEST_F(MeshDrawTest, SkinnedPartCarriesWeightsAndBoneIndices) {
    Build("Frame Bone { }\n" +
          model_test::SquareMesh(
              "S", " SkinWeights { \"Bone\"; 2; 1, 3; 0.25, 0.75; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n"));
    const auto& elements = Elements(0);
    ASSERT_EQ(elements.size(), 6u);
    ExpectElement(elements[3], 32, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_BLENDWEIGHT);
    ExpectElement(elements[4], 48, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_BLENDINDICES);
    EXPECT_EQ(mesh->GetPart(0)->Declaration->GetStride(), 64);
    const RecordedBuffer& vb = VertexBytes(0);
    ASSERT_EQ(vb.Bytes.size(), 64u * 4u);
    EXPECT_EQ(At<float>(vb, 64 * 3 + 32), 0.75f);
    EXPECT_EQ(At<float>(vb, 64 * 3 + 48), 0.0f);
    EXPECT_EQ(At<float>(vb, 64 * 3 + 52), kFreeBoneSlot);
    EXPECT_EQ(At<float>(vb, 64 * 1 + 32), 0.25f);
    EXPECT_EQ(At<float>(vb, 64 * 0 + 48), kFreeBoneSlot);
    EXPECT_EQ(At<float>(vb, 64 * 0 + 32), 0.0f);
}

TEST_F(MeshDrawTest, MaterialsCarryTransparencyFromTheAlpha) {
    Build(model_test::SquareMesh(
        "M",
        " MeshMaterialList { 2; 1; 0;; Material Glass { 0.2;0.4;0.6;0.5;; 9; 1;1;1;; 0;0;0;; }"
        " Material Solid { 1;1;1;1.0;; 1; 0;0;0;; 0;0;0;; } }\n"));
    const TMaterial* glass = mesh->GetMaterial(0, 0);
    const TMaterial* solid = mesh->GetMaterial(0, 1);
    ASSERT_NE(glass, nullptr);
    ASSERT_NE(solid, nullptr);
    EXPECT_TRUE(glass->Transparent);
    EXPECT_FALSE(solid->Transparent);
    EXPECT_EQ(glass->Name, "Glass");
    EXPECT_EQ(glass->Diffuse[1], 0.4f);
    EXPECT_EQ(glass->Power, 9.0f);
    EXPECT_EQ(glass->Ambient[0], 0.0f);
    EXPECT_EQ(glass->Texture, nullptr);
    EXPECT_EQ(mesh->GetMaterial(0, 2), nullptr);
}

TEST_F(MeshDrawTest, RenderOperationOfASubset) {
    Build(model_test::SquareMesh("M",
                                 " MeshMaterialList { 2; 1; 1;; Material A { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; }"
                                 " Material B { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; } }\n"));
    TRenderOperation op;
    ASSERT_TRUE(mesh->GetRenderOperation(0, 1, op));
    EXPECT_EQ(op.Declaration, mesh->GetPart(0)->Declaration.get());
    EXPECT_EQ(op.VertexBuffer, mesh->GetPart(0)->VertexBuffer.get());
    EXPECT_EQ(op.IndexBuffer, mesh->GetIndexBuffer(0, 1));
    EXPECT_EQ(op.NumVertices, 4);
    EXPECT_EQ(op.PrimitiveCount, 2);
    EXPECT_FALSE(op.Texture);
    // Material A has no faces: nothing to draw and no device buffer.
    ASSERT_TRUE(mesh->GetRenderOperation(0, 0, op));
    EXPECT_EQ(op.PrimitiveCount, 0);
    EXPECT_FALSE(mesh->GetIndexBuffer(0, 0)->Handle());
    EXPECT_FALSE(mesh->GetRenderOperation(0, 2, op));
    EXPECT_FALSE(mesh->GetRenderOperation(1, 0, op));
}

TEST_F(MeshDrawTest, ReleaseGivesBackEveryBufferAndRestoreRefillsThem) {
    Build(model_test::SquareMesh("A") + model_test::SquareMesh("B"), D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT);
    ASSERT_EQ(gpu.device->LiveBuffers(), 4u);
    const std::vector<uint8_t> before = VertexBytes(1).Bytes;
    mesh->ReleaseDeviceBuffers();
    EXPECT_EQ(gpu.device->LiveBuffers(), 0u);
    EXPECT_EQ(gpu.device->LiveDeclarations(), 2u);
    EXPECT_FALSE(mesh->GetPart(1)->VertexBuffer->Handle());
    EXPECT_EQ(mesh->GetPart(1)->VertexBuffer->GetLength(), 128u);
    mesh->RestoreDeviceBuffers();
    EXPECT_EQ(gpu.device->LiveBuffers(), 4u);
    EXPECT_EQ(VertexBytes(1).Bytes, before);
    EXPECT_EQ(VertexBytes(1).Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(VertexBytes(1).Usage, D3DUSAGE_DYNAMIC);
    EXPECT_EQ(gpu.device->BadHandleUses(), 0);
}

TEST_F(MeshDrawTest, ClearFreesTheGpuSideAndReloadingReplacesTheData) {
    Build(model_test::SquareMesh("A"));
    mesh->Clear();
    EXPECT_EQ(gpu.device->LiveBuffers(), 0u);
    EXPECT_EQ(gpu.device->LiveDeclarations(), 0u);
    EXPECT_TRUE(mesh->Parts.empty());
    // Loading again without building must not keep the earlier parts.
    std::string error;
    ASSERT_TRUE(mesh->LoadFromMemory(kHeader + model_test::SquareMesh("B"), "b.x", error));
    ASSERT_TRUE(mesh->LoadFromMemory(kHeader + model_test::SquareMesh("C"), "c.x", error));
    ASSERT_EQ(mesh->GetMeshPartCount(), 1);
    EXPECT_EQ(mesh->MeshParts[0].Name, "C");
    EXPECT_EQ(gpu.device->BadHandleUses(), 0);
}

TEST_F(MeshDrawTest, RebuildingReplacesBuffersWithoutLeaking) {
    Build(model_test::SquareMesh("A"));
    mesh->BuildVertexBuffers();
    mesh->BuildIndexBuffers();
    EXPECT_EQ(gpu.device->LiveBuffers(), 2u);
    EXPECT_EQ(gpu.device->LiveDeclarations(), 1u);
}

}  // namespace
