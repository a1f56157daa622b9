#include "util/ScreenLayout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "util/GE_MATH.h"

namespace {

constexpr float kFov = 1.5707964f;

struct TSize {
    int32_t Width, Height;
};
// 4:3 (the design's two), 5:4, 16:9, 21:9 and portrait.
const TSize kSizes[] = {{800, 600}, {1024, 768}, {1280, 1024}, {1920, 1080}, {2560, 1080}, {1080, 1920}};

bool FourByThree(const TSize& size) {
    return size.Width * 3 == size.Height * 4;
}

// The pixel a clip-space point of the screen falls on.
float PixelX(float x, const TSize& size) {
    return (x + 1.0f) / 2.0f * static_cast<float>(size.Width);
}
float PixelY(float y, const TSize& size) {
    return (1.0f - y) / 2.0f * static_cast<float>(size.Height);
}

}  // namespace

TEST(FitRect, LargestOfTheShapeCentred) {
    const TScreenRect wide = FitRect(800, 600, 1920, 1080);
    EXPECT_EQ(wide.X, 240);
    EXPECT_EQ(wide.Y, 0);
    EXPECT_EQ(wide.Width, 1440);
    EXPECT_EQ(wide.Height, 1080);
    const TScreenRect tall = FitRect(4, 3, 1280, 1024);
    EXPECT_EQ(tall.X, 0);
    EXPECT_EQ(tall.Y, 32);
    EXPECT_EQ(tall.Width, 1280);
    EXPECT_EQ(tall.Height, 960);
    const TScreenRect same = FitRect(1920, 1080, 1920, 1080);
    EXPECT_EQ(same.Width, 1920);
    EXPECT_EQ(same.Height, 1080);
    EXPECT_EQ(FitRect(0, 3, 800, 600).Width, 0);
    EXPECT_EQ(FitRect(4, 3, 0, 600).Height, 0);
}

// The design's 4:3 screens keep everything as written; the others keep the design's vertical view when
// wider and its horizontal view when narrower, so the view only ever grows.
TEST(ScreenLayout, ProjectionIsTheDesignsOn4By3AndOnlyWidensElsewhere) {
    const TMatrix design = MatrixPerspectiveFov(kFov, 4.0f / 3.0f, 1.0f, 100.0f);
    for (const TSize& size : kSizes) {
        const TScreenLayout layout = ComputeScreenLayout(size.Width, size.Height, kFov);
        const TMatrix projection = MatrixPerspectiveFov(layout.FovY, layout.Aspect, 1.0f, 100.0f);
        EXPECT_FLOAT_EQ(layout.Aspect, static_cast<float>(size.Width) / static_cast<float>(size.Height));
        if (FourByThree(size)) {
            EXPECT_EQ(layout.FovY, kFov);
        }
        // Neither half-angle narrower than the design's, one of them exactly it.
        EXPECT_LE(projection._11, design._11 * 1.0001f) << size.Width << "x" << size.Height;
        EXPECT_LE(projection._22, design._22 * 1.0001f) << size.Width << "x" << size.Height;
        const bool wider = size.Width * 3 >= size.Height * 4;
        EXPECT_NEAR(wider ? projection._22 : projection._11, wider ? design._22 : design._11, 1e-5f)
            << size.Width << "x" << size.Height;
    }
}

// The ray through a pixel goes through the world point drawn at that pixel, at every size.
TEST(ScreenLayout, PickingRayMeetsThePointDrawnUnderTheCursor) {
    const TMatrix view =
        MatrixView(Vector3(0, 23, -16.5f), Vector3(0, -0.866f, 0.5f), Vector3(0, 0.5f, 0.866f));
    const TVector3 point = Vector3(9.0f, 0.0f, 6.0f);
    for (const TSize& size : kSizes) {
        const TScreenLayout layout = ComputeScreenLayout(size.Width, size.Height, kFov);
        const TMatrix projection = MatrixPerspectiveFov(layout.FovY, layout.Aspect, 1.0f, 100.0f);
        const TVector4 clip =
            Vector4Transform(Vector4(point.X, point.Y, point.Z, 1.0f), MatrixMultiply(view, projection));
        const int px = static_cast<int>(std::lround(PixelX(clip.X / clip.W, size)));
        const int py = static_cast<int>(std::lround(PixelY(clip.Y / clip.W, size)));
        ASSERT_TRUE(px >= 0 && px < size.Width && py >= 0 && py < size.Height) << px << ", " << py;
        TVector3 dir = PickRayDirection(px, py, size.Width, size.Height, projection, view);
        // Where the ray meets the ground (y = 0): within a pixel's worth of the point.
        const float t = -23.0f / dir.Y;
        EXPECT_NEAR(dir.X * t, point.X, 0.1f) << size.Width << "x" << size.Height;
        EXPECT_NEAR(-16.5f + dir.Z * t, point.Z, 0.1f) << size.Width << "x" << size.Height;
    }
}

