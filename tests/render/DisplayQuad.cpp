// On the real OpenGL device (needs an X display; skipped without one): the game's own shaders, a
// textured full-screen DrawQuad and a lit mesh part, checked in the pixels read back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/GlGraphicsSystem.h"
#include "platform/SdlWindow.h"
#include "render/GE_D3D9.h"
#include "render/TextureLoader.h"
#include "util/Files.h"

using namespace platform;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

struct Rgba {
    int R, G, B, A;
};

class OnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no X display";
        std::string error;
        window_ = SdlWindow::Create("render test", kWidth, kHeight, error);
        if (!window_)
            GTEST_SKIP() << "no OpenGL window: " << error;
        render_ = std::make_unique<TRenderD3D9>(system_);
        ASSERT_TRUE(render_->Initialize(window_.get(), true, kWidth, kHeight, 0, error)) << error;
    }
    // The shaders' "main" from the source tree's files.
    void LoadShaders(TVertexShader& vertexShader, const char* vertexFile, TPixelShader& pixelShader,
                     const char* pixelFile) {
        const files::TDataRoot source(BRELVOX_SOURCE_DIR);
        ASSERT_TRUE(vertexShader.LoadFromFile(source, render_->Device(), vertexFile, "main", error_))
            << error_;
        ASSERT_TRUE(pixelShader.LoadFromFile(source, render_->Device(), pixelFile, "main", error_)) << error_;
    }
    void TearDown() override {
        render_.reset();
        window_.reset();
    }

    GraphicsDevice& Device() { return **render_->Device(); }

    Rgba Pixel(const Image& image, int x, int y) {
        const uint8_t* p = image.Rgba.data() + (size_t(y) * size_t(image.Width) + size_t(x)) * 4;
        return Rgba{p[0], p[1], p[2], p[3]};
    }

    GlGraphicsSystem system_;
    std::unique_ptr<SdlWindow> window_;
    std::unique_ptr<TRenderD3D9> render_;
    std::string error_;
};

#define EXPECT_RGB_NEAR(pixel, r, g, b, tolerance)        \
    do {                                                  \
        Rgba got_ = (pixel);                              \
        EXPECT_NEAR(got_.R, (r), (tolerance)) << "red";   \
        EXPECT_NEAR(got_.G, (g), (tolerance)) << "green"; \
        EXPECT_NEAR(got_.B, (b), (tolerance)) << "blue";  \
    } while (false)

// 2 x 2: red, green on top; blue, white below.
Image FourColours() {
    Image image;
    image.Width = 2;
    image.Height = 2;
    image.Rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    return image;
}

}  // namespace

TEST_F(OnScreen, RendererShadersCompileWithoutMessages) {
    const std::pair<const char*, ShaderStage> files[] = {{"Data/Shaders/Static.vs", ShaderStage::Vertex},
                                                         {"Data/Shaders/OnlyTex.ps", ShaderStage::Pixel},
                                                         {"Data/Shaders/render_quad.vs", ShaderStage::Vertex},
                                                         {"Data/Shaders/render_quad.ps", ShaderStage::Pixel}};
    for (const auto& [name, stage] : files) {
        std::string source, error, messages;
        ASSERT_TRUE(files::TDataRoot(BRELVOX_SOURCE_DIR).ReadFile(name, source, error)) << error;
        ShaderHandle shader = Device().CreateShader(stage, source, messages);
        EXPECT_TRUE(shader) << name;
        EXPECT_EQ(messages, "") << name;
        Device().ReleaseShader(shader);
    }
}

TEST_F(OnScreen, FullScreenQuadShowsTheTextureUprightWithRenderQuadShaders) {
    TVertexShader vertexShader;
    TPixelShader pixelShader;
    LoadShaders(vertexShader, "Data\\SHaders\\render_quad.vs", pixelShader, "Data\\SHaders\\render_quad.ps");
    if (HasFatalFailure()) {
        return;
    }
    const Image image = FourColours();
    TextureHandle texture;
    ASSERT_TRUE(CreateTextureFromImage(render_->Device(), image, true, "quad", texture, error_)) << error_;
    ASSERT_TRUE(texture);

    render_->SetDepthTest(true);
    render_->SetTextureFilter(0, 0, 0);
    render_->ClearTarget(10, 20, 30);
    render_->ClearDepth();
    render_->BeginScene();
    render_->SetVertexShader(&vertexShader);
    render_->SetPixelShader(&pixelShader);
    Device().SetTexture(0, texture);
    render_->DrawQuad(-1, 1, 2, 2);
    render_->EndScene();
    Image shot;
    ASSERT_TRUE(Device().ReadBackBuffer(shot));
    render_->Present();
    Device().ReleaseTexture(texture);

    ASSERT_EQ(shot.Width, kWidth);
    ASSERT_EQ(shot.Height, kHeight);
    EXPECT_RGB_NEAR(Pixel(shot, 8, 8), 255, 0, 0, 1);
    EXPECT_RGB_NEAR(Pixel(shot, kWidth - 8, 8), 0, 255, 0, 1);
    EXPECT_RGB_NEAR(Pixel(shot, 8, kHeight - 8), 0, 0, 255, 1);
    EXPECT_RGB_NEAR(Pixel(shot, kWidth - 8, kHeight - 8), 255, 255, 255, 1);
    EXPECT_RGB_NEAR(Pixel(shot, 0, 0), 255, 0, 0, 1);
    EXPECT_RGB_NEAR(Pixel(shot, kWidth - 1, kHeight - 1), 255, 255, 255, 1);
}

