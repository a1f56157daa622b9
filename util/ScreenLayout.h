// Where each part of the picture goes on a screen of any size and shape. The game's screens are
// written for 4:3 (the menus in 800 x 600 reference pixels, the HUD in 1024 x 768); on a 4:3 screen
// the layout is the identity and the 3D view is the design's, so those screens look and play exactly
// as they always did. On other shapes:
// - the 3D view keeps the vertical field of view on wider screens (more of the field at the sides)
//   and the horizontal one of 4:3 on narrower ones (5:4, portrait), so nothing at the sides is lost;
// - the menus fill the largest 4:3 rectangle centred on the screen, scaled the same in x and y;
// - the HUD keeps its places relative to the screen's top corners at the menus' scale;
// - the menu backdrop covers the whole screen, never stretched: cropped at the bottom on wider
//   screens (its title stays at the top) and at both sides on narrower ones.
// Pixels count from the top-left corner; clip space runs from -1 (left, bottom) to 1 (right, top).
#pragma once

#include <cstdint>

// A rectangle in pixels.
struct TScreenRect {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// The largest rectangle of the shape shapeWidth : shapeHeight inside an area of areaWidth x areaHeight,
// centred (the division truncates). An area of that shape gives the whole area; a zero shape or area
// gives an empty rectangle at 0, 0.
TScreenRect FitRect(int32_t shapeWidth, int32_t shapeHeight, int32_t areaWidth, int32_t areaHeight);

// A map from the clip space the screens are written in to the screen's clip space, the same scale in
// pixels on both axes: screen = design * Scale + Offset.
struct TScreenView {
    float ScaleX = 1.0f;
    float ScaleY = 1.0f;
    float OffsetX = 0.0f;
    float OffsetY = 0.0f;

    bool IsIdentity() const { return ScaleX == 1.0f && ScaleY == 1.0f && OffsetX == 0.0f && OffsetY == 0.0f; }
    float ToScreenX(float x) const { return x * ScaleX + OffsetX; }
    float ToScreenY(float y) const { return y * ScaleY + OffsetY; }
    float FromScreenX(float x) const { return (x - OffsetX) / ScaleX; }
    float FromScreenY(float y) const { return (y - OffsetY) / ScaleY; }
};

struct TScreenLayout {
    int32_t Width = 800;
    int32_t Height = 600;
    // The 3D view's perspective: vertical field of view in radians and width / height.
    float FovY = 0.0f;
    float Aspect = 4.0f / 3.0f;
    // The menus' 4:3 area in pixels, and the menus' clip space mapped onto it.
    TScreenRect MenuRect;
    TScreenView Menu;
    // The HUD's clip space: a 4:3 area of the menus' size at the screen's top-left corner.
    TScreenView Hud;
    // The screen's right edge in the HUD's clip space (1 on a 4:3 screen): what is placed from the
    // right edge moves by HudRightEdge - 1.
    float HudRightEdge = 1.0f;
    // The backdrop, a 4:3 picture covering the screen: top-left corner and size in clip space.
    float BackdropX = -1.0f;
    float BackdropY = 1.0f;
    float BackdropWidth = 2.0f;
    float BackdropHeight = 2.0f;
    // The side of the menu cursor and of the aiming cursor in pixels: the design's 40 up to the menus
    // of 1024 x 768, growing with the menus above that.
    int32_t CursorSize = 40;
    // How many times finer than the design's the GUI's skin and the font's atlas should be, so their
    // texels are no larger than the screen's pixels: 1 up to menus 1.5 times the 800 x 600 of the
    // design (1024 x 768 and 1600 x 900 included), 2 up to 2.25 times (1920 x 1080, 1920 x 1200),
    // 4 above (2560 x 1440, 3840 x 2160).
    int32_t TextureFineness = 1;
};

// The layout of a width x height screen (at least 1 x 1) whose 3D view has the vertical field of view
// `fovY` (radians) at 4:3.
TScreenLayout ComputeScreenLayout(int32_t width, int32_t height, float fovY);
