// The game's display: the window's mode and size for the options (or a size given for the run), the
// device reset around a change of either, and the software cursor with its mapping to the back
// buffer's pixels, the frame the GUI, the HUD and the picking ray use.
#pragma once

#include <cstdint>

#include "platform/Window.h"
#include "shell/GameServices.h"
#include "world/GameState.h"

class TDisplay {
public:
    // The window, desktop and state must outlive the display; the state's Windowed, ScreenWidth and
    // ScreenHeight say what the display shows.
    TDisplay(platform::Window& window, platform::Desktop& desktop, const TGameState& state);

    // The window and back buffer are `width` x `height` whatever the options say; the game itself (the
    // cursor, the menus, aiming) keeps the options' resolution, so a replay plays the same at any size.
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

    // At start-up: the software cursor where the system pointer is, and the window sized as a window,
    // centred and shown (the device makes it full screen if asked).
    void OpenWindow();
    // Window style, size, device reset (device resources released and re-created around it) and
    // centring for the current Windowed / ScreenWidth / ScreenHeight.
    void ApplyMode(TGameServices& services);

    // The mouse's motion and the controller's sticks over `dt` milliseconds move the cursor, and the
    // system pointer follows it.
    void MoveCursor(const TInput& input, int32_t dt);
    // A replayed frame's cursor, in back-buffer pixels.
    void SetClientCursor(int32_t x, int32_t y);

    // The software cursor: in desktop pixels in a window, in back-buffer pixels in full screen; and the
    // same point in back-buffer pixels (ScreenWidth x ScreenHeight). In a window of the asked size those
    // are its client pixels; a full-screen window covering a larger desktop shows the back buffer
    // stretched, and the system pointer is kept over the point where the cursor is drawn.
    float CursorX() const { return CursorX_; }
    float CursorY() const { return CursorY_; }
    int32_t CursorClientX() const { return CursorClientX_; }
    int32_t CursorClientY() const { return CursorClientY_; }

private:
    // The software cursor goes where the system pointer is, at (x, y) on the desktop.
    void CursorToPointer(int& x, int& y);

    platform::Window& Window_;
    platform::Desktop& Desktop_;
    const TGameState& State_;
    int RenderWidth_ = 0;  // 0: the options' resolution
    int RenderHeight_ = 0;
    bool Vsync_ = true;
    float MouseSpeed_ = 1.0f;
    float GamepadSpeed_ = 1.0f;
    float CursorX_ = 0.0f;  // the software cursor (desktop or back-buffer pixels)
    float CursorY_ = 0.0f;
    int32_t CursorClientX_ = 0;  // the same point in back-buffer pixels
    int32_t CursorClientY_ = 0;
    bool CursorPlaced_ = false;  // the system pointer was put at (PlacedX_, PlacedY_)
    int32_t PlacedX_ = 0;
    int32_t PlacedY_ = 0;
};
