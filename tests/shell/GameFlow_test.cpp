// The game flow on the recording device with scripted input: screens, buttons, levels, respawns,
// timers, records and options.
#include "shell/GameFlow.h"

#include "ShellTestSupport.h"
#include "platform/DirectInputKeys.h"
#include "shell/Config.h"
#include "shell/Display.h"
#include "world/Bonus.h"
#include "world/Respaun.h"

namespace {

using GameFlow = ShellTest;

TEST_F(GameFlow, Play_StartsTheFirstLevelWithThreeLivesAndTheMusicScreen) {
    World.State.Score = 1234;
    Click("Play");
    TGameState& state = World.State;
    EXPECT_EQ(ActiveForm(), "Game");
    EXPECT_TRUE(state.InGame);
    EXPECT_FALSE(state.Paused);
    EXPECT_EQ(state.LevelIndex, 0);
    EXPECT_EQ(state.Score, 0);
    EXPECT_EQ(state.Lives, 3);
    ASSERT_NE(LevelNode(World), nullptr);
    TMoveableObject* water = LevelNode(World)->FindObject("water");
    ASSERT_NE(water, nullptr);
    EXPECT_FLOAT_EQ(water->GetPosition().Y, -0.5f);
    for (int kind = 0; kind < 4; ++kind) {
        EXPECT_EQ(state.EnemyQuota[kind], Services.Levels->Entries()[0].enemies[kind]);
    }
    EXPECT_EQ(Text("Game", "Scores"), English("Score") + " : 0");
}

TEST_F(GameFlow, NewGame_GivesFourTanksInAll) {
    Click("Play");  // the release frame runs the level's first frame
    TGameState& state = World.State;
    // The release frame ran the first spawn: free.
    EXPECT_FALSE(state.FirstSpawn);
    EXPECT_EQ(state.Lives, 3);
    int spawns = 1;
    for (int expectedLives = 2; expectedLives >= 0; --expectedLives) {
        state.PlayerRespawnPending = true;
        Frame(10);
        ++spawns;
        EXPECT_EQ(state.Lives, expectedLives);
        EXPECT_TRUE(state.InGame);
    }
    EXPECT_EQ(spawns, 4);
    state.PlayerRespawnPending = true;
    Frame(10);
    EXPECT_FALSE(state.InGame);
    EXPECT_EQ(ActiveForm(), "EnterName");
    EXPECT_EQ(LevelNode(World), nullptr);
}

TEST_F(GameFlow, Respawn_AddsTheSpawnEffectAndMovesTheCameraOverTheStart) {
    Click("Play");  // the release frame runs the level's first frame
    TMap* map = CurrentMap(World);
    ASSERT_NE(map, nullptr);
    EXPECT_GE(CountInLevel<TRespaun>(), 1);
    // The camera goes to the start footprint; no tank is there yet to follow.
    TVector3 camera = Services.SceneManager->GetCamera()->GetPosition();
    EXPECT_FLOAT_EQ(camera.X, map->PlayerStartX - map->Width() / 2.0f + 1.0f);
    EXPECT_FLOAT_EQ(camera.Y, 23.0f);
    EXPECT_FLOAT_EQ(camera.Z, map->Height() / 2.0f - map->PlayerStartY - 1.0f - 12.0f);
}

TEST_F(GameFlow, Bonus_IsPlacedEveryTenSeconds) {
    Click("Play");  // the release frame runs the level's first frame
    TGameState& state = World.State;
    state.FreezeActive = true;  // the enemies stand still for the whole test
    state.FreezeTimeLeft = 1000000;
    // The level began 10 ms before the release frame's flow: 9,990 ms are left.
    int32_t elapsed = 10;
    int placed = 0;
    int32_t firstAt = -1, secondAt = -1;
    while (elapsed < 21000) {
        int before = CountInLevel<TBonus>();
        Frame(10);
        elapsed += 10;
        if (CountInLevel<TBonus>() > before) {
            ++placed;
            (placed == 1 ? firstAt : secondAt) = elapsed;
        }
    }
    EXPECT_EQ(placed, 2);
    // The timer fires once it has fallen below 1: in the frame after 10,000 ms have been counted.
    EXPECT_EQ(firstAt, 10010);
    EXPECT_EQ(secondAt, 20020);
}

TEST_F(GameFlow, Enemies_FirstSpawnFiveSecondsAfterTheStart) {
    Click("Play");  // the release frame runs the level's first frame
    TGameState& state = World.State;
    state.FreezeActive = true;
    state.FreezeTimeLeft = 10000000;
    int32_t elapsed = 10;
    int32_t firstAt = -1;
    while (elapsed < 6000 && firstAt < 0) {
        Frame(10);
        elapsed += 10;
        if (state.EnemiesAlive > 0) {
            firstAt = elapsed;
        }
    }
    // 4,990 ms were left after the first frame: the timer reaches 0 at 5,000 ms, the spawn follows.
    EXPECT_EQ(firstAt, 5010);
    EXPECT_GE(CountInLevel<TRespaun>(), 1);
}

TEST_F(GameFlow, Enemies_NoSpawnWhileFiveAreAliveThenAtOnce) {
    Click("Play");
    TGameState& state = World.State;
    state.FreezeActive = true;
    state.FreezeTimeLeft = 10000000;
    state.EnemyQuota[0] = 10;
    state.EnemySpawnTimer = 0;
    state.EnemiesAlive = 5;
    int quota = state.EnemyQuota[0] + state.EnemyQuota[1] + state.EnemyQuota[2] + state.EnemyQuota[3];
    Frames(20, 100);
    EXPECT_EQ(state.EnemiesAlive, 5);
    EXPECT_LE(state.EnemySpawnTimer, 0);  // stays expired
    EXPECT_EQ(state.EnemyQuota[0] + state.EnemyQuota[1] + state.EnemyQuota[2] + state.EnemyQuota[3], quota);
    state.EnemiesAlive = 4;  // one of them is gone
    Frame(10);
    EXPECT_EQ(state.EnemyQuota[0] + state.EnemyQuota[1] + state.EnemyQuota[2] + state.EnemyQuota[3],
              quota - 1);
    EXPECT_EQ(state.EnemySpawnTimer, 5000);
}

TEST_F(GameFlow, FreezeClock_ShowsWholeSecondsHalvesToEven) {
    Click("Play");  // the release frame runs the level's first frame
    TGameState& state = World.State;
    state.FreezeActive = true;
    state.FreezeTimeLeft = 2510;
    Frame(10);
    EXPECT_EQ(Text("Game", "Clock"), "2");  // 2,500 ms
    state.FreezeTimeLeft = 3510;
    Frame(10);
    EXPECT_EQ(Text("Game", "Clock"), "4");  // 3,500 ms
    state.FreezeTimeLeft = 15;
    Frame(10);
    EXPECT_EQ(Text("Game", "Clock"), "0");  // 5 ms
    EXPECT_TRUE(state.FreezeActive);
    Frame(10);
    EXPECT_EQ(Text("Game", "Clock"), "");
    EXPECT_FALSE(state.FreezeActive);
}

TEST_F(GameFlow, LevelEnd_NextLevelThenEnterNameAfterTheLast) {
    Click("Play");  // the release frame runs the level's first frame
    TGameState& state = World.State;
    state.AllEnemiesSpawned = true;
    state.EnemiesAlive = 0;
    Frame(10);
    EXPECT_FALSE(state.InGame);
    EXPECT_EQ(ActiveForm(), "NextLevel");
    EXPECT_EQ(Flow->LastOutcome().End, TGameFlow::TLevelEnd::Won);
    EXPECT_EQ(Flow->LastOutcome().Lives, 3);
    state.Score = 700;
    state.Lives = 2;
    Click("NextLevel");
    EXPECT_EQ(ActiveForm(), "Game");
    EXPECT_EQ(Flow->LastOutcome().End, TGameFlow::TLevelEnd::Running);
    EXPECT_EQ(state.LevelIndex, 1);
    EXPECT_EQ(state.Score, 700);  // kept between levels
    EXPECT_EQ(state.Lives, 2);

    // The last level of the list.
    Flow->StopLevel();
    state.LevelIndex = static_cast<uint8_t>(Services.Levels->Count() - 1);
    ASSERT_TRUE(Flow->StartLevel(true));
    Services.GUI->SetActiveForm("Game");
    Frame(10);
    state.AllEnemiesSpawned = true;
    state.EnemiesAlive = 0;
    Frame(10);
    EXPECT_EQ(ActiveForm(), "EnterName");
    EXPECT_EQ(Text("EnterName", "Record"), English("Your record") + " : 700");
}

TEST_F(GameFlow, GameOver_EndsTheFrameSoNothingIsSpawnedIntoTheUnloadedLevel) {
    Click("Play");  // the release frame runs the level's first frame
    TGameState& state = World.State;
    state.Lives = 0;
    state.PlayerRespawnPending = true;
    state.BonusTimer = 0;  // due in this very frame
    state.AllEnemiesSpawned = true;
    state.EnemiesAlive = 0;  // and the level's end holds as well
    Frame(10);
    EXPECT_EQ(ActiveForm(), "EnterName");
    EXPECT_EQ(state.BonusTimer, 0);
    EXPECT_FALSE(state.InGame);
    EXPECT_EQ(LevelNode(World), nullptr);
    // The last tank went first: that is how the level ended, though its enemies were gone too.
    EXPECT_EQ(Flow->LastOutcome().End, TGameFlow::TLevelEnd::NoTanksLeft);
    EXPECT_EQ(Flow->LastOutcome().Lives, 0);
}

TEST_F(GameFlow, BaseDestroyed_EndsTheGame) {
    Click("Play");  // the release frame runs the level's first frame
    World.State.GameOver = true;
    World.State.Score = 42;
    World.State.EnemiesAlive = 2;
    World.State.EnemyQuota[0] = 1;
    World.State.EnemyQuota[1] = 0;
    World.State.EnemyQuota[2] = 0;
    World.State.EnemyQuota[3] = 4;
    Frame(10);
    EXPECT_EQ(ActiveForm(), "EnterName");
    EXPECT_EQ(Text("EnterName", "Record"), English("Your record") + " : 42");
    // The base's fall, with what was left (the unloading of the level changes neither).
    EXPECT_EQ(Flow->LastOutcome().End, TGameFlow::TLevelEnd::BaseFell);
    EXPECT_EQ(Flow->LastOutcome().EnemiesLeft, 7);
    EXPECT_EQ(Flow->LastOutcome().Lives, World.State.Lives);
}

TEST_F(GameFlow, ExitCancel_ReturnsToTheScreenThatOpenedIt) {
    Click("Exit");
    EXPECT_EQ(ActiveForm(), "Exit");
    Click("Cencel");
    EXPECT_EQ(ActiveForm(), "MainMenu");

    Click("Play");
    Tap(KEY_ESCAPE);
    EXPECT_EQ(ActiveForm(), "PauseMenu");
    Click("MainMenu");
    EXPECT_EQ(ActiveForm(), "Exit");
    Click("Cencel");
    EXPECT_EQ(ActiveForm(), "PauseMenu");
    EXPECT_TRUE(World.State.InGame);

    Click("Continue");
    World.State.AllEnemiesSpawned = true;
    World.State.EnemiesAlive = 0;
    Frame(10);
    ASSERT_EQ(ActiveForm(), "NextLevel");
    Click("MainMenu");
    EXPECT_EQ(ActiveForm(), "Exit");
    Click("Cencel");
    EXPECT_EQ(ActiveForm(), "NextLevel");
    EXPECT_EQ(CloseRequests, 0);
}

TEST_F(GameFlow, ExitOk_ByTag) {
    Click("Play");
    Tap(KEY_ESCAPE);
    Click("MainMenu");
    Click("OK");  // from the pause menu: the level stops
    EXPECT_EQ(ActiveForm(), "MainMenu");
    EXPECT_FALSE(World.State.InGame);
    EXPECT_EQ(LevelNode(World), nullptr);
    EXPECT_EQ(CloseRequests, 0);

    Click("Exit");
    Click("OK");  // from the main menu: the program ends
    EXPECT_EQ(CloseRequests, 1);
}

TEST_F(GameFlow, Escape_PausesResumesAndClosesTheExitDialogOfThePauseMenu) {
    Click("Play");
    TGameState& state = World.State;
    Tap(KEY_ESCAPE);
    EXPECT_TRUE(state.Paused);
    EXPECT_EQ(ActiveForm(), "PauseMenu");
    // Nothing moves while paused.
    int32_t bonusTimer = state.BonusTimer;
    Frames(10, 100);
    EXPECT_EQ(state.BonusTimer, bonusTimer);
    Tap(KEY_ESCAPE);
    EXPECT_FALSE(state.Paused);
    EXPECT_EQ(ActiveForm(), "Game");

    Tap(KEY_ESCAPE);
    Click("MainMenu");
    ASSERT_EQ(ActiveForm(), "Exit");
    Tap(KEY_ESCAPE);
    EXPECT_FALSE(state.Paused);
    EXPECT_TRUE(state.InGame);
    EXPECT_EQ(ActiveForm(), "Game");
}

TEST_F(GameFlow, EscapeInTheMenus_DoesNothing) {
    Click("Help");
    Tap(KEY_ESCAPE);
    EXPECT_EQ(ActiveForm(), "Help");
    EXPECT_FALSE(World.State.Paused);
}

TEST_F(GameFlow, EnterName_TakesTypingAtOnceWithoutAClick) {
    Click("Play");
    World.State.GameOver = true;
    Frame(10);
    ASSERT_EQ(ActiveForm(), "EnterName");
    for (int key : {KEY_D, KEY_A}) {
        Tap(key);
    }
    EXPECT_EQ(Services.GUI->FindForm("EnterName")->FindWidgetAs<TMyEdit>("Name")->Text, "da");
}

TEST_F(GameFlow, EnterName_RecordSavedAndTheNameKeptForTheNextGame) {
    Click("Play");
    World.State.Score = 500;
    World.State.GameOver = true;
    Frame(10);
    ASSERT_EQ(ActiveForm(), "EnterName");
    auto* edit = Services.GUI->FindForm("EnterName")->FindWidgetAs<TMyEdit>("Name");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->Text, "");
    // Typed into the box: a click gives it the focus, then the keys.
    Click("Name");
    for (int key : {KEY_A, KEY_D, KEY_A}) {
        Tap(key);
    }
    EXPECT_EQ(edit->Text, "ada");
    Click("OK");
    EXPECT_EQ(ActiveForm(), "Table of records");
    EXPECT_EQ(Text("Table of records", "1"), "1. ada - 500");
    EXPECT_EQ(Text("Table of records", "2"), "2. Unnamed - 0");
    EXPECT_EQ(Slurp("Data/table_of_records.txt").substr(0, 10), "ada\r\n500\r\n");

