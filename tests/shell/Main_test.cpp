// The main window's start-up, frame loop, cursor, display modes and shutdown on the headless window, the
// recording device and scripted input, with a copy of the shipped Data.
#include "shell/Main.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "ShellTestSupport.h"
#include "platform/DirectInputKeys.h"
#include "platform/HeadlessWindow.h"
#include "platform/RecordingDevice.h"
#include "util/Files.h"
#include "world/GameState.h"
#include "world/Player.h"

using namespace platform;

namespace {

class MainForm : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Root = CopyShippedData("brelvox_main"); }
    static void TearDownTestSuite() { RemoveFolder(Root); }

    void SetUp() override {
        ASSERT_FALSE(Root.empty());
        previousSink_ = logging::SetSink([](std::string_view, std::string_view) {});
        Put("Data/Config.txt",
            "PlayerMaxHealth 12\nBaseMaxHealth 20\nAttackBaseTime 1\nChasePlayerTime 2\nWanderTime 3\n");
        Put("Data/options.txt",
            "Windowed = true\r\nScreenWidth = 800\r\nScreenHeight = 600\r\nLanguage = ENG");
        std::string bytes, error;
        ASSERT_TRUE(files::TDataRoot(Root).ReadFile("data/maps/levels.txt", bytes, error)) << error;
        levels_ = bytes;
        desktop_.SetCursorPosition(640, 512);
    }
    void TearDown() override {
        Put("data/maps/levels.txt", levels_);
        std::system(
            ("cp '" + std::string(BRELVOX_SOURCE_DIR) + "/Data/English.txt' '" + Root + "/Data/English.txt'")
                .c_str());
        std::system(("cp '" + std::string(BRELVOX_SOURCE_DIR) + "/Data/Font/font_info.txt' '" + Root +
                     "/Data/Font/font_info.txt'")
                        .c_str());
        std::system(("cp '" + std::string(BRELVOX_SOURCE_DIR) + "/Data/GUI/guiskininfo.txt' '" + Root +
                     "/Data/GUI/guiskininfo.txt'")
                        .c_str());
        logging::SetSink(previousSink_);
    }
    void Put(const std::string& relative, const std::string& text) {
        std::string path = files::TDataRoot(Root).ResolveForWriting(relative);
        std::ofstream(path.empty() ? Root + "/" + relative : path, std::ios::binary) << text;
    }
    RecordingDevice* Device() { return graphics_.LastDevice(); }
    std::string ActiveForm(TForm1& form) { return form.Services().GUI->GetActiveFormName(); }

    // Start-up must fail naming `file`, with no frame.
    void ExpectStartupFailure(const std::string& file) {
        TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
        std::string error;
        EXPECT_FALSE(form.FormCreate(error));
        EXPECT_NE(error.find(file), std::string::npos) << error;
        EXPECT_FALSE(form.FrameLoopEnabled());
        form.ApplicationEvents1Idle();
        // Not even a restore of the window lets a frame run on what was made.
        window_.PushEvent(WindowEventType::Restore);
        form.ApplicationEvents1Idle();
        EXPECT_FALSE(form.FrameLoopEnabled());
        EXPECT_EQ(form.FramesDrawn(), 0u);
    }

    // Presses and releases the left button with the cursor at client pixel (x, y): two frames.
    void ClickAt(TForm1& form, int x, int y) {
        MoveTo(form, x, y);
        input_.SetButton(0, true);
        Idle(form);
        input_.SetButton(0, false);
        Idle(form);
    }
    void MoveTo(TForm1& form, int x, int y) {
        Idle(form);  // the client position of the cursor is known after a frame
        // The cursor moves in desktop pixels, which may be more than one a screen pixel.
        for (int step = 0; step < 16; ++step) {
            const int dx = x - form.Display().CursorClientX();
            const int dy = y - form.Display().CursorClientY();
            if (dx == 0 && dy == 0) {
                break;
            }
            input_.MoveMouse(dx, dy);
            Idle(form);
        }
    }
    void Idle(TForm1& form, uint32_t ms = 10) {
        clock_.Advance(ms);
        form.ApplicationEvents1Idle();
    }
    // The controller in state `pad`, with `button` down for one frame and up for the next.
    void TapPadButton(TForm1& form, GamepadSnapshot& pad, GamepadButton button) {
        pad.Buttons[button] = 0x80;
        input_.SetGamepad(pad);
        Idle(form);
        pad.Buttons[button] = 0;
        input_.SetGamepad(pad);
        Idle(form);
    }
    // The player's tank once the level's first spawn is over.
    TPlayer* PlayerAfterTheStart(TForm1& form) {
        for (int i = 0; i < 150; ++i) {
            Idle(form);
        }
        return dynamic_cast<TPlayer*>(LevelNode(world_) ? LevelNode(world_)->FindObject("Player") : nullptr);
    }
    void TapKey(TForm1& form, int keyIndex) {
        input_.SetKey(TInput::KeyCode(keyIndex), true);
        Idle(form);
        input_.SetKey(TInput::KeyCode(keyIndex), false);
        Idle(form);
    }

    static inline std::string Root;
    TWorld world_;  // the game's, outliving the forms made in a case
    HeadlessWindow window_;
    HeadlessDesktop desktop_;
    RecordingGraphicsSystem graphics_;
    ScriptedInputDevice input_;
    VirtualClock clock_{1000};
    std::string previous_, levels_;
    logging::Sink previousSink_;
};

