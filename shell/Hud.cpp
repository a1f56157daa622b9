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

void THud::DrawHud(int32_t cursorClientX, int32_t cursorClientY, const TScreenLayout& layout) {
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
    const auto icon = [&](const char* texture, float x, float y, float width, float height,
                          const TScreenView& view) {
        TScreenQuad quad;
        quad.X = view.ToScreenX(x);
        quad.Y = view.ToScreenY(y);
        quad.Width = width * view.ScaleX;
        quad.Height = height * view.ScaleY;
        icons.emplace_back(texture, quad);
    };
    const TScreenView& hud = layout.Hud;
    if (state.ArmourActive) {
        icon("Armour", PixelToNdcX(10, kHudWidth), PixelToNdcY(100, kHudHeight), iconW, iconH, hud);
    }
    if (state.FreezeActive) {
        icon("Clock", PixelToNdcX(10, kHudWidth), PixelToNdcY(200, kHudHeight), iconW, iconH, hud);
    }
    for (int32_t i = 0; i < state.Lives && i < kMostLifeIcons; ++i) {
        icon("Life", PixelToNdcX(10 + 60 * i, kHudWidth), PixelToNdcY(10, kHudHeight), iconW, iconH, hud);
    }
    if (state.TwoPlayers) {
        // The second player's side: from the right edge inwards, below the score.
        const float right = PixelToNdcX(kHudWidth - 10 - kHudIcon, kHudWidth) + (layout.HudRightEdge - 1.0f);
        const float step = SizeToNdcW(60, kHudWidth);
        if (state.Player2.ArmourActive) {
            icon("Armour", right, PixelToNdcY(160, kHudHeight), iconW, iconH, hud);
        }
        for (int32_t i = 0; i < state.Player2.Lives && i < kMostLifeIcons; ++i) {
            icon("Life", right - step * static_cast<float>(i), PixelToNdcY(70, kHudHeight), iconW, iconH, hud);
        }
    }
    const int32_t aim = layout.CursorSize;
    if (state.TwoPlayers && SecondCursorShown_) {
        icon("Guncur2", PixelToNdcX(SecondCursorX_ - aim / 2, layout.Width),
             PixelToNdcY(SecondCursorY_ - aim / 2, layout.Height), SizeToNdcW(aim, layout.Width),
             SizeToNdcH(aim, layout.Height), TScreenView{});
    }
    icon("Guncur", PixelToNdcX(cursorClientX - aim / 2, layout.Width),
         PixelToNdcY(cursorClientY - aim / 2, layout.Height), SizeToNdcW(aim, layout.Width),
         SizeToNdcH(aim, layout.Height), TScreenView{});
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

void THud::DrawHelpIcons(const TScreenView& view) {
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
        DrawTexturedQuad(icon.Texture, view.ToScreenX(PixelToNdcX(icon.X, 800)),
                         view.ToScreenY(PixelToNdcY(icon.Y, 600)), SizeToNdcW(40, 800) * view.ScaleX,
                         SizeToNdcH(40, 600) * view.ScaleY);
    }
    render.SetAlphaBlend(false);
    render.SetDepthTest(true);
}
