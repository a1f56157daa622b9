#include "util/ScreenLayout.h"

#include <algorithm>
#include <cmath>

TScreenRect FitRect(int32_t shapeWidth, int32_t shapeHeight, int32_t areaWidth, int32_t areaHeight) {
    TScreenRect rect;
    if (shapeWidth <= 0 || shapeHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) {
        return rect;
    }
    const int64_t wide = int64_t{areaWidth} * shapeHeight;
    const int64_t tall = int64_t{areaHeight} * shapeWidth;
    rect.Width = areaWidth;
    rect.Height = areaHeight;
    if (wide > tall) {
        rect.Width = static_cast<int32_t>(tall / shapeHeight);
    } else if (wide < tall) {
        rect.Height = static_cast<int32_t>(wide / shapeWidth);
    }
    rect.X = (areaWidth - rect.Width) / 2;
    rect.Y = (areaHeight - rect.Height) / 2;
    return rect;
}

TScreenLayout ComputeScreenLayout(int32_t width, int32_t height, float fovY) {
    TScreenLayout layout;
    width = std::max(width, 1);
    height = std::max(height, 1);
    layout.Width = width;
    layout.Height = height;
    layout.FovY = fovY;
    layout.Aspect = static_cast<float>(width) / static_cast<float>(height);
    layout.MenuRect = FitRect(4, 3, width, height);
    const TScreenRect& menu = layout.MenuRect;
    // The largest text (the HUD's, 39 pixels of 600 high) has 44 texels in the design's atlas: above a
    // scale of 1.5 they would be magnified by a third and more; the twice as fine copies keep it
    // unmagnified up to a scale of 2.25.
    layout.TextureFineness = menu.Height <= 900 ? 1 : menu.Height <= 1350 ? 2 : 4;
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    if (int64_t{width} * 3 == int64_t{height} * 4) {
        return layout;  // the design's shape: everything as it is written
    }
    if (int64_t{width} * 3 < int64_t{height} * 4) {
        // Narrower than 4:3: the horizontal field of view of 4:3.
        layout.FovY = 2.0f * std::atan(std::tan(fovY / 2.0f) * (4.0f / 3.0f) / layout.Aspect);
    }
    const float scaleX = static_cast<float>(menu.Width) / w;
    const float scaleY = static_cast<float>(menu.Height) / h;
    layout.Menu.ScaleX = layout.Hud.ScaleX = scaleX;
    layout.Menu.ScaleY = layout.Hud.ScaleY = scaleY;
    layout.Menu.OffsetX = static_cast<float>(2 * menu.X + menu.Width) / w - 1.0f;
    layout.Menu.OffsetY = 1.0f - static_cast<float>(2 * menu.Y + menu.Height) / h;
    layout.Hud.OffsetX = scaleX - 1.0f;
    layout.Hud.OffsetY = 1.0f - scaleY;
    layout.HudRightEdge = 2.0f / scaleX - 1.0f;
    // The backdrop is as wide as the screen on a wide screen and as high on a tall one.
    const float coverWidth = std::max(w, h * 4.0f / 3.0f);
    const float coverHeight = std::max(h, w * 3.0f / 4.0f);
    layout.BackdropWidth = 2.0f * coverWidth / w;
    layout.BackdropHeight = 2.0f * coverHeight / h;
    layout.BackdropX = -layout.BackdropWidth / 2.0f;
    // Wider than 4:3 the picture loses its bottom (the title stays at the top), narrower both sides.
    layout.BackdropY = 1.0f;
    layout.CursorSize = std::max(40, static_cast<int32_t>(std::lround(40.0 * menu.Height / 768.0)));
    return layout;
}