TEST_F(MainForm, FormCreate_ReadsTheFilesSizesTheWindowShowsTheMainMenu) {
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    EXPECT_EQ(window_.Title(), "Brelvox");
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    EXPECT_TRUE(form.FrameLoopEnabled());
    EXPECT_EQ(world_.State.PlayerMaxHealth, 12);
    EXPECT_EQ(window_.ClientWidth(), 800);
    EXPECT_EQ(window_.ClientHeight(), 600);
    EXPECT_TRUE(window_.IsShown());
    EXPECT_TRUE(desktop_.CursorHidden());
    ASSERT_NE(Device(), nullptr);
    EXPECT_TRUE(Device()->Parameters().Windowed);
    EXPECT_EQ(Device()->SamplerState(0, D3DSAMP_MINFILTER), D3DTEXF_LINEAR);
    EXPECT_EQ(Device()->RenderState(D3DRS_ZENABLE), 1u);
    EXPECT_EQ(ActiveForm(form), "MainMenu");
    EXPECT_EQ(form.Services().GUI->FormCount(), 21u);  // the ten of the menus, "Sound", "Controls" and the
                                                       // nine of Construction
    // The game's meshes wait for the first level; before the first frame only the cursor of its
    // textures is there, and the sound, the other textures and the particle shaders come once that
    // frame is shown.
    const TTextureManager& textures = *form.Services().Meshes->GetTextureManager();
    EXPECT_EQ(form.Services().Meshes->FindMesh("water"), nullptr);
    EXPECT_NE(textures.FindTexture("Cursor"), nullptr);
    EXPECT_EQ(textures.FindTexture("H_bomb"), nullptr);
    EXPECT_EQ(form.Services().Audio, nullptr);
    EXPECT_GT(form.Services().Levels->Count(), 0);
    EXPECT_EQ(world_.Context.SceneRoot, form.Services().SceneManager->GetRoot());
    form.ApplicationEvents1Idle();
    EXPECT_EQ(form.FramesDrawn(), 1u);
    EXPECT_EQ(textures.FindTexture("H_bomb"), nullptr);
    form.ApplicationEvents1Idle();
    EXPECT_NE(textures.FindTexture("H_bomb"), nullptr);
    EXPECT_NE(form.Services().Shaders->GetPixelShader("Particle"), nullptr);
    ASSERT_NE(form.Services().Audio, nullptr);
    EXPECT_EQ(world_.Context.Audio, form.Services().Audio.get());
    EXPECT_EQ(world_.Context.ParticleAtlas, form.Services().ParticleAtlas.get());
    EXPECT_NE(world_.Context.ParticleAtlas, nullptr);
    // The camera over the battlefield.
    TVector3 camera = form.Services().SceneManager->GetCamera()->GetPosition();
    EXPECT_FLOAT_EQ(camera.Y, 23.0f);
    EXPECT_FLOAT_EQ(camera.Z, -16.5f);
}

TEST_F(MainForm, FormCreate_MissingConfigNamesTheFileAndRunsNoFrame) {
    std::remove(files::TDataRoot(Root).Resolve("Data/Config.txt").c_str());
    ExpectStartupFailure("Config.txt");
    EXPECT_EQ(Device(), nullptr);
}

TEST_F(MainForm, FormCreate_MalformedOptionsNamesTheFile) {
    Put("Data/options.txt", "Windowed = true\r\nScreenWidth = wide\r\nScreenHeight = 240\r\nLanguage = ENG");
    ExpectStartupFailure("options.txt");
}

TEST_F(MainForm, FormCreate_BadLanguageLevelListFontOrSkinNamesTheFile) {
    std::remove(files::TDataRoot(Root).Resolve("Data/English.txt").c_str());
    ExpectStartupFailure("English.txt");
    std::system(
        ("cp '" + std::string(BRELVOX_SOURCE_DIR) + "/Data/English.txt' '" + Root + "/Data/English.txt'")
            .c_str());
    Put("data/maps/levels.txt", "two levels");
    ExpectStartupFailure("levels.txt");
    Put("data/maps/levels.txt", levels_);
    Put("Data/Font/font_info.txt", "font x y");
    ExpectStartupFailure("font_info.txt");
    std::system(("cp '" + std::string(BRELVOX_SOURCE_DIR) + "/Data/Font/font_info.txt' '" + Root +
                 "/Data/Font/font_info.txt'")
                    .c_str());
    std::remove(files::TDataRoot(Root).Resolve("Data/GUI/guiskininfo.txt").c_str());
    ExpectStartupFailure("guiskininfo.txt");
}

TEST_F(MainForm, FormCreate_MissingTableOfRecordsIsFine) {
    std::remove(files::TDataRoot(Root).Resolve("Data/table_of_records.txt").c_str());
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    EXPECT_TRUE(form.FormCreate(error)) << error;
    EXPECT_EQ(form.Services().Records->GetName(0), "Unnamed");
}

