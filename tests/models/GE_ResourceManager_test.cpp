// The texture and mesh caches on the recording device, with model and texture files in a scratch data
// folder: sharing by file, use counts, texture keys from the mesh's directory, deletion, and release
// and restore of the default-pool meshes around a device reset.
#include "models/GE_ResourceManager.h"

#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "platform/Png.h"

using model_test::kHeader;
using namespace platform;

namespace {

std::string TexturedSquare(const std::string& texture) {
    return kHeader + model_test::SquareMesh("Q",
                                            " MeshMaterialList { 1; 1; 0;; Material Skin { 1;1;1;1;; 1; "
                                            "0;0;0;; 0;0;0;; TextureFilename { \"" +
                                                texture + "\"; } } }\n");
}

struct Caches : ::testing::Test {
    model_test::ScratchData data{"caches"};
    model_test::LogCapture log;
    model_test::RecordingSlot gpu;
    std::unique_ptr<TMeshManager> meshes;

    void SetUp() override {
        WritePng("Data/Meshes/tank.png", 4, 2);
        WritePng("Data/Textures/bang.png", 8, 8);
        data.Write("Data/Meshes/one.x", TexturedSquare("tank.png"));
        data.Write("Data/Meshes/two.x", TexturedSquare("tank.png"));
        data.Write("Data/Meshes/plain.x", kHeader + model_test::SquareMesh("P"));
        meshes = std::make_unique<TMeshManager>(gpu.Ref(), data.DataRoot());
    }

    void WritePng(const std::string& relative, int width, int height) {
        Image image;
        image.Width = width;
        image.Height = height;
        image.Rgba.assign(static_cast<size_t>(width) * height * 4, 200);
        std::string bytes, error;
        ASSERT_TRUE(EncodePng(image, bytes, error)) << error;
        data.Write(relative, bytes);
    }

    TTextureManager& textures() { return *meshes->GetTextureManager(); }
};

TEST_F(Caches, SameTextureFileUnderTwoNamesIsOneEntryWithTheFirstName) {
    TTextureResource* first = textures().AddTexture(gpu.Ref(), "Bang", "Data/Textures/bang.png");
    TTextureResource* second = textures().AddTexture(gpu.Ref(), "Boom", "Data/Textures/bang.png");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->RefCount, 2);
    EXPECT_EQ(first->Name, "Bang");
    EXPECT_TRUE(first->Texture);
    EXPECT_EQ(gpu.device->LiveTextures(), 1u);
    EXPECT_EQ(textures().FindTexture("Bang"), first);
    EXPECT_EQ(textures().FindTexture("Boom"), nullptr);
    EXPECT_EQ(textures().FindTexture("bang"), nullptr);
    // One level: the game samples only the top one (it never sets a mip filter).
    EXPECT_EQ(gpu.device->TextureLevelCount(first->Texture.Get()), 1u);
}

TEST_F(Caches, ReleasingTheLastUseFreesTheTextureAndTheLastEntryTakesTheSlot) {
    textures().AddTexture(gpu.Ref(), "Bang", "Data/Textures/bang.png");
    textures().AddTexture(gpu.Ref(), "Tank", "Data/Meshes/tank.png");
    textures().AddTexture(gpu.Ref(), "Bang", "Data/Textures/bang.png");
    textures().ReleaseTexture("Bang");
    EXPECT_EQ(textures().Count(), 2);
    EXPECT_EQ(gpu.device->LiveTextures(), 2u);
    textures().ReleaseTexture("Bang");
    ASSERT_EQ(textures().Count(), 1);
    EXPECT_EQ(textures().Get(0)->Name, "Tank");
    EXPECT_EQ(gpu.device->LiveTextures(), 1u);
    textures().ReleaseTexture("Nothing");
    EXPECT_EQ(textures().Count(), 1);
}

TEST_F(Caches, TextureThatDoesNotLoadLeavesAnEntryWithoutTexture) {
    TTextureResource* missing = textures().AddTexture(gpu.Ref(), "Gone", "Data/Textures/gone.png");
    ASSERT_NE(missing, nullptr);
    EXPECT_FALSE(missing->Texture);
    EXPECT_EQ(missing->RefCount, 1);
}

