#include "shell/Hud.h"

#include <utility>

#include "util/GE_UTILS.h"
#include "world/GameState.h"

namespace {

// HUD icons: 50 x 50 in a 1024 x 768 area; help icons 40 x 40 in 800 x 600.
constexpr int32_t kHudWidth = 1024;
constexpr int32_t kHudHeight = 768;
constexpr int32_t kHudIcon = 50;
// More life icons than this would run off the screen; the count is still in Lives.
constexpr int32_t kMostLifeIcons = 16;
constexpr int32_t kAimCursor = 40;

}  // namespace

void THud::DrawTexturedQuad(const char* texture, float x, float y, float width, float height) {
    if (!Services_.Render) {
        return;
    }
    platform::TextureHandle handle;
    if (Services_.Meshes) {
        if (TTextureResource* entry = Services_.Meshes->GetTextureManager()->FindTexture(texture)) {
            handle = entry->Texture.Get();
        }
    }
    if (platform::GraphicsDevice* device = DeviceOf(Services_.Render->Device())) {
        device->SetTexture(0, handle);
    }
    Services_.Render->DrawQuad(x, y, width, height);
}

void THud::DrawHud(int32_t cursorClientX, int32_t cursorClientY, int32_t screenWidth, int32_t screenHeight) {
    if (!Services_.Render) {
        return;
    }
    TRenderD3D9& render = *Services_.Render;
    const TGameState& state = World_.State;
    render.SetVertexShader(Services_.QuadVertexShader.get());
    render.SetPixelShader(Services_.QuadPixelShader.get());
    render.SetDepthTest(false);
    render.SetAlphaBlend(true);
    const float iconW = SizeToNdcW(kHudIcon, kHudWidth);
    const float iconH = SizeToNdcH(kHudIcon, kHudHeight);
    // The icons in drawing order, each with its texture's name.
    std::vector<std::pair<const char*, TScreenQuad>> icons;
    const auto icon = [&](const char* texture, float x, float y, float width, float height) {
        TScreenQuad quad;
        quad.X = x;
        quad.Y = y;
        quad.Width = width;
        quad.Height = height;
        icons.emplace_back(texture, quad);
    };
    if (state.ArmourActive) {
        icon("Armour", PixelToNdcX(10, kHudWidth), PixelToNdcY(100, kHudHeight), iconW, iconH);
    }
    if (state.FreezeActive) {
        icon("Clock", PixelToNdcX(10, kHudWidth), PixelToNdcY(200, kHudHeight), iconW, iconH);
    }
    for (int32_t i = 0; i < state.Lives && i < kMostLifeIcons; ++i) {
        icon("Life", PixelToNdcX(10 + 60 * i, kHudWidth), PixelToNdcY(10, kHudHeight), iconW, iconH);
    }
    if (state.TwoPlayers) {
        // The second player's side: from the right edge inwards, below the score.
        const int32_t right = kHudWidth - 10 - kHudIcon;
        if (state.Player2.ArmourActive) {
            icon("Armour", PixelToNdcX(right, kHudWidth), PixelToNdcY(160, kHudHeight), iconW, iconH);
        }
        for (int32_t i = 0; i < state.Player2.Lives && i < kMostLifeIcons; ++i) {
            icon("Life", PixelToNdcX(right - 60 * i, kHudWidth), PixelToNdcY(70, kHudHeight), iconW, iconH);
        }
        if (SecondCursorShown_) {
            icon("Guncur2", PixelToNdcX(SecondCursorX_ - kAimCursor / 2, screenWidth),
                 PixelToNdcY(SecondCursorY_ - kAimCursor / 2, screenHeight),
                 SizeToNdcW(kAimCursor, screenWidth), SizeToNdcH(kAimCursor, screenHeight));
        }
    }
    icon("Guncur", PixelToNdcX(cursorClientX - kAimCursor / 2, screenWidth),
         PixelToNdcY(cursorClientY - kAimCursor / 2, screenHeight), SizeToNdcW(kAimCursor, screenWidth),
         SizeToNdcH(kAimCursor, screenHeight));
    // All from the HUD's atlas in one call; without it, each icon from its own texture.
    const TTextureAtlas* atlas = Services_.HudAtlas.get();
    HudQuads_.clear();
    for (auto& [texture, quad] : icons) {
        if (atlas == nullptr || !atlas->Find(texture, quad.Picture)) {
            break;
        }
        HudQuads_.push_back(quad);
    }
    if (HudQuads_.size() == icons.size()) {
        if (platform::GraphicsDevice* device = DeviceOf(render.Device())) {
            device->SetTexture(0, atlas->Texture());
        }
        render.DrawQuads(HudQuads_);
    } else {
        for (const auto& [texture, quad] : icons) {
            DrawTexturedQuad(texture, quad.X, quad.Y, quad.Width, quad.Height);
        }
    }
    render.SetAlphaBlend(false);
}

void THud::DrawHelpIcons() {
    if (!Services_.Render) {
        return;
    }
    struct TIcon {
        const char* Texture;
        int32_t X, Y;
    };
    static const TIcon kIcons[] = {
        {"H_bomb", 190, 250}, {"H_armour", 190, 290},  {"H_remount", 190, 330}, {"Life", 190, 370},
        {"H_wall", 360, 250}, {"H_upgrade", 360, 290}, {"H_time", 360, 330},
    };
    TRenderD3D9& render = *Services_.Render;
    render.SetVertexShader(Services_.QuadVertexShader.get());
    render.SetPixelShader(Services_.QuadPixelShader.get());
    render.SetAlphaBlend(true);
    render.SetDepthTest(false);
    for (const TIcon& icon : kIcons) {
        DrawTexturedQuad(icon.Texture, PixelToNdcX(icon.X, 800), PixelToNdcY(icon.Y, 600),
                         SizeToNdcW(40, 800), SizeToNdcH(40, 600));
    }
    render.SetAlphaBlend(false);
    render.SetDepthTest(true);
}