TEST_F(MainForm, MenuFrame_BackgroundGuiTextThenCursor) {
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    Device()->ClearLog();
    Idle(form);
    EXPECT_EQ(form.FramesDrawn(), 1u);
    auto clears = Device()->FindCalls("Clear");
    ASSERT_EQ(clears.size(), 2u);
    EXPECT_EQ(clears[0].Ints[1], 0x00808080);
    // Background, the GUI's skin quads, the text, the cursor.
    EXPECT_EQ(Device()->DrawCallCount(), 4u);
    auto textures = Device()->FindCalls("SetTexture");
    TTextureManager* cache = form.Services().Meshes->GetTextureManager();
    ASSERT_GE(textures.size(), 2u);
    EXPECT_EQ(textures.front().Ints[1], int64_t{cache->FindTexture("BG")->Texture.Get().Slot});
    EXPECT_EQ(textures.back().Ints[1], int64_t{cache->FindTexture("Cursor")->Texture.Get().Slot});
    EXPECT_EQ(Device()->CountCalls("Present"), 1u);
    EXPECT_EQ(Device()->SamplerState(0, D3DSAMP_MINFILTER), D3DTEXF_LINEAR);
}

TEST_F(MainForm, Cursor_MovesByTheMouseStaysOnTheScreenAndConvertsToClientPixels) {
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    input_.MoveMouse(-5000, -5000);
    Idle(form);
    EXPECT_EQ(form.Display().CursorX(), 0.0f);
    EXPECT_EQ(form.Display().CursorY(), 0.0f);
    input_.MoveMouse(100000, 100000);
    Idle(form);
    EXPECT_EQ(form.Display().CursorX(), 1279.0f);  // the desktop is 1280 x 1024
    EXPECT_EQ(form.Display().CursorY(), 1023.0f);
    int x = 0, y = 0;
    desktop_.GetCursorPosition(x, y);
    EXPECT_EQ(x, 1279);
    EXPECT_EQ(y, 1023);
    int border = (window_.FrameWidth() - window_.ClientWidth()) / 2;
    EXPECT_EQ(form.Display().CursorClientX(), 1279 - window_.FrameLeft() - border);
    EXPECT_EQ(form.Display().CursorClientY(),
              1023 - window_.FrameTop() - (window_.FrameHeight() - window_.ClientHeight() - border));
}

// A window manager that gave the window another size than asked: the game's screen and its back
// buffer follow the client area, and the menus are laid out in it.
TEST_F(MainForm, WindowSizedOtherwise_ClientPixelsScaleToTheBackBuffer) {
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    window_.SetClientSize(400, 300);
    Idle(form);
    int border = (window_.FrameWidth() - window_.ClientWidth()) / 2;
    int clientLeft = window_.FrameLeft() + border;
    int clientTop = window_.FrameTop() + window_.FrameHeight() - window_.ClientHeight() - border;
    input_.MoveMouse(clientLeft + 200 - static_cast<int>(form.Display().CursorX()),
                     clientTop + 85 - static_cast<int>(form.Display().CursorY()));
    Idle(form);
    EXPECT_EQ(form.Display().CursorClientX(), 200);
    EXPECT_EQ(form.Display().CursorClientY(), 85);
    input_.SetButton(0, true);  // "Play" at (300, 150) 200 x 40 of 800 x 600, half that here
    Idle(form);
    input_.SetButton(0, false);
    Idle(form);
    EXPECT_EQ(ActiveForm(form), "Game");
}

// Where no program may move the pointer (Wayland), the cursor goes where the pointer is, wherever the
// game's cursor stood before and also when no motion was seen (the window had no focus while it
// moved): "Play" clicks where the pointer shows it.
TEST_F(MainForm, PointerThatCannotBeMoved_TheCursorGoesWhereItIs) {
    desktop_.RefusePointerMoves();
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    Idle(form);
    int border = (window_.FrameWidth() - window_.ClientWidth()) / 2;
    int clientLeft = window_.FrameLeft() + border;
    int clientTop = window_.FrameTop() + window_.FrameHeight() - window_.ClientHeight() - border;
    desktop_.MovePointer(clientLeft + 400, clientTop + 170);
    Idle(form);
    EXPECT_EQ(form.Display().CursorClientX(), 400);
    EXPECT_EQ(form.Display().CursorClientY(), 170);
    input_.SetButton(0, true);
    Idle(form);
    input_.SetButton(0, false);
    Idle(form);
    EXPECT_EQ(ActiveForm(form), "Game");
}

TEST_F(MainForm, PlayPauseResumeAndExitThroughTheGui) {
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    ClickAt(form, 400, 170);  // "Play" at (300, 150) 200 x 40
    EXPECT_EQ(ActiveForm(form), "Game");
    EXPECT_TRUE(world_.State.InGame);
    EXPECT_NE(form.Services().Meshes->FindMesh("water"), nullptr);
    EXPECT_NE(form.Services().Meshes->FindMesh("Tower4"), nullptr);
    for (int i = 0; i < 150; ++i) {
        Idle(form);  // the spawn effect brings the tank in
    }
    ASSERT_NE(LevelNode(world_), nullptr);
    ASSERT_NE(LevelNode(world_)->FindObject("Player"), nullptr);
    // While playing, the scene is drawn and the HUD with three lives and the aiming cursor.
    Device()->ClearLog();
    Idle(form);
    EXPECT_GT(Device()->DrawCallCount(), 5u);

    TapKey(form, KEY_ESCAPE);
    EXPECT_TRUE(world_.State.Paused);
    EXPECT_EQ(ActiveForm(form), "PauseMenu");
    TapKey(form, KEY_ESCAPE);
    EXPECT_FALSE(world_.State.Paused);
    TapKey(form, KEY_ESCAPE);
    ClickAt(form, 400, 270);  // "MainMenu" at (300, 250)
    ASSERT_EQ(ActiveForm(form), "Exit");
    ClickAt(form, 510, 420);  // "OK" at (410, 400): the level stops
    EXPECT_EQ(ActiveForm(form), "MainMenu");
    EXPECT_FALSE(world_.State.InGame);
    ClickAt(form, 400, 420);  // "Exit" at (300, 400)
    ASSERT_EQ(ActiveForm(form), "Exit");
    ClickAt(form, 510, 420);  // "OK": the program ends
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(form.Render(), nullptr);
}