TEST(ScreenLayout, MenusFillTheLargestCentred4By3AreaUnstretched) {
    for (const TSize& size : kSizes) {
        const TScreenLayout layout = ComputeScreenLayout(size.Width, size.Height, kFov);
        const TScreenView& menu = layout.Menu;
        if (FourByThree(size)) {
            EXPECT_TRUE(menu.IsIdentity());
            EXPECT_TRUE(layout.Hud.IsIdentity());
            continue;
        }
        const float left = PixelX(menu.ToScreenX(-1.0f), size);
        const float right = PixelX(menu.ToScreenX(1.0f), size);
        const float top = PixelY(menu.ToScreenY(1.0f), size);
        const float bottom = PixelY(menu.ToScreenY(-1.0f), size);
        const std::string name = std::to_string(size.Width) + "x" + std::to_string(size.Height);
        EXPECT_NEAR((right - left) / (bottom - top), 4.0f / 3.0f, 0.002f) << name;
        // Centred, touching two opposite edges of the screen.
        EXPECT_NEAR(left, static_cast<float>(size.Width) - right, 0.5f) << name;
        EXPECT_NEAR(top, static_cast<float>(size.Height) - bottom, 0.5f) << name;
        EXPECT_TRUE(std::abs(left) < 0.5f || std::abs(top) < 0.5f) << name;
        // The cursor's clip-space point maps back to the menu's.
        EXPECT_NEAR(menu.FromScreenX(menu.ToScreenX(0.3f)), 0.3f, 1e-6f);
        EXPECT_NEAR(menu.FromScreenY(menu.ToScreenY(-0.7f)), -0.7f, 1e-6f);
    }
}

// The HUD: the same scale as the menus, its top-left corner on the screen's, its right edge where the
// screen's is; the backdrop covers the screen in its own 4:3 shape.
TEST(ScreenLayout, HudAtTheCornersBackdropCoversCursorGrowsAboveTheDesign) {
    for (const TSize& size : kSizes) {
        const TScreenLayout layout = ComputeScreenLayout(size.Width, size.Height, kFov);
        const std::string name = std::to_string(size.Width) + "x" + std::to_string(size.Height);
        const TScreenView& hud = layout.Hud;
        EXPECT_FLOAT_EQ(hud.ScaleX, layout.Menu.ScaleX) << name;
        EXPECT_FLOAT_EQ(hud.ScaleY, layout.Menu.ScaleY) << name;
        EXPECT_NEAR(PixelX(hud.ToScreenX(-1.0f), size), 0.0f, 0.01f) << name;
        EXPECT_NEAR(PixelY(hud.ToScreenY(1.0f), size), 0.0f, 0.01f) << name;
        EXPECT_NEAR(PixelX(hud.ToScreenX(layout.HudRightEdge), size), static_cast<float>(size.Width), 0.01f)
            << name;

        EXPECT_LE(layout.BackdropX, -1.0f) << name;
        EXPECT_GE(layout.BackdropY, 1.0f) << name;
        EXPECT_GE(layout.BackdropX + layout.BackdropWidth, 1.0f) << name;
        EXPECT_LE(layout.BackdropY - layout.BackdropHeight, -1.0f) << name;
        EXPECT_NEAR(layout.BackdropWidth * static_cast<float>(size.Width) /
                        (layout.BackdropHeight * static_cast<float>(size.Height)),
                    4.0f / 3.0f, 0.001f)
            << name;
        const int32_t menuHeight = layout.MenuRect.Height;
        EXPECT_EQ(layout.CursorSize,
                  menuHeight <= 768 ? 40 : static_cast<int32_t>(std::lround(40.0 * menuHeight / 768)))
            << name;
    }
}

// The GUI's texels stay no larger than the screen's pixels: the design's textures up to menus 1.5 times
// the design's 600 lines (its two modes among them), then the finer copies, chosen by the menus' height
// whatever the screen's shape.
TEST(ScreenLayout, TexturesGetFinerWithTheMenusScale) {
    const struct {
        int32_t Width, Height, Fineness;
    } cases[] = {{800, 600, 1},   {1024, 768, 1},  {1600, 900, 1},  {1200, 900, 1},  {1600, 1200, 2},
                 {1920, 1080, 2}, {2560, 1080, 2}, {1080, 1920, 1}, {1800, 1350, 2}, {1804, 1353, 4},
                 {2560, 1440, 4}, {3840, 2160, 4}, {1280, 1024, 2}, {1680, 1050, 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(ComputeScreenLayout(c.Width, c.Height, kFov).TextureFineness, c.Fineness)
            << c.Width << "x" << c.Height;
    }
}
