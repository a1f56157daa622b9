// The OpenGL device against what the engine expects of a Direct3D 9 device: every case draws into a
// real back buffer (Mesa under the test's X server) and looks at the pixels that come back. Each case
// runs twice: with glClipControl and with the depth remap in the vertex stage.
#include "platform/GlGraphicsSystem.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Png.h"
#include "platform/SdlWindow.h"
#include "util/Log.h"

using namespace platform;

namespace {

constexpr int kSize = 64;

// Position (clip space) and one texture coordinate pair: the D3DFVF_XYZ | D3DFVF_TEX1 layout.
struct QuadVertex {
    float X, Y, Z, U, V;
};

const char* const kTexturedVertex = R"(#version 330 core
layout(location = 0) in vec3 Position;
layout(location = 2) in vec2 TexCoord;
out vec2 vTexCoord;
void main() {
    gl_Position = vec4(Position, 1.0);
    vTexCoord = TexCoord;
}
)";

const char* const kTexturedPixel = R"(#version 330 core
in vec2 vTexCoord;
uniform sampler2D s0;
out vec4 FragColor;
void main() { FragColor = texture(s0, vTexCoord); }
)";

// Colour from register c4, passed on by the vertex stage.
const char* const kConstantColourVertex = R"(#version 330 core
uniform vec4 c[256];
layout(location = 0) in vec3 Position;
out vec4 vColor;
void main() {
    gl_Position = vec4(Position, 1.0);
    vColor = c[4];
}
)";

// The same register through a different shader (another program).
const char* const kConstantColourVertexOther = R"(#version 330 core
uniform vec4 c[256];
layout(location = 0) in vec3 Position;
layout(location = 2) in vec2 TexCoord;
out vec4 vColor;
void main() {
    gl_Position = vec4(Position.xy, Position.z, 1.0);
    vColor = c[4] + vec4(TexCoord, 0.0, 0.0) * 0.0;
}
)";

// Colour from the last register of a program that declares all of them.
const char* const kLastRegisterVertex = R"(#version 330 core
uniform vec4 c[512];
layout(location = 0) in vec3 Position;
out vec4 vColor;
void main() {
    gl_Position = vec4(Position, 1.0);
    vColor = c[511] + c[4] * 0.0;
}
)";

const char* const kColourPixel = R"(#version 330 core
in vec4 vColor;
out vec4 FragColor;
void main() { FragColor = vColor; }
)";

// Vertex colour (location 7) through: rgb, or alpha in all three channels.
const char* const kVertexColourVertex = R"(#version 330 core
layout(location = 0) in vec3 Position;
layout(location = 7) in vec4 Color;
out vec4 vColor;
void main() {
    gl_Position = vec4(Position, 1.0);
    vColor = Color;
}
)";

const char* const kAlphaAsGreyPixel = R"(#version 330 core
in vec4 vColor;
out vec4 FragColor;
void main() { FragColor = vec4(vColor.aaa, 1.0); }
)";

struct Rgb {
    int R, G, B;
};

class GlDevice : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        std::string error;
        window_ = SdlWindow::Create("Brelvox test", kSize, kSize, error);
        ASSERT_TRUE(window_) << error;
        GlGraphicsSystem::Options options;
        options.ForceDepthRemap = GetParam();
        system_ = std::make_unique<GlGraphicsSystem>(options);
        device_ = system_->CreateDevice(window_.get(), Parameters(), error);
        ASSERT_TRUE(device_) << error;
    }

    static PresentParameters Parameters() {
        PresentParameters p;
        p.Windowed = true;
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        p.EnableAutoDepthStencil = true;
        p.AutoDepthStencilFormat = D3DFMT_D16;
        p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        return p;
    }

    ShaderHandle Compile(ShaderStage stage, const char* source) {
        std::string messages;
        ShaderHandle shader = device_->CreateShader(stage, source, messages);
        EXPECT_TRUE(shader) << messages;
        EXPECT_EQ(messages, "");
        return shader;
    }

    void UsePair(const char* vertex, const char* pixel) {
        device_->SetVertexShader(Compile(ShaderStage::Vertex, vertex));
        device_->SetPixelShader(pixel ? Compile(ShaderStage::Pixel, pixel) : ShaderHandle{});
    }

    // A rectangle in clip space through the user-pointer path, corners in the order the engine's quads
    // use (top-left, top-right, bottom-right, bottom-left: clockwise on screen).
    void DrawRect(float left, float top, float right, float bottom, float z, bool clockwise = true) {
        QuadVertex vertices[4] = {
            {left, top, z, 0, 0}, {right, top, z, 1, 0}, {right, bottom, z, 1, 1}, {left, bottom, z, 0, 1}};
        const uint16_t clockwiseIndices[6] = {0, 1, 2, 2, 3, 0};
        const uint16_t counterIndices[6] = {0, 2, 1, 2, 0, 3};
        device_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
        device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2,
                                        clockwise ? clockwiseIndices : counterIndices, D3DFMT_INDEX16,
                                        vertices, sizeof(QuadVertex));
    }

    void SetColour(float r, float g, float b, float a = 1.0f) {
        const float colour[4] = {r, g, b, a};
        device_->SetVertexShaderConstantF(4, colour, 1);
    }

    Image Read() {
        Image image;
        EXPECT_TRUE(device_->ReadBackBuffer(image));
        return image;
    }

    // The corner texture drawn over the whole back buffer, as MakeCornerTexture describes it.
    static void ExpectCornerColours(const Image& image);

    static Rgb At(const Image& image, int x, int y) {
        const uint8_t* p = image.Rgba.data() + (static_cast<size_t>(y) * image.Width + x) * 4;
        return {p[0], p[1], p[2]};
    }

    std::unique_ptr<SdlWindow> window_;
    std::unique_ptr<GlGraphicsSystem> system_;
    std::unique_ptr<GraphicsDevice> device_;
};