TEST_F(Caches, MeshesOfOneDirectoryShareTheirTextureUntilBothAreDeleted) {
    TMeshResource* one = meshes->LoadMesh("Data/Meshes/one.x", "One", D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY);
    TMeshResource* two = meshes->LoadMesh("Data/Meshes/two.x", "Two", D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    ASSERT_EQ(textures().Count(), 1);
    TTextureResource* tank = textures().Get(0);
    EXPECT_EQ(tank->FileName, "Data/Meshes/tank.png");
    EXPECT_EQ(tank->Name, "Data/Meshes/tank.png");
    EXPECT_EQ(tank->RefCount, 2);
    EXPECT_EQ(one->Mesh->GetMaterial(0, 0)->Texture, tank);
    TRenderOperation op;
    ASSERT_TRUE(two->Mesh->GetRenderOperation(0, 0, op));
    EXPECT_EQ(op.Texture, tank->Texture.Get());
    EXPECT_TRUE(op.Texture);

    meshes->DeleteMesh("One");
    EXPECT_EQ(meshes->Count(), 1);
    EXPECT_EQ(tank->RefCount, 1);
    EXPECT_EQ(gpu.device->LiveTextures(), 1u);
    meshes->DeleteMesh("Two");
    EXPECT_EQ(meshes->Count(), 0);
    EXPECT_EQ(textures().Count(), 0);
    EXPECT_EQ(gpu.device->LiveTextures(), 0u);
    EXPECT_EQ(gpu.device->LiveBuffers(), 0u);
    EXPECT_EQ(gpu.device->BadHandleUses(), 0);
}

TEST_F(Caches, LoadingALoadedFileReturnsItsEntryWithoutTakingTexturesAgain) {
    TMeshResource* first = meshes->LoadMesh("Data/Meshes/one.x", "One", D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY);
    TMeshResource* again = meshes->LoadMesh("Data/Meshes/one.x", "Other", D3DPOOL_MANAGED, D3DUSAGE_DYNAMIC);
    EXPECT_EQ(first, again);
    EXPECT_EQ(first->Name, "One");
    EXPECT_EQ(meshes->Count(), 1);
    EXPECT_EQ(textures().Get(0)->RefCount, 1);
    EXPECT_EQ(meshes->FindMesh("One"), first);
    EXPECT_EQ(meshes->FindMesh("Other"), nullptr);
}

TEST_F(Caches, DeletingANameThatIsNotLoadedChangesNothing) {
    meshes->LoadMesh("Data/Meshes/one.x", "One", D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY);
    meshes->DeleteMesh("one");
    meshes->DeleteMesh("Two");
    EXPECT_EQ(meshes->Count(), 1);
    EXPECT_EQ(textures().Get(0)->RefCount, 1);
}

TEST_F(Caches, MeshGivesBackItsUseOfATextureLoadedUnderAnotherName) {
    TTextureResource* tank = textures().AddTexture(gpu.Ref(), "Tank", "Data/Meshes/tank.png");
    meshes->LoadMesh("Data/Meshes/one.x", "One", D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY);
    EXPECT_EQ(tank->RefCount, 2);
    meshes->DeleteMesh("One");
    EXPECT_EQ(tank->RefCount, 1);
    textures().ReleaseTexture("Tank");
    EXPECT_EQ(gpu.device->LiveTextures(), 0u);
}

TEST_F(Caches, MissingModelGivesAnEntryWithAnEmptyMesh) {
    TMeshResource* gone = meshes->LoadMesh("Data/Meshes/gone.x", "Gone", D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY);
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(gone->Mesh->GetMeshPartCount(), 0);
    EXPECT_EQ(meshes->FindMesh("Gone"), gone);
}

TEST_F(Caches, MeshBuffersUseThePoolAndUsageGiven) {
    TMeshResource* one = meshes->LoadMesh("Data/Meshes/one.x", "One", D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC);
    const RecordedBuffer* vb = gpu.device->Buffer(one->Mesh->GetPart(0)->VertexBuffer->Handle());
    const RecordedBuffer* ib = gpu.device->Buffer(one->Mesh->GetIndexBuffer(0, 0)->Handle());
    ASSERT_NE(vb, nullptr);
    ASSERT_NE(ib, nullptr);
    EXPECT_EQ(vb->Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(vb->Usage, D3DUSAGE_DYNAMIC);
    EXPECT_EQ(ib->Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(ib->Usage, D3DUSAGE_DYNAMIC);
}

TEST_F(Caches, DeviceResetReleasesAndRefillsExactlyTheDefaultPoolMeshes) {
    TMeshResource* lost = meshes->LoadMesh("Data/Meshes/one.x", "Lost", D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY);
    TMeshResource* kept =
        meshes->LoadMesh("Data/Meshes/plain.x", "Kept", D3DPOOL_MANAGED, D3DUSAGE_WRITEONLY);
    const VertexBufferHandle keptVertices = kept->Mesh->GetPart(0)->VertexBuffer->Handle();
    const std::vector<uint8_t> lostBytes =
        gpu.device->Buffer(lost->Mesh->GetPart(0)->VertexBuffer->Handle())->Bytes;
    ASSERT_EQ(gpu.device->LiveBuffers(), 4u);

    meshes->OnLostDevice();
    EXPECT_EQ(gpu.device->LiveBuffers(), 2u);
    EXPECT_FALSE(lost->Mesh->GetPart(0)->VertexBuffer->Handle());
    EXPECT_FALSE(lost->Mesh->GetIndexBuffer(0, 0)->Handle());
    EXPECT_EQ(kept->Mesh->GetPart(0)->VertexBuffer->Handle(), keptVertices);

    gpu.device->ClearLog();
    meshes->OnResetDevice();
    EXPECT_EQ(gpu.device->LiveBuffers(), 4u);
    EXPECT_EQ(gpu.device->CountCalls("CreateVertexBuffer"), 1u);
    EXPECT_EQ(gpu.device->CountCalls("CreateIndexBuffer"), 1u);
    EXPECT_EQ(kept->Mesh->GetPart(0)->VertexBuffer->Handle(), keptVertices);
    const RecordedBuffer* refilled = gpu.device->Buffer(lost->Mesh->GetPart(0)->VertexBuffer->Handle());
    ASSERT_NE(refilled, nullptr);
    EXPECT_EQ(refilled->Bytes, lostBytes);
    EXPECT_EQ(refilled->Pool, D3DPOOL_DEFAULT);
    // The texture is managed and stays through the reset.
    EXPECT_EQ(gpu.device->LiveTextures(), 1u);
    EXPECT_EQ(gpu.device->BadHandleUses(), 0);
}

TEST_F(Caches, FreeingTheManagerReleasesEveryBufferAndTexture) {
    meshes->LoadMesh("Data/Meshes/one.x", "One", D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY);
    meshes->LoadMesh("Data/Meshes/plain.x", "Plain", D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY);
    textures().AddTexture(gpu.Ref(), "Bang", "Data/Textures/bang.png");
    meshes.reset();
    EXPECT_EQ(gpu.device->LiveBuffers(), 0u);
    EXPECT_EQ(gpu.device->LiveTextures(), 0u);
    EXPECT_EQ(gpu.device->LiveDeclarations(), 0u);
    EXPECT_EQ(gpu.device->BadHandleUses(), 0);
}

}  // namespace
