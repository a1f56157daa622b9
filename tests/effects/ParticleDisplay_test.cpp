// Particles on the OpenGL device, read back pixel by pixel: the game's particle shaders compile on the
// driver, each quad faces the camera with its texture upright (top-left texel at the top-left corner,
// so nothing is mirrored and the winding is front-facing), has the particle's size, turns by its angle
// and is tinted by its colour with alpha blending. Skipped when no window can be opened (no X server).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "effects/GE_PARTICLESYSTEM.h"
#include "platform/GlGraphicsSystem.h"
#include "platform/HeadlessWindow.h"
#include "platform/Png.h"
#include "platform/RecordingDevice.h"
#include "platform/SdlWindow.h"
#include "render/TextureAtlas.h"
#include "render/TextureLoader.h"
#include "util/Files.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 400;

struct Pixel {
    int R, G, B;
};

Pixel At(const platform::Image& image, float ndcX, float ndcY) {
    const int x = static_cast<int>((ndcX + 1) / 2 * image.Width);
    const int y = static_cast<int>((1 - ndcY) / 2 * image.Height);
    const size_t at = (static_cast<size_t>(y) * image.Width + x) * 4;
    return {image.Rgba[at], image.Rgba[at + 1], image.Rgba[at + 2]};
}

void ExpectNear(const Pixel& p, int r, int g, int b, const std::string& what) {
    EXPECT_NEAR(p.R, r, 3) << what;
    EXPECT_NEAR(p.G, g, 3) << what;
    EXPECT_NEAR(p.B, b, 3) << what;
}

// 2 x 2 texels, top row first: white, blue / green, red.
platform::Image QuadrantTexture() {
    platform::Image image;
    image.Width = 2;
    image.Height = 2;
    image.Rgba = {255, 255, 255, 255, 0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255};
    return image;
}

TParticle Particle(float x, float y, float z, float size, float angle, TParticleColor color) {
    TParticle p;
    p.Position = Vector3(x, y, z);
    p.Size = size;
    p.Angle = angle;
    p.Color = color;
    p.Life = 100;
    return p;
}

// Draws the particles as the scene manager does, for a camera at the origin with the given rotation
// (camera to world) and a 90-degree field of view, and reads the frame back.
// The systems are drawn as the scene manager's pass does: each with those that follow and draw alike;
// `filter` is the renderer's texture filter (0 point, 1 linear as in the game's scene).
platform::Image DrawFrame(TRenderD3D9& render, const std::vector<TSceneEffect*>& systems,
                          const TMatrix& cameraRotation, int filter = 0) {
    const TMatrix view = MatrixInverse(cameraRotation);
    const TMatrix projection = MatrixPerspectiveFov(static_cast<float>(kPi / 2), 1.0f, 1.0f, 100.0f);
    const TMatrix viewProjection = MatrixTranspose(MatrixMultiply(view, projection));
    const TMatrix rotation = MatrixTranspose(MatrixInverse(view));  // the view has no translation here
    render.ClearTarget(0, 0, 0);
    render.ClearDepth();
    render.BeginScene();
    render.SetTextureFilter(0, filter, 0);
    render.SetVertexShaderConstants(4, &rotation, 4);
    render.SetAlphaBlend(true);
    render.SetDepthWrite(false);
    render.SetVertexShaderConstants(0, &viewProjection, 4);
    for (size_t i = 0; i < systems.size(); ++i) {
        i += systems[i]->DrawWithFollowing(systems, i + 1);
    }
    render.SetDepthWrite(true);
    render.EndScene();
    platform::Image image;
    EXPECT_TRUE(DeviceOf(render.Device())->ReadBackBuffer(image));
    render.Present();
    return image;
}

platform::Image DrawFrame(TRenderD3D9& render, TParticleSystem& particles, const TMatrix& cameraRotation) {
    return DrawFrame(render, std::vector<TSceneEffect*>{&particles}, cameraRotation);
}

