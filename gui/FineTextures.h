// TFineTextures: the finer copies of one GUI texture (the skin or the font's atlas) for large screens.
//
// The design's texture is drawn with point filtering at the size it was made for; on a screen whose
// menus are scaled up it would be magnified into blocks. Beside the design's file ("font.png") lie
// copies N times as fine ("font_2x.png", "font_4x.png"), each exactly N times the design's size in
// both directions, so the same texture coordinates (the same description file) pick the same glyph or
// skin piece from each: what is drawn stays where it was and only the texels get finer.
//
// A copy is read the first time a screen asks for it. A copy that is missing, not a PNG, or of another
// size is logged once, naming the file and what is wrong, and the next coarser one (in the end the
// design's) is drawn instead; the game never stops for it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "render/DeviceResource.h"
#include "render/RenderDevice.h"
#include "util/Files.h"

class TFineTextures {
public:
    // The finer factors the game's data has, finest last.
    static constexpr int kFactors[] = {2, 4};

    // The device slot must outlive this object.
    explicit TFineTextures(TDeviceRef device);

    // The design's texture: its game path under `root` (ending in ".png"; the copies are looked for
    // beside it) and its size in texels. No copy is read before it is set; setting it again drops the
    // copies read.
    void SetDesign(const files::TDataRoot& root, std::string_view designFile, int width, int height);

    // Chooses the texture for a screen that wants its texels `wanted` times finer than the design's
    // (1 for the design's own): the copy of that factor, else the next coarser one that reads, else the
    // design's. Reads the copy on first use.
    void Choose(int wanted);
    // The factor chosen: 1 for the design's texture.
    int Factor() const { return Factor_; }
    // The texture to draw with: the chosen copy, or `design` at factor 1.
    platform::TextureHandle Texture(platform::TextureHandle design) const;

    // The game path of the copy `factor` times as fine as `designFile`.
    static std::string FineFile(std::string_view designFile, int factor);

private:
    struct TCopy {
        int Factor = 0;
        bool Tried = false;
        TUniqueTexture Texture;
    };
    bool Load(TCopy& copy);

    TDeviceRef Device_;
    files::TDataRoot Root_{std::string()};
    std::string DesignFile_;
    int DesignWidth_ = 0;
    int DesignHeight_ = 0;
    std::vector<TCopy> Copies_;
    int Factor_ = 1;
};

// Draws `op` (its texture already chosen from `textures`). From a finer copy the texels are smaller than
// the screen's pixels, so they are blended with linear filtering rather than picked; afterwards the
// sampler is back at the point filtering the GUI and the text are drawn with.
void DrawWithFineFilter(TRenderD3D9& render, const TFineTextures& textures, const TRenderOperation& op);