TEST_F(OnScreen, QuadCoversOnlyItsRectangle) {
    TVertexShader vertexShader;
    TPixelShader pixelShader;
    LoadShaders(vertexShader, "Data/Shaders/render_quad.vs", pixelShader, "Data/Shaders/render_quad.ps");
    if (HasFatalFailure()) {
        return;
    }
    Image image;
    image.Width = 1;
    image.Height = 1;
    image.Rgba = {250, 200, 100, 255};
    TextureHandle texture;
    ASSERT_TRUE(CreateTextureFromImage(render_->Device(), image, false, "dot", texture, error_)) << error_;

    render_->ClearTarget(0, 0, 0);
    render_->ClearDepth();
    render_->BeginScene();
    render_->SetVertexShader(&vertexShader);
    render_->SetPixelShader(&pixelShader);
    Device().SetTexture(0, texture);
    render_->DrawQuad(-1, 1, 1, 1);  // the top-left quarter of the screen
    render_->EndScene();
    Image shot;
    ASSERT_TRUE(Device().ReadBackBuffer(shot));
    render_->Present();
    Device().ReleaseTexture(texture);

    EXPECT_RGB_NEAR(Pixel(shot, 4, 4), 250, 200, 100, 1);
    EXPECT_RGB_NEAR(Pixel(shot, kWidth / 2 - 2, kHeight / 2 - 2), 250, 200, 100, 1);
    EXPECT_RGB_NEAR(Pixel(shot, kWidth / 2 + 2, 4), 0, 0, 0, 0);
    EXPECT_RGB_NEAR(Pixel(shot, 4, kHeight / 2 + 2), 0, 0, 0, 0);
    EXPECT_RGB_NEAR(Pixel(shot, kWidth - 4, kHeight - 4), 0, 0, 0, 0);
}