    Click("OK");
    Click("Play");
    World.State.Score = 500;
    World.State.GameOver = true;
    Frame(10);
    ASSERT_EQ(ActiveForm(), "EnterName");
    EXPECT_EQ(edit->Text, "ada");
    edit->Text = "bob";
    Click("OK");
    // An equal score goes below the ones already there.
    EXPECT_EQ(Text("Table of records", "1"), "1. ada - 500");
    EXPECT_EQ(Text("Table of records", "2"), "2. bob - 500");
    TTable_of_records saved;
    std::string error;
    ASSERT_TRUE(saved.LoadFromFile(Services.Root, kRecordsTableFile, error)) << error;
    EXPECT_EQ(saved.GetName(1), "bob");
    EXPECT_EQ(saved.GetScore(1), 500);
}

// A record that cannot be saved stays in memory and is said on the table's screen, in the player's
// language; once the file can be written again, the next record saves both.
TEST_F(GameFlow, EnterName_ARecordThatCannotBeSavedIsShownAndSavedTheNextTime) {
    ASSERT_EQ(std::system(("mkdir '" + Root + "/Data/table_of_records.txt'").c_str()), 0);
    World.State.Language = kLanguageUkrainian;
    auto gameWithRecord = [&](const char* name, int32_t score) {
        Click("Play");
        World.State.Score = score;
        World.State.GameOver = true;
        Frame(10);
        Services.GUI->FindForm("EnterName")->FindWidgetAs<TMyEdit>("Name")->Text = name;
        Click("OK");
    };
    gameWithRecord("ada", 300);
    EXPECT_EQ(ActiveForm(), "Table of records");
    EXPECT_EQ(Text("Table of records", "1"), "1. ada - 300");
    EXPECT_EQ(Flow->Notice().Text(), Services.Languages->GetText("Could not save", kLanguageUkrainian) +
                                         " table_of_records.txt: Is a directory");
    Flow->Notice().Tick(TNotice::kNoticeMs - 1);
    EXPECT_FALSE(Flow->Notice().Text().empty());
    Flow->Notice().Tick(1);
    EXPECT_TRUE(Flow->Notice().Text().empty());

    ASSERT_EQ(std::system(("rmdir '" + Root + "/Data/table_of_records.txt'").c_str()), 0);
    Click("OK");
    gameWithRecord("bob", 200);
    EXPECT_TRUE(Flow->Notice().Text().empty());
    EXPECT_EQ(Slurp("Data/table_of_records.txt").substr(0, 20), "ada\r\n300\r\nbob\r\n200\r\n");
}