#define EXPECT_RGB(pixel, r, g, b, tolerance)               \
    do {                                                    \
        Rgb actual = (pixel);                               \
        EXPECT_NEAR(actual.R, (r), (tolerance)) << "red";   \
        EXPECT_NEAR(actual.G, (g), (tolerance)) << "green"; \
        EXPECT_NEAR(actual.B, (b), (tolerance)) << "blue";  \
    } while (0)

void GlDevice::ExpectCornerColours(const Image& image) {
    EXPECT_RGB(At(image, 8, 8), 255, 0, 0, 0);
    EXPECT_RGB(At(image, kSize - 8, 8), 0, 255, 0, 0);
    EXPECT_RGB(At(image, 8, kSize - 8), 0, 0, 255, 0);
    EXPECT_RGB(At(image, kSize - 8, kSize - 8), 255, 255, 255, 0);
}

// What ImageMagick reads at one pixel of a PNG: "r,g,b".
std::string ImageMagickPixel(const std::string& path, int x, int y) {
    std::string command = "identify -format '%[fx:round(255*p{" + std::to_string(x) + "," +
                          std::to_string(y) + "}.r)],%[fx:round(255*p{" + std::to_string(x) + "," +
                          std::to_string(y) + "}.g)],%[fx:round(255*p{" + std::to_string(x) + "," +
                          std::to_string(y) + "}.b)]' '" + path + "' 2>/dev/null";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe)) {
            output += buffer;
        }
        pclose(pipe);
    }
    return output;
}

std::string TempPng(const std::string& name) {
    return testing::TempDir() + "brelvox-gl-" + std::to_string(getpid()) + "-" + name + ".png";
}

// A 2 x 2 texture: red top-left, green top-right, blue bottom-left, white bottom-right.
const uint8_t kCornerTexels[16] = {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255};

TextureHandle MakeCornerTexture(GraphicsDevice& device) {
    TextureHandle texture = device.CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    device.WriteTextureLevel(texture, 0, kCornerTexels, 8);
    return texture;
}

INSTANTIATE_TEST_SUITE_P(DepthPaths, GlDevice, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("DepthRemap") : std::string("ClipControl");
                         });

TEST_P(GlDevice, Clear_TargetGivesTheArgbColourEverywhere) {
    device_->Clear(D3DCLEAR_TARGET, 0x00808080, 0.0f, 0);
    Image image = Read();
    ASSERT_EQ(image.Width, kSize);
    ASSERT_EQ(image.Height, kSize);
    for (int y = 0; y < kSize; y += 7) {
        for (int x = 0; x < kSize; x += 7) {
            EXPECT_RGB(At(image, x, y), 128, 128, 128, 0);
        }
    }
    device_->Clear(D3DCLEAR_TARGET, 0xFF102030, 0.0f, 0);
    EXPECT_RGB(At(Read(), 5, 5), 0x10, 0x20, 0x30, 0);
}

TEST_P(GlDevice, Clear_PngOfTheBackBufferReadsBackInImageMagick) {
    device_->Clear(D3DCLEAR_TARGET, 0x00808080, 0.0f, 0);
    std::string path = TempPng("clear");
    std::string error;
    ASSERT_TRUE(WritePngFile(path, Read(), error)) << error;
    EXPECT_EQ(ImageMagickPixel(path, 0, 0), "128,128,128");
    EXPECT_EQ(ImageMagickPixel(path, kSize - 1, kSize - 1), "128,128,128");
    std::remove(path.c_str());
}

TEST_P(GlDevice, Texture_TopLeftTexelLandsTopLeftOnScreen) {
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    UsePair(kTexturedVertex, kTexturedPixel);
    device_->SetTexture(0, MakeCornerTexture(*device_));
    DrawRect(-1, 1, 1, -1, 0.5f);
    Image image = Read();
    ExpectCornerColours(image);

    // The same, as ImageMagick sees the PNG.
    std::string path = TempPng("corners");
    std::string error;
    ASSERT_TRUE(WritePngFile(path, image, error)) << error;
    EXPECT_EQ(ImageMagickPixel(path, 8, 8), "255,0,0");
    EXPECT_EQ(ImageMagickPixel(path, kSize - 8, 8), "0,255,0");
    EXPECT_EQ(ImageMagickPixel(path, 8, kSize - 8), "0,0,255");
    std::remove(path.c_str());
}

// Text's atlas is white with alpha: the device may keep the alpha alone, but the texture must still
// sample as white with that alpha, and a later write of colours must show them, where it is bound.
TEST_P(GlDevice, Texture_WhiteWithAlphaSamplesWhiteAndLaterColoursShow) {
    const char* const alphaAndWhitePixel = R"(#version 330 core
in vec2 vTexCoord;
uniform sampler2D s0;
out vec4 FragColor;
void main() {
    vec4 t = texture(s0, vTexCoord);
    FragColor = vec4(t.a, t.g * t.b, t.r, 1.0);
}
)";
    TextureHandle texture = device_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    const uint8_t white[16] = {255, 255, 255, 0x40, 255, 255, 255, 0xFF,
                               255, 255, 255, 0,    255, 255, 255, 0x80};
    device_->WriteTextureLevel(texture, 0, white, 8);
    UsePair(kTexturedVertex, alphaAndWhitePixel);
    device_->SetTexture(0, texture);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    DrawRect(-1, 1, 1, -1, 0.5f);
    Image image = Read();
    EXPECT_RGB(At(image, 8, 8), 0x40, 255, 255, 0);
    EXPECT_RGB(At(image, kSize - 8, 8), 0xFF, 255, 255, 0);
    EXPECT_RGB(At(image, 8, kSize - 8), 0, 255, 255, 0);
    EXPECT_RGB(At(image, kSize - 8, kSize - 8), 0x80, 255, 255, 0);

    device_->WriteTextureLevel(texture, 0, kCornerTexels, 8);
    UsePair(kTexturedVertex, kTexturedPixel);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    DrawRect(-1, 1, 1, -1, 0.5f);
    ExpectCornerColours(Read());
}

