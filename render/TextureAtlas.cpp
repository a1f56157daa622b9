#include "render/TextureAtlas.h"

#include <algorithm>
#include <cstring>

#include "render/TextureLoader.h"

void TTextureAtlas::Release() {
    Texture_.Reset();
    Places_.clear();
}

bool TTextureAtlas::Build(TDeviceRef device,
                          const std::vector<std::pair<std::string, platform::Image>>& pictures,
                          std::string& error) {
    Release();
    int width = 0;
    int height = 0;
    for (const auto& [name, picture] : pictures) {
        if (picture.Width <= 0 || picture.Height <= 0 ||
            picture.Rgba.size() !=
                static_cast<size_t>(picture.Width) * static_cast<size_t>(picture.Height) * 4) {
            error = "the picture \"" + name + "\" is empty";
            return false;
        }
        width += picture.Width + 2;
        height = std::max(height, picture.Height + 2);
    }
    if (width == 0) {
        error = "no pictures for the atlas";
        return false;
    }
    platform::Image atlas;
    atlas.Width = width;
    atlas.Height = height;
    atlas.Rgba.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    int left = 0;
    for (const auto& [name, picture] : pictures) {
        const int w = picture.Width;
        const int h = picture.Height;
        // Atlas texel (left + 1 + x, 1 + y) is picture texel (x, y); x and y from -1 to w and h wrap.
        for (int y = -1; y <= h; ++y) {
            const int sourceY = (y + h) % h;
            for (int x = -1; x <= w; ++x) {
                const int sourceX = (x + w) % w;
                std::memcpy(&atlas.Rgba[(static_cast<size_t>(y + 1) * static_cast<size_t>(width) +
                                         static_cast<size_t>(left + 1 + x)) *
                                        4],
                            &picture.Rgba[(static_cast<size_t>(sourceY) * static_cast<size_t>(w) +
                                           static_cast<size_t>(sourceX)) *
                                          4],
                            4);
            }
        }
        TTextureRect rect;
        rect.U0 = static_cast<float>(left + 1) / static_cast<float>(width);
        rect.U1 = static_cast<float>(left + 1 + w) / static_cast<float>(width);
        rect.V0 = 1.0f / static_cast<float>(height);
        rect.V1 = static_cast<float>(1 + h) / static_cast<float>(height);
        Places_.emplace_back(name, rect);
        left += w + 2;
    }
    platform::TextureHandle texture;
    if (!CreateTextureFromImage(device, atlas, false, "atlas", texture, error)) {
        Places_.clear();
        return false;
    }
    Texture_ = TUniqueTexture(device, texture);
    return true;
}

bool TTextureAtlas::Find(std::string_view name, TTextureRect& rect) const {
    for (const auto& [placeName, place] : Places_) {
        if (placeName == name) {
            rect = place;
            return true;
        }
    }
    return false;
}
