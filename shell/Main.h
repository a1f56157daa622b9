// The main window TForm1: start-up (InitGame), the idle-driven frame loop (UpdateFrame, DrawFrame), the
// display-mode switch, deactivation and shutdown (FreeGame). F12 (acting when let go, as the game's
// keys do) saves the frame into the per-user screenshots folder (shell/ScreenshotWriter.h).
//
// The form speaks only to the platform interfaces it is given (window, desktop, graphics system,
// clock, keyboard and mouse), so the same code runs on SDL and OpenGL for play and on the headless
// window, the recording device and scripted input in tests. It owns every service of the game
// (TGameServices) and the game flow; the game plays in the world it is given (world/World.h), which
// holds the settings and tuning values too.
//
// Start-up failures (a missing or malformed "Data/Config.txt", options file, language file, level list,
// font description or GUI skin description, no graphics device) leave the frame loop off; FormCreate
// returns the message, naming the file, for the caller to show. A missing table of records is fine.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/GraphicsDevice.h"
#include "platform/InputDevice.h"
#include "platform/Window.h"
#include "shell/Demo.h"
#include "shell/GameFlow.h"
#include "shell/GameServices.h"
#include "shell/ScreenshotWriter.h"
#include "shell/UserFiles.h"
#include "world/WorldDigest.h"

class TForm1 {
public:
    // Everything given must outlive the form. Without an input device the game sees no key and no
    // mouse. The game plays in `world`, which the form passes to the game flow and fills with the
    // services at start-up.
    TForm1(TWorld& world, platform::Window& window, platform::Desktop& desktop,
           platform::GraphicsSystem& graphics, platform::Clock& clock,
           platform::InputDevice* input = nullptr);
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

    // One frame of the game: its milliseconds and input (from the clock and the devices, or from the
    // replayed demo), the cursor, the menus and the running level.
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
    TWorld& GameWorld() { return World_; }
    TGameFlow* Flow() { return Flow_.get(); }

    // ---- demos (shell/Demo.h); the setters act before FormCreate ----
    // Replaces the options file's display and language settings and the first level of a new game.
    void SetSessionOptions(const TDemoOptions& options);
    // Play starts a new game at this level index (when no session options are given).
    void SetFirstLevel(uint8_t level) { FirstLevel_ = level; }
    // The random seed and the game clock's first tick (by default the clock's tick at start-up).
    void SetSeed(uint32_t seed);
    // The window and back buffer are `width` x `height` whatever the options say; the game itself (the
    // cursor, the menus, aiming) keeps the options' resolution, so a replay plays the same at any size.
    void SetRenderSize(int width, int height);
    void SetVsync(bool vsync) { Vsync_ = vsync; }
    // Each frame the game runs is written to `writer` (owned by the caller; null stops recording).
    void SetRecorder(TDemoWriter* writer) { Recorder_ = writer; }
    // Frames come from `frames` (owned by the caller) instead of the clock, the input device, the
    // desktop pointer and the window's focus; no file is written. After the last frame the game stands
    // still and ReplayFinished() is true.
    void SetReplay(const TDemoFrames* frames);
    bool ReplayFinished() const { return Replay_ != nullptr && ReplayNext_ >= Replay_->size(); }
    size_t ReplayedFrames() const { return ReplayNext_; }
    // What is in force after FormCreate: the options and the seed a recording's header holds.
    TDemoOptions SessionOptions() const;
    uint32_t Seed() const { return Seed_; }
    // The world as it stands (world/WorldDigest.h), with the history of every frame recorded or
    // replayed so far; FinalDigest is the one taken as FormDestroy began
    // (a session closed from its own menus ends there).
    TWorldDigest Digest();
    const TWorldDigest& FinalDigest() const { return FinalDigest_; }
    // The least a frame can cost in this window: clear, one full-screen textured quad, present.
    void DrawFloorFrame();

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
    // The meshes of kGameMeshes, on the first call only.
    void LoadGameMeshes();
    // The named game textures in one atlas; nullptr (and a log line) when one cannot be read.
    std::unique_ptr<TTextureAtlas> BuildAtlas(std::initializer_list<const char*> names);
    void FreeGame();
    // The mouse's motion and the controller's sticks over `dt` milliseconds.
    void MoveCursor(int32_t dt);
    // The next frame's time and input; false when there is none (the replay is over).
    bool TakeFrame(TDemoFrame& frame);
    void PlayFrame(TDemoFrame& frame);
    int RenderWidth() const;
    int RenderHeight() const;
    void SetQuadShaders();
    void TakeScreenshot();
    void QueueF12Screenshot();

    platform::Window& Window_;
    platform::Desktop& Desktop_;
    platform::GraphicsSystem& Graphics_;
    platform::Clock& Clock_;
    platform::InputDevice* InputDevice_;
    TWorld& World_;

    TGameServices Services_;
    std::unique_ptr<TGameFlow> Flow_;

    bool FrameLoopEnabled_ = false;
    bool Closed_ = false;
    bool Created_ = false;
    bool Initialized_ = false;       // InitGame went through: frames may run
    bool GameMeshesLoaded_ = false;  // LoadGameMeshes ran on this mesh cache
    uint32_t LastTick_ = 0;
    uint32_t GameTicks_ = 0;  // the game's clock: the seed plus every frame's milliseconds
    uint32_t Seed_ = 0;
    bool SeedGiven_ = false;
    bool HasSessionOptions_ = false;
    uint8_t FirstLevel_ = 0;
    TDemoOptions SessionOptions_;
    int RenderWidth_ = 0;  // 0: the options' resolution
    int RenderHeight_ = 0;
    bool Vsync_ = true;
    uint8_t PendingEvents_ = 0;
    TWorldDigest FinalDigest_;
    uint64_t History_ = 0;        // every recorded or replayed frame's world digest, folded
    uint64_t HistoryFrames_ = 0;  // TDemoEvent bits for the next frame
    TDemoWriter* Recorder_ = nullptr;
    const TDemoFrames* Replay_ = nullptr;
    size_t ReplayNext_ = 0;
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
