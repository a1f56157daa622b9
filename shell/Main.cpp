#include "shell/Main.h"

#include <algorithm>
#include <vector>

#include "input/Gamepad.h"
#include "platform/Png.h"
#include "shell/Config.h"
#include "shell/Menus.h"
#include "shell/StartupFiles.h"
#include "util/Files.h"
#include "util/GE_UTILS.h"
#include "util/Log.h"
#include "world/GameState.h"
#include "world/WorldContext.h"

namespace {

constexpr const char* kCaption = "Brelvox";
// The form's design size, replaced at start-up by the options.
constexpr int kDesignWidth = 640;
constexpr int kDesignHeight = 480;
constexpr float kMusicVolume = 0.8f;
// The menu cursor, in screen pixels.
constexpr int32_t kCursorSize = 40;

}  // namespace

TForm1::TForm1(TWorld& world, platform::Window& window, platform::Desktop& desktop,
               platform::GraphicsSystem& graphics, platform::Clock& clock, platform::InputDevice* input)
    : Window_(window),
      Desktop_(desktop),
      Graphics_(graphics),
      Clock_(clock),
      InputDevice_(input),
      World_(world) {
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
    // 1-2: tuning and options; first the leftovers of saves killed before their rename.
    RemoveStaleSaveTemporaries(Services_.UserFiles.OptionsWrite);
    RemoveStaleSaveTemporaries(Services_.UserFiles.RecordsWrite);
    if (!LoadConfig(state, error)) {
        return false;
    }
    if (!LoadOptions(Services_.UserFiles.OptionsRead, state, error)) {
        return false;
    }
    if (HasSessionOptions_) {
        state.Windowed = SessionOptions_.Windowed;
        state.ScreenWidth = SessionOptions_.ScreenWidth;
        state.ScreenHeight = SessionOptions_.ScreenHeight;
        state.Language = SessionOptions_.Language;
        state.FirstLevel = SessionOptions_.FirstLevel;
    } else {
        state.FirstLevel = FirstLevel_;
    }
    if (WindowedOverride_) {
        state.Windowed = *WindowedOverride_;
    }

    // 3: the software cursor starts where the system cursor is.
    int x = 0;
    int y = 0;
    Desktop_.GetCursorPosition(x, y);
    CursorX_ = static_cast<float>(x);
    CursorY_ = static_cast<float>(y);

    // 4: the window, sized as a window first; the device makes it full screen if asked.
    Window_.SetWindowed(true);
    Window_.SetClientSize(RenderWidth(), RenderHeight());
    Window_.SetFramePosition((Desktop_.ScreenWidth() - Window_.FrameWidth()) / 2,
                             (Desktop_.ScreenHeight() - Window_.FrameHeight()) / 2);
    Window_.Show();
    Desktop_.HideSystemCursor();

    // 5: the renderer.
    Services_.Render = std::make_unique<TRenderD3D9>(Graphics_);
    TRenderD3D9& render = *Services_.Render;
    if (!render.Initialize(&Window_, state.Windowed, static_cast<uint16_t>(RenderWidth()),
                           static_cast<uint16_t>(RenderHeight()), Vsync_ ? 1 : 0, error)) {
        return false;
    }
    render.SetTextureFilter(0, 1, 0);
    render.SetDepthTest(true);

    // 6: the scene manager and its camera.
    Services_.SceneManager = std::make_unique<TSceneManager>(render);
    TCamera* camera = Services_.SceneManager->GetCamera();
    camera->SetPosition(0.0f, 23.0f, -16.5f);
    camera->SetRotation(60.0f, 0.0f, 0.0f);
    camera->SetProjection(1.5707964f,
                          static_cast<float>(state.ScreenWidth) / static_cast<float>(state.ScreenHeight),
                          1.0f, 100.0f);

    // 7-9: the particle shaders, the mesh cache, the input.
    Services_.Shaders = std::make_unique<TShaderManager>(render.Device());
    Services_.Shaders->AddPixelShader("Particle", kParticlePixelShader, "main");
    Services_.Shaders->AddVertexShader("Particle", kParticleVertexShader, "main");
    Services_.Meshes = std::make_unique<TMeshManager>(render.Device());
    GameMeshesLoaded_ = false;
    Services_.Input = std::make_unique<TInput>();
    Services_.Input->Init(InputDevice_);

    // 10: sounds and music.
    LoadSounds();

    // 11-12: the quad shaders and the menu textures.
    Services_.QuadVertexShader = std::make_unique<TVertexShader>();
    Services_.QuadVertexShader->LoadFromFile(render.Device(), kQuadVertexShader, "main");
    Services_.QuadPixelShader = std::make_unique<TPixelShader>();
    Services_.QuadPixelShader->LoadFromFile(render.Device(), kQuadPixelShader, "main");
    TTextureManager* textures = Services_.Meshes->GetTextureManager();
    TTextureResource* skin = nullptr;
    for (const TNamedFile& texture : kMenuTextures) {
        TTextureResource* entry = textures->AddTexture(render.Device(), texture.Name, texture.File);
        if (std::string_view(texture.Name) == "GUI") {
            skin = entry;
        }
    }

    // 13-14: the GUI (it reaches the font through its slot; the font comes in step 17) and the menus.
    Services_.GUI = std::make_unique<TGUI>(
        render, kSkinInfoFile, skin != nullptr ? &skin->Texture.Get() : nullptr, kSkinWidth, kSkinHeight,
        kGuiVertexShader, kGuiPixelShader, &Services_.Font, &Services_.Input);
    if (!Services_.GUI->LoadError().empty()) {
        error = Services_.GUI->LoadError();
        return false;
    }
    Flow_ = std::make_unique<TGameFlow>(
        World_, Services_,
        TGameFlow::THooks{[this]() { ApplyDisplayMode(); }, [this]() { Closed_ = true; },
                          [this]() { LoadGameMeshes(); }});
    BuildMenus(*Services_.GUI, render.Device(), Flow_->MenuCallbacks());
    Services_.GUI->SetActiveForm("MainMenu");

    // 15-16: the languages.
    Services_.Languages = std::make_unique<TLanguages>();
    if (!Services_.Languages->LoadFromFiles(kUkrainianFile, kRussianFile, kEnglishFile, error)) {
        return false;
    }
    ApplyLanguage(state, *Services_.GUI, *Services_.Languages, state.Language);

    // 17: the font.
    Services_.Font = std::make_unique<TMYFont>(render);
    if (!Services_.Font->LoadFromFile(kFontTexture, kFontInfoFile, kFontPixelShader, kFontVertexShader,
                                      error)) {
        return false;
    }

    // 18-20: the clock, the game's textures. The game's meshes wait for the first level (LoadGameMeshes):
    // the menus draw none, and the first menu frame comes sooner.
    LastTick_ = Clock_.TickCount();
    for (const TNamedFile& texture : kGameTextures) {
        textures->AddTexture(render.Device(), texture.Name, texture.File);
    }
    // Pictures drawn one after another share a texture, so they share draw calls; without an atlas
    // each draws from its own.
    Services_.ParticleAtlas = BuildAtlas({"Particle", "Spark", "Bang", "Romb", "Wall", "Respaun"});
    Services_.HudAtlas = BuildAtlas({"Armour", "Clock", "Life", "Guncur"});

    // 21: the table of records (a missing file is fine) and the level list.
    Services_.Records = std::make_unique<TTable_of_records>();
    Services_.Records->LoadFromFile(Services_.UserFiles.RecordsRead);
    Services_.Levels = std::make_unique<TLevels>();
    if (!Services_.Levels->LoadFromFile(kLevelListFile, error)) {
        return false;
    }

    // The world's objects reach the services through their context; random decisions reseed from
    // the game's clock, which starts at the seed and moves on by each frame's milliseconds.
    ConnectWorld(World_, Services_);
    if (!SeedGiven_) {
        Seed_ = LastTick_;
    }
    GameTicks_ = Seed_;
    World_.Random.Seed = Seed_;
    World_.Random.Ticks = [this]() { return GameTicks_; };
    if (Replay_ != nullptr) {
        Flow_->SetSaveFiles(false);
    }
    return true;
}

