#include "shell/Main.h"

#include <algorithm>
#include <vector>

#include "shell/FloorFrame.h"
#include "shell/FramePacer.h"
#include "shell/Menus.h"
#include "shell/Startup.h"
#include "util/GE_UTILS.h"
#include "util/Log.h"
#include "world/GameState.h"
#include "world/WorldContext.h"

namespace {

constexpr const char* kCaption = "Brelvox";
// The form's design size, replaced at start-up by the options.
constexpr int kDesignWidth = 640;
constexpr int kDesignHeight = 480;

}  // namespace

TForm1::TForm1(TWorld& world, const files::TDataRoot& root, platform::Window& window,
               platform::Desktop& desktop, platform::GraphicsSystem& graphics, platform::Clock& clock,
               platform::InputDevice* input)
    : Window_(window),
      Desktop_(desktop),
      Graphics_(graphics),
      Clock_(clock),
      InputDevice_(input),
      World_(world),
      Services_(root),
      Display_(window, desktop, world.State),
      Demos_(world) {
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
    Initialized_ = true;
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
    // A fresh game: nothing of an earlier one in this world carries over.
    World_.State = TGameState();
    TGameState& state = World_.State;
    if (!ReadSettings(Services_.Root, state, Services_.UserFiles, error)) {
        return false;
    }
    ReadPlayerSettings(Services_, state);
    Display_.SetVsync(Display_.Vsync() && Services_.Settings.Vsync);
    Demos_.ApplyOptions(state);
    if (WindowedOverride_) {
        state.Windowed = *WindowedOverride_;
    }
    // A demo plays on the screen it was recorded on, whatever the window's size.
    Display_.SetFixedScreen(Demos_.Replaying() || Demos_.Recording());
    Display_.OpenWindow();
    Display_.UpdateLayout();
    if (!StartRenderer(Services_, Graphics_, Window_, Display_, state.Windowed, error)) {
        return false;
    }
    StartScene(Services_, Display_.Layout());
    StartCachesAndInput(Services_, InputDevice_);
    GameMeshesLoaded_ = false;
    StartFinished_ = false;
    ApplyPlayerSettings(Services_, state, Display_);
    if (!StartGui(Services_, LoadMenuPictures(Services_), error)) {
        return false;
    }
    BuildRooms();
    PlaceHud(*Services_.GUI, Display_.Layout());
    OfferResolutions();
    Services_.GUI->SetActiveForm("MainMenu");
    if (!LoadLanguages(Services_, state, error) || !LoadFont(Services_, error)) {
        return false;
    }
    LastTick_ = Clock_.TickCount();
    LoadCursorPicture(Services_);
    if (!LoadRecordsAndLevels(Services_, error)) {
        return false;
    }
    StartWorld();
    return true;
}

// The rooms of the shell: the menus' flow, the editor and the settings screens, with their forms.
void TForm1::BuildRooms() {
    auto loadGameMeshes = [this]() {
        FinishStart();
        if (!GameMeshesLoaded_) {
            GameMeshesLoaded_ = true;
            LoadGameMeshes(Services_);
        }
    };
    Flow_ = std::make_unique<TGameFlow>(
        World_, Services_,
        TGameFlow::THooks{[this]() { ApplyDisplayMode(); }, [this]() { Closed_ = true; }, loadGameMeshes});
    Construction_ = std::make_unique<TConstruction>(World_, Services_, *Flow_, loadGameMeshes,
                                                    Services_.UserFiles.Folder);
    TMenuCallbacks callbacks = Flow_->MenuCallbacks();
    callbacks.Construction = Construction_->MainMenuCallback();
    BuildMenus(*Services_.GUI, Services_.Render->Device(), callbacks);
    Construction_->BuildForms(Services_.Render->Device());
    SettingsScreens_ = std::make_unique<TSettingsScreens>(
        World_, Services_,
        TSettingsScreens::THooks{[this]() { ApplyPlayerSettings(Services_, World_.State, Display_); },
                                 [this]() { return Demos_.InSession(); },
                                 [this](const std::string& path, const std::string& why) {
                                     Flow_->ReportSaveFailure(path, why);
                                 }});
    SettingsScreens_->Build(Services_.Render->Device());
}

// The world joined to the services, its clock and random decisions started, and what the player
// keeps between games read.
void TForm1::StartWorld() {
    // The world's objects reach the services through their context; random decisions reseed from
    // the game's clock, which starts at the seed and moves on by each frame's milliseconds.
    ConnectWorld(World_, Services_);
    GameTicks_ = Demos_.StartSeed(LastTick_);
    World_.Random.Seed = GameTicks_;
    World_.Random.Ticks = [this]() { return GameTicks_; };
    if (Demos_.Replaying()) {
        Flow_->SetSaveFiles(false);
        Construction_->SetSaveFiles(false);
        SettingsScreens_->SetSaveFiles(false);
    } else if (!Demos_.Recording()) {
        Flow_->LoadProgress();  // a demo's menus stay those of the game it was recorded in
    }
    Construction_->LoadUserLevels();
}

