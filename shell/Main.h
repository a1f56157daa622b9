// The main window TForm1: start-up (InitGame), the idle-driven frame loop (UpdateFrame, DrawFrame), the
// display-mode switch, deactivation and shutdown (FreeGame). F12 (acting when let go, as the game's
// keys do) saves the frame into the per-user screenshots folder (shell/ScreenshotWriter.h).
//
// The form speaks only to the platform interfaces it is given (window, desktop, graphics system,
// clock, keyboard and mouse), so the same code runs on SDL and OpenGL for play and on the headless
// window, the recording device and scripted input in tests. It owns every service of the game
// (TGameServices) and the game flow; the settings and tuning values live in GameState().
//
// Start-up failures (a missing or malformed "Data/Config.txt", options file, language file, level list,
// font description or GUI skin description, no graphics device) leave the frame loop off; FormCreate
// returns the message, naming the file, for the caller to show. A missing table of records is fine.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/GraphicsDevice.h"
#include "platform/InputDevice.h"
#include "platform/Window.h"
#include "shell/GameFlow.h"
#include "shell/GameServices.h"
#include "shell/ScreenshotWriter.h"
#include "shell/UserFiles.h"

class TForm1 {
public:
    // Everything given must outlive the form. Without an input device the game sees no key and no
    // mouse.
    TForm1(platform::Window& window, platform::Desktop& desktop, platform::GraphicsSystem& graphics,
           platform::Clock& clock, platform::InputDevice* input = nullptr);
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // Before FormCreate: where the options and the records are read and written, and where F12 puts
    // screenshots (default: the design's files in Data, no screenshot folder).
    void SetUserFiles(const TUserFiles& files) { Services_.UserFiles = files; }
    // Before FormCreate: full screen or a window for this run, whatever the options file says. Not
    // saved unless the player saves the Options screen.
    void OverrideWindowed(bool windowed) { WindowedOverride_ = windowed; }

    // InitGame, then the frame loop is enabled. False with `error` (naming the file and what is wrong)
    // when start-up failed part-way: the loop stays off and no frame runs.
    bool FormCreate(std::string& error);
    // FreeGame. Also run by the destructor; a second call does nothing.
    void FormDestroy();

    // One idle call: the window's events, then (while the loop is enabled) UpdateFrame and DrawFrame.
    void ApplicationEvents1Idle();
    // The application lost the focus: a running level pauses; in full screen the window is also
    // minimised and frames stop until ApplicationEvents1Restore, which the window's restore or the
    // focus coming back (a window manager may ignore the minimise) runs.
    void ApplicationEvents1Deactivate();
    void ApplicationEvents1Restore();

    void UpdateFrame();
    void DrawFrame();
    // Window style, size, device reset (device resources released and re-created around it) and
    // centring for the current Windowed / ScreenWidth / ScreenHeight.
    void ApplyDisplayMode();

    // The close box, a quit request or the Exit confirmation: the program ends.
    bool Closed() const { return Closed_; }
    bool FrameLoopEnabled() const { return FrameLoopEnabled_; }
    // DrawFrame calls so far.
    uint64_t FramesDrawn() const { return FramesDrawn_; }
    TRenderD3D9* Render() { return Services_.Render.get(); }
    TGameServices& Services() { return Services_; }
    TGameFlow* Flow() { return Flow_.get(); }

    // The software cursor: in desktop pixels in a window, in back-buffer pixels in full screen; and the
    // same point in back-buffer pixels (ScreenWidth x ScreenHeight), the frame the GUI, the HUD and the
    // picking ray use. In a window of the asked size those are its client pixels; a full-screen window
    // covering a larger desktop shows the back buffer stretched, and the system pointer is kept over
    // the point where the cursor is drawn.
    float CursorX() const { return CursorX_; }
    float CursorY() const { return CursorY_; }
    int32_t CursorClientX() const { return CursorClientX_; }
    int32_t CursorClientY() const { return CursorClientY_; }

    // The next DrawFrame writes its back buffer, as it is before Present, to a PNG at `path` (a real
    // path). The outcome is in ScreenshotError() afterwards: empty when written.
    void RequestScreenshot(const std::string& path);
    bool ScreenshotPending() const { return !ScreenshotPath_.empty(); }
    const std::string& ScreenshotError() const { return ScreenshotError_; }
    // Returns when every F12 screenshot taken so far is written.
    void FlushScreenshots() { ScreenshotWriter_.Flush(); }

private:
    bool InitGame(std::string& error);
    void LoadSounds();
    void LoadGameMeshes();
    void FreeGame();
    // The mouse's motion and the controller's sticks over `dt` milliseconds.
    void MoveCursor(int32_t dt);
    void SetQuadShaders();
    void TakeScreenshot();
    void QueueF12Screenshot();

    platform::Window& Window_;
    platform::Desktop& Desktop_;
    platform::GraphicsSystem& Graphics_;
    platform::Clock& Clock_;
    platform::InputDevice* InputDevice_;

    TGameServices Services_;
    std::unique_ptr<TGameFlow> Flow_;

    bool FrameLoopEnabled_ = false;
    bool Closed_ = false;
    bool Created_ = false;
    bool Initialized_ = false;  // InitGame went through: frames may run
    uint32_t LastTick_ = 0;
    float CursorX_ = 0.0f;  // the software cursor (desktop or back-buffer pixels)
    float CursorY_ = 0.0f;
    int32_t CursorClientX_ = 0;  // the same point in back-buffer pixels
    int32_t CursorClientY_ = 0;
    bool CursorPlaced_ = false;  // the system pointer was put at (PlacedX_, PlacedY_)
    int32_t PlacedX_ = 0;
    int32_t PlacedY_ = 0;
    uint64_t FramesDrawn_ = 0;
    std::string ScreenshotPath_;
    std::string ScreenshotError_;
    std::optional<bool> WindowedOverride_;
    bool F12Pressed_ = false;
    TScreenshotWriter ScreenshotWriter_;
};