// A window, the renderer, the particle shaders and the quadrant texture.
struct DisplayRig {
    bool Open(std::string& error) {
        window = platform::SdlWindow::Create("Brelvox particle test", kWidth, kHeight, error);
        if (!window) {
            return false;
        }
        render = std::make_unique<TRenderD3D9>(system);
        EXPECT_TRUE(render->Initialize(window.get(), true, kWidth, kHeight, 1, error)) << error;
        EXPECT_TRUE(vertexShader.LoadFromFile(files::TDataRoot(BRELVOX_SOURCE_DIR), render->Device(),
                                              "Data\\Shaders\\particle.vs", "main", error))
            << error;
        EXPECT_TRUE(pixelShader.LoadFromFile(files::TDataRoot(BRELVOX_SOURCE_DIR), render->Device(),
                                             "Data\\Shaders\\particle.ps", "main", error))
            << error;
        EXPECT_TRUE(
            CreateTextureFromImage(render->Device(), QuadrantTexture(), false, "quadrants", texture, error))
            << error;
        return true;
    }
    ~DisplayRig() {
        if (render) {
            DeviceOf(render->Device())->ReleaseTexture(texture);
        }
    }

    std::unique_ptr<platform::SdlWindow> window;
    platform::GlGraphicsSystem system;
    std::unique_ptr<TRenderD3D9> render;
    TVertexShader vertexShader;
    TPixelShader pixelShader;
    platform::TextureHandle texture;
};

}  // namespace

TEST(ParticleDisplay, QuadsFaceTheCameraUprightSizedTurnedAndTinted) {
    std::string error;
    DisplayRig rig;
    if (!rig.Open(error)) {
        GTEST_SKIP() << "no window: " << error;
    }
    // 10 units ahead of the camera a side of 4 units spans 0.4 of the screen's half-height.
    TParticleSystem particles(*rig.render, rig.texture, &rig.vertexShader, &rig.pixelShader, 10);
    particles.UpdateMatrices();
    particles.AddParticle(Particle(-5, 5, 10, 4, 0, {255, 255, 255, 255}));  // upright, top left
    particles.AddParticle(Particle(5, 5, 10, 4, 45, {255, 255, 255, 255}));  // turned, top right
    particles.AddParticle(Particle(0, -5, 10, 4, 0, {255, 255, 255, 128}));  // half see-through
    const platform::Image image = DrawFrame(*rig.render, particles, MatrixIdentity());

    // Upright particle: centre at NDC (-0.5, 0.5), half side 0.2; each quadrant shows its texel.
    ExpectNear(At(image, -0.6f, 0.6f), 255, 255, 255, "top-left quadrant: white texel");
    ExpectNear(At(image, -0.4f, 0.6f), 0, 0, 255, "top-right quadrant: blue texel");
    ExpectNear(At(image, -0.6f, 0.4f), 0, 255, 0, "bottom-left quadrant: green texel");
    ExpectNear(At(image, -0.4f, 0.4f), 255, 0, 0, "bottom-right quadrant: red texel");
    ExpectNear(At(image, -0.5f, 0.75f), 0, 0, 0, "above the upright quad");
    ExpectNear(At(image, -0.75f, 0.5f), 0, 0, 0, "left of the upright quad");

    // Turned by 45 degrees: a diamond reaching 0.2 * sqrt(2) = 0.28 from its centre along the axes.
    const Pixel top = At(image, 0.5f, 0.5f + 0.25f);
    EXPECT_GT(top.R + top.G + top.B, 200) << "the diamond's top tip is drawn";
    ExpectNear(At(image, 0.5f + 0.18f, 0.5f + 0.18f), 0, 0, 0, "the upright quad's corner is empty");

    // Alpha 128 over black: half of each texel.
    ExpectNear(At(image, -0.1f, -0.4f), 128, 128, 128, "white texel at half alpha");
    ExpectNear(At(image, 0.1f, -0.6f), 128, 0, 0, "red texel at half alpha");
}

TEST(ParticleDisplay, QuadsStayFacingACameraThatLooksDown) {
    std::string error;
    DisplayRig rig;
    if (!rig.Open(error)) {
        GTEST_SKIP() << "no window: " << error;
    }
    // The game's camera looks down at the field. A particle 10 units ahead of it must still show as
    // an upright square of the same size; a quad lying in the world's XY plane would be squashed.
    TMatrix cameraRotation;
    D3DXMatrixRotationX(cameraRotation, DegToRad(60));
    const TVector4 ahead = Vector4Transform(Vector4(0, 0, 10, 0), cameraRotation);
    TParticleSystem particles(*rig.render, rig.texture, &rig.vertexShader, &rig.pixelShader, 10);
    particles.UpdateMatrices();
    particles.AddParticle(Particle(ahead.X, ahead.Y, ahead.Z, 4, 0, {255, 255, 255, 255}));
    const platform::Image image = DrawFrame(*rig.render, particles, cameraRotation);

    ExpectNear(At(image, -0.1f, 0.18f), 255, 255, 255, "top-left quadrant up to the full height");
    ExpectNear(At(image, 0.1f, 0.18f), 0, 0, 255, "top-right quadrant");
    ExpectNear(At(image, -0.1f, -0.18f), 0, 255, 0, "bottom-left quadrant down to the full height");
    ExpectNear(At(image, 0.1f, -0.18f), 255, 0, 0, "bottom-right quadrant");
    ExpectNear(At(image, 0.0f, 0.23f), 0, 0, 0, "above the quad");
    ExpectNear(At(image, 0.23f, 0.0f), 0, 0, 0, "right of the quad");
}

