// A textured model through the whole path to the screen: the mesh cache loads the .x file and its PNG,
// the renderer draws its subsets with the game's shaders on the OpenGL device under the test's X server,
// and the back buffer read back shows the model where the camera puts it. A skinned model moved by its
// bone shows up where the bone puts it, through "Skinned.vs" and the palette registers from c4.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "ModelTestSupport.h"
#include "models/GE_MODEL.h"
#include "models/GE_ResourceManager.h"
#include "platform/GlGraphicsSystem.h"
#include "platform/Png.h"
#include "platform/SdlWindow.h"
#include "render/GE_D3D9.h"

using model_test::kHeader;
using namespace platform;

namespace {

constexpr int kSize = 128;

std::string SourceFile(const std::string& relative) {
    std::ifstream in(std::string(BRELVOX_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A 2 x 2 square facing the camera (clockwise on screen as seen from -z), textured with red.png, in a
// frame that places it at (0.5, 0, 3). With `skin`, every vertex follows bone "Bone" fully.
std::string SquareModel(bool skin) {
    std::string text =
        std::string(kHeader) +
        "Frame Place { FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, "
        "0.5,0.0,3.0,1.0;; }\n"
        " Frame Bone { }\n"
        "}\n"
        "Mesh Square { 4; -1.0;1.0;0.0;, 1.0;1.0;0.0;, 1.0;-1.0;0.0;, -1.0;-1.0;0.0;;\n"
        " 1; 4; 0,1,2,3;;\n"
        " MeshNormals { 1; 0.0;0.0;-1.0;; 1; 4; 0,0,0,0;; }\n"
        " MeshTextureCoords { 4; 0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;; }\n"
        " MeshMaterialList { 1; 1; 0;; Material Paint { 1.0;1.0;1.0;1.0;; 8.0; 0.0;0.0;0.0;; "
        "0.0;0.0;0.0;; TextureFilename { \"red.png\"; } } }\n";
    if (skin) {
        text +=
            " SkinWeights { \"Bone\"; 4; 0,1,2,3; 1.0,1.0,1.0,1.0; 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, "
            "0.0,0.0,1.0,0.0, 0.0,0.0,0.0,1.0;; }\n";
    }
    return text + "}\n";
}

class ModelDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        window_ = SdlWindow::Create("Brelvox model test", kSize, kSize, error);
        if (!window_) {
            GTEST_SKIP() << "no display: " << error;
        }
        for (const char* shader : {"Static.vs", "Skinned.vs", "OnlyTex.ps"}) {
            data_.Write(std::string("Data/Shaders/") + shader,
                        SourceFile(std::string("Data/Shaders/") + shader));
        }
        Image red;
        red.Width = red.Height = 4;
        for (int i = 0; i < 16; ++i) {
            red.Rgba.insert(red.Rgba.end(), {255, 0, 0, 255});
        }
        std::string png;
        ASSERT_TRUE(EncodePng(red, png, error)) << error;
        data_.Write("Data/Meshes/red.png", png);
        data_.Write("Data/Meshes/square.x", SquareModel(false));
        data_.Write("Data/Meshes/skinned.x", SquareModel(true));

        render_ = std::make_unique<TRenderD3D9>(system_);
        ASSERT_TRUE(render_->Initialize(window_.get(), true, kSize, kSize, 0, error)) << error;
        render_->SetTextureFilter(0, 1, 0);
        ASSERT_TRUE(staticShader_->LoadFromFile(data_.DataRoot(), render_->Device(), "Data/Shaders/Static.vs",
                                                "main", error))
            << error;
        ASSERT_TRUE(skinnedShader_->LoadFromFile(data_.DataRoot(), render_->Device(),
                                                 "Data/Shaders/Skinned.vs", "main", error))
            << error;
        ASSERT_TRUE(pixelShader_->LoadFromFile(data_.DataRoot(), render_->Device(), "Data/Shaders/OnlyTex.ps",
                                               "main", error))
            << error;
        meshes_ = std::make_unique<TMeshManager>(render_->Device(), data_.DataRoot());
    }

    std::string Log() const {
        std::string all;
        for (const std::string& line : log_.Lines()) {
            all += line + "\n";
        }
        return all;
    }

    void TearDown() override {
        meshes_.reset();
        staticShader_.reset();
        skinnedShader_.reset();
        pixelShader_.reset();
        render_.reset();
    }

    // Draws every subset of the mesh with the identity world and view and a 90-degree projection, and
    // reads the back buffer.
    Image Draw(TMeshDraw& mesh, const TVertexShader& vertexShader) {
        const TMatrix projection = MatrixPerspectiveFov(static_cast<float>(kPi / 2), 1.0f, 1.0f, 100.0f);
        render_->ClearTarget(128, 128, 128);
        render_->ClearDepth();
        render_->BeginScene();
        render_->SetVertexShader(&vertexShader);
        render_->SetPixelShader(pixelShader_.get());
        if (mesh.HasBones()) {
            render_->SetVertexShaderConstants(4, mesh.GetBonePalette(), mesh.GetBoneCount() * 4u);
        }
        for (int p = 0; p < mesh.GetMeshPartCount(); ++p) {
            TMatrix world = MatrixIdentity();
            if (!mesh.HasBones()) {
                mesh.GetPartTransform(p, world);
            }
            const TMatrix constants = MatrixTranspose(MatrixMultiply(world, projection));
            render_->SetVertexShaderConstants(0, &constants, 4);
            for (int s = 0; s < mesh.GetSubsetCount(p); ++s) {
                TRenderOperation op;
                EXPECT_TRUE(mesh.GetRenderOperation(p, s, op));
                render_->DrawRenderOperation(op);
            }
        }
        render_->EndScene();
        Image image;
        EXPECT_TRUE((*render_->Device())->ReadBackBuffer(image));
        return image;
    }

    // The pixel under clip-space (x, y).
    static const uint8_t* At(const Image& image, float x, float y) {
        const int px = std::clamp(static_cast<int>((x + 1) / 2 * image.Width), 0, image.Width - 1);
        const int py = std::clamp(static_cast<int>((1 - y) / 2 * image.Height), 0, image.Height - 1);
        return &image.Rgba[(static_cast<size_t>(py) * image.Width + px) * 4];
    }

    static void ExpectRed(const Image& image, float x, float y) {
        const uint8_t* p = At(image, x, y);
        EXPECT_GT(p[0], 100) << "at " << x << ", " << y;
        EXPECT_LT(p[1], 20) << "at " << x << ", " << y;
        EXPECT_LT(p[2], 20) << "at " << x << ", " << y;
    }

    static void ExpectBackground(const Image& image, float x, float y) {
        const uint8_t* p = At(image, x, y);
        EXPECT_NEAR(p[0], 128, 2) << "at " << x << ", " << y;
        EXPECT_NEAR(p[1], 128, 2) << "at " << x << ", " << y;
    }

    model_test::ScratchData data_{"display"};
    model_test::LogCapture log_;
    std::unique_ptr<SdlWindow> window_;
    GlGraphicsSystem system_;
    std::unique_ptr<TRenderD3D9> render_;
    // Shaders and meshes hold the renderer's device slot: TearDown frees them before the renderer.
    std::unique_ptr<TVertexShader> staticShader_ = std::make_unique<TVertexShader>();
    std::unique_ptr<TVertexShader> skinnedShader_ = std::make_unique<TVertexShader>();
    std::unique_ptr<TPixelShader> pixelShader_ = std::make_unique<TPixelShader>();
    std::unique_ptr<TMeshManager> meshes_;
};

TEST_F(ModelDisplay, TexturedModelShowsWhereTheCameraPutsIt) {
    TMeshResource* square =
        meshes_->LoadMesh("Data/Meshes/square.x", "Square", D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY);
    ASSERT_NE(square, nullptr);
    ASSERT_EQ(square->Mesh->GetMeshPartCount(), 1);
    ASSERT_NE(square->Mesh->GetMaterial(0, 0)->Texture, nullptr);
    // Frame "Bone" closes before the Mesh, so the part hangs on Bone, whose combined matrix is Place's.
    const Image image = Draw(*square->Mesh, *staticShader_);
    ASSERT_EQ(image.Width, kSize);
    // The square spans x from (0.5 - 1) / 3 to (0.5 + 1) / 3 and y from -1/3 to 1/3 in clip space.
    ExpectRed(image, 0.5f / 3, 0.0f);
    ExpectRed(image, -0.1f, 0.25f);
    ExpectRed(image, 0.45f, -0.25f);
    ExpectBackground(image, -0.4f, 0.0f);
    ExpectBackground(image, 0.6f, 0.0f);
    ExpectBackground(image, 0.2f, 0.5f);
    ExpectBackground(image, 0.2f, -0.5f);
}

TEST_F(ModelDisplay, SkinnedModelFollowsItsBone) {
    TMeshResource* skinned =
        meshes_->LoadMesh("Data/Meshes/skinned.x", "Skinned", D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY);
    ASSERT_NE(skinned, nullptr);
    TMeshDraw& mesh = *skinned->Mesh;
    ASSERT_TRUE(mesh.HasBones());
    // Move the bone 0.9 to the left of where it rests inside "Place".
    TFrame* bone = mesh.FindFrame("Bone");
    ASSERT_NE(bone, nullptr);
    D3DXMatrixTranslation(bone->TransformMatrix, -0.9f, 0.0f, 0.0f);
    mesh.MarkFrames();
    mesh.RestoreUnanimatedFrames();
    mesh.UpdateCombinedMatrices();
    mesh.BuildBonePalette();
    const Image image = Draw(mesh, *skinnedShader_);
    // Centre at x = (0.5 - 0.9) / 3 = -0.133; spans -0.467 .. 0.2.
    ExpectRed(image, -0.4f / 3, 0.0f);
    ExpectRed(image, -0.4f, 0.2f);
    ExpectBackground(image, 0.35f, 0.0f);
    ExpectBackground(image, -0.6f, 0.0f);
}

TEST_F(ModelDisplay, DefaultPoolModelDrawsAgainAfterADeviceReset) {
    TMeshResource* square =
        meshes_->LoadMesh("Data/Meshes/square.x", "Square", D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY);
    meshes_->OnLostDevice();
    ASSERT_TRUE(render_->ResetDevice(true, window_.get(), kSize, kSize, 0));
    meshes_->OnResetDevice();
    const Image image = Draw(*square->Mesh, *staticShader_);
    ExpectRed(image, 0.5f / 3, 0.0f);
    ExpectBackground(image, -0.4f, 0.0f);
}

}  // namespace