void TForm1::FinishStart() {
    if (StartFinished_) {
        return;
    }
    StartFinished_ = true;
    LoadSounds(Services_);
    ApplyPlayerSettings(Services_, World_.State, Display_);
    LoadGamePictures(Services_);
    // The world's objects reach the sound and the particle atlas through their context.
    ConnectWorld(World_, Services_);
}

void TForm1::FreeGame() {
    if (Initialized_) {
        Demos_.Finish();
    }
    FrameLoopEnabled_ = false;
    Initialized_ = false;
    Services_.Levels.reset();
    if (Flow_) {
        Flow_->StopLevel();
    }
    Construction_.reset();
    World_.Context = TWorldContext{};
    World_.Random.Ticks = nullptr;
    FreeServices(Services_);
    SettingsScreens_.reset();
    Flow_.reset();
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
            case platform::WindowEventType::Activate:
                // A window manager may ignore the minimise, or give the focus back without a restore:
                // the focus coming back is enough to resume the frames.
                if (!FrameLoopEnabled_) {
                    ApplicationEvents1Restore();
                }
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
        if (FramesDrawn_ > 0) {
            FinishStart();  // once the first frame is on the screen
        }
        UpdateFrame();
        DrawFrame();
    }
    if (Closed_) {
        FormDestroy();  // the Exit confirmation closed the window during this frame
    }
}

void TForm1::ApplicationEvents1Deactivate() {
    if (!Initialized_) {
        return;
    }
    TGameState& state = World_.State;
    // The level pauses at the next frame, which records the loss (a replay takes it from the demo).
    if (!Demos_.Replaying()) {
        PendingEvents_ |= kDemoFocusLost;
    }
    // A full-screen game steps aside: minimised, no frames until it is restored.
    if (!state.Windowed && FrameLoopEnabled_) {
        FrameLoopEnabled_ = false;
        Window_.Minimize();
    }
}

void TForm1::ApplicationEvents1Restore() {
    if (!Initialized_) {
        return;
    }
    FrameLoopEnabled_ = true;
    if (!World_.State.Windowed) {
        Window_.Maximize();
    }
}

void TForm1::UpdateFrame() {
    TDemoFrame frame;
    if (!TakeFrame(frame)) {
        return;
    }
    PlayFrame(frame);
    Demos_.FramePlayed(frame);
}

bool TForm1::TakeFrame(TDemoFrame& frame) {
    if (Demos_.Replaying()) {
        return Demos_.NextReplayed(frame);
    }
    uint32_t now = Clock_.TickCount();
    // Whole milliseconds; the difference wraps with the tick count. A frame longer than a demo can
    // hold (the machine slept) counts as that long, in play as in the demo.
    frame.Ms = std::min(now - LastTick_, kDemoMostFrameMs);
    LastTick_ = now;
    TRenderD3D9& render = *Services_.Render;
    if (render.IsDeviceLost()) {
        return false;
    }
    if (render.IsDeviceNotReset()) {
        ApplyDisplayMode();
        return false;
    }
    Services_.Input->Read(frame.Input);
    frame.Events = PendingEvents_;
    PendingEvents_ = 0;
    return true;
}

void TForm1::PlayFrame(TDemoFrame& frame) {
    const auto dt = static_cast<int32_t>(frame.Ms);
    GameTicks_ += frame.Ms;
    Flow_->Notice().Tick(dt);
    if (Services_.Audio) {
        Services_.Audio->Update(frame.Ms);
    }
    TInput& input = *Services_.Input;
    input.Apply(frame.Input);
    // F12 is the player's own: a replayed session takes no pictures.
    if (!Demos_.Replaying() && input.KeyReleased(KEY_F12)) {
        Screenshots_.PressF12();  // the picture is taken when this frame is drawn
    }
    for (const TScreenshotFailure& failure : Screenshots_.TakeFailures()) {
        Flow_->ReportSaveFailure(failure.Path, failure.Error);
    }
    TGameState& state = World_.State;
    if ((frame.Events & kDemoFocusLost) != 0 && state.InGame && !state.Paused) {
        Flow_->Pause();
    }
    if (!Demos_.Replaying()) {
        frame.CursorX = Display_.CursorClientX();
        frame.CursorY = Display_.CursorClientY();
    }

    if ((input.KeyDown(KEY_LEFT_ALT) || input.KeyDown(KEY_RIGHT_ALT)) && input.KeyReleased(KEY_ENTER)) {
        if (state.InGame && !state.Paused) {
            Flow_->Pause();
        }
        state.Windowed = !state.Windowed;
        ApplyDisplayMode();
        return;
    }

    if (!Demos_.Replaying()) {
        Display_.MoveCursor(input, dt);
        frame.CursorX = Display_.CursorClientX();
        frame.CursorY = Display_.CursorClientY();
    } else {
        Display_.SetClientCursor(frame.CursorX, frame.CursorY);
    }
    const int32_t cursorX = Display_.CursorClientX();
    const int32_t cursorY = Display_.CursorClientY();
    if (Display_.UpdateLayout()) {
        SetViewProjection(Services_, Display_.Layout());
        PlaceHud(*Services_.GUI, Display_.Layout());
    }
    const TScreenLayout& layout = Display_.Layout();

    TVector2 mouse =
        Vector2(static_cast<float>(cursorX) / static_cast<float>(layout.Width) * 2.0f - 1.0f,
                -(static_cast<float>(cursorY) / static_cast<float>(layout.Height) * 2.0f - 1.0f));
    SetGuiView();
    Services_.GUI->ProcessInput(dt, mouse);
    SettingsScreens_->Update();
    if (Services_.GUI->GetActiveFormName() == "Options") {
        Flow_->Resolutions().Follow(*Services_.GUI);
    }

    if (Construction_->Editing()) {
        Construction_->UpdateEditor(dt, input, cursorX, cursorY, state.ScreenWidth, state.ScreenHeight);
        return;
    }
    Construction_->UpdateMenus(input);  // after the editor: a key that leaves it is not taken twice
    if (!state.InGame) {
        return;
    }
    if (input.ActionReleased(ActionPause)) {
        Flow_->TogglePause();
    }
    if (state.Paused) {
        return;
    }
    Services_.SceneManager->Update(dt);
    // The cursor is in the screen's pixels, whatever size the window's client area has (a full-screen
    // window covers the desktop and shows the screen in its shape).
    Flow_->UpdateFlow(dt, cursorX, cursorY, layout.Width, layout.Height);
}

