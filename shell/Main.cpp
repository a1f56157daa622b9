#include "shell/Main.h"

#include <vector>

#include "platform/Png.h"
#include "shell/Config.h"
#include "world/GameState.h"

namespace {

constexpr const char* kCaption = "Brelvox";
constexpr const char* kOptionsFile = "Data\\options.txt";
// The form's design size, replaced at start-up by the options.
constexpr int kDesignWidth = 640;
constexpr int kDesignHeight = 480;

}  // namespace

TForm1::TForm1(platform::Window& window, platform::Desktop& desktop, platform::GraphicsSystem& graphics,
               platform::Clock& clock)
    : Window_(window), Desktop_(desktop), Graphics_(graphics), Clock_(clock) {
    Window_.SetTitle(kCaption);
    Window_.SetWindowed(true);
    Window_.SetClientSize(kDesignWidth, kDesignHeight);
}

TForm1::~TForm1() {
    FormDestroy();
}

bool TForm1::FormCreate(std::string& error) {
    Created_ = true;
    if (!InitGame(error)) {
        return false;
    }
    FrameLoopEnabled_ = true;
    return true;
}

void TForm1::FormDestroy() {
    if (!Created_) {
        return;
    }
    Created_ = false;
    FreeGame();
}

bool TForm1::InitGame(std::string& error) {
    TGameState& state = GameState();
    if (!LoadConfig(state, error)) {
        return false;
    }
    if (!LoadOptions(kOptionsFile, state, error)) {
        return false;
    }

    int x = 0;
    int y = 0;
    Desktop_.GetCursorPosition(x, y);
    CursorX_ = static_cast<float>(x);
    CursorY_ = static_cast<float>(y);

    Window_.SetWindowed(true);  // sized as a window first; the device makes it full screen if asked
    Window_.SetClientSize(state.ScreenWidth, state.ScreenHeight);
    Window_.SetFramePosition((Desktop_.ScreenWidth() - Window_.FrameWidth()) / 2,
                             (Desktop_.ScreenHeight() - Window_.FrameHeight()) / 2);
    Window_.Show();
    Desktop_.HideSystemCursor();

    Render_ = std::make_unique<TRenderD3D9>(Graphics_);
    if (!Render_->Initialize(&Window_, state.Windowed, static_cast<uint16_t>(state.ScreenWidth),
                             static_cast<uint16_t>(state.ScreenHeight), 1, error)) {
        Render_.reset();
        return false;
    }
    Render_->SetTextureFilter(0, 1, 0);
    Render_->SetDepthTest(true);

    LastTick_ = Clock_.TickCount();
    return true;
}

void TForm1::FreeGame() {
    FrameLoopEnabled_ = false;
    Render_.reset();
}

void TForm1::ApplicationEvents1Idle() {
    std::vector<platform::WindowEvent> events;
    Window_.PollEvents(events);
    for (const platform::WindowEvent& event : events) {
        switch (event.Type) {
            case platform::WindowEventType::Close:
                Closed_ = true;
                break;
            case platform::WindowEventType::Deactivate:
                ApplicationEvents1Deactivate();
                break;
            case platform::WindowEventType::Restore:
                ApplicationEvents1Restore();
                break;
            default:
                break;
        }
    }
    if (Closed_) {
        FormDestroy();
        return;
    }
    if (FrameLoopEnabled_) {
        UpdateFrame();
        DrawFrame();
    }
}

void TForm1::ApplicationEvents1Deactivate() {
    // A full-screen game steps aside: minimised, no frames until it is restored.
    if (!GameState().Windowed && FrameLoopEnabled_) {
        FrameLoopEnabled_ = false;
        Window_.Minimize();
    }
}

void TForm1::ApplicationEvents1Restore() {
    if (!Created_ || !Render_) {
        return;
    }
    FrameLoopEnabled_ = true;
    if (!GameState().Windowed) {
        Window_.Maximize();
    }
}

void TForm1::UpdateFrame() {
    uint32_t now = Clock_.TickCount();
    uint32_t dt = now - LastTick_;
    LastTick_ = now;
    (void)dt;  // the frame's time step, for the scene and the GUI once they run here

    if (Render_->IsDeviceLost()) {
        return;
    }
    if (Render_->IsDeviceNotReset()) {
        ApplyDisplayMode();
        return;
    }
}

void TForm1::ApplyDisplayMode() {
    const TGameState& state = GameState();
    int x = 0;
    int y = 0;
    Desktop_.GetCursorPosition(x, y);
    CursorX_ = static_cast<float>(x);
    CursorY_ = static_cast<float>(y);

    Window_.SetWindowed(state.Windowed);
    Window_.SetClientSize(state.ScreenWidth, state.ScreenHeight);
    Window_.Show();

    Render_->ResetDevice(state.Windowed, &Window_, static_cast<uint16_t>(state.ScreenWidth),
                         static_cast<uint16_t>(state.ScreenHeight), 1);
    Render_->SetDepthTest(true);
    Render_->SetTextureFilter(0, 1, 0);

    // Centred on the screen; the division truncates toward zero.
    Window_.SetFramePosition((Desktop_.ScreenWidth() - state.ScreenWidth) / 2,
                             (Desktop_.ScreenHeight() - state.ScreenHeight) / 2);
}

void TForm1::DrawFrame() {
    Render_->ClearTarget(128, 128, 128);
    Render_->ClearDepth();
    Render_->BeginScene();
    Render_->EndScene();
    if (!ScreenshotPath_.empty()) {
        TakeScreenshot();
    }
    Render_->Present();
    ++FramesDrawn_;
}

void TForm1::RequestScreenshot(const std::string& path) {
    ScreenshotPath_ = path;
    ScreenshotError_.clear();
}

void TForm1::TakeScreenshot() {
    std::string path;
    path.swap(ScreenshotPath_);
    platform::GraphicsDevice* device = DeviceOf(Render_->Device());
    platform::Image image;
    if (!device || !device->ReadBackBuffer(image)) {
        ScreenshotError_ = path + ": the back buffer cannot be read";
        return;
    }
    if (!platform::WritePngFile(path, image, ScreenshotError_) && ScreenshotError_.empty()) {
        ScreenshotError_ = path + ": cannot be written";
    }
}