void TForm1::LoadSounds() {
    Services_.Audio = std::make_unique<TAudio>();
    TAudio& audio = *Services_.Audio;
    for (const TNamedFile& sound : kSounds) {
        audio.LoadSound(sound.Name, sound.File);
    }
    for (const TNamedFile& sound : kSounds) {
        audio.CreateSource(sound.Name);
    }
    for (const TNamedFile& sound : kSounds) {
        audio.AttachBuffer(sound.Name, sound.Name);
    }
    audio.SetVolume("music", kMusicVolume);
}

void TForm1::LoadGameMeshes() {
    if (GameMeshesLoaded_) {
        return;
    }
    GameMeshesLoaded_ = true;
    for (const TMeshFile& mesh : kGameMeshes) {
        Services_.Meshes->LoadMesh(mesh.File, mesh.Name, 0, mesh.Usage);
    }
}

std::unique_ptr<TTextureAtlas> TForm1::BuildAtlas(std::initializer_list<const char*> names) {
    std::vector<std::pair<std::string, platform::Image>> pictures;
    std::string error;
    for (const char* name : names) {
        const auto file =
            std::find_if(std::begin(kGameTextures), std::end(kGameTextures),
                         [&](const TNamedFile& texture) { return std::string_view(texture.Name) == name; });
        std::string bytes;
        platform::Image picture;
        if (file == std::end(kGameTextures) || !files::ReadFile(file->File, bytes, error) ||
            !platform::DecodePng(bytes, picture, error)) {
            logging::Write("shell", std::string("no atlas: ") + name + ": " + error);
            return nullptr;
        }
        pictures.emplace_back(name, std::move(picture));
    }
    auto atlas = std::make_unique<TTextureAtlas>();
    if (!atlas->Build(Services_.Render->Device(), pictures, error)) {
        logging::Write("shell", "no atlas: " + error);
        return nullptr;
    }
    return atlas;
}

