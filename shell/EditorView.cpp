#include "shell/EditorView.h"

#include <algorithm>
#include <cmath>

#include "scene/GE_GAMEOBJECT.h"
#include "shell/FloorFrame.h"
#include "util/GE_MATH.h"
#include "world/Base.h"
#include "world/LevelLoader.h"
#include "world/WorldContext.h"

namespace {

// The game's camera looks down at this pitch; the editor's straight down.
constexpr float kGamePitch = 60.0f;
constexpr float kEditorPitch = 90.0f;
constexpr float kZoomStep = 0.85f;
// The part of the "Particle" texture that is plain white: the grid's lines and marks.
constexpr TTextureRect kWhite{0.48f, 0.48f, 0.52f, 0.52f};

}  // namespace

TEditorCamera TEditorCamera::Over(int32_t width, int32_t height) {
    TEditorCamera camera;
    // A 90-degree field of view sees twice the height across.
    camera.Height = std::clamp(static_cast<float>(std::max(width, height)) * 0.6f, kLowest, kHighest);
    return camera;
}

void TEditorCamera::Pan(float dx, float dz, int32_t width, int32_t height) {
    X = std::clamp(X + dx * Height, -width / 2.0f, width / 2.0f);
    Z = std::clamp(Z + dz * Height, -height / 2.0f, height / 2.0f);
}

void TEditorCamera::Zoom(int32_t notches) {
    Height = std::clamp(Height * std::pow(kZoomStep, static_cast<float>(notches)), kLowest, kHighest);
}

TGridPoint CellAt(float x, float z, int32_t width, int32_t height) {
    return {static_cast<int32_t>(std::floor(x + width / 2.0f)),
            static_cast<int32_t>(std::floor(height / 2.0f - z))};
}

void TEditorView::Show(const TLevelDescription& level) {
    std::string error;
    if (!BuildLevel(World_, level, error)) {
        return;
    }
    Shown_ = true;
    TMoveableObject* node = LevelNode(World_);
    TMap* map = CurrentMap(World_);
    if (node == nullptr || map == nullptr) {
        return;
    }
    auto water = std::make_unique<TWater>("water", FindMesh(World_, "water"));
    water->SetPosition(0.0f, -0.5f, 0.0f);
    node->AddChild(std::move(water));
    auto marker = [&](const char* mesh, const TGridPoint& at) {
        TMeshResource* found = FindMesh(World_, mesh);
        auto tank =
            std::make_unique<TGameObject>("Marker", found != nullptr ? found : FindMesh(World_, "Player"));
        const TVector3 centre = map->FootprintCentre(at.X, at.Y);
        tank->SetPosition(centre.X, 0.0f, centre.Z);
        node->AddChild(std::move(tank));
    };
    if (level.HasPlayerStart) {
        marker("Player", level.PlayerStart);
    }
    if (level.HasSecondStart) {
        marker("Player2", level.SecondStart);
    }
    for (const TGridPoint& spawn : level.SpawnPoints) {
        marker("Enemy1", spawn);
    }
}

void TEditorView::Hide() {
    if (Shown_) {
        UnloadLevel(World_);
        Shown_ = false;
    }
}

void TEditorView::Aim(const TEditorCamera& camera) {
    if (!Services_.SceneManager) {
        return;
    }
    TCamera& scene = *Services_.SceneManager->GetCamera();
    scene.SetRotation(kEditorPitch, 0.0f, 0.0f);
    scene.SetPosition(camera.X, camera.Height, camera.Z);
}

void TEditorView::Leave() {
    if (Services_.SceneManager) {
        Services_.SceneManager->GetCamera()->SetRotation(kGamePitch, 0.0f, 0.0f);
    }
}

bool TEditorView::GroundPoint(int32_t cursorX, int32_t cursorY, int32_t width, int32_t height, float& x,
                              float& z) {
    if (!Services_.SceneManager) {
        return false;
    }
    TCamera& camera = *Services_.SceneManager->GetCamera();
    const TVector3 direction =
        PickRayDirection(cursorX, cursorY, width, height, camera.GetProjection(), camera.GetView());
    TVector3 hit{0.0f, 0.0f, 0.0f};
    if (!RayPlaneIntersect(camera.GetPosition(), direction, Plane(0.0f, 1.0f, 0.0f, 0.0f), hit)) {
        return false;
    }
    x = hit.X;
    z = hit.Z;
    return true;
}

