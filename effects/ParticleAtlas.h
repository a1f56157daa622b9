// Several particle pictures in one texture, so effects of different kinds that follow each other in the
// draw pass share one texture and so one draw call (TParticleSystem::DrawWithFollowing). The pictures
// lie side by side in a row; each has a border of one texel copied from its opposite edge, which is what
// wrap addressing reads beyond an edge, so a particle filtered in the atlas shows the texels it showed
// from its own texture.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/GraphicsDevice.h"
#include "render/RenderDevice.h"

// Where a picture lies in its texture, in texture coordinates: (U0, V0) its top-left corner, (U1, V1)
// its bottom-right one. The whole texture by default.
struct TTextureRect {
    float U0 = 0.0f;
    float V0 = 0.0f;
    float U1 = 1.0f;
    float V1 = 1.0f;
};

class TParticleAtlas {
public:
    TParticleAtlas() = default;
    ~TParticleAtlas();
    TParticleAtlas(const TParticleAtlas&) = delete;
    TParticleAtlas& operator=(const TParticleAtlas&) = delete;

    // Lays out the named pictures (RGBA8, top row first) and creates the texture on the device (one
    // level: the particles are drawn without mipmaps). False with `error` when a picture is empty or
    // the texture cannot be made; the atlas then holds nothing.
    bool Build(TDeviceRef device, const std::vector<std::pair<std::string, platform::Image>>& pictures,
               std::string& error);
    // The laid-out texels, as Build gave them to the device.
    const platform::Image& Texels() const { return Texels_; }
    platform::TextureHandle Texture() const { return Texture_; }
    // The place of the picture `name`; false when the atlas does not hold it.
    bool Find(std::string_view name, TTextureRect& rect) const;

private:
    void Release();

    TDeviceRef DeviceRef_ = nullptr;
    platform::TextureHandle Texture_ = 0;
    platform::Image Texels_;
    std::vector<std::pair<std::string, TTextureRect>> Places_;
};