TEST_F(GameFlow, EnterName_EmptyNameIsUnnamed) {
    Click("Play");
    World.State.Score = 10;
    World.State.GameOver = true;
    Frame(10);
    Services.GUI->FindForm("EnterName")->FindWidgetAs<TMyEdit>("Name")->Text.clear();
    Click("OK");
    EXPECT_EQ(Text("Table of records", "1"), "1. Unnamed - 10");
}

TEST_F(GameFlow, Options_ShowTheSettingsAndOkAppliesAndSavesThem) {
    Click("Options");
    ASSERT_EQ(ActiveForm(), "Options");
    TMyForm* form = Services.GUI->FindForm("Options");
    EXPECT_FALSE(form->FindWidgetAs<TMyCheckBox>("FullScreen")->Ticked);
    EXPECT_TRUE(form->FindWidgetAs<TMyRadioButton>("ENG")->Ticked);
    EXPECT_FALSE(form->FindWidgetAs<TMyRadioButton>("UKR")->Ticked);
    EXPECT_TRUE(form->FindWidgetAs<TMyRadioButton>("800")->Ticked);
    EXPECT_FALSE(form->FindWidgetAs<TMyRadioButton>("1024")->Ticked);

    Click("RUS");
    Click("1024");
    Click("OK");
    std::string error;
    EXPECT_EQ(ActiveForm(), "MainMenu");
    EXPECT_EQ(DisplayModeChanges, 1);
    TGameState& state = World.State;
    EXPECT_EQ(state.Language, kLanguageRussian);
    EXPECT_EQ(state.ScreenWidth, 1024);
    EXPECT_EQ(state.ScreenHeight, 768);
    EXPECT_EQ(Text("MainMenu", "Options"), Services.Languages->GetText("Settings", kLanguageRussian));

    // "Data\\Options.txt" and "Data\\options.txt" are one file, whatever the file system.
    std::string saved;
    ASSERT_TRUE(Services.Root.ReadFile("Data\\Options.txt", saved, error)) << error;
    EXPECT_EQ(saved, "Windowed = true\r\nScreenWidth = 1024\r\nScreenHeight = 768\r\nLanguage = RUS");
    TGameState readBack;
    ASSERT_TRUE(LoadOptions(Services.Root, "Data\\options.txt", readBack, error)) << error;
    EXPECT_TRUE(readBack.Windowed);
    EXPECT_EQ(readBack.ScreenWidth, 1024);
    EXPECT_EQ(readBack.ScreenHeight, 768);
    EXPECT_EQ(readBack.Language, kLanguageRussian);
}