void TEditorView::DrawOverlay(const TLevelDescription& level, const std::vector<TGridPoint>& marked,
                              TGridPoint hover, int32_t brush, int32_t screenWidth, int32_t screenHeight) {
    if (!Services_.Render || !Services_.SceneManager || !Services_.Meshes) {
        return;
    }
    TCamera& camera = *Services_.SceneManager->GetCamera();
    const TMatrix viewProjection = MatrixMultiply(camera.GetView(), camera.GetProjection());
    // Clip space of a ground point (camera straight above: the grid stays square to the screen).
    auto project = [&](float x, float z) {
        const TMatrix& m = viewProjection;
        const float w = x * m._14 + z * m._34 + m._44;
        return TVector2{(x * m._11 + z * m._31 + m._41) / w, (x * m._12 + z * m._32 + m._42) / w};
    };
    const float left = -level.Width / 2.0f;
    const float top = level.Height / 2.0f;
    const TVector2 topLeft = project(left, top);
    const TVector2 bottomRight = project(-left, -top);
    const float cellW = (bottomRight.X - topLeft.X) / static_cast<float>(level.Width);
    const float cellH = (topLeft.Y - bottomRight.Y) / static_cast<float>(level.Height);
    // One pixel of the back buffer across and down, in clip space: a line thinner than a pixel can fall
    // between the pixels' centres and not be drawn at all.
    const float pixelW = 2.0f / static_cast<float>(std::max(screenWidth, 1));
    const float pixelH = 2.0f / static_cast<float>(std::max(screenHeight, 1));
    Quads_.clear();
    for (int32_t i = 0; i <= level.Width; ++i) {
        Quads_.push_back(
            {topLeft.X + cellW * i - pixelW / 2, topLeft.Y, pixelW, topLeft.Y - bottomRight.Y, kWhite});
    }
    for (int32_t j = 0; j <= level.Height; ++j) {
        Quads_.push_back(
            {topLeft.X, topLeft.Y - cellH * j + pixelH / 2, bottomRight.X - topLeft.X, pixelH, kWhite});
    }
    // A frame around a block of cells, four lines `pixels` thick.
    auto frame = [&](int32_t x, int32_t y, int32_t w, int32_t h, float pixels) {
        const float x0 = topLeft.X + cellW * x;
        const float y0 = topLeft.Y - cellH * y;
        const float fw = cellW * w;
        const float fh = cellH * h;
        const float across = pixelW * pixels;
        const float down = pixelH * pixels;
        Quads_.push_back({x0, y0, fw, down, kWhite});
        Quads_.push_back({x0, y0 - fh + down, fw, down, kWhite});
        Quads_.push_back({x0, y0, across, fh, kWhite});
        Quads_.push_back({x0 + fw - across, y0, across, fh, kWhite});
    };
    for (const TGridPoint& cell : marked) {
        frame(cell.X, cell.Y, 1, 1, 3.0f);
    }
    if (hover.X >= 0 && hover.Y >= 0 && hover.X < level.Width && hover.Y < level.Height) {
        frame(hover.X, hover.Y, std::min(brush, level.Width - hover.X),
              std::min(brush, level.Height - hover.Y), 2.0f);
    }
    TRenderD3D9& render = *Services_.Render;
    SetQuadShaders(Services_);
    render.SetAlphaBlend(true);
    render.SetDepthTest(false);
    platform::TextureHandle texture;
    if (TTextureResource* entry = Services_.Meshes->GetTextureManager()->FindTexture("Particle")) {
        texture = entry->Texture.Get();
    }
    if (platform::GraphicsDevice* device = DeviceOf(render.Device())) {
        device->SetTexture(0, texture);
    }
    render.DrawQuads(Quads_);
    render.SetAlphaBlend(false);
    render.SetDepthTest(true);
}