TEST_P(GlDevice, Cull_ClockwiseIsFrontAndCounterClockwiseIsCulledByDefault) {
    UsePair(kConstantColourVertex, kColourPixel);
    SetColour(1, 0, 0);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    DrawRect(-1, 1, 0, -1, 0.5f, true);  // left half, clockwise
    DrawRect(0, 1, 1, -1, 0.5f, false);  // right half, counter-clockwise
    Image image = Read();
    EXPECT_RGB(At(image, 10, 32), 255, 0, 0, 0);
    EXPECT_RGB(At(image, 54, 32), 0, 0, 0, 0);
}

TEST_P(GlDevice, Cull_ModeCwHidesClockwiseAndNoneDrawsBoth) {
    UsePair(kConstantColourVertex, kColourPixel);
    SetColour(0, 1, 0);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    DrawRect(-1, 1, 0, -1, 0.5f, true);
    DrawRect(0, 1, 1, -1, 0.5f, false);
    Image image = Read();
    EXPECT_RGB(At(image, 10, 32), 0, 0, 0, 0);
    EXPECT_RGB(At(image, 54, 32), 0, 255, 0, 0);

    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    DrawRect(-1, 1, 0, -1, 0.5f, true);
    DrawRect(0, 1, 1, -1, 0.5f, false);
    image = Read();
    EXPECT_RGB(At(image, 10, 32), 0, 255, 0, 0);
    EXPECT_RGB(At(image, 54, 32), 0, 255, 0, 0);
}

TEST_P(GlDevice, Depth_LessEqualKeepsTheNearerAndLetsEqualThrough) {
    UsePair(kConstantColourVertex, kColourPixel);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    SetColour(1, 0, 0);
    DrawRect(-1, 1, 1, -1, 0.5f);
    SetColour(0, 1, 0);
    DrawRect(-1, 1, 0, -1, 0.7f);  // behind: hidden
    SetColour(0, 0, 1);
    DrawRect(0, 1, 1, -1, 0.5f);  // equal: passes
    Image image = Read();
    EXPECT_RGB(At(image, 10, 32), 255, 0, 0, 0);
    EXPECT_RGB(At(image, 54, 32), 0, 0, 255, 0);
}

TEST_P(GlDevice, Depth_RunsFromZeroToOneInClipSpace) {
    UsePair(kConstantColourVertex, kColourPixel);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    SetColour(1, 1, 1);
    DrawRect(-1, 1, 0, -1, -0.25f);  // in front of the near plane: clipped
    DrawRect(0, 1, 1, -1, 0.0f);     // on the near plane: drawn
    Image image = Read();
    EXPECT_RGB(At(image, 10, 32), 0, 0, 0, 0);
    EXPECT_RGB(At(image, 54, 32), 255, 255, 255, 0);

    // z 0.25 is nearer than 0.5 with 0..1 depth (and would be as well with -1..1, so test the mapping):
    // a clear to depth 0.3 lets 0.25 through and stops 0.35.
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 0.3f, 0);
    DrawRect(-1, 1, 0, -1, 0.25f);
    DrawRect(0, 1, 1, -1, 0.35f);
    image = Read();
    EXPECT_RGB(At(image, 10, 32), 255, 255, 255, 0);
    EXPECT_RGB(At(image, 54, 32), 0, 0, 0, 0);
}

TEST_P(GlDevice, Depth_TestOffDrawsBehindAndWritesOffLeaveTheBufferAlone) {
    UsePair(kConstantColourVertex, kColourPixel);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    SetColour(1, 0, 0);
    DrawRect(-1, 1, 1, -1, 0.5f);
    device_->SetRenderState(D3DRS_ZENABLE, 0);
    SetColour(0, 1, 0);
    DrawRect(-1, 1, 0, -1, 0.9f);
    device_->SetRenderState(D3DRS_ZENABLE, 1);
    Image image = Read();
    EXPECT_RGB(At(image, 10, 32), 0, 255, 0, 0);
    EXPECT_RGB(At(image, 54, 32), 255, 0, 0, 0);

    // Writes off: a near quad leaves no depth, so a farther one still draws over it.
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    SetColour(1, 0, 0);
    DrawRect(-1, 1, 1, -1, 0.2f);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    SetColour(0, 0, 1);
    DrawRect(-1, 1, 1, -1, 0.6f);
    EXPECT_RGB(At(Read(), 32, 32), 0, 0, 255, 0);

    // Clearing depth works whatever the write state.
    device_->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 0.1f, 0);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    DrawRect(-1, 1, 1, -1, 0.6f);
    EXPECT_RGB(At(Read(), 32, 32), 0, 0, 0, 0);
}

TEST_P(GlDevice, Blend_OffByDefaultAndSourceAlphaWhenEnabled) {
    UsePair(kConstantColourVertex, kColourPixel);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x000000FF, 1.0f, 0);
    SetColour(1, 0, 0, 0.25f);
    DrawRect(-1, 1, 0, -1, 0.5f);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    DrawRect(0, 1, 1, -1, 0.5f);
    Image image = Read();
    EXPECT_RGB(At(image, 10, 32), 255, 0, 0, 0);
    EXPECT_RGB(At(image, 54, 32), 64, 0, 191, 1);
}

