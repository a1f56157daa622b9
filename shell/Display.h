// The game's display: the window's mode and size for the options (or a size given for the run), the
// device reset around a change of either, the game's screen with its layout (util/ScreenLayout.h), and
// the software cursor with its mapping to the screen's pixels, the frame the GUI, the HUD and the
// picking ray use.
//
// The screen is what the game lays out, aims and counts its cursor in. In a window the game follows,
// it is the client area, whatever size the player or the window manager gives it. In full screen it
// is the options' ScreenWidth x ScreenHeight (the back buffer), shown in its shape on the desktop with
// black bars where the shapes differ. While a demo is recorded or replayed it stays the options' size
// (the demo's) in a window too, so that a session replays the same whatever the window's size.
#pragma once

#include <cstdint>

#include "platform/Window.h"
#include "shell/GameServices.h"
#include "util/ScreenLayout.h"
#include "world/GameState.h"

// The 3D view's vertical field of view on a 4:3 screen, radians.
inline constexpr float kFieldOfViewY = 1.5707964f;

class TDisplay {
public:
    // The window, desktop and state must outlive the display; the state's Windowed, ScreenWidth and
    // ScreenHeight say what the display shows.
    TDisplay(platform::Window& window, platform::Desktop& desktop, const TGameState& state);

    // The window is `width` x `height` whatever the options say; the game's screen keeps the options'
    // resolution (a replay plays the same at any size), drawn in its shape inside the window.
    void SetRenderSize(int width, int height);
    void SetVsync(bool vsync) { Vsync_ = vsync; }
    // The mouse's and the controller's share of the cursor's designed speed, in percent.
    void SetCursorSpeeds(int32_t mousePercent, int32_t gamepadPercent) {
        MouseSpeed_ = static_cast<float>(mousePercent) / 100.0f;
        GamepadSpeed_ = static_cast<float>(gamepadPercent) / 100.0f;
    }
    bool Vsync() const { return Vsync_; }
    int RenderWidth() const;
    int RenderHeight() const;
    // A demo is recorded or replayed: the screen stays the options' size in a window too.
    void SetFixedScreen(bool fixed) { FixedScreen_ = fixed; }

    // The game's screen in pixels (see above), and its layout as UpdateLayout last found it.
    int ScreenWidth() const;
    int ScreenHeight() const;
    const TScreenLayout& Layout() const { return Layout_; }
    // The layout for the screen's present size; true when that changed since the last call (and at the
    // first).
    bool UpdateLayout();
    // The back buffer a window's device is made with: 0 x 0 when it follows the client area, else the
    // largest size of the screen's shape in the window's asked size.
    int WindowBackBufferWidth() const;
    int WindowBackBufferHeight() const;

    // At start-up: the software cursor where the system pointer is, and the window sized as a window,
    // centred and shown (the device makes it full screen if asked).
    void OpenWindow();
    // Window style, size, device reset (device resources released and re-created around it) and
    // centring for the current Windowed / ScreenWidth / ScreenHeight.
    void ApplyMode(TGameServices& services);

    // The mouse's motion and the controller's sticks over `dt` milliseconds move the cursor, and the
    // system pointer follows it.
    void MoveCursor(const TInput& input, int32_t dt);
    // A replayed frame's cursor, in screen pixels.
    void SetClientCursor(int32_t x, int32_t y);

    // The software cursor in desktop pixels: it moves as the pointer does, one desktop pixel per pixel
    // of motion, over the desktop in a window and over the picture in full screen; and the same point
    // in screen pixels.
    float CursorX() const { return CursorX_; }
    float CursorY() const { return CursorY_; }
    int32_t CursorClientX() const { return CursorClientX_; }
    int32_t CursorClientY() const { return CursorClientY_; }

private:
    // The software cursor goes where the system pointer is, at (x, y) on the desktop.
    void CursorToPointer(int& x, int& y);
    bool FollowsWindow() const;

    platform::Window& Window_;
    platform::Desktop& Desktop_;
    const TGameState& State_;
    int RenderWidth_ = 0;  // 0: the options' resolution
    int RenderHeight_ = 0;
    bool Vsync_ = true;
    float MouseSpeed_ = 1.0f;
    float GamepadSpeed_ = 1.0f;
    bool FixedScreen_ = false;
    bool LayoutMade_ = false;
    TScreenLayout Layout_;
    float CursorX_ = 0.0f;  // the software cursor (desktop pixels)
    float CursorY_ = 0.0f;
    int32_t CursorClientX_ = 0;  // the same point in screen pixels
    int32_t CursorClientY_ = 0;
    bool CursorPlaced_ = false;  // the system pointer was put at (PlacedX_, PlacedY_)
    // Where the pointer cannot be put: the cursor went to it at (FollowedX_, FollowedY_).
    bool PointerFollowed_ = false;
    int FollowedX_ = 0;
    int FollowedY_ = 0;
    int32_t PlacedX_ = 0;
    int32_t PlacedY_ = 0;
};