TEST_F(MainForm, AltEnter_PausesTheGameAndSwitchesTheDisplayMode) {
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    ClickAt(form, 400, 170);
    ASSERT_TRUE(world_.State.InGame);
    input_.SetKey(TInput::KeyCode(KEY_LEFT_ALT), true);
    input_.SetKey(TInput::KeyCode(KEY_ENTER), true);
    Idle(form);
    input_.SetKey(TInput::KeyCode(KEY_ENTER), false);
    Idle(form);
    input_.SetKey(TInput::KeyCode(KEY_LEFT_ALT), false);
    Idle(form);
    EXPECT_FALSE(world_.State.Windowed);
    EXPECT_FALSE(window_.IsWindowed());
    EXPECT_TRUE(world_.State.Paused);
    EXPECT_EQ(ActiveForm(form), "PauseMenu");
    EXPECT_EQ(Device()->CountCalls("Reset"), 1u);
    EXPECT_FALSE(Device()->Parameters().Windowed);
}

TEST_F(MainForm, DeviceLost_ChangesNothingAndConsumesTheTime) {
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    ClickAt(form, 400, 170);
    int32_t bonusTimer = world_.State.BonusTimer;
    Device()->SetCooperativeLevel(D3DERR_DEVICELOST);
    Idle(form, 3000);
    EXPECT_EQ(world_.State.BonusTimer, bonusTimer);
    Device()->SetCooperativeLevel(D3D_OK);
    Idle(form, 10);
    EXPECT_EQ(world_.State.BonusTimer, bonusTimer - 10);
}

TEST_F(MainForm, DeviceNotReset_ResetsWithTheConfiguredMode) {
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    Device()->SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    Device()->ClearLog();
    Idle(form);
    EXPECT_EQ(Device()->CountCalls("Reset"), 1u);
    EXPECT_EQ(Device()->SamplerState(0, D3DSAMP_MINFILTER), D3DTEXF_LINEAR);
    EXPECT_EQ(form.FramesDrawn(), 1u);  // the draw still runs
}

TEST_F(MainForm, WindowedDeactivation_PausesTheLevelAndFramesGoOn) {
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    ClickAt(form, 400, 170);
    window_.PushEvent(WindowEventType::Deactivate);
    Idle(form);
    EXPECT_TRUE(world_.State.Paused);
    EXPECT_EQ(ActiveForm(form), "PauseMenu");
    EXPECT_TRUE(form.FrameLoopEnabled());
    EXPECT_FALSE(window_.IsMinimized());
}

TEST_F(MainForm, FullScreenDeactivation_MinimisesAndStopsFramesUntilRestore) {
    Put("Data/options.txt", "Windowed = false\r\nScreenWidth = 800\r\nScreenHeight = 600\r\nLanguage = ENG");
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    EXPECT_FALSE(Device()->Parameters().Windowed);
    EXPECT_EQ(Device()->Parameters().BackBufferWidth, 800u);
    window_.PushEvent(WindowEventType::Deactivate);
    Idle(form);
    EXPECT_TRUE(window_.IsMinimized());
    EXPECT_FALSE(form.FrameLoopEnabled());
    uint64_t frames = form.FramesDrawn();
    Idle(form);
    EXPECT_EQ(form.FramesDrawn(), frames);
    window_.PushEvent(WindowEventType::Restore);
    Idle(form);
    EXPECT_TRUE(form.FrameLoopEnabled());
    EXPECT_EQ(form.FramesDrawn(), frames + 1);

    // The focus comes back with no restore (a window manager that ignored the minimise, or one that
    // only gives the focus back): frames resume all the same.
    window_.PushEvent(WindowEventType::Deactivate);
    Idle(form);
    ASSERT_FALSE(form.FrameLoopEnabled());
    frames = form.FramesDrawn();
    window_.PushEvent(WindowEventType::Activate);
    Idle(form);
    EXPECT_TRUE(form.FrameLoopEnabled());
    EXPECT_FALSE(window_.IsMinimized());
    EXPECT_EQ(form.FramesDrawn(), frames + 1);
}