TEST_P(GlDevice, Declaration_D3dColourArrivesAsRgbaAndBaseVertexApplies) {
    const VertexElement elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                      {0, 12, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                      D3DDECL_END};
    DeclarationHandle declaration = device_->CreateVertexDeclaration(elements);
    ASSERT_TRUE(declaration);
#pragma pack(push, 1)
    struct ColourVertex {
        float X, Y, Z;
        uint32_t Argb;
    };
#pragma pack(pop)
    // Four junk vertices, then the quad: the draw reaches it through the base vertex.
    const uint32_t argb = 0x80FF4020;  // a 0x80, r 0xFF, g 0x40, b 0x20
    ColourVertex vertices[8] = {};
    const float corners[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
    for (int i = 0; i < 4; ++i) {
        vertices[4 + i] = {corners[i][0], corners[i][1], 0.5f, argb};
    }
    VertexBufferHandle vertexBuffer =
        device_->CreateVertexBuffer(sizeof vertices, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED);
    IndexBufferHandle indexBuffer =
        device_->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED);
    void* v = device_->LockBuffer(vertexBuffer, 0, 0, D3DLOCK_DISCARD);
    ASSERT_NE(v, nullptr);
    std::memcpy(v, vertices, sizeof vertices);
    device_->UnlockBuffer(vertexBuffer);
    const uint16_t indices[6] = {0, 1, 2, 2, 3, 0};
    void* i = device_->LockBuffer(indexBuffer, 0, 0, 0);
    ASSERT_NE(i, nullptr);
    std::memcpy(i, indices, sizeof indices);
    device_->UnlockBuffer(indexBuffer);

    UsePair(kVertexColourVertex, kColourPixel);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->SetVertexDeclaration(declaration);
    device_->SetStreamSource(0, vertexBuffer, 0, sizeof(ColourVertex));
    device_->SetIndices(indexBuffer);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 0, 2);
    EXPECT_RGB(At(Read(), 32, 32), 0xFF, 0x40, 0x20, 0);

    device_->SetPixelShader(Compile(ShaderStage::Pixel, kAlphaAsGreyPixel));
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 0, 2);
    EXPECT_RGB(At(Read(), 32, 32), 0x80, 0x80, 0x80, 0);
}

TEST_P(GlDevice, Draw_IndicesOutsideTheVertexBufferDrawNothing) {
    const VertexElement elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END};
    DeclarationHandle declaration = device_->CreateVertexDeclaration(elements);
    const float vertices[4][3] = {{-1, 1, 0.5f}, {1, 1, 0.5f}, {1, -1, 0.5f}, {-1, -1, 0.5f}};
    VertexBufferHandle vertexBuffer = device_->CreateVertexBuffer(sizeof vertices, 0, 0, D3DPOOL_MANAGED);
    std::memcpy(device_->LockBuffer(vertexBuffer, 0, 0, 0), vertices, sizeof vertices);
    device_->UnlockBuffer(vertexBuffer);
    IndexBufferHandle indexBuffer = device_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED);
    const uint16_t indices[6] = {0, 1, 2, 2, 3, 400};
    std::memcpy(device_->LockBuffer(indexBuffer, 0, 0, 0), indices, sizeof indices);
    device_->UnlockBuffer(indexBuffer);

    UsePair(kConstantColourVertex, kColourPixel);
    SetColour(1, 1, 1);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->SetVertexDeclaration(declaration);
    device_->SetStreamSource(0, vertexBuffer, 0, 12);
    device_->SetIndices(indexBuffer);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);  // index 400 is out of range
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 2);  // past the end of the indices
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 0, 4, 0, 1);  // base vertex pushes 2 past the end
    EXPECT_RGB(At(Read(), 60, 8), 0, 0, 0, 0);
    // The first triangle alone is in range and draws.
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 1);
    EXPECT_RGB(At(Read(), 60, 8), 255, 255, 255, 0);

    // A whole rewrite brings every index in range; a later partial write takes the draw out again.
    const uint16_t inside[6] = {0, 1, 2, 2, 3, 0};
    std::memcpy(device_->LockBuffer(indexBuffer, 0, 0, D3DLOCK_DISCARD), inside, sizeof inside);
    device_->UnlockBuffer(indexBuffer);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    EXPECT_RGB(At(Read(), 4, 60), 255, 255, 255, 0);
    const uint16_t outside = 399;
    std::memcpy(device_->LockBuffer(indexBuffer, 0, 2, 0), &outside, 2);
    device_->UnlockBuffer(indexBuffer);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    EXPECT_RGB(At(Read(), 4, 60), 0, 0, 0, 0);
}

TEST_P(GlDevice, Constants_PersistAcrossShaderChanges) {
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    // Set before any shader is bound.
    SetColour(0, 0, 1);
    ShaderHandle first = Compile(ShaderStage::Vertex, kConstantColourVertex);
    ShaderHandle second = Compile(ShaderStage::Vertex, kConstantColourVertexOther);
    ShaderHandle pixel = Compile(ShaderStage::Pixel, kColourPixel);
    device_->SetPixelShader(pixel);
    device_->SetVertexShader(first);
    DrawRect(-1, 1, 0, 0, 0.5f);
    device_->SetVertexShader(second);
    DrawRect(0, 1, 1, 0, 0.5f);
    // A change reaches a program that already saw the old value.
    SetColour(1, 1, 0);
    device_->SetVertexShader(first);
    DrawRect(-1, 0, 0, -1, 0.5f);
    device_->SetVertexShader(second);
    DrawRect(0, 0, 1, -1, 0.5f);
    Image image = Read();
    EXPECT_RGB(At(image, 10, 10), 0, 0, 255, 0);
    EXPECT_RGB(At(image, 54, 10), 0, 0, 255, 0);
    EXPECT_RGB(At(image, 10, 54), 255, 255, 0, 0);
    EXPECT_RGB(At(image, 54, 54), 255, 255, 0, 0);
}

TEST_P(GlDevice, Constants_TheLastRegisterReachesAProgramThatDeclaresThemAll) {
    static_assert(kVertexShaderRegisters == 512, "the shader above declares c[512]");
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    const float colour[4] = {0, 1, 0, 1};
    device_->SetVertexShaderConstantF(kVertexShaderRegisters - 1, colour, 1);
    device_->SetVertexShader(Compile(ShaderStage::Vertex, kLastRegisterVertex));
    device_->SetPixelShader(Compile(ShaderStage::Pixel, kColourPixel));
    DrawRect(-1, 1, 1, -1, 0.5f);
    EXPECT_RGB(At(Read(), 32, 32), 0, 255, 0, 0);
}