void TForm1::FreeGame() {
    if (Initialized_) {
        FinalDigest_ = Digest();
    }
    FrameLoopEnabled_ = false;
    Initialized_ = false;
    Services_.Levels.reset();
    if (Flow_) {
        Flow_->StopLevel();
    }
    World_.Context = TWorldContext{};
    World_.Random.Ticks = nullptr;
    FreeServices(Services_);
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
    if (Replay_ == nullptr) {
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
    if (Recorder_ != nullptr) {
        Recorder_->Write(frame);
    }
    if (Recorder_ != nullptr || Replay_ != nullptr) {
        History_ = FoldHistory(History_, Digest().Hash);
        ++HistoryFrames_;
    }
}

bool TForm1::TakeFrame(TDemoFrame& frame) {
    if (Replay_ != nullptr) {
        if (ReplayNext_ >= Replay_->size()) {
            return false;
        }
        frame = (*Replay_)[ReplayNext_++];
        return true;
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
    Flow_->TickNotice(dt);
    if (Services_.Audio) {
        Services_.Audio->Update(frame.Ms);
    }
    TInput& input = *Services_.Input;
    input.Apply(frame.Input);
    // F12 is the player's own: a replayed session takes no pictures.
    if (Replay_ == nullptr && input.KeyReleased(KEY_F12)) {
        F12Pressed_ = true;  // the picture is taken when this frame is drawn
    }
    TGameState& state = World_.State;
    if ((frame.Events & kDemoFocusLost) != 0 && state.InGame && !state.Paused) {
        Flow_->Pause();
    }
    if (Replay_ == nullptr) {
        frame.CursorX = CursorClientX_;
        frame.CursorY = CursorClientY_;
    }

    if ((input.KeyDown(KEY_LEFT_ALT) || input.KeyDown(KEY_RIGHT_ALT)) && input.KeyReleased(KEY_ENTER)) {
        if (state.InGame && !state.Paused) {
            Flow_->Pause();
        }
        state.Windowed = !state.Windowed;
        ApplyDisplayMode();
        return;
    }

    if (Replay_ == nullptr) {
        MoveCursor(dt);
        frame.CursorX = CursorClientX_;
        frame.CursorY = CursorClientY_;
    } else {
        CursorClientX_ = frame.CursorX;
        CursorClientY_ = frame.CursorY;
    }

    TVector2 mouse =
        Vector2(static_cast<float>(CursorClientX_) / static_cast<float>(state.ScreenWidth) * 2.0f - 1.0f,
                -(static_cast<float>(CursorClientY_) / static_cast<float>(state.ScreenHeight) * 2.0f - 1.0f));
    Services_.GUI->ProcessInput(dt, mouse);

    if (!state.InGame) {
        return;
    }
    if (input.KeyReleased(KEY_ESCAPE)) {
        Flow_->TogglePause();
    }
    if (state.Paused) {
        return;
    }
    Services_.SceneManager->Update(dt);
    // The cursor is in back-buffer pixels, whatever size the window's client area has (a full-screen
    // window covers the desktop and shows the back buffer stretched).
    Flow_->UpdateFlow(dt, CursorClientX_, CursorClientY_, state.ScreenWidth, state.ScreenHeight);
}

void TForm1::MoveCursor(int32_t dt) {
    const TGameState& state = World_.State;
    TInput& input = *Services_.Input;
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
    CursorX_ += input.MouseDeltaX() + padX;
    CursorY_ += input.MouseDeltaY() + padY;
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

void TForm1::ApplyDisplayMode() {
    const TGameState& state = World_.State;
    int x = 0;
    int y = 0;
    Desktop_.GetCursorPosition(x, y);
    CursorX_ = static_cast<float>(x);
    CursorY_ = static_cast<float>(y);
    CursorPlaced_ = false;

    Window_.SetWindowed(state.Windowed);
    Window_.SetClientSize(RenderWidth(), RenderHeight());
    Window_.Show();

    Services_.Meshes->OnLostDevice();
    Services_.SceneManager->ReleaseDeviceObjects();
    TRenderD3D9& render = *Services_.Render;
    render.ResetDevice(state.Windowed, &Window_, static_cast<uint16_t>(RenderWidth()),
                       static_cast<uint16_t>(RenderHeight()), Vsync_ ? 1 : 0);
    render.SetDepthTest(true);
    render.SetTextureFilter(0, 1, 0);
    Services_.Meshes->OnResetDevice();
    Services_.SceneManager->RestoreDeviceObjects();

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

int TForm1::RenderWidth() const {
    return RenderWidth_ > 0 ? RenderWidth_ : World_.State.ScreenWidth;
}

int TForm1::RenderHeight() const {
    return RenderHeight_ > 0 ? RenderHeight_ : World_.State.ScreenHeight;
}

void TForm1::SetSessionOptions(const TDemoOptions& options) {
    SessionOptions_ = options;
    HasSessionOptions_ = true;
}

void TForm1::SetSeed(uint32_t seed) {
    Seed_ = seed;
    SeedGiven_ = true;
}

void TForm1::SetRenderSize(int width, int height) {
    RenderWidth_ = width;
    RenderHeight_ = height;
}

void TForm1::SetReplay(const TDemoFrames* frames) {
    Replay_ = frames;
    ReplayNext_ = 0;
}

TDemoOptions TForm1::SessionOptions() const {
    const TGameState& state = World_.State;
    TDemoOptions options;
    options.Windowed = state.Windowed;
    options.ScreenWidth = state.ScreenWidth;
    options.ScreenHeight = state.ScreenHeight;
    options.Language = state.Language;
    options.FirstLevel = state.FirstLevel;
    return options;
}

TWorldDigest TForm1::Digest() {
    TWorldDigest digest = DigestWorld(World_);
    digest.History = History_;
    digest.Frames = HistoryFrames_;
    return digest;
}

void TForm1::SetQuadShaders() {
    Services_.Render->SetVertexShader(Services_.QuadVertexShader.get());
    Services_.Render->SetPixelShader(Services_.QuadPixelShader.get());
}

void TForm1::DrawFrame() {
    TRenderD3D9& render = *Services_.Render;
    const TGameState& state = World_.State;
    const std::string form = Services_.GUI->GetActiveFormName();
    const bool inGameScreen = form == "Game";

    render.ClearTarget(128, 128, 128);
    render.ClearDepth();
    render.BeginScene();

    if (!inGameScreen) {
        SetQuadShaders();
        render.SetDepthTest(false);
        Flow_->DrawTexturedQuad("BG", -1.0f, 1.0f, 2.0f, 2.0f);
    } else {
        Services_.SceneManager->Render();
        Flow_->DrawHud(CursorClientX_, CursorClientY_, state.ScreenWidth, state.ScreenHeight);
    }

    // The GUI and the text with point filtering, so the skin and the glyphs stay crisp.
    render.SetDepthTest(true);
    render.SetTextureFilter(0, 0, 0);
    Services_.GUI->Draw();
    Flow_->QueueNotice();
    Services_.Font->Flush();
    render.SetTextureFilter(0, 1, 0);

    if (form == "Help") {
        Flow_->DrawHelpIcons();
    }
    if (!inGameScreen) {
        SetQuadShaders();
        render.SetAlphaBlend(true);
        render.SetDepthTest(false);
        Flow_->DrawTexturedQuad("Cursor", PixelToNdcX(CursorClientX_, state.ScreenWidth),
                                PixelToNdcY(CursorClientY_, state.ScreenHeight),
                                SizeToNdcW(kCursorSize, state.ScreenWidth),
                                SizeToNdcH(kCursorSize, state.ScreenHeight));
        render.SetAlphaBlend(false);
        render.SetDepthTest(true);
    }

    render.EndScene();
    if (!ScreenshotPath_.empty()) {
        TakeScreenshot();
    }
    if (F12Pressed_) {
        QueueF12Screenshot();
    }
    render.Present();
    ++FramesDrawn_;
}

void TForm1::DrawFloorFrame() {
    TRenderD3D9& render = *Services_.Render;
    render.ClearTarget(128, 128, 128);
    render.ClearDepth();
    render.BeginScene();
    SetQuadShaders();
    render.SetDepthTest(false);
    Flow_->DrawTexturedQuad("BG", -1.0f, 1.0f, 2.0f, 2.0f);
    render.SetDepthTest(true);
    render.EndScene();
    render.Present();
}

void TForm1::RequestScreenshot(const std::string& path) {
    ScreenshotPath_ = path;
    ScreenshotError_.clear();
}

void TForm1::TakeScreenshot() {
    std::string path;
    path.swap(ScreenshotPath_);
    platform::GraphicsDevice* device = DeviceOf(Services_.Render->Device());
    platform::Image image;
    if (!device || !device->ReadBackBuffer(image)) {
        ScreenshotError_ = path + ": the back buffer cannot be read";
        return;
    }
    if (!platform::WritePngFile(path, image, ScreenshotError_) && ScreenshotError_.empty()) {
        ScreenshotError_ = path + ": cannot be written";
    }
}

void TForm1::QueueF12Screenshot() {
    F12Pressed_ = false;
    const std::string folder = Services_.UserFiles.ScreenshotFolder();
    platform::GraphicsDevice* device = DeviceOf(Services_.Render->Device());
    platform::Image image;
    if (folder.empty()) {
        logging::Write("shell", "screenshot not taken: there is no per-user folder to put it in");
    } else if (!device || !device->ReadBackBuffer(image)) {
        logging::Write("shell", "screenshot not taken: the back buffer cannot be read");
    } else {
        ScreenshotWriter_.Queue(std::move(image), folder);
    }
}