// Desktop full screen under a window manager: the 800 x 600 back buffer is stretched over a client area
// of the desktop's size. The turret must still turn to the ground point drawn under the crosshair, found
// here by projecting world points with the camera (the forward transform, not the picking ray).
TEST_F(MainForm, DesktopFullScreen_TurretTurnsToTheGroundPointUnderTheCrosshair) {
    Put("Data/options.txt", "Windowed = false\r\nScreenWidth = 800\r\nScreenHeight = 600\r\nLanguage = ENG");
    window_.CoverInFullScreen(1280, 1024);
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    ASSERT_EQ(window_.ClientWidth(), 1280);
    ClickAt(form, 400, 170);  // "Play" at (300, 150) 200 x 40, in back-buffer pixels
    ASSERT_TRUE(world_.State.InGame);
    TPlayer* player = PlayerAfterTheStart(form);
    ASSERT_NE(player, nullptr);
    TVector3 tank = player->GetPosition();
    const float offsets[][2] = {{6.0f, 0.0f}, {-6.0f, 0.0f}, {0.0f, 7.0f}, {0.0f, -4.0f}, {5.0f, 5.0f}};
    for (const auto& offset : offsets) {
        float x = tank.X + offset[0];
        float z = tank.Z + offset[1];
        TCamera& camera = *form.Services().SceneManager->GetCamera();
        TVector4 clip = Vector4Transform(Vector4(x, 0.0f, z, 1.0f),
                                         MatrixMultiply(camera.GetView(), camera.GetProjection()));
        int px = RoundHalfEven((clip.X / clip.W + 1.0f) / 2.0f * 800.0f);
        int py = RoundHalfEven((1.0f - clip.Y / clip.W) / 2.0f * 600.0f);
        ASSERT_TRUE(px >= 0 && px < 800 && py >= 0 && py < 600) << px << ", " << py;
        MoveTo(form, px, py);
        ASSERT_EQ(form.Display().CursorClientX(), px);
        ASSERT_EQ(form.Display().CursorClientY(), py);
        // The hidden system pointer sits on the desktop point where the crosshair is drawn: the
        // picture is 1280 x 960 between bars of 32 pixels.
        int pointerX = 0, pointerY = 0;
        desktop_.GetCursorPosition(pointerX, pointerY);
        EXPECT_NEAR(pointerX, px * 1280 / 800, 2);
        EXPECT_NEAR(pointerY, 32 + py * 960 / 600, 2);
        float expected = Angle2D(Vector2(tank.X, tank.Z), Vector2(x, z));
        // A pixel is a fraction of a degree at these distances; 0 and 360 are the same heading.
        float off = std::fmod(player->TowerAngle - expected + 540.0f, 360.0f) - 180.0f;
        EXPECT_NEAR(off, 0.0f, 1.5f) << "aiming at offset " << offset[0] << ", " << offset[1]
                                     << ": turret at " << player->TowerAngle << ", the point at " << expected;
    }

    // A display change in full screen (Options: 800x600 to 1024x768) keeps the cursor on the same
    // point of the picture.
    int x = form.Display().CursorClientX();
    int y = form.Display().CursorClientY();
    world_.State.ScreenWidth = 1024;
    world_.State.ScreenHeight = 768;
    form.ApplyDisplayMode();
    Idle(form);
    EXPECT_EQ(window_.ClientWidth(), 1280);
    EXPECT_NEAR(form.Display().CursorClientX(), x * 1024 / 800, 2);
    EXPECT_NEAR(form.Display().CursorClientY(), y * 768 / 600, 2);
}

// Full screen at any size on a 1920 x 1080 desktop: the cursor moves one desktop pixel per pixel of
// motion, stays on the picture (between the bars) and reaches every edge of the game's screen.
TEST_F(MainForm, FullScreenAtAnySize_CursorCoversTheScreenAndMovesAsThePointer) {
    desktop_ = HeadlessDesktop(1920, 1080);
    window_.CoverInFullScreen(1920, 1080);
    const int sizes[][2] = {{800, 600}, {1024, 768}, {1280, 1024}, {1920, 1080}, {2560, 1080}, {1080, 1920}};
    for (const auto& size : sizes) {
        Put("Data/options.txt", "Windowed = false\r\nScreenWidth = " + std::to_string(size[0]) +
                                    "\r\nScreenHeight = " + std::to_string(size[1]) + "\r\nLanguage = ENG");
        TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
        std::string error;
        ASSERT_TRUE(form.FormCreate(error)) << error;
        const TScreenRect picture = FitRect(size[0], size[1], 1920, 1080);
        const std::string name = std::to_string(size[0]) + "x" + std::to_string(size[1]);
        EXPECT_EQ(form.Display().Layout().Width, size[0]) << name;
        input_.MoveMouse(-5000, -5000);
        Idle(form);
        EXPECT_EQ(form.Display().CursorX(), static_cast<float>(picture.X)) << name;
        EXPECT_EQ(form.Display().CursorY(), static_cast<float>(picture.Y)) << name;
        EXPECT_EQ(form.Display().CursorClientX(), 0) << name;
        EXPECT_EQ(form.Display().CursorClientY(), 0) << name;
        input_.MoveMouse(37, 21);
        Idle(form);
        int x = 0, y = 0;
        desktop_.GetCursorPosition(x, y);
        EXPECT_EQ(x, picture.X + 37) << name;
        EXPECT_EQ(y, picture.Y + 21) << name;
        input_.MoveMouse(5000, 5000);
        Idle(form);
        EXPECT_EQ(form.Display().CursorX(), static_cast<float>(picture.X + picture.Width - 1)) << name;
        EXPECT_EQ(form.Display().CursorY(), static_cast<float>(picture.Y + picture.Height - 1)) << name;
        EXPECT_GE(form.Display().CursorClientX(), size[0] - 2) << name;
        EXPECT_LT(form.Display().CursorClientX(), size[0]) << name;
        EXPECT_GE(form.Display().CursorClientY(), size[1] - 2) << name;
        EXPECT_LT(form.Display().CursorClientY(), size[1]) << name;
    }
}

