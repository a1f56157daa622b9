// The main window TForm1: start-up (InitGame), the idle-driven frame loop (UpdateFrame, DrawFrame), the
// display-mode switch and shutdown (FreeGame).
//
// The form speaks only to the platform interfaces it is given (window, desktop, graphics system,
// clock), so the same code runs on SDL and OpenGL for play and on the headless window and the
// recording device in tests. The settings and tuning values live in GameState() (world/GameState.h).
//
// Start-up failures (a missing or malformed "Data/Config.txt" or "Data\options.txt", no graphics
// device) leave the frame loop off; FormCreate returns the message for the caller to show.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/GraphicsDevice.h"
#include "platform/Window.h"
#include "render/GE_D3D9.h"

class TForm1 {
public:
    // Everything given must outlive the form.
    TForm1(platform::Window& window, platform::Desktop& desktop, platform::GraphicsSystem& graphics,
           platform::Clock& clock);
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // InitGame, then the frame loop is enabled. False with `error` (naming the file and what is wrong)
    // when start-up failed part-way: the loop stays off and no frame runs.
    bool FormCreate(std::string& error);
    // FreeGame. Also run by the destructor; a second call does nothing.
    void FormDestroy();

    // One idle call: the window's events, then (while the loop is enabled) UpdateFrame and DrawFrame.
    void ApplicationEvents1Idle();
    void ApplicationEvents1Deactivate();
    void ApplicationEvents1Restore();

    void UpdateFrame();
    void DrawFrame();
    // Window style, size and device reset for the current Windowed / ScreenWidth / ScreenHeight.
    void ApplyDisplayMode();

    // The close box (or a quit request) was used: the program ends.
    bool Closed() const { return Closed_; }
    bool FrameLoopEnabled() const { return FrameLoopEnabled_; }
    // DrawFrame calls so far.
    uint64_t FramesDrawn() const { return FramesDrawn_; }
    TRenderD3D9* Render() { return Render_.get(); }

    // The next DrawFrame writes its back buffer, as it is before Present, to a PNG at `path` (a real
    // path). The outcome is in ScreenshotError() afterwards: empty when written.
    void RequestScreenshot(const std::string& path);
    bool ScreenshotPending() const { return !ScreenshotPath_.empty(); }
    const std::string& ScreenshotError() const { return ScreenshotError_; }

private:
    bool InitGame(std::string& error);
    void FreeGame();
    void TakeScreenshot();

    platform::Window& Window_;
    platform::Desktop& Desktop_;
    platform::GraphicsSystem& Graphics_;
    platform::Clock& Clock_;

    std::unique_ptr<TRenderD3D9> Render_;

    bool FrameLoopEnabled_ = false;
    bool Closed_ = false;
    bool Created_ = false;
    uint32_t LastTick_ = 0;
    float CursorX_ = 0.0f;  // the software cursor in screen pixels
    float CursorY_ = 0.0f;
    uint64_t FramesDrawn_ = 0;
    std::string ScreenshotPath_;
    std::string ScreenshotError_;
};