TEST_P(GlDevice, Shaders_CompileErrorGivesMessagesAndNoShader) {
    std::string messages;
    ShaderHandle broken =
        device_->CreateShader(ShaderStage::Pixel, "#version 330 core\nvoid main() { oops; }\n", messages);
    EXPECT_FALSE(broken);
    EXPECT_NE(messages, "");
    // The line numbers are the source's own.
    EXPECT_NE(messages.find("2"), std::string::npos) << messages;

    ShaderHandle clean = device_->CreateShader(ShaderStage::Pixel, kColourPixel, messages);
    EXPECT_TRUE(clean);
    EXPECT_EQ(messages, "");
}

TEST_P(GlDevice, Shaders_SameSourceTwiceDrawsAfterEitherIsReleased) {
    std::string messages;
    ShaderHandle vertex = device_->CreateShader(ShaderStage::Vertex, kConstantColourVertex, messages);
    ShaderHandle first = device_->CreateShader(ShaderStage::Pixel, kColourPixel, messages);
    ShaderHandle second = device_->CreateShader(ShaderStage::Pixel, kColourPixel, messages);
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first, second);
    device_->SetVertexShader(vertex);
    SetColour(1, 0, 0);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->SetPixelShader(first);
    DrawRect(-1, 1, 0, -1, 0.5f);  // left half
    // The first handle's release leaves the second (and the program drawn with both) working.
    device_->ReleaseShader(first);
    device_->SetPixelShader(second);
    SetColour(0, 1, 0);
    DrawRect(0, 1, 1, -1, 0.5f);  // right half
    Image image = Read();
    EXPECT_RGB(At(image, 10, 32), 255, 0, 0, 0);
    EXPECT_RGB(At(image, 54, 32), 0, 255, 0, 0);
    device_->ReleaseShader(second);
    device_->ReleaseShader(vertex);
}

TEST_P(GlDevice, Shaders_WarningsAloneAlsoLeaveNoShader) {
    // Compiles, but the compiler says something about it.
    std::string messages;
    ShaderHandle shader =
        device_->CreateShader(ShaderStage::Pixel,
                              "#version 330 core\n#extension GL_BRELVOX_no_such_thing : warn\n"
                              "out vec4 FragColor;\nvoid main() { FragColor = vec4(1.0); }\n",
                              messages);
    EXPECT_FALSE(shader);
    EXPECT_NE(messages.find("warning"), std::string::npos) << messages;
}

TEST_P(GlDevice, Shaders_WithoutVersionLineAreGlsl330) {
    std::string messages;
    ShaderHandle shader = device_->CreateShader(
        ShaderStage::Pixel, "out vec4 FragColor;\nvoid main() { FragColor = vec4(1.0); }\n", messages);
    EXPECT_TRUE(shader) << messages;
}

TEST_P(GlDevice, Shaders_NoPixelShaderSamplesStageZeroOrDrawsWhite) {
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->SetTexture(0, MakeCornerTexture(*device_));
    // No shader at all: positions are clip space, the texture is sampled at TexCoord0.
    DrawRect(-1, 1, 1, -1, 0.5f);
    Image image = Read();
    EXPECT_RGB(At(image, 8, 8), 255, 0, 0, 0);
    EXPECT_RGB(At(image, kSize - 8, kSize - 8), 255, 255, 255, 0);
    // A vertex shader without a TexCoord0 output: white.
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    UsePair(kConstantColourVertex, nullptr);
    DrawRect(-1, 1, 1, -1, 0.5f);
    EXPECT_RGB(At(Read(), 8, 8), 255, 255, 255, 0);
}

TEST_P(GlDevice, Texture_MipLevelsAreNotSampledWithoutAMipFilter) {
    TextureHandle texture = device_->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ASSERT_EQ(device_->TextureLevelCount(texture), 3u);
    const uint8_t colours[3][4] = {{0, 0, 255, 255}, {0, 255, 0, 255}, {255, 0, 0, 255}};
    for (uint32_t level = 0; level < 3; ++level) {
        uint32_t size = 4 >> level;
        std::vector<uint8_t> texels;
        for (uint32_t t = 0; t < size * size; ++t) {
            texels.insert(texels.end(), colours[level], colours[level] + 4);
        }
        device_->WriteTextureLevel(texture, level, texels.data(), size * 4);
    }
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    UsePair(kTexturedVertex, kTexturedPixel);
    device_->SetTexture(0, texture);
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    // 4 x 4 texels onto 2 x 2 pixels: minified.
    float pixel = 2.0f / kSize;
    DrawRect(-1, 1, -1 + 2 * pixel, 1 - 2 * pixel, 0.5f);
    EXPECT_RGB(At(Read(), 0, 0), 255, 0, 0, 0);
}

TEST_P(GlDevice, Buffers_WriteOnlyOnesStillReadBackWhatWasWritten) {
    VertexBufferHandle buffer =
        device_->CreateVertexBuffer(16, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT);
    ASSERT_TRUE(buffer);
    for (uint32_t offset : {0u, 8u}) {  // the second lock writes half and keeps the other half
        auto* bytes = static_cast<uint8_t*>(device_->LockBuffer(buffer, offset, 8, 0));
        ASSERT_NE(bytes, nullptr);
        for (uint32_t i = 0; i < 8; ++i) {
            bytes[i] = static_cast<uint8_t>(offset + i + 1);
        }
        device_->UnlockBuffer(buffer);
    }
    auto* all = static_cast<const uint8_t*>(device_->LockBuffer(buffer, 0, 0, D3DLOCK_READONLY));
    ASSERT_NE(all, nullptr);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(all[i], i + 1) << i;
    }
    device_->UnlockBuffer(buffer);
    EXPECT_EQ(device_->LockBuffer(buffer, 8, 9, 0), nullptr);
    device_->ReleaseBuffer(buffer);
}