// Every step with the controller alone: the left stick brings the cursor to "Play" and A clicks it; in
// the level the left stick drives, the right stick aims, Start pauses.
TEST_F(MainForm, Gamepad_PlaysWithoutTheMouse) {
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    Idle(form);
    GamepadSnapshot pad;
    pad.Connected = true;
    // Far to the left and up: the sticks keep the cursor over the window, whose left edge is far
    // from the desktop's.
    pad.Axes[GamepadLeftX] = -32768;
    pad.Axes[GamepadRightY] = -32768;
    input_.SetGamepad(pad);
    for (int i = 0; i < 30; ++i) {
        Idle(form, 100);
    }
    EXPECT_EQ(form.Display().CursorClientX(), 0);
    EXPECT_EQ(form.Display().CursorClientY(), 0);
    pad.Axes = {};
    auto toward = [](int from, int to) -> int16_t {
        return to - from > 8 ? 32767 : to - from < -8 ? -32767 : 0;
    };
    for (int frame = 0; frame < 300; ++frame) {
        pad.Axes[GamepadLeftX] = toward(form.Display().CursorClientX(), 400);
        pad.Axes[GamepadLeftY] = toward(form.Display().CursorClientY(), 170);
        if (pad.Axes[GamepadLeftX] == 0 && pad.Axes[GamepadLeftY] == 0) {
            break;
        }
        input_.SetGamepad(pad);
        Idle(form);
    }
    pad.Axes = {};
    TapPadButton(form, pad, GamepadA);
    ASSERT_EQ(ActiveForm(form), "Game");
    TPlayer* player = PlayerAfterTheStart(form);
    ASSERT_NE(player, nullptr);

    // A full right stick for 100 ms: 80 pixels to the right on an 800-pixel screen.
    int x = form.Display().CursorClientX();
    pad.Axes[GamepadRightX] = 32767;
    input_.SetGamepad(pad);
    for (int i = 0; i < 10; ++i) {
        Idle(form);
    }
    EXPECT_EQ(form.Display().CursorClientX(), x + 80);
    pad.Axes[GamepadRightX] = 0;
    ASSERT_NE(player->Facing, 90);
    pad.Axes[GamepadLeftX] = 32767;  // the stick to the right: the tank turns east (heading 90)
    pad.Axes[GamepadLeftY] = -9000;
    input_.SetGamepad(pad);
    for (int i = 0; i < 100; ++i) {
        Idle(form);
    }
    EXPECT_EQ(player->Facing, 90);

    pad.Axes = {};
    TapPadButton(form, pad, GamepadStart);
    EXPECT_TRUE(world_.State.Paused);
    EXPECT_EQ(ActiveForm(form), "PauseMenu");
}

// The settings file beside the options: the arrow keys drive, P pauses, the mouse moves the cursor at
// half its speed; W and Escape do nothing in play any more.
TEST_F(MainForm, PlayerSettings_BoundKeysDriveAndPauseAndTheMouseIsSlowed) {
    Put("Data/settings.txt", "DriveRight = 205\nDriveUp = 200\nPause = 25\nMouseSpeed = 50\n");
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    form.SetUserFiles(ChooseUserFiles(false, ""));
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    Idle(form);
    const float x = form.Display().CursorX();
    input_.MoveMouse(100, 0);
    Idle(form);
    EXPECT_EQ(form.Display().CursorX(), x + 50.0f);
    // Twice the motion to reach Play at half speed.
    input_.MoveMouse(2 * (400 - form.Display().CursorClientX()), 2 * (170 - form.Display().CursorClientY()));
    Idle(form);
    ClickAt(form, 400, 170);  // Play
    ASSERT_EQ(ActiveForm(form), "Game");
    TPlayer* player = PlayerAfterTheStart(form);
    ASSERT_NE(player, nullptr);
    const int cellY = player->CellY;
    input_.SetKey(DIK_D, true);
    for (int i = 0; i < 60; ++i) {
        Idle(form);
    }
    EXPECT_NE(player->Facing, 90) << "D is no longer right";
    input_.SetKey(DIK_D, false);
    input_.SetKey(DIK_RIGHT, true);
    for (int i = 0; i < 60; ++i) {
        Idle(form);
    }
    EXPECT_EQ(player->Facing, 90);
    input_.SetKey(DIK_RIGHT, false);
    input_.SetKey(DIK_UP, true);
    for (int i = 0; i < 150; ++i) {
        Idle(form);
    }
    input_.SetKey(DIK_UP, false);
    EXPECT_EQ(player->Facing, 0);
    EXPECT_LT(player->CellY, cellY) << "up on the arrow drives the tank north";
    TapKey(form, KEY_ESCAPE);
    EXPECT_FALSE(world_.State.Paused);
    input_.SetKey(DIK_P, true);
    Idle(form);
    input_.SetKey(DIK_P, false);
    Idle(form);
    EXPECT_TRUE(world_.State.Paused);
    std::remove((Root + "/Data/settings.txt").c_str());
}