TEST_F(GameFlow, Options_LanguageAloneDoesNotChangeTheDisplayAndCancelChangesNothing) {
    Click("Options");
    Click("UKR");
    Click("Cencel");
    EXPECT_EQ(World.State.Language, kLanguageEnglish);
    EXPECT_EQ(Slurp("Data/options.txt").find("UKR"), std::string::npos);
    Click("Options");
    Click("UKR");
    Click("FullScreen");
    Click("OK");
    EXPECT_EQ(DisplayModeChanges, 1);
    EXPECT_FALSE(World.State.Windowed);
    EXPECT_EQ(World.State.Language, kLanguageUkrainian);
    EXPECT_EQ(World.State.ScreenWidth, 800);
}

// The resolution chooser without the mouse: the arrow keys and the D-pad step it as soon as the screen
// opens, through the same input the game polls; OK keeps the size stepped to.
TEST_F(GameFlow, Options_ArrowKeysAndDpadStepTheResolutionChooser) {
    Flow->Resolutions().SetSizes(TResolutionChooser::Offered(1920, 1080, {}));
    Click("Options");
    ASSERT_EQ(Text("Options", "Mode"), "800x600");
    const auto tapCode = [this](uint8_t code) {
        Keys.SetKey(code, true);
        Frame(10);
        Keys.SetKey(code, false);
        Frame(10);
    };
    tapCode(platform::DIK_RIGHT);  // past the last size: the desktop's own, first
    EXPECT_EQ(Text("Options", "Mode").rfind("1920x1080 ", 0), 0u) << Text("Options", "Mode");
    tapCode(platform::DIK_LEFT);
    EXPECT_EQ(Text("Options", "Mode"), "800x600");
    tapCode(platform::DIK_LEFT);
    EXPECT_EQ(Text("Options", "Mode"), "1024x768");
    EXPECT_TRUE(Services.GUI->FindForm("Options")->FindWidgetAs<TMyRadioButton>("1024")->Ticked);

    platform::GamepadSnapshot pad{.Connected = true};
    const auto pressPad = [&](platform::GamepadButton button) {
        const std::string before = Text("Options", "Mode");
        pad.Buttons[button] = 0x80;
        Keys.SetGamepad(pad);
        Frame(10);
        EXPECT_EQ(Text("Options", "Mode"), before) << "a held D-pad has not acted yet";
        pad.Buttons[button] = 0;
        Keys.SetGamepad(pad);
        Frame(10);
    };
    pressPad(platform::GamepadDpadRight);
    EXPECT_EQ(Text("Options", "Mode"), "800x600");
    pressPad(platform::GamepadDpadLeft);
    EXPECT_EQ(Text("Options", "Mode"), "1024x768");
    tapCode(platform::DIK_LEFT);
    const std::string stepped = Text("Options", "Mode");
    EXPECT_NE(stepped, "1024x768");
    Click("OK");
    EXPECT_EQ(std::to_string(World.State.ScreenWidth) + "x" + std::to_string(World.State.ScreenHeight),
              stepped);
}

