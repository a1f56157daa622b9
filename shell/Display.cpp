#include "shell/Display.h"

#include <algorithm>

#include "input/Gamepad.h"
#include "util/GE_UTILS.h"
#include "world/WorldContext.h"

TDisplay::TDisplay(platform::Window& window, platform::Desktop& desktop, const TGameState& state)
    : Window_(window), Desktop_(desktop), State_(state) {}

void TDisplay::SetRenderSize(int width, int height) {
    RenderWidth_ = width;
    RenderHeight_ = height;
}

int TDisplay::RenderWidth() const {
    return RenderWidth_ > 0 ? RenderWidth_ : State_.ScreenWidth;
}

int TDisplay::RenderHeight() const {
    return RenderHeight_ > 0 ? RenderHeight_ : State_.ScreenHeight;
}

void TDisplay::CursorToPointer(int& x, int& y) {
    Desktop_.GetCursorPosition(x, y);
    CursorX_ = static_cast<float>(x);
    CursorY_ = static_cast<float>(y);
    CursorPlaced_ = false;
}

void TDisplay::OpenWindow() {
    int x = 0;
    int y = 0;
    CursorToPointer(x, y);

    Window_.SetWindowed(true);
    Window_.SetClientSize(RenderWidth(), RenderHeight());
    Window_.SetFramePosition((Desktop_.ScreenWidth() - Window_.FrameWidth()) / 2,
                             (Desktop_.ScreenHeight() - Window_.FrameHeight()) / 2);
    Window_.Show();
    Desktop_.HideSystemCursor();
}

void TDisplay::SetClientCursor(int32_t x, int32_t y) {
    CursorClientX_ = x;
    CursorClientY_ = y;
}

void TDisplay::MoveCursor(const TInput& input, int32_t dt) {
    const TGameState& state = State_;
    const int clientWidth = std::max(Window_.ClientWidth(), 1);
    const int clientHeight = std::max(Window_.ClientHeight(), 1);
    const int border = (Window_.FrameWidth() - Window_.ClientWidth()) / 2;
    const int clientLeft = Window_.FrameLeft() + border;
    const int clientTop = Window_.FrameTop() + (Window_.FrameHeight() - Window_.ClientHeight() - border);

    // The controller's sticks: the left one drives while a level runs and points in the menus.
    float padX = 0.0f;
    float padY = 0.0f;
    const bool playing = state.InGame && !state.Paused;
    GamepadCursorMotion(input.Gamepad(), !playing, dt, state.ScreenWidth, padX, padY);
    padX *= GamepadSpeed_;
    padY *= GamepadSpeed_;
    CursorX_ += input.MouseDeltaX() * MouseSpeed_ + padX;
    CursorY_ += input.MouseDeltaY() * MouseSpeed_ + padY;
    if (state.Windowed && (padX != 0.0f || padY != 0.0f)) {
        // The sticks keep the cursor over the window: the pointer going elsewhere could take the focus
        // away (focus follows the mouse), and a player without a mouse could not bring it back.
        CursorX_ = std::clamp(CursorX_, static_cast<float>(clientLeft),
                              static_cast<float>(clientLeft + clientWidth - 1));
        CursorY_ = std::clamp(CursorY_, static_cast<float>(clientTop),
                              static_cast<float>(clientTop + clientHeight - 1));
    }
    CursorX_ = std::max(CursorX_, 0.0f);
    CursorY_ = std::max(CursorY_, 0.0f);
    int limitX = state.Windowed ? Desktop_.ScreenWidth() : state.ScreenWidth;
    int limitY = state.Windowed ? Desktop_.ScreenHeight() : state.ScreenHeight;
    CursorX_ = std::min(CursorX_, static_cast<float>(limitX - 1));
    CursorY_ = std::min(CursorY_, static_cast<float>(limitY - 1));
    int32_t x = RoundHalfEven(CursorX_);
    int32_t y = RoundHalfEven(CursorY_);
    // In full screen the cursor is in back-buffer pixels and the back buffer is stretched over the
    // client area, which covers the desktop: the system pointer goes to the desktop point the cursor
    // is drawn at, so it can reach every back-buffer pixel whatever the desktop's size.
    int32_t pointerX = x;
    int32_t pointerY = y;
    if (!state.Windowed) {
        pointerX = Window_.FrameLeft() + x * clientWidth / std::max(state.ScreenWidth, 1);
        pointerY = Window_.FrameTop() + y * clientHeight / std::max(state.ScreenHeight, 1);
    }
    // The system pointer follows the game's cursor. Putting it where it already is would only race
    // with the pointer's own motion (a move that arrives between the read and the put would be lost).
    if (!CursorPlaced_ || pointerX != PlacedX_ || pointerY != PlacedY_) {
        Desktop_.SetCursorPosition(pointerX, pointerY);
        CursorPlaced_ = true;
        PlacedX_ = pointerX;
        PlacedY_ = pointerY;
    }

    if (state.Windowed) {
        CursorClientX_ = x - clientLeft;
        CursorClientY_ = y - clientTop;
        // A window manager may have given the window another size than asked: the back buffer follows
        // the client area, and client pixels become back-buffer pixels.
        if (clientWidth != state.ScreenWidth || clientHeight != state.ScreenHeight) {
            CursorClientX_ = CursorClientX_ * state.ScreenWidth / clientWidth;
            CursorClientY_ = CursorClientY_ * state.ScreenHeight / clientHeight;
        }
    } else {
        CursorClientX_ = x;
        CursorClientY_ = y;
    }
}

void TDisplay::ApplyMode(TGameServices& services) {
    const TGameState& state = State_;
    int x = 0;
    int y = 0;
    CursorToPointer(x, y);

    Window_.SetWindowed(state.Windowed);
    Window_.SetClientSize(RenderWidth(), RenderHeight());
    Window_.Show();

    services.Meshes->OnLostDevice();
    services.SceneManager->ReleaseDeviceObjects();
    TRenderD3D9& render = *services.Render;
    render.ResetDevice(state.Windowed, &Window_, static_cast<uint16_t>(RenderWidth()),
                       static_cast<uint16_t>(RenderHeight()), Vsync_ ? 1 : 0);
    render.SetDepthTest(true);
    render.SetTextureFilter(0, 1, 0);
    services.Meshes->OnResetDevice();
    services.SceneManager->RestoreDeviceObjects();

    // Centred on the screen; the division truncates toward zero.
    Window_.SetFramePosition((Desktop_.ScreenWidth() - RenderWidth()) / 2,
                             (Desktop_.ScreenHeight() - RenderHeight()) / 2);

    // In full screen the cursor counts back-buffer pixels: it goes to the point of the (stretched) back
    // buffer under the system pointer, so a change of size keeps it where the player sees it.
    if (!state.Windowed) {
        CursorX_ = static_cast<float>((x - Window_.FrameLeft()) * state.ScreenWidth /
                                      std::max(Window_.ClientWidth(), 1));
        CursorY_ = static_cast<float>((y - Window_.FrameTop()) * state.ScreenHeight /
                                      std::max(Window_.ClientHeight(), 1));
    }
}
