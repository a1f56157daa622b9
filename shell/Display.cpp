#include "shell/Display.h"

#include <algorithm>

#include "input/Gamepad.h"
#include "util/GE_UTILS.h"
#include "world/WorldContext.h"

namespace {

// The smallest client area a window may be resized to (a smaller asked size stays possible).
constexpr int kSmallestWindowWidth = 640;
constexpr int kSmallestWindowHeight = 480;

}  // namespace

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

bool TDisplay::FollowsWindow() const {
    return State_.Windowed && !FixedScreen_ && RenderWidth_ <= 0;
}

int TDisplay::ScreenWidth() const {
    return FollowsWindow() ? std::max(Window_.ClientWidth(), 1) : std::max(State_.ScreenWidth, 1);
}

int TDisplay::ScreenHeight() const {
    return FollowsWindow() ? std::max(Window_.ClientHeight(), 1) : std::max(State_.ScreenHeight, 1);
}

bool TDisplay::UpdateLayout() {
    const int width = ScreenWidth();
    const int height = ScreenHeight();
    if (LayoutMade_ && width == Layout_.Width && height == Layout_.Height) {
        return false;
    }
    Layout_ = ComputeScreenLayout(width, height, kFieldOfViewY);
    LayoutMade_ = true;
    return true;
}

int TDisplay::WindowBackBufferWidth() const {
    return FollowsWindow() ? 0 : FitRect(ScreenWidth(), ScreenHeight(), RenderWidth(), RenderHeight()).Width;
}

int TDisplay::WindowBackBufferHeight() const {
    return FollowsWindow() ? 0 : FitRect(ScreenWidth(), ScreenHeight(), RenderWidth(), RenderHeight()).Height;
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
    Window_.AllowResize(std::min(kSmallestWindowWidth, RenderWidth()),
                        std::min(kSmallestWindowHeight, RenderHeight()));
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
    // The picture: the screen in its shape inside the client area (all of it when the screen follows
    // the window).
    const int screenWidth = ScreenWidth();
    const int screenHeight = ScreenHeight();
    const TScreenRect fit = FitRect(screenWidth, screenHeight, clientWidth, clientHeight);
    const int left = clientLeft + fit.X;
    const int top = clientTop + fit.Y;
    const int width = std::max(fit.Width, 1);
    const int height = std::max(fit.Height, 1);

    // The controller's sticks: the left one drives while a level runs and points in the menus.
    float padX = 0.0f;
    float padY = 0.0f;
    const bool playing = state.InGame && !state.Paused;
    GamepadCursorMotion(input.Gamepad(), !playing, dt, width, padX, padY);
    padX *= GamepadSpeed_;
    padY *= GamepadSpeed_;
    if (!Desktop_.MovesPointer()) {
        // The pointer cannot be taken along (nor slowed): the cursor goes where it is each time it is
        // somewhere else, also when it stood still while the window had no focus.
        int pointerX = 0;
        int pointerY = 0;
        Desktop_.GetCursorPosition(pointerX, pointerY);
        if (!PointerFollowed_ || pointerX != FollowedX_ || pointerY != FollowedY_) {
            CursorX_ = static_cast<float>(pointerX);
            CursorY_ = static_cast<float>(pointerY);
            PointerFollowed_ = true;
            FollowedX_ = pointerX;
            FollowedY_ = pointerY;
        }
    } else {
        CursorX_ += input.MouseDeltaX() * MouseSpeed_;
        CursorY_ += input.MouseDeltaY() * MouseSpeed_;
    }
    CursorX_ += padX;
    CursorY_ += padY;
    // In full screen the cursor stays on the picture. In a window the sticks keep it over the picture
    // too: the pointer going elsewhere could take the focus away (focus follows the mouse), and a
    // player without a mouse could not bring it back.
    if (!state.Windowed || padX != 0.0f || padY != 0.0f) {
        CursorX_ = std::clamp(CursorX_, static_cast<float>(left), static_cast<float>(left + width - 1));
        CursorY_ = std::clamp(CursorY_, static_cast<float>(top), static_cast<float>(top + height - 1));
    }
    CursorX_ = std::clamp(CursorX_, 0.0f, static_cast<float>(std::max(Desktop_.ScreenWidth(), 1) - 1));
    CursorY_ = std::clamp(CursorY_, 0.0f, static_cast<float>(std::max(Desktop_.ScreenHeight(), 1) - 1));
    const int32_t x = RoundHalfEven(CursorX_);
    const int32_t y = RoundHalfEven(CursorY_);
    // The system pointer follows the game's cursor. Putting it where it already is would only race
    // with the pointer's own motion (a move that arrives between the read and the put would be lost).
    if (!CursorPlaced_ || x != PlacedX_ || y != PlacedY_) {
        Desktop_.SetCursorPosition(x, y);
        CursorPlaced_ = true;
        PlacedX_ = x;
        PlacedY_ = y;
    }
    CursorClientX_ = x - left;
    CursorClientY_ = y - top;
    if (width != screenWidth || height != screenHeight) {
        CursorClientX_ = CursorClientX_ * screenWidth / width;
        CursorClientY_ = CursorClientY_ * screenHeight / height;
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
    render.SetWindowBackBuffer(static_cast<uint16_t>(WindowBackBufferWidth()),
                               static_cast<uint16_t>(WindowBackBufferHeight()));
    render.ResetDevice(state.Windowed, &Window_, static_cast<uint16_t>(RenderWidth()),
                       static_cast<uint16_t>(RenderHeight()), Vsync_ ? 1 : 0);
    render.SetDepthTest(true);
    render.SetTextureFilter(0, 1, 0);
    services.Meshes->OnResetDevice();
    services.SceneManager->RestoreDeviceObjects();

    // Centred on the screen; the division truncates toward zero.
    Window_.SetFramePosition((Desktop_.ScreenWidth() - RenderWidth()) / 2,
                             (Desktop_.ScreenHeight() - RenderHeight()) / 2);
}