TEST_P(GlDevice, Buffers_LockRoundTripsAndRejectsRangesOutside) {
    VertexBufferHandle buffer = device_->CreateVertexBuffer(16, D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT);
    ASSERT_TRUE(buffer);
    auto* bytes = static_cast<uint8_t*>(device_->LockBuffer(buffer, 4, 8, 0));
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<uint8_t>(10 + i);
    }
    device_->UnlockBuffer(buffer);
    auto* all = static_cast<const uint8_t*>(device_->LockBuffer(buffer, 0, 0, D3DLOCK_READONLY));
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all[3], 0);
    EXPECT_EQ(all[4], 10);
    EXPECT_EQ(all[11], 17);
    EXPECT_EQ(all[12], 0);
    device_->UnlockBuffer(buffer);

    EXPECT_EQ(device_->LockBuffer(buffer, 8, 9, 0), nullptr);
    EXPECT_EQ(device_->LockBuffer(buffer, 16, 0, 0), nullptr);
    EXPECT_EQ(device_->LockBuffer(buffer, 0xFFFFFFF0u, 0x20, 0), nullptr);
    EXPECT_NE(device_->LockBuffer(buffer, 15, 1, 0), nullptr);
    device_->UnlockBuffer(buffer);
    device_->ReleaseBuffer(buffer);
    EXPECT_FALSE(device_->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED));
    EXPECT_FALSE(device_->CreateIndexBuffer(8, 0, 102, D3DPOOL_MANAGED));  // only 16-bit indices
}

// A released handle names nothing, even once its slot holds a new resource: every call refuses it
// (where assertions are on, it fails one) with a line in the log, and the new resource stays as it was.
TEST_P(GlDevice, Handles_AReleasedOneIsRefusedAndTheNewResourceInItsSlotIsUntouched) {
    TextureHandle released = device_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    device_->ReleaseTexture(released);
    TextureHandle corners = MakeCornerTexture(*device_);
    ASSERT_EQ(corners.Slot, released.Slot);
    ASSERT_NE(corners, released);
    UsePair(kTexturedVertex, kTexturedPixel);
    device_->SetTexture(0, corners);
#ifdef NDEBUG
    std::vector<std::string> refused;
    logging::Sink previous = logging::SetSink([&](std::string_view subsystem, std::string_view text) {
        if (subsystem == "graphics") {
            refused.emplace_back(text);
        }
    });
    const uint8_t black[16] = {};
    device_->WriteTextureLevel(released, 0, black, 8);
    device_->SetTexture(0, released);
    device_->ReleaseTexture(released);
    EXPECT_EQ(device_->TextureLevelCount(released), 0u);
    VertexBufferHandle buffer = device_->CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED);
    device_->ReleaseBuffer(buffer);
    EXPECT_EQ(device_->LockBuffer(buffer, 0, 0, 0), nullptr);
    EXPECT_EQ(device_->LockBuffer(VertexBufferHandle{buffer.Slot + 1000, 1}, 0, 0, 0), nullptr);
    logging::SetSink(previous);
    ASSERT_EQ(refused.size(), 6u);
    EXPECT_EQ(refused[0], "WriteTextureLevel: the texture handle (slot " + std::to_string(released.Slot) +
                              ", generation " + std::to_string(released.Generation) +
                              ") names nothing live; call refused");
    EXPECT_EQ(refused[4].rfind("LockBuffer: the vertex buffer handle", 0), 0u) << refused[4];
    EXPECT_EQ(device_->TextureLevelCount(corners), 1u);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    DrawRect(-1, 1, 1, -1, 0.5f);
    ExpectCornerColours(Read());
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // the driver runs threads of its own
    EXPECT_DEATH(device_->SetTexture(0, released), "SetTexture: the texture handle");
#endif
}

TEST_P(GlDevice, Buffers_PartialUpdateReachesTheGpu) {
    const VertexElement elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END};
    device_->SetVertexDeclaration(device_->CreateVertexDeclaration(elements));
    // Left half first; then only the x of vertices 1 and 2 move to the right edge.
    const float left[4][3] = {{-1, 1, 0.5f}, {0, 1, 0.5f}, {0, -1, 0.5f}, {-1, -1, 0.5f}};
    VertexBufferHandle vertexBuffer = device_->CreateVertexBuffer(sizeof left, 0, 0, D3DPOOL_MANAGED);
    std::memcpy(device_->LockBuffer(vertexBuffer, 0, 0, 0), left, sizeof left);
    device_->UnlockBuffer(vertexBuffer);
    IndexBufferHandle indexBuffer = device_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED);
    const uint16_t indices[6] = {0, 1, 2, 2, 3, 0};
    std::memcpy(device_->LockBuffer(indexBuffer, 0, 0, 0), indices, sizeof indices);
    device_->UnlockBuffer(indexBuffer);
    UsePair(kConstantColourVertex, kColourPixel);
    SetColour(1, 1, 1);
    device_->SetStreamSource(0, vertexBuffer, 0, 12);
    device_->SetIndices(indexBuffer);

    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    EXPECT_RGB(At(Read(), 54, 32), 0, 0, 0, 0);

    const float one = 1.0f;
    std::memcpy(device_->LockBuffer(vertexBuffer, 12, 4, 0), &one, 4);
    std::memcpy(device_->LockBuffer(vertexBuffer, 24, 4, 0), &one, 4);
    device_->UnlockBuffer(vertexBuffer);
    device_->UnlockBuffer(vertexBuffer);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    EXPECT_RGB(At(Read(), 54, 32), 255, 255, 255, 0);
}

