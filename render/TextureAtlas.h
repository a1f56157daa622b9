// Several pictures in one texture, so what draws them one after another (particle effects of different
// kinds, the HUD's icons) can share one texture and so one draw call. The pictures lie side by side in
// a row; each has a border of one texel copied from its opposite edge, which is what wrap addressing
// reads beyond an edge, so a picture filtered in the atlas shows the texels it showed from its own
// texture.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/GraphicsDevice.h"
#include "render/DeviceResource.h"
#include "render/RenderDevice.h"

class TTextureAtlas {
public:
    TTextureAtlas() = default;
    TTextureAtlas(const TTextureAtlas&) = delete;
    TTextureAtlas& operator=(const TTextureAtlas&) = delete;

    // Lays out the named pictures (RGBA8, top row first) and creates the texture on the device (one
    // level: the pictures are drawn without mipmaps). False with `error` when a picture is empty or
    // the texture cannot be made; the atlas then holds nothing.
    bool Build(TDeviceRef device, const std::vector<std::pair<std::string, platform::Image>>& pictures,
               std::string& error);
    platform::TextureHandle Texture() const { return Texture_.Get(); }
    // The place of the picture `name`; false when the atlas does not hold it.
    bool Find(std::string_view name, TTextureRect& rect) const;

private:
    void Release();

    TUniqueTexture Texture_;
    std::vector<std::pair<std::string, TTextureRect>> Places_;
};
