// The main window TForm1: start-up (InitGame, its steps in shell/Startup.h), the idle-driven frame loop
// (UpdateFrame, DrawFrame), deactivation and shutdown (FreeGame). It delegates the display's modes and
// the cursor to TDisplay (shell/Display.h), demo recording and replay to TDemoSession
// (shell/DemoSession.h) and the pictures a frame takes to TScreenshots (shell/Screenshots.h): F12
// (acting when let go, as the game's keys do) saves the frame into the per-user screenshots folder.
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
#include <memory>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/GraphicsDevice.h"
#include "platform/InputDevice.h"
#include "platform/Window.h"
#include "shell/Construction.h"
#include "shell/Demo.h"
#include "shell/DemoSession.h"
#include "shell/Display.h"
#include "shell/GameFlow.h"
#include "shell/GameServices.h"
#include "shell/Screenshots.h"
#include "shell/SettingsScreens.h"
#include "shell/UserFiles.h"

class TForm1 {
public:
    // Everything given must outlive the form. Without an input device the game sees no key and no
    // mouse. The game plays in `world`, which the form passes to the game flow and fills with the
    // services at start-up. Game files are read from `root`.
    TForm1(TWorld& world, const files::TDataRoot& root, platform::Window& window, platform::Desktop& desktop,
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
    // The display's mode for the current Windowed / ScreenWidth / ScreenHeight (TDisplay::ApplyMode).
    void ApplyDisplayMode() { Display_.ApplyMode(Services_); }

    // The rate the frame loop paces this frame to (shell/FramePacer.h), 0 for none.
    int32_t FrameRateLimitNow() const;

    // The close box, a quit request or the Exit confirmation: the program ends.
    bool Closed() const { return Closed_; }
    bool FrameLoopEnabled() const { return FrameLoopEnabled_; }
    // DrawFrame calls so far.
    uint64_t FramesDrawn() const { return FramesDrawn_; }
    TRenderD3D9* Render() { return Services_.Render.get(); }
    TGameServices& Services() { return Services_; }
    TWorld& GameWorld() { return World_; }
    TGameFlow* Flow() { return Flow_.get(); }

    // The rooms the form delegates to: the display (modes, the cursor), demo recording and replay
    // (the setters act before FormCreate), and the screenshots a frame takes.
    TDisplay& Display() { return Display_; }
    const TDisplay& Display() const { return Display_; }
    TDemoSession& Demos() { return Demos_; }
    const TDemoSession& Demos() const { return Demos_; }
    TScreenshots& Screenshots() { return Screenshots_; }
    // The level editor and the player's own levels (after FormCreate).
    TConstruction* Construction() { return Construction_.get(); }

private:
    bool InitGame(std::string& error);
    // InitGame's parts: the shell's rooms (flow, editor, settings screens) and the world's start.
    void BuildRooms();
    void StartWorld();
    // What the first menu frame does not draw, loaded once that frame is shown (or before a level is
    // built, whichever comes first): the sounds, the game's pictures and the particle shaders.
    void FinishStart();
    void FreeGame();
    // The next frame's time and input; false when there is none (the replay is over).
    bool TakeFrame(TDemoFrame& frame);
    void PlayFrame(TDemoFrame& frame);
    // The Options screen's resolutions from the desktop; the log says when the options name another.
    void OfferResolutions();
    // The GUI's view for its active form: the HUD's for "Game", the menus' for the others.
    void SetGuiView();

    platform::Window& Window_;
    platform::Desktop& Desktop_;
    platform::GraphicsSystem& Graphics_;
    platform::Clock& Clock_;
    platform::InputDevice* InputDevice_;
    TWorld& World_;

    TGameServices Services_;
    std::unique_ptr<TGameFlow> Flow_;
    std::unique_ptr<TConstruction> Construction_;
    std::unique_ptr<TSettingsScreens> SettingsScreens_;
    TDisplay Display_;
    TDemoSession Demos_;
    TScreenshots Screenshots_;

    bool FrameLoopEnabled_ = false;
    bool Closed_ = false;
    bool Created_ = false;
    bool Initialized_ = false;       // InitGame went through: frames may run
    bool GameMeshesLoaded_ = false;  // the game's meshes are in this mesh cache
    bool StartFinished_ = false;     // FinishStart ran for this InitGame
    uint32_t LastTick_ = 0;
    uint32_t GameTicks_ = 0;     // the game's clock: the seed plus every frame's milliseconds
    uint8_t PendingEvents_ = 0;  // TDemoEvent bits for the next frame
    uint64_t FramesDrawn_ = 0;
    std::optional<bool> WindowedOverride_;
};