TEST_F(OnScreen, StaticMeshFacingTheViewerIsLitByTheFixedLight) {
    TVertexShader vertexShader;
    TPixelShader pixelShader;
    LoadShaders(vertexShader, "Data/Shaders/Static.vs", pixelShader, "Data/Shaders/OnlyTex.ps");
    if (HasFatalFailure()) {
        return;
    }

    // A square facing the viewer (normal towards -z), clockwise on screen, in the middle of the view.
    struct Vertex {
        float Px, Py, Pz, Nx, Ny, Nz, U, V;
    };
    const Vertex vertices[4] = {{-0.5f, 0.5f, 0.5f, 0, 0, -1, 0, 0},
                                {0.5f, 0.5f, 0.5f, 0, 0, -1, 1, 0},
                                {0.5f, -0.5f, 0.5f, 0, 0, -1, 1, 1},
                                {-0.5f, -0.5f, 0.5f, 0, 0, -1, 0, 1}};
    const uint16_t indices[6] = {0, 1, 2, 2, 3, 0};
    TVertexDeclaration declaration(render_->Device());
    declaration.AddElement(0, 2);
    declaration.AddElement(1, 2);
    declaration.AddElement(2, 1);
    declaration.EndDeclaration();
    declaration.Build();
    TVertexBuffer vertexBuffer(render_->Device());
    vertexBuffer.CreateBuffer(sizeof(vertices), D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
    vertexBuffer.Lock(0, 0, D3DLOCK_DISCARD);
    vertexBuffer.Write(vertices, 0, sizeof(vertices));
    vertexBuffer.Unlock();
    TIndexBuffer indexBuffer(render_->Device());
    indexBuffer.CreateBuffer(sizeof(indices), D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
    indexBuffer.Lock(0, 0, D3DLOCK_DISCARD);
    indexBuffer.Write(indices, 0, sizeof(indices));
    indexBuffer.Unlock();
    Image white;
    white.Width = white.Height = 1;
    white.Rgba = {255, 255, 255, 255};
    TextureHandle texture;
    ASSERT_TRUE(CreateTextureFromImage(render_->Device(), white, true, "white", texture, error_)) << error_;

    TMatrix identity = MatrixIdentity();
    render_->ClearTarget(0, 0, 0);
    render_->ClearDepth();
    render_->BeginScene();
    render_->SetVertexShader(&vertexShader);
    render_->SetPixelShader(&pixelShader);
    render_->SetVertexShaderConstants(0, &identity, 4);
    TRenderOperation op;
    op.Declaration = &declaration;
    op.VertexBuffer = &vertexBuffer;
    op.IndexBuffer = &indexBuffer;
    op.NumVertices = 4;
    op.PrimitiveCount = 2;
    op.Texture = texture;
    render_->DrawRenderOperation(op);
    render_->EndScene();
    Image shot;
    ASSERT_TRUE(Device().ReadBackBuffer(shot));
    render_->Present();
    Device().ReleaseTexture(texture);

    // Ambient 0.45 plus 0.55 times the cosine between the normal and the light direction.
    const double toLight[3] = {-0.35, 0.80, -0.48};
    double cosine =
        0.48 / std::sqrt(toLight[0] * toLight[0] + toLight[1] * toLight[1] + toLight[2] * toLight[2]);
    int expected = static_cast<int>(std::lround(255.0 * (0.45 + 0.55 * cosine)));
    EXPECT_RGB_NEAR(Pixel(shot, kWidth / 2, kHeight / 2), expected, expected, expected, 2);
    EXPECT_RGB_NEAR(Pixel(shot, 2, 2), 0, 0, 0, 0);
}

// Quads drawn in one call show what the same quads drawn one by one show: every texel where it was, and
// a quad given part of the texture only that part (here the white bottom-right texel, stretched).
TEST_F(OnScreen, QuadsInOneCallMatchThemDrawnOneByOne) {
    TVertexShader vertexShader;
    TPixelShader pixelShader;
    LoadShaders(vertexShader, "Data/Shaders/render_quad.vs", pixelShader, "Data/Shaders/render_quad.ps");
    if (HasFatalFailure()) {
        return;
    }
    const Image image = FourColours();
    TextureHandle texture;
    ASSERT_TRUE(CreateTextureFromImage(render_->Device(), image, true, "icons", texture, error_)) << error_;
    Image whiteImage;
    whiteImage.Width = whiteImage.Height = 1;
    whiteImage.Rgba = {255, 255, 255, 255};
    TextureHandle white;
    ASSERT_TRUE(CreateTextureFromImage(render_->Device(), whiteImage, false, "white", white, error_))
        << error_;
    ASSERT_TRUE(texture);
    ASSERT_TRUE(white);
    render_->SetTextureFilter(0, 0, 0);
    std::vector<TScreenQuad> quads(3);
    for (size_t i = 0; i < quads.size(); ++i) {
        quads[i].X = -0.9f + 0.6f * static_cast<float>(i);
        quads[i].Y = 0.5f;
        quads[i].Width = 0.4f;
        quads[i].Height = 0.5f;
    }
    quads[2].Picture = TTextureRect{0.5f, 0.5f, 1.0f, 1.0f};
    auto draw = [&](bool together, Image& shot) {
        render_->ClearTarget(0, 0, 0);
        render_->ClearDepth();
        render_->BeginScene();
        render_->SetVertexShader(&vertexShader);
        render_->SetPixelShader(&pixelShader);
        Device().SetTexture(0, texture);
        const uint64_t before = Device().Counts().DrawCalls;
        if (together) {
            render_->DrawQuads(quads);
        } else {
            for (const TScreenQuad& quad : quads) {
                Device().SetTexture(0, &quad == &quads[2] ? white : texture);
                render_->DrawQuad(quad.X, quad.Y, quad.Width, quad.Height);
            }
        }
        const uint64_t calls = Device().Counts().DrawCalls - before;
        render_->EndScene();
        ASSERT_TRUE(Device().ReadBackBuffer(shot));
        render_->Present();
        EXPECT_EQ(calls, together ? 1u : 3u);
    };
    Image together, apart;
    draw(true, together);
    draw(false, apart);
    Device().ReleaseTexture(texture);
    Device().ReleaseTexture(white);
    ASSERT_EQ(together.Rgba.size(), apart.Rgba.size());
    EXPECT_TRUE(together.Rgba == apart.Rgba);
    // The second quad's top-left texel is red; the third quad is white; between them nothing.
    const int top = static_cast<int>((1.0f - 0.5f) / 2.0f * kHeight);
    EXPECT_RGB_NEAR(Pixel(together, static_cast<int>((-0.3f + 1.0f) / 2.0f * kWidth) + 2, top + 2), 255, 0, 0,
                    1);
    EXPECT_RGB_NEAR(Pixel(together, static_cast<int>((0.3f + 1.0f) / 2.0f * kWidth) + 2, top + 2), 255, 255,
                    255, 1);
    EXPECT_RGB_NEAR(Pixel(together, static_cast<int>((0.2f + 1.0f) / 2.0f * kWidth), top + 2), 0, 0, 0, 0);
}
