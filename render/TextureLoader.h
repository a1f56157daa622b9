// Textures from PNG game files: A8R8G8B8, managed pool, usage 0, texel (0, 0) at the top-left.
//
// A full mip chain goes down to 1 x 1, each level a 2 x 2 box filter of the one above (a level of odd
// size drops the last row or column of the level above). The game's textures (the texture cache's and
// the font's atlas) get one level: the game never sets a mip filter, so only the top level is sampled.
// The size is the file's own; sizes that are not powers of two are kept.
//
// On failure (file missing, not a PNG, no device) the result is false, `texture` is "none" and `error`
// names the file and what is wrong. The caller owns the texture: it holds it in a TUniqueTexture
// (render/DeviceResource.h) or gives it back with the device's ReleaseTexture.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/GraphicsDevice.h"
#include "render/RenderDevice.h"
#include "util/Files.h"

// Full mip chain; `gamePath` is looked up in `root`.
bool CreateTextureFromFile(const files::TDataRoot& root, TDeviceRef deviceRef, std::string_view gamePath,
                           platform::TextureHandle& texture, std::string& error);
// One level (the texture cache's entries, the font's atlas).
bool CreateTextureFromFileOneLevel(const files::TDataRoot& root, TDeviceRef deviceRef,
                                   std::string_view gamePath, platform::TextureHandle& texture,
                                   std::string& error);

// Only reads and decodes the PNG (RGBA8, top row first), for a caller that looks at it first.
bool ReadImageFile(const files::TDataRoot& root, std::string_view gamePath, platform::Image& image,
                   std::string& error);

// The same from an image already in memory (RGBA8, top row first); `name` is used in messages.
bool CreateTextureFromImage(TDeviceRef deviceRef, const platform::Image& image, bool fullMipChain,
                            std::string_view name, platform::TextureHandle& texture, std::string& error);

// The mip chain of an image: the image itself first, then each 2 x 2 box-filtered level down to 1 x 1.
std::vector<platform::Image> BuildMipChain(const platform::Image& top);
