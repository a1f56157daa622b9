#include "render/TextureLoader.h"

#include <algorithm>

#include "platform/Png.h"
#include "util/Files.h"
#include "util/GE_UTILS.h"

using namespace platform;

namespace {

bool Fail(std::string_view name, const std::string& reason, std::string& error) {
    error = QuotePathForMessage(name) + ": " + reason;
    return false;
}

Image HalveImage(const Image& src) {
    Image dst;
    dst.Width = std::max(1, src.Width / 2);
    dst.Height = std::max(1, src.Height / 2);
    dst.Rgba.resize(size_t(dst.Width) * size_t(dst.Height) * 4);
    auto at = [&](int x, int y, int c) {
        x = std::min(x, src.Width - 1);
        y = std::min(y, src.Height - 1);
        return unsigned{src.Rgba[(size_t(y) * size_t(src.Width) + size_t(x)) * 4 + size_t(c)]};
    };
    for (int y = 0; y < dst.Height; ++y) {
        for (int x = 0; x < dst.Width; ++x) {
            for (int c = 0; c < 4; ++c) {
                unsigned sum = at(2 * x, 2 * y, c) + at(2 * x + 1, 2 * y, c) + at(2 * x, 2 * y + 1, c) +
                               at(2 * x + 1, 2 * y + 1, c);
                dst.Rgba[(size_t(y) * size_t(dst.Width) + size_t(x)) * 4 + size_t(c)] =
                    static_cast<uint8_t>((sum + 2) / 4);
            }
        }
    }
    return dst;
}

bool LoadFile(const files::TDataRoot& root, TDeviceRef deviceRef, std::string_view gamePath,
              bool fullMipChain, TextureHandle& texture, std::string& error) {
    texture = {};
    Image image;
    if (!ReadImageFile(root, gamePath, image, error)) {
        return false;
    }
    return CreateTextureFromImage(deviceRef, image, fullMipChain, gamePath, texture, error);
}

}  // namespace

bool ReadImageFile(const files::TDataRoot& root, std::string_view gamePath, Image& image,
                   std::string& error) {
    image = {};
    std::string bytes;
    if (!root.ReadFile(gamePath, bytes, error)) {
        return false;
    }
    std::string decodeError;
    if (!DecodePng(bytes, image, decodeError)) {
        return Fail(gamePath, decodeError, error);
    }
    return true;
}

std::vector<Image> BuildMipChain(const Image& top) {
    std::vector<Image> chain;
    if (top.Width <= 0 || top.Height <= 0 || top.Rgba.size() != size_t(top.Width) * size_t(top.Height) * 4) {
        return chain;
    }
    chain.push_back(top);
    while (chain.back().Width > 1 || chain.back().Height > 1)
        chain.push_back(HalveImage(chain.back()));
    return chain;
}

bool CreateTextureFromImage(TDeviceRef deviceRef, const Image& image, bool fullMipChain,
                            std::string_view name, TextureHandle& texture, std::string& error) {
    texture = {};
    GraphicsDevice* device = DeviceOf(deviceRef);
    if (device == nullptr)
        return Fail(name, "no graphics device to create the texture on", error);
    if (image.Width <= 0 || image.Height <= 0 ||
        image.Rgba.size() != size_t(image.Width) * size_t(image.Height) * 4) {
        return Fail(name, "the image is empty or its size does not match its pixels", error);
    }
    std::vector<Image> levels;
    if (fullMipChain) {
        levels = BuildMipChain(image);
    } else {
        levels.push_back(image);
    }
    texture = device->CreateTexture(static_cast<uint32_t>(image.Width), static_cast<uint32_t>(image.Height),
                                    fullMipChain ? 0 : 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    if (!texture)
        return Fail(name, "the device could not create the texture", error);

    uint32_t count =
        std::min<uint32_t>(device->TextureLevelCount(texture), static_cast<uint32_t>(levels.size()));
    std::vector<uint8_t> bgra;
    for (uint32_t level = 0; level < count; ++level) {
        const Image& l = levels[level];
        bgra.resize(l.Rgba.size());
        for (size_t i = 0; i < l.Rgba.size(); i += 4) {
            bgra[i + 0] = l.Rgba[i + 2];
            bgra[i + 1] = l.Rgba[i + 1];
            bgra[i + 2] = l.Rgba[i + 0];
            bgra[i + 3] = l.Rgba[i + 3];
        }
        device->WriteTextureLevel(texture, level, bgra.data(), static_cast<uint32_t>(l.Width) * 4);
    }
    return true;
}

bool CreateTextureFromFile(const files::TDataRoot& root, TDeviceRef deviceRef, std::string_view gamePath,
                           TextureHandle& texture, std::string& error) {
    return LoadFile(root, deviceRef, gamePath, true, texture, error);
}

bool CreateTextureFromFileOneLevel(const files::TDataRoot& root, TDeviceRef deviceRef,
                                   std::string_view gamePath, TextureHandle& texture, std::string& error) {
    return LoadFile(root, deviceRef, gamePath, false, texture, error);
}