TEST_F(GameFlow, Play_WithNoLevelStaysInTheMenus) {
    Services.Levels = std::make_unique<TLevels>();
    Click("Play");
    EXPECT_EQ(ActiveForm(), "MainMenu");
    EXPECT_FALSE(World.State.InGame);
    Frames(3, 10);
}

TEST_F(GameFlow, Play_ABrokenLevelFileStaysInTheMenusAndSaysWhy) {
    std::string error;
    ASSERT_TRUE(
        Services.Levels->LoadFromBytes("1 Level 1 data\\maps\\missing.txt K 1 K 0 K 0 K 0", "list", error));
    Click("Play");
    EXPECT_EQ(ActiveForm(), "MainMenu");
    EXPECT_FALSE(World.State.InGame);
    bool named = false;
    for (const std::string& line : Logged) {
        named = named || line.find("missing.txt") != std::string::npos;
    }
    EXPECT_TRUE(named);
}

TEST_F(GameFlow, NextLevel_PastTheLastLevelShowsEnterName) {
    World.State.LevelIndex = static_cast<uint8_t>(Services.Levels->Count() - 1);
    Services.GUI->SetActiveForm("NextLevel");
    Click("NextLevel");
    EXPECT_EQ(ActiveForm(), "EnterName");
    EXPECT_FALSE(World.State.InGame);
    EXPECT_EQ(World.State.LevelIndex, Services.Levels->Count() - 1);
}