// A buffer written again after a draw in the same frame: the draw keeps what it was given. A buffer
// made for much more than it holds grows as it is written, keeping what it had.
TEST_P(GlDevice, Buffers_RewrittenAfterADrawAndGrownKeepEachDrawsVertices) {
    const VertexElement elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END};
    device_->SetVertexDeclaration(device_->CreateVertexDeclaration(elements));
    const float left[4][3] = {{-1, 1, 0.5f}, {0, 1, 0.5f}, {0, -1, 0.5f}, {-1, -1, 0.5f}};
    const float right[4][3] = {{0, 1, 0.5f}, {1, 1, 0.5f}, {1, -1, 0.5f}, {0, -1, 0.5f}};
    const float top[4][3] = {{-1, 1, 0.5f}, {1, 1, 0.5f}, {1, 0.5f, 0.5f}, {-1, 0.5f, 0.5f}};
    VertexBufferHandle vertexBuffer =
        device_->CreateVertexBuffer(4096 * 12, D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT);
    IndexBufferHandle indexBuffer = device_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED);
    const uint16_t indices[6] = {0, 1, 2, 2, 3, 0};
    std::memcpy(device_->LockBuffer(indexBuffer, 0, 0, 0), indices, sizeof indices);
    device_->UnlockBuffer(indexBuffer);
    UsePair(kConstantColourVertex, kColourPixel);
    device_->SetStreamSource(0, vertexBuffer, 0, 12);
    device_->SetIndices(indexBuffer);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    for (const auto* quad : {left, right}) {
        SetColour(quad == left ? 1.0f : 0.0f, 1, 0);
        std::memcpy(device_->LockBuffer(vertexBuffer, 0, sizeof left, D3DLOCK_DISCARD), quad, sizeof left);
        device_->UnlockBuffer(vertexBuffer);
        device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    }
    Image image = Read();
    EXPECT_RGB(At(image, 8, 32), 255, 255, 0, 0);
    EXPECT_RGB(At(image, 56, 32), 0, 255, 0, 0);

    // Far past what was written; the right half stays where it was.
    std::memcpy(device_->LockBuffer(vertexBuffer, 4000 * 12, sizeof top, 0), top, sizeof top);
    device_->UnlockBuffer(vertexBuffer);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    SetColour(0, 0, 1);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4000, 0, 4, 0, 2);
    SetColour(1, 0, 0);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    image = Read();
    EXPECT_RGB(At(image, 8, 4), 0, 0, 255, 0);
    EXPECT_RGB(At(image, 8, 40), 0, 0, 0, 0);
    EXPECT_RGB(At(image, 56, 40), 255, 0, 0, 0);
    // Vertices never written are zeros: a draw of them covers nothing.
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2000, 0, 4, 0, 2);
    EXPECT_RGB(At(Read(), 32, 32), 0, 0, 0, 0);
}

TEST_P(GlDevice, UserPointerDraw_LeavesStreamAndIndicesUnset) {
    const VertexElement elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END};
    DeclarationHandle declaration = device_->CreateVertexDeclaration(elements);
    const float vertices[4][3] = {{-1, 1, 0.5f}, {1, 1, 0.5f}, {1, -1, 0.5f}, {-1, -1, 0.5f}};
    VertexBufferHandle vertexBuffer = device_->CreateVertexBuffer(sizeof vertices, 0, 0, D3DPOOL_MANAGED);
    std::memcpy(device_->LockBuffer(vertexBuffer, 0, 0, 0), vertices, sizeof vertices);
    device_->UnlockBuffer(vertexBuffer);
    IndexBufferHandle indexBuffer = device_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED);
    const uint16_t indices[6] = {0, 1, 2, 2, 3, 0};
    std::memcpy(device_->LockBuffer(indexBuffer, 0, 0, 0), indices, sizeof indices);
    device_->UnlockBuffer(indexBuffer);
    UsePair(kConstantColourVertex, kColourPixel);
    SetColour(1, 1, 1);
    device_->SetStreamSource(0, vertexBuffer, 0, 12);
    device_->SetIndices(indexBuffer);
    DrawRect(-1, 1, -0.9f, 0.9f, 0.5f);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->SetVertexDeclaration(declaration);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    EXPECT_RGB(At(Read(), 32, 32), 0, 0, 0, 0);
}

// What the X server shows of the window named `title`: ImageMagick's pixels at `a` and `b`, or
// "no window". `import` given no window waits for a click on one, so it runs only once the window
// is found, and never for long.
std::string WindowPixels(const std::string& title, std::array<int, 2> a, std::array<int, 2> b) {
    const std::string path = TempPng("window");
    const std::string command = "id=$(xdotool search --name '^" + title +
                                "$' | head -1) && [ -n \"$id\" ] && " +
                                "timeout 10 import -window \"$id\" '" + path + "' 2>/dev/null";
    std::string pixels = "no window";
    if (std::system(command.c_str()) == 0) {
        pixels = ImageMagickPixel(path, a[0], a[1]) + " " + ImageMagickPixel(path, b[0], b[1]);
    }
    std::remove(path.c_str());
    return pixels;
}

TEST_P(GlDevice, Present_ShowsTheFrameInTheWindowDrawnStraightOrScaled) {
    // A title of its own: other tests' windows may share the X server.
    static int windows = 0;
    const std::string title = "Brelvox present " + std::to_string(getpid()) + "." + std::to_string(++windows);
    window_->SetTitle(title);
    window_->Show();
    // Grey with one quarter in `colour`, presented until the X server shows `expected` (a frame
    // presented before the server has mapped or resized the window is lost) or 30 s have passed;
    // the two pixels as the server last showed them.
    const auto show = [&](const float(&colour)[3], float left, float top, int x, int y,
                          const std::string& expected) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        std::string pixels;
        do {
            UsePair(kConstantColourVertex, kColourPixel);
            SetColour(colour[0], colour[1], colour[2]);
            device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00808080, 1.0f, 0);
            DrawRect(left, top, left + 1, top - 1, 0.5f);
            device_->Present();
            pixels = WindowPixels(title, {x, y}, {kSize - 1 - x, kSize - 1 - y});
        } while (pixels != expected && std::chrono::steady_clock::now() < deadline && usleep(100000) == 0);
        return pixels;
    };
    // The back buffer has the window's size: drawn in the window's own buffer.
    EXPECT_EQ(show({1, 0, 0}, -1, 1, 8, 8, "255,0,0 128,128,128"), "255,0,0 128,128,128");

    // A back buffer of half the size: drawn aside, then scaled onto the window.
    PresentParameters half = Parameters();
    half.BackBufferWidth = kSize / 2;
    half.BackBufferHeight = kSize / 2;
    ASSERT_EQ(device_->Reset(half), D3D_OK);
    EXPECT_EQ(show({0, 0, 1}, 0, 0, kSize - 8, kSize - 8, "0,0,255 128,128,128"), "0,0,255 128,128,128");
    Image image = Read();
    EXPECT_EQ(image.Width, kSize / 2);
}