void TForm1::OfferResolutions() {
    const std::vector<platform::ScreenSize> sizes =
        TResolutionChooser::Offered(Desktop_.ScreenWidth(), Desktop_.ScreenHeight(), Desktop_.DisplayModes());
    Flow_->Resolutions().SetSizes(sizes);
    const TGameState& state = World_.State;
    const bool offered = std::any_of(sizes.begin(), sizes.end(), [&](const platform::ScreenSize& size) {
        return size.Width == state.ScreenWidth && size.Height == state.ScreenHeight;
    });
    if (!offered) {
        logging::Write(
            "display",
            "the options name " + std::to_string(state.ScreenWidth) + "x" +
                std::to_string(state.ScreenHeight) + ", which this display does not offer: " +
                (state.Windowed ? "a window of that size" : "full screen shows it scaled in its shape"));
    }
}

void TForm1::SetGuiView() {
    const TScreenLayout& layout = Display_.Layout();
    Services_.GUI->SetView(Services_.GUI->GetActiveFormName() == "Game" ? layout.Hud : layout.Menu);
}

int32_t TForm1::FrameRateLimitNow() const {
    const TGameState& state = World_.State;
    return FrameRateLimit(Services_.Settings, Display_.Vsync(), !state.InGame || state.Paused);
}

void TForm1::DrawFrame() {
    TRenderD3D9& render = *Services_.Render;
    const TScreenLayout& layout = Display_.Layout();
    const std::string form = Services_.GUI->GetActiveFormName();
    const bool inGameScreen = form == "Game";
    const int32_t cursorX = Display_.CursorClientX();
    const int32_t cursorY = Display_.CursorClientY();

    Services_.GUI->ChooseFineness(layout.TextureFineness);

    render.ClearTarget(128, 128, 128);
    render.ClearDepth();
    render.BeginScene();

    if (Construction_ && Construction_->Editing()) {
        Construction_->DrawEditor();
    } else if (!inGameScreen) {
        SetQuadShaders(Services_);
        render.SetDepthTest(false);
        Flow_->Hud().DrawTexturedQuad("BG", layout.BackdropX, layout.BackdropY, layout.BackdropWidth,
                                      layout.BackdropHeight);
    } else {
        Services_.SceneManager->Render();
        Flow_->Hud().DrawHud(cursorX, cursorY, layout);
    }

    // The GUI and the text with point filtering, so the skin and the glyphs stay crisp.
    render.SetDepthTest(true);
    render.SetTextureFilter(0, 0, 0);
    SetGuiView();
    Services_.GUI->Draw();
    Services_.Font->SetView(layout.Menu);
    Flow_->Notice().Queue(Services_.Font.get());
    Services_.Font->Flush();
    render.SetTextureFilter(0, 1, 0);

    if (form == "Help") {
        Flow_->Hud().DrawHelpIcons(layout.Menu);
    }
    if (!inGameScreen) {
        SetQuadShaders(Services_);
        render.SetAlphaBlend(true);
        render.SetDepthTest(false);
        Flow_->Hud().DrawTexturedQuad(
            kCursorTexture, PixelToNdcX(cursorX, layout.Width), PixelToNdcY(cursorY, layout.Height),
            SizeToNdcW(layout.CursorSize, layout.Width), SizeToNdcH(layout.CursorSize, layout.Height));
        render.SetAlphaBlend(false);
        render.SetDepthTest(true);
    }

    render.EndScene();
    Screenshots_.Take(render.Device(), Services_.UserFiles);
    render.Present();
    ++FramesDrawn_;
}