TEST_F(GameFlow, MenuScreens_RecordsHelpAuthorAndBack) {
    Click("Table of records");
    EXPECT_EQ(ActiveForm(), "Table of records");
    EXPECT_EQ(Text("Table of records", "5"), "5. Unnamed - 0");
    Click("OK");
    EXPECT_EQ(ActiveForm(), "MainMenu");
    Click("Help");
    EXPECT_EQ(ActiveForm(), "Help");
    Click("OK");
    Click("Author");
    EXPECT_EQ(ActiveForm(), "Author");
    EXPECT_EQ(Text("Author", kCreditAuthorLabel), "Author: the Brelvox team");
    Click("OK");
    EXPECT_EQ(ActiveForm(), "MainMenu");
}

TEST_F(GameFlow, Hud_LifeIconsArmourClockAndTheAimingCursor) {
    Click("Play");
    TGameState& state = World.State;
    state.Lives = 2;
    state.ArmourActive = true;
    state.FreezeActive = false;
    platform::RecordingDevice* device = Graphics.LastDevice();
    device->ClearLog();
    Flow->Hud().DrawHud(400, 300, ComputeScreenLayout(800, 600, kFieldOfViewY));
    // Armour, two lives, the aiming cursor.
    EXPECT_EQ(device->DrawCallCount(), 4u);
    auto textures = device->FindCalls("SetTexture");
    ASSERT_EQ(textures.size(), 4u);
    auto handle = [&](const char* name) {
        return int64_t{Services.Meshes->GetTextureManager()->FindTexture(name)->Texture.Get().Slot};
    };
    EXPECT_EQ(textures[0].Ints[1], handle("Armour"));
    EXPECT_EQ(textures[1].Ints[1], handle("Life"));
    EXPECT_EQ(textures[2].Ints[1], handle("Life"));
    EXPECT_EQ(textures[3].Ints[1], handle("Guncur"));
    EXPECT_EQ(device->RenderState(platform::D3DRS_ALPHABLENDENABLE), 0u);
}

TEST_F(GameFlow, HelpIcons_SevenQuads) {
    platform::RecordingDevice* device = Graphics.LastDevice();
    device->ClearLog();
    Flow->Hud().DrawHelpIcons(TScreenView{});
    EXPECT_EQ(device->DrawCallCount(), 7u);
    EXPECT_EQ(device->RenderState(platform::D3DRS_ZENABLE), 1u);
}

TEST_F(GameFlow, Aiming_TurnsTheTurretAndTheCameraFollowsTheTank) {
    Click("Play");
    Frames(150, 10);  // the spawn effect brings the tank in after a second
    TMoveableObject* player = LevelNode(World)->FindObject("Player");
    ASSERT_NE(player, nullptr);
    TVector3 position = player->GetPosition();
    TVector3 camera = Services.SceneManager->GetCamera()->GetPosition();
    EXPECT_FLOAT_EQ(camera.X, position.X);
    EXPECT_FLOAT_EQ(camera.Y, position.Y + 23.0f);
    EXPECT_FLOAT_EQ(camera.Z, position.Z - 12.0f);
}

}  // namespace