TEST_P(GlDevice, Reset_AppliesTheNewBackBufferSize) {
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    window_->SetClientSize(80, 48);
    device_->Clear(D3DCLEAR_TARGET, 0x00808080, 0, 0);
    Image image = Read();
    EXPECT_EQ(image.Width, 80);
    EXPECT_EQ(image.Height, 48);

    PresentParameters fullScreen = Parameters();
    fullScreen.Windowed = false;
    fullScreen.BackBufferWidth = 32;
    fullScreen.BackBufferHeight = 24;
    EXPECT_EQ(device_->Reset(fullScreen), D3D_OK);
    device_->Clear(D3DCLEAR_TARGET, 0x00FF0000, 0, 0);
    image = Read();
    EXPECT_EQ(image.Width, 32);
    EXPECT_EQ(image.Height, 24);
    EXPECT_RGB(At(image, 31, 23), 255, 0, 0, 0);
    device_->Present();
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);

    // A reset restores the defaults: depth test on, culling counter-clockwise.
    UsePair(kConstantColourVertex, kColourPixel);
    SetColour(0, 1, 0);
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    DrawRect(-1, 1, 1, -1, 0.5f, false);
    EXPECT_RGB(At(Read(), 16, 12), 0, 0, 0, 0);
}

}  // namespace

TEST_P(GlDevice, Fragments_CountedPerDrawAndPerFrameWithThoseTheDepthTestRejects) {
    if (!device_->SetFragmentCounting(FragmentCounting::PerDraw)) {
        GTEST_SKIP() << "the driver has no pipeline-statistics queries";
    }
    UsePair(kConstantColourVertex, kColourPixel);
    const uint64_t passedBefore = device_->Counts().FragmentsPassed;
    device_->BeginScene();
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    DrawRect(-1, 1, 1, -1, 0.5f);  // everywhere
    DrawRect(-1, 1, 0, -1, 0.7f);  // the left half, behind: shaded at most, never passing
    DrawRect(0, 1, 1, -1, 0.3f);   // the right half, in front
    device_->EndScene();
    device_->Present();
    const std::vector<DrawFragments>& draws = device_->LastFrameDraws();
    ASSERT_EQ(draws.size(), 3u);
    const uint64_t all = uint64_t{kSize} * kSize;
    EXPECT_EQ(draws[0].Passed, all);
    EXPECT_GE(draws[0].Shaded, all);
    EXPECT_EQ(draws[1].Passed, 0u);
    EXPECT_LE(draws[1].Shaded, all / 2 + 4 * kSize);  // llvmpipe counts whole 4 x 4 blocks on an edge
    EXPECT_EQ(draws[2].Passed, all / 2);
    EXPECT_EQ(draws[2].Primitives, 2u);
    EXPECT_EQ(device_->Counts().FragmentsPassed - passedBefore, all + all / 2);

    // Per frame: one count for the frame, no list of draws.
    ASSERT_TRUE(device_->SetFragmentCounting(FragmentCounting::PerFrame));
    device_->BeginScene();
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    DrawRect(-1, 1, 1, -1, 0.5f);
    DrawRect(-1, 1, 0, -1, 0.7f);
    device_->EndScene();
    device_->Present();
    EXPECT_EQ(device_->Counts().FragmentsPassed - passedBefore, 2 * all + all / 2);
    EXPECT_GE(device_->Counts().FragmentsShaded, 3 * all);
    ASSERT_TRUE(device_->SetFragmentCounting(FragmentCounting::Off));
}

TEST_P(GlDevice, Fragments_SeenBlocksCountTheTrianglesThePictureShowsAndBlendedDrawsAreLeftOut) {
    if (!device_->SetFragmentCounting(FragmentCounting::PerDrawSeen)) {
        GTEST_SKIP() << "the driver has no pipeline-statistics queries";
    }
    UsePair(kConstantColourVertex, kColourPixel);
    device_->BeginScene();
    device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF808080, 1.0f, 0);
    DrawRect(-1, 1, 1, -1, 0.5f);  // everywhere, seen in the left half
    DrawRect(-1, 1, 0, -1, 0.7f);  // the left half, behind: never seen
    DrawRect(0, 1, 1, -1, 0.3f);   // the right half, in front
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    DrawRect(-1, 1, 1, -1, 0.1f);  // blended, in front of all: left out
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    device_->EndScene();
    device_->Present();
    const std::vector<DrawFragments>& draws = device_->LastFrameDraws();
    ASSERT_EQ(draws.size(), 4u);
    const uint64_t half = uint64_t{kSize} * kSize / 2;
    // Each block of a half is seen once, the blocks on a rectangle's diagonal twice (both triangles).
    for (size_t shown : {0u, 2u}) {
        EXPECT_GE(draws[shown].SeenBlocks, half) << shown;
        EXPECT_LE(draws[shown].SeenBlocks, half + 16 * 2 * (kSize / 4)) << shown;
        EXPECT_EQ(draws[shown].Passed, shown == 0 ? 2 * half : half);
    }
    EXPECT_EQ(draws[1].SeenBlocks, 0u);
    EXPECT_TRUE(draws[3].Blended);
    EXPECT_EQ(draws[3].Passed, 0u);
    EXPECT_EQ(draws[3].SeenBlocks, 0u);
    ASSERT_TRUE(device_->SetFragmentCounting(FragmentCounting::Off));
}