TEST_F(MainForm, Close_EndsTheLoop) {
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    Idle(form);
    window_.PushEvent(WindowEventType::Close);
    Idle(form);
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(form.FramesDrawn(), 1u);
    EXPECT_EQ(form.Render(), nullptr);
}

}  // namespace

namespace {

// The level editor as a player drives it, through the main window's own input: a new level, walls
// painted by a drag, the pieces placed from the number keys, undo and redo, "Try" and back, a save,
// the level played again from "My levels" with its score shown outside the records, and deleted.
TEST_F(MainForm, Construction_PaintPlaceUndoTrySaveAndPlayFromMyLevels) {
    char pattern[] = "/tmp/brelvox_construction_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string user = pattern;
    TUserFiles files;
    files.Folder = user;
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    form.SetUserFiles(files);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    const TConstruction& room = *form.Construction();
    ClickAt(form, 400, 470);  // "Construction" at (300, 450)
    ASSERT_EQ(ActiveForm(form), "Construction");
    ClickAt(form, 400, 220);  // "New level"
    ClickAt(form, 510, 420);  // "Create": 26 x 26
    ASSERT_EQ(ActiveForm(form), "Editor");
    ASSERT_EQ(room.Model().Level().Width, 26);

    // The client pixel of a cell's centre under the camera looking straight down (90 degrees of view).
    auto pixel = [&](int32_t x, int32_t y, int& px, int& py) {
        const TEditorCamera& camera = room.Camera();
        const float wx = x + 0.5f - 13.0f;
        const float wz = 13.0f - y - 0.5f;
        px = static_cast<int>(std::lround(400 + (wx - camera.X) / (camera.Height * 800.0f / 600.0f) * 400));
        py = static_cast<int>(std::lround(300 - (wz - camera.Z) / camera.Height * 300));
    };
    auto clickCell = [&](int32_t x, int32_t y) {
        int px = 0, py = 0;
        pixel(x, y, px, py);
        ClickAt(form, px, py);
    };
    int px = 0, py = 0;
    pixel(8, 8, px, py);
    MoveTo(form, px, py);
    input_.SetButton(0, true);
    for (int32_t x = 9; x <= 12; ++x) {
        pixel(x, 8, px, py);
        MoveTo(form, px, py);
    }
    input_.SetButton(0, false);
    Idle(form);
    for (int32_t x = 8; x <= 12; ++x) {
        EXPECT_EQ(room.Model().Level().Code(x, 8), kCellBrickWall) << x;
    }
    EXPECT_EQ(room.Model().Steps(), 1u);
    TapKey(form, platform::KeyIndexOfCode(platform::DIK_5));
    clickCell(12, 22);
    TapKey(form, platform::KeyIndexOfCode(platform::DIK_6));
    clickCell(6, 22);
    TapKey(form, platform::KeyIndexOfCode(platform::DIK_7));
    clickCell(9, 22);
    TapKey(form, platform::KeyIndexOfCode(platform::DIK_8));
    clickCell(2, 2);
    EXPECT_EQ(room.Model().Level().Base, (TGridPoint{12, 22}));
    EXPECT_EQ(room.Model().Level().PlayerStart, (TGridPoint{6, 22}));
    EXPECT_EQ(room.Model().Level().SecondStart, (TGridPoint{9, 22}));
    ASSERT_EQ(room.Model().Level().SpawnPoints.size(), 1u);
    EXPECT_EQ(room.Status(), "The level can be played");
    input_.SetKey(DIK_LCONTROL, true);
    TapKey(form, platform::KeyIndexOfCode(platform::DIK_Z));
    EXPECT_TRUE(room.Model().Level().SpawnPoints.empty());
    EXPECT_EQ(room.Status(), "The level has no spawn point");
    TapKey(form, platform::KeyIndexOfCode(platform::DIK_Y));
    input_.SetKey(DIK_LCONTROL, false);
    EXPECT_EQ(room.Model().Level().SpawnPoints.size(), 1u);

    // Try: the level is played with the game's rules; leaving it through the pause menu comes back.
    const TEditorCamera camera = room.Camera();
    TapKey(form, platform::KeyIndexOfCode(platform::DIK_F5));
    ASSERT_EQ(ActiveForm(form), "Game");
    EXPECT_TRUE(world_.State.InGame);
    for (int i = 0; i < 150; ++i) {
        Idle(form);
    }
    ASSERT_NE(LevelNode(world_)->FindObject("Player"), nullptr);
    EXPECT_EQ(CurrentMap(world_)->Cell(10, 8), 1);
    TapKey(form, KEY_ESCAPE);
    ClickAt(form, 400, 270);  // "MainMenu"
    ClickAt(form, 510, 420);  // "OK"
    ASSERT_EQ(ActiveForm(form), "Editor");
    EXPECT_FALSE(world_.State.InGame);
    EXPECT_EQ(room.Camera().Height, camera.Height);
    EXPECT_EQ(room.Model().Steps(), 4u + 1u);  // the undo history stays

    ClickAt(form, 725, 437);  // "Save" at (654, 420)
    ASSERT_EQ(ActiveForm(form), "SaveLevel");
    for (uint8_t key : {platform::DIK_M, platform::DIK_I, platform::DIK_N, platform::DIK_E}) {
        TapKey(form, platform::KeyIndexOfCode(key));
    }
    ClickAt(form, 510, 420);  // "Save"
    ASSERT_EQ(ActiveForm(form), "Editor");
    EXPECT_EQ(room.Status(), "Saved");
    TLevelDescription saved;
    ASSERT_TRUE(ReadLevelFile(files::TDataRoot(Root), user + "/levels/mine.txt", saved, error)) << error;
    EXPECT_EQ(saved.Code(10, 8), kCellBrickWall);
    EXPECT_TRUE(saved.HasSecondStart);
    EXPECT_EQ(saved.SecondStart, (TGridPoint{9, 22}));

    TapKey(form, KEY_ESCAPE);  // back to "Construction"
    ClickAt(form, 400, 320);   // "My levels"
    ASSERT_EQ(ActiveForm(form), "MyLevels");
    ClickAt(form, 270, 150);  // the first level
    ASSERT_EQ(ActiveForm(form), "Game");
    world_.State.Score = 250;
    TapKey(form, KEY_ESCAPE);
    ClickAt(form, 400, 270);
    ClickAt(form, 510, 420);
    ASSERT_EQ(ActiveForm(form), "LevelScore");
    EXPECT_EQ(GetWidgetText(*form.Services().GUI, "LevelScore", "Score"), "Score : 250");
    EXPECT_EQ(form.Services().Records->GetScore(0), 0);  // not entered into the table
    ClickAt(form, 400, 420);                             // "OK"
    EXPECT_EQ(ActiveForm(form), "MyLevels");
    ClickAt(form, 610, 150);  // "Delete" of the first row: asked first
    ASSERT_EQ(ActiveForm(form), "DeleteLevel");
    ClickAt(form, 290, 420);  // "No"
    EXPECT_TRUE(std::ifstream(user + "/levels/mine.txt").good());
    ClickAt(form, 610, 150);
    ClickAt(form, 510, 420);  // "Yes"
    EXPECT_EQ(ActiveForm(form), "MyLevels");
    EXPECT_FALSE(std::ifstream(user + "/levels/mine.txt").good());
    EXPECT_TRUE(room.UserLevels().Entries().empty());
    form.FormDestroy();
    RemoveFolder(user);
}

// Leaving the editor with unsaved edits asks first, through the window's own input: Escape and "Back"
// ask, Escape (a gamepad's Start) and "No" stay with the edits, Enter and "Yes" leave; with nothing
// unsaved it leaves at once.
TEST_F(MainForm, Construction_LeavingWithUnsavedEditsAsksFirst) {
    TForm1 form(world_, files::TDataRoot(Root), window_, desktop_, graphics_, clock_, &input_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    const TConstruction& room = *form.Construction();
    auto newLevel = [&] {
        ClickAt(form, 400, 220);  // "New level"
        ClickAt(form, 510, 420);  // "Create"
        ASSERT_EQ(ActiveForm(form), "Editor");
    };
    ClickAt(form, 400, 470);  // "Construction"
    newLevel();
    TapKey(form, KEY_ESCAPE);
    EXPECT_EQ(ActiveForm(form), "Construction");

    newLevel();
    TapKey(form, platform::KeyIndexOfCode(platform::DIK_5));
    ClickAt(form, 400, 300);  // the base, in the middle of the map
    ASSERT_TRUE(room.Model().Modified());
    TapKey(form, KEY_ESCAPE);
    ASSERT_EQ(ActiveForm(form), "LeaveEditor");
    EXPECT_EQ(GetWidgetText(*form.Services().GUI, "LeaveEditor", "Question"), "Leave without saving?");
    TapKey(form, KEY_ESCAPE);
    ASSERT_EQ(ActiveForm(form), "Editor");
    EXPECT_TRUE(room.Model().Level().HasBase);
    ClickAt(form, 725, 477);  // "Back" at (654, 460)
    ASSERT_EQ(ActiveForm(form), "LeaveEditor");
    ClickAt(form, 290, 420);  // "No"
    ASSERT_EQ(ActiveForm(form), "Editor");
    EXPECT_TRUE(room.Model().Level().HasBase);
    TapKey(form, KEY_ESCAPE);
    TapKey(form, KEY_ENTER);
    EXPECT_EQ(ActiveForm(form), "Construction");

    newLevel();
    ClickAt(form, 111, 479);  // "Tree" in the palette's meshes: the decoration tool with that mesh
    EXPECT_EQ(room.Model().Tool(), TEditTool::Decoration);
    EXPECT_STREQ(kDecorationMeshes[room.Model().DecorationMesh()], "Data\\Meshes\\tree.x");
    ClickAt(form, 400, 300);
    EXPECT_EQ(room.Model().Level().Decorations.back().meshName, "tree.x");
    ClickAt(form, 725, 477);  // "Back"
    ClickAt(form, 510, 420);  // "Yes"
    EXPECT_EQ(ActiveForm(form), "Construction");
    form.FormDestroy();
}

}  // namespace