// The game's particle pictures from one atlas look as they do from their own textures under the scene's
// linear filter, magnified, shrunk and turned, and two kinds that follow each other take one draw call.
TEST(ParticleDisplay, PicturesFromTheAtlasMatchTheirOwnTextures) {
    std::string error;
    DisplayRig rig;
    if (!rig.Open(error)) {
        GTEST_SKIP() << "no window: " << error;
    }
    std::vector<std::pair<std::string, platform::Image>> pictures;
    std::vector<platform::TextureHandle> own;
    for (const char* name : {"bang", "particle", "spark"}) {
        std::string bytes;
        platform::Image picture;
        ASSERT_TRUE(files::TDataRoot(BRELVOX_SOURCE_DIR)
                        .ReadFile(std::string("Data/Textures/") + name + ".png", bytes, error))
            << error;
        ASSERT_TRUE(platform::DecodePng(bytes, picture, error)) << error;
        platform::TextureHandle texture;
        EXPECT_TRUE(CreateTextureFromImage(rig.render->Device(), picture, true, name, texture, error))
            << error;
        own.push_back(texture);
        pictures.emplace_back(name, std::move(picture));
    }
    TTextureAtlas atlas;
    ASSERT_TRUE(atlas.Build(rig.render->Device(), pictures, error)) << error;
    std::vector<std::unique_ptr<TParticleSystem>> systems;
    for (size_t kind = 0; kind < 2; ++kind) {
        systems.push_back(std::make_unique<TParticleSystem>(*rig.render, own[kind], &rig.vertexShader,
                                                            &rig.pixelShader, 10));
        systems.back()->UpdateMatrices();
        const float x = kind == 0 ? -4.0f : 4.0f;
        systems.back()->AddParticle(Particle(x, 3, 10, 7, 0, {255, 255, 255, 255}));       // magnified
        systems.back()->AddParticle(Particle(x, -2, 10, 1.5f, 30, {255, 200, 100, 200}));  // shrunk, turned
        systems.back()->AddParticle(Particle(x, -5, 10, 3, 100, {120, 255, 255, 255}));
    }
    const std::vector<TSceneEffect*> effects = {systems[0].get(), systems[1].get()};
    platform::GraphicsDevice& device = *DeviceOf(rig.render->Device());
    uint64_t before = device.Counts().DrawCalls;
    const platform::Image apart = DrawFrame(*rig.render, effects, MatrixIdentity(), 1);
    EXPECT_EQ(device.Counts().DrawCalls - before, 2u);
    for (size_t kind = 0; kind < 2; ++kind) {
        TTextureRect rect;
        ASSERT_TRUE(atlas.Find(pictures[kind].first, rect));
        systems[kind]->SetTexture(atlas.Texture());
        systems[kind]->SetTextureRect(rect);
    }
    before = device.Counts().DrawCalls;
    const platform::Image together = DrawFrame(*rig.render, effects, MatrixIdentity(), 1);
    EXPECT_EQ(device.Counts().DrawCalls - before, 1u);
    for (platform::TextureHandle texture : own) {
        device.ReleaseTexture(texture);
    }
    ASSERT_EQ(apart.Rgba.size(), together.Rgba.size());
    size_t drawn = 0;
    size_t differing = 0;
    for (size_t at = 0; at < apart.Rgba.size(); at += 4) {
        int largest = 0;
        for (size_t channel = 0; channel < 3; ++channel) {
            largest = std::max(largest, std::abs(apart.Rgba[at + channel] - together.Rgba[at + channel]));
        }
        drawn += apart.Rgba[at] + apart.Rgba[at + 1] + apart.Rgba[at + 2] > 0 ? 1 : 0;
        differing += largest > 2 ? 1 : 0;
    }
    EXPECT_GT(drawn, 5000u);
    EXPECT_EQ(differing, 0u) << "of " << drawn << " pixels drawn";
}
