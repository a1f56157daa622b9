#include "shell/GameFlow.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "gui/GE_FONT.h"
#include "shell/Config.h"
#include "shell/Progress.h"
#include "shell/SettingsScreens.h"
#include "util/GE_MATH.h"
#include "util/GE_UTILS.h"
#include "util/Log.h"
#include "world/Base.h"
#include "world/Bonus.h"
#include "world/Difficulty.h"
#include "world/GameState.h"
#include "world/LevelLoader.h"
#include "world/Player.h"
#include "world/Respaun.h"
#include "world/TeamCamera.h"
#include "world/WorldContext.h"

namespace {

constexpr int32_t kBonusInterval = 10000;
constexpr int32_t kEnemySpawnInterval = 5000;
constexpr uint16_t kMostEnemiesAlive = 5;
constexpr int32_t kNewGameLives = 3;

void Log(const std::string& text) {
    logging::Write("shell", text);
}

// The first node of the tree named "Player" that is the player's tank.
TPlayer* FindPlayer(TMoveableObject* node) {
    if (node == nullptr) {
        return nullptr;
    }
    if (node->GetName() == "Player") {
        if (auto* player = dynamic_cast<TPlayer*>(node)) {
            return player;
        }
    }
    for (int32_t i = 0; i < node->GetChildCount(); ++i) {
        if (TPlayer* player = FindPlayer(node->GetChild(i))) {
            return player;
        }
    }
    return nullptr;
}

bool Ticked(TGUI& gui, const char* form, const char* widget) {
    TMyForm* owner = gui.FindForm(form);
    auto* box = owner != nullptr ? owner->FindWidgetAs<TMyCheckBox>(widget) : nullptr;
    return box != nullptr && box->Ticked;
}

void SetTicked(TGUI& gui, const char* form, const char* widget, bool ticked) {
    TMyForm* owner = gui.FindForm(form);
    auto* box = owner != nullptr ? owner->FindWidgetAs<TMyCheckBox>(widget) : nullptr;
    if (box != nullptr) {
        box->Ticked = ticked;
    }
}

}  // namespace

void ConnectWorld(TWorld& target, TGameServices& services) {
    TWorldContext& world = target.Context;
    world.SceneRoot = services.SceneManager ? services.SceneManager->GetRoot() : nullptr;
    world.Meshes = services.Meshes.get();
    world.Shaders = services.Shaders.get();
    world.ParticleAtlas = services.ParticleAtlas.get();
    world.Render = services.Render.get();
    world.Audio = services.Audio.get();
    world.Input = services.Input.get();
    TGUI* gui = services.GUI.get();
    world.SetGameLabel = [gui](const std::string& label, const std::string& text) {
        if (gui != nullptr) {
            SetWidgetText(*gui, "Game", label.c_str(), text);
        }
    };
}

TGameFlow::TGameFlow(TWorld& world, TGameServices& services, THooks hooks)
    : World(world),
      Services(services),
      Hooks(std::move(hooks)),
      Hud_(world, services),
      Team_(world, services) {}

TMenuCallbacks TGameFlow::MenuCallbacks() {
    TMenuCallbacks callbacks;
    callbacks.MainMenu = [this](TMyButton& button) { OnMainMenuClick(button); };
    callbacks.Options = [this](TMyButton& button) { OnOptionsClick(button); };
    callbacks.ModeStep = [this](TMyStepper&, int by) { Resolutions_.Step(*Services.GUI, by); };
    callbacks.PauseMenu = [this](TMyButton& button) { OnPauseMenuClick(button); };
    callbacks.Exit = [this](TMyButton& button) { OnExitClick(button); };
    callbacks.NextLevel = [this](TMyButton& button) { OnNextLevelClick(button); };
    callbacks.EnterName = [this](TMyButton& button) { OnEnterNameClick(button); };
    callbacks.ReturnToMainMenu = [this](TMyButton& button) { OnReturnToMainMenuClick(button); };
    return callbacks;
}

void TGameFlow::ShowForm(const char* name) {
    if (Services.GUI) {
        Services.GUI->SetActiveForm(name);
    }
}

std::string TGameFlow::LanguageText(const char* key) const {
    return Services.Languages ? Services.Languages->GetText(key, World.State.Language) : std::string();
}

bool TGameFlow::StartLevel(bool continuing) {
    TGameState& state = World.State;
    state.FreezeActive = false;
    state.ArmourActive = false;
    state.GameOver = false;
    state.AllEnemiesSpawned = false;
    state.EnemiesAlive = 0;
    state.EnemySpawnTimer = kEnemySpawnInterval;
    state.BonusTimer = kBonusInterval;

    const TLevels* levels = PlayedLevels();
    if (levels == nullptr || state.LevelIndex >= levels->Count()) {
        Log("there is no level " + std::to_string(state.LevelIndex + 1) + " in the level list");
        state.InGame = false;
        return false;
    }
    const TLevelEntry& entry = levels->Entries()[state.LevelIndex];
    if (Hooks.LoadLevelResources) {
        Hooks.LoadLevelResources();
    }
    std::string error;
    if (entry.level ? !BuildLevel(World, *entry.level, error)
                    : !LoadLevel(World, Services.Root, entry.path, error)) {
        Log(error);
        state.InGame = false;
        return false;
    }
    for (int kind = 0; kind < 4; ++kind) {
        state.EnemyQuota[kind] = entry.enemies[kind];
    }
    state.PlayerRespawnPending = true;
    state.FirstSpawn = true;
    if (!continuing) {
        state.Lives = kNewGameLives;
        state.UpgradeLevel = 0;
    }
    state.InGame = true;
    state.Paused = false;
    Outcome_ = TLevelOutcome{};
    if (state.TwoPlayers) {
        Team_.LevelStarted();
    }
    if (Services.Input) {
        Services.Input->SetTwoPlayerGame(state.TwoPlayers);
    }

    if (TMoveableObject* level = LevelNode(World)) {
        auto water = std::make_unique<TWater>("water", FindMesh(World, "water"));
        water->SetPosition(0.0f, -0.5f, 0.0f);
        level->AddChild(std::move(water));
    }
    if (Services.Audio) {
        Services.Audio->Play("music", 1);
    }
    return true;
}

void TGameFlow::StopLevel() {
    if (Services.Audio) {
        Services.Audio->Stop("music");
    }
    if (Services.GUI) {
        SetWidgetText(*Services.GUI, "Game", "Clock", "");
        SetWidgetText(*Services.GUI, "Game", "Armour", "");
    }
    TGameState& state = World.State;
    state.FreezeActive = false;
    state.ArmourActive = false;
    state.InGame = false;
    if (Services.Input) {
        Services.Input->SetTwoPlayerGame(false);
    }
    UnloadLevel(World);
}

void TGameFlow::Pause() {
    World.State.Paused = true;
    if (Services.Audio) {
        Services.Audio->Pause("music");
    }
    ShowForm("PauseMenu");
}

void TGameFlow::Resume() {
    World.State.Paused = false;
    if (Services.Audio) {
        Services.Audio->Play("music", 1);
    }
    ShowForm("Game");
}

void TGameFlow::TogglePause() {
    if (World.State.Paused) {
        Resume();
    } else {
        Pause();
    }
}

void TGameFlow::UpdateFlow(int32_t dt, int32_t cursorClientX, int32_t cursorClientY, int32_t clientWidth,
                           int32_t clientHeight) {
    TGameState& state = World.State;
    if (Services.GUI) {
        SetWidgetText(*Services.GUI, "Game", "Scores",
                      LanguageText("Score") + " : " + std::to_string(state.Score));
    }

    if (state.TwoPlayers) {
        if (Team_.Respawn()) {
            NoteOutcome(TLevelEnd::NoTanksLeft);
            StopLevel();  // both players are out: as the last tank of one player below
            ShowEnterName();
            return;
        }
    } else if (state.PlayerRespawnPending) {
        if (state.Lives > 0) {
            RespawnPlayer();
        } else {
            // The last tank is gone: the game is over, and the level with it, so nothing more of this
            // frame's flow may touch the world.
            state.PlayerRespawnPending = false;
            NoteOutcome(TLevelEnd::NoTanksLeft);
            StopLevel();
            EndGame();
            return;
        }
        state.PlayerRespawnPending = false;
    }

    if (state.BonusTimer < 1) {
        SpawnBonus(World);
        state.BonusTimer = kBonusInterval;
    } else {
        state.BonusTimer -= dt;
    }

    if (!state.AllEnemiesSpawned) {
        if (state.EnemySpawnTimer > 0) {
            state.EnemySpawnTimer -= dt;
        } else if (state.EnemiesAlive < kMostEnemiesAlive) {
            SpawnEnemy(World);
            state.EnemySpawnTimer = kEnemySpawnInterval;
        }
    }

    if (state.FreezeActive) {
        state.FreezeTimeLeft -= dt;
        std::string seconds = std::to_string(RoundHalfEven(state.FreezeTimeLeft / 1000.0));
        if (state.FreezeTimeLeft < 1) {
            seconds.clear();
            state.FreezeActive = false;
        }
        if (Services.GUI) {
            SetWidgetText(*Services.GUI, "Game", "Clock", seconds);
        }
    }

    if (state.TwoPlayers) {
        Team_.AimAndFollow(dt, cursorClientX, cursorClientY, clientWidth, clientHeight);
        Hud_.SetSecondCursor(Services.Input && Services.Input->SecondPlayerPad().Connected,
                             Team_.SecondCursorX(), Team_.SecondCursorY());
    } else {
        AimAndFollow(cursorClientX, cursorClientY, clientWidth, clientHeight);
    }

    if (state.AllEnemiesSpawned && state.EnemiesAlive == 0) {
        NoteOutcome(TLevelEnd::Won);
        StopLevel();
        const TLevels* levels = PlayedLevels();
        if (levels == nullptr || state.LevelIndex + 1 >= levels->Count()) {
            EndGame();
        } else {
            if (!PlayingOwnLevels()) {
                RecordProgress(state.LevelIndex + 2);  // the campaign's progress only
            }
            ShowForm("NextLevel");
        }
    } else if (state.GameOver) {
        NoteOutcome(TLevelEnd::BaseFell);
        StopLevel();
        EndGame();
    }
}

void TGameFlow::NoteOutcome(TLevelEnd end) {
    const TGameState& state = World.State;
    Outcome_.End = end;
    Outcome_.Lives = state.Lives;
    Outcome_.EnemiesLeft = state.EnemiesAlive;
    for (int32_t quota : state.EnemyQuota) {
        Outcome_.EnemiesLeft += quota;
    }
}

void TGameFlow::RespawnPlayer() {
    TGameState& state = World.State;
    SpawnPlayer(World);
    TMap* map = CurrentMap(World);
    if (map != nullptr && Services.SceneManager) {
        float x = static_cast<float>(map->PlayerStartX) - static_cast<float>(map->Width()) / 2.0f + 1.0f;
        float z = static_cast<float>(map->Height()) / 2.0f - static_cast<float>(map->PlayerStartY) - 1.0f -
                  kCameraBehind;
        Services.SceneManager->GetCamera()->SetPosition(x, kCameraHeight, z);
    }
    if (state.FirstSpawn) {
        state.FirstSpawn = false;
    } else {
        state.Lives -= 1;
    }
}

void TGameFlow::AimAndFollow(int32_t cursorClientX, int32_t cursorClientY, int32_t clientWidth,
                             int32_t clientHeight) {
    if (!Services.SceneManager) {
        return;
    }
    TCamera& camera = *Services.SceneManager->GetCamera();
    TMatrix view = camera.GetView();
    TMatrix projection = camera.GetProjection();
    TVector3 direction =
        PickRayDirection(cursorClientX, cursorClientY, clientWidth, clientHeight, projection, view);
    TVector3 hit{0.0f, 0.0f, 0.0f};
    bool onGround = RayPlaneIntersect(camera.GetPosition(), direction, Plane(0.0f, 1.0f, 0.0f, 0.0f), hit);
    TPlayer* player = FindPlayer(Services.SceneManager->GetRoot());
    if (player == nullptr) {
        return;
    }
    if (onGround) {
        player->AimAt(hit.X, hit.Z);
    }
    TVector3 position = player->GetPosition();
    camera.SetPosition(position.X, position.Y + kCameraHeight, position.Z - kCameraBehind);
}

const TLevels* TGameFlow::PlayedLevels() const {
    return OwnLevels_ ? OwnLevels_.get() : Services.Levels.get();
}

bool TGameFlow::PlayOwnLevels(std::vector<TLevelEntry> levels, std::function<void()> ended) {
    OwnLevels_ = std::make_unique<TLevels>(std::move(levels));
    OwnLevelsEnded_ = std::move(ended);
    World.State.LevelIndex = 0;
    World.State.Score = 0;
    World.State.TwoPlayers = false;
    ShowForm("Game");
    if (!StartLevel(false)) {
        OwnLevels_.reset();
        OwnLevelsEnded_ = nullptr;
        return false;
    }
    return true;
}

void TGameFlow::EndGame() {
    if (!OwnLevels_) {
        ShowEnterName();
        return;
    }
    OwnLevels_.reset();
    std::function<void()> ended = std::move(OwnLevelsEnded_);
    OwnLevelsEnded_ = nullptr;
    if (ended) {
        ended();
    }
}

void TGameFlow::ShowEnterName() {
    if (Services.GUI) {
        SetWidgetText(*Services.GUI, "EnterName", "Record",
                      LanguageText("Your record") + " : " + std::to_string(World.State.Score));
        // The player types the name straight away, without clicking into the box first.
        if (TMyForm* form = Services.GUI->FindForm("EnterName"))
            form->Focus = "Name";
    }
    ShowForm("EnterName");
}

void TGameFlow::FillRecordsTable() {
    if (!Services.GUI || !Services.Records) {
        return;
    }
    const char* names[TTable_of_records::kRows] = {"1", "2", "3", "4", "5"};
    for (int i = 0; i < TTable_of_records::kRows; ++i) {
        SetWidgetText(*Services.GUI, "Table of records", names[i],
                      std::to_string(i + 1) + ". " + Services.Records->GetName(i) + " - " +
                          std::to_string(Services.Records->GetScore(i)));
    }
}

void TGameFlow::SetOptionsWidgets() {
    TGUI& gui = *Services.GUI;
    const TGameState& state = World.State;
    SetTicked(gui, "Options", "FullScreen", !state.Windowed);
    SetTicked(gui, "Options", "UKR", state.Language == kLanguageUkrainian);
    SetTicked(gui, "Options", "RUS", state.Language == kLanguageRussian);
    SetTicked(gui, "Options", "ENG", state.Language == kLanguageEnglish);
    SetTicked(gui, "Options", "1024", state.ScreenWidth == 1024);
    SetTicked(gui, "Options", "800", state.ScreenWidth != 1024);
    Resolutions_.Show(gui, state.ScreenWidth, state.ScreenHeight, LanguageText("(desktop)"));
}

void TGameFlow::ApplyOptions() {
    TGUI& gui = *Services.GUI;
    TGameState& state = World.State;
    if (Services.Languages) {
        // Tested in this order: the last selected one wins.
        if (Ticked(gui, "Options", "UKR")) {
            ApplyLanguage(state, gui, *Services.Languages, kLanguageUkrainian);
        }
        if (Ticked(gui, "Options", "RUS")) {
            ApplyLanguage(state, gui, *Services.Languages, kLanguageRussian);
        }
        if (Ticked(gui, "Options", "ENG")) {
            ApplyLanguage(state, gui, *Services.Languages, kLanguageEnglish);
        }
    }
    bool displayChanges = false;
    if (Ticked(gui, "Options", "FullScreen") != !state.Windowed) {
        state.Windowed = !state.Windowed;
        displayChanges = true;
    }
    // A radio button changes the width it names only, as it always did; the chooser's other sizes
    // change both.
    const platform::ScreenSize chosen = Resolutions_.Chosen(gui);
    const bool radio = Ticked(gui, "Options", "1024") || Ticked(gui, "Options", "800");
    if (radio ? chosen.Width != state.ScreenWidth
              : chosen.Width > 0 &&
                    (chosen.Width != state.ScreenWidth || chosen.Height != state.ScreenHeight)) {
        state.ScreenWidth = chosen.Width;
        state.ScreenHeight = chosen.Height;
        displayChanges = true;
    }
    if (displayChanges && Hooks.ApplyDisplayMode) {
        Hooks.ApplyDisplayMode();
    }
    std::string error;
    if (SaveFiles_ && (!PrepareUserFolder(Services.UserFiles, error) ||
                       !SaveOptions(Services.Root, Services.UserFiles.OptionsWrite, state, error))) {
        ReportSaveFailure(Services.UserFiles.OptionsWrite, error);
    }
}

void TGameFlow::SetExitTags(int32_t cancelTag, int32_t okTag) {
    TMyForm* form = Services.GUI->FindForm("Exit");
    if (form == nullptr) {
        return;
    }
    if (TBaseWidget* cancel = form->FindWidget("Cencel")) {
        cancel->Tag = cancelTag;
    }
    if (TBaseWidget* ok = form->FindWidget("OK")) {
        ok->Tag = okTag;
    }
}

void TGameFlow::OnMainMenuClick(TMyButton& button) {
    TGameState& state = World.State;
    const std::string& name = button.Name;
    if (name == "Play" || name == "Two players" ||
        (name == "Continue" && KeepsProgress_ && ReachedLevel_ > 0 && Services.Levels)) {
        OwnLevels_.reset();
        OwnLevelsEnded_ = nullptr;
        ShowForm("Game");
        state.LevelIndex = state.FirstLevel;
        if (name == "Continue") {
            state.LevelIndex =
                static_cast<uint8_t>(std::min<int>(ReachedLevel_, Services.Levels->Count()) - 1);
        }
        state.Score = 0;
        state.TwoPlayers = name == "Two players";
        if (state.TwoPlayers) {
            Team_.NewGame();
        }
        if (!StartLevel(false)) {
            ShowForm("MainMenu");  // no level to play: stay in the menus
        }
    } else if (name == "Table of records") {
        FillRecordsTable();
        ShowForm("Table of records");
    } else if (name == "Help") {
        if (Services.GUI && Services.Languages) {
            const auto text = [this](const char* key) {
                const std::string line = LanguageText(key);
                return line.empty() ? std::string(key) : line;
            };
            ShowBoundControls(*Services.GUI, *Services.Languages, World.State.Language,
                              Services.Settings.Bindings, Services.Settings.SecondBindings,
                              [&text](uint16_t code) { return InputName(code, text); });
        }
        ShowForm("Help");
    } else if (name == "Options") {
        SetOptionsWidgets();
        ShowForm("Options");
    } else if (name == "Author") {
        ShowForm("Author");
        SetCreditTexts(*Services.GUI, state.Language);
    } else if (name == "Exit") {
        ShowForm("Exit");
        SetExitTags(0, 0);
    }
}

void TGameFlow::OnOptionsClick(TMyButton& button) {
    if (button.Name == "ModeLess" || button.Name == "ModeMore") {
        Resolutions_.Step(*Services.GUI, button.Name == "ModeMore" ? 1 : -1);
        return;
    }
    if (button.Name == "OK") {
        ApplyOptions();
        UpdateContinueButton();  // in the language just chosen
        ShowForm("MainMenu");
    } else if (button.Name == "Cencel") {
        ShowForm("MainMenu");
    }
}

void TGameFlow::OnPauseMenuClick(TMyButton& button) {
    if (button.Name == "Continue") {
        Resume();
    } else if (button.Name == "MainMenu") {
        ShowForm("Exit");
        SetExitTags(1, 2);
    }
}

void TGameFlow::OnExitClick(TMyButton& button) {
    if (button.Name == "OK") {
        switch (button.Tag) {
            case 0:
                if (Hooks.CloseMainWindow) {
                    Hooks.CloseMainWindow();
                }
                break;
            case 1:
                // Left between two levels: an own game ends here, the campaign returns to the menu.
                if (OwnLevels_) {
                    EndGame();
                } else {
                    ShowForm("MainMenu");
                }
                break;
            case 2:
                StopLevel();
                if (OwnLevels_) {
                    EndGame();
                } else {
                    ShowForm("MainMenu");
                }
                break;
            default:
                break;
        }
    } else if (button.Name == "Cencel") {
        switch (button.Tag) {
            case 0:
                ShowForm("MainMenu");
                break;
            case 1:
                ShowForm("PauseMenu");
                break;
            case 2:
                ShowForm("NextLevel");
                break;
            default:
                break;
        }
    }
}

void TGameFlow::OnNextLevelClick(TMyButton& button) {
    TGameState& state = World.State;
    if (button.Name == "NextLevel") {
        const TLevels* levels = PlayedLevels();
        if (levels == nullptr || state.LevelIndex + 1 >= levels->Count()) {
            EndGame();  // past the last level: the game is won
            return;
        }
        state.LevelIndex = static_cast<uint8_t>(state.LevelIndex + 1);
        if (StartLevel(true)) {
            ShowForm("Game");
        } else {
            EndGame();  // the next level cannot be played: the game ends with its score
        }
    } else if (button.Name == "MainMenu") {
        ShowForm("Exit");
        SetExitTags(2, 1);
    }
}

void TGameFlow::OnEnterNameClick(TMyButton& button) {
    if (button.Name != "OK") {
        return;
    }
    std::string name = GetWidgetText(*Services.GUI, "EnterName", "Name");
    if (name.empty()) {
        name = "Unnamed";
    }
    // A score made on another difficulty than the design's is marked after the name, so the table's
    // file keeps its format and a Normal score reads as it always has.
    if (World.State.Difficulty != kDifficultyNormal) {
        name += World.State.Difficulty == kDifficultyEasy ? " (E)" : " (H)";
    }
    if (Services.Records) {
        Services.Records->AddRecord(name, World.State.Score);
        std::string error;
        if (SaveFiles_ &&
            (!PrepareUserFolder(Services.UserFiles, error) ||
             !Services.Records->SaveToFile(Services.Root, Services.UserFiles.RecordsWrite, error))) {
            ReportSaveFailure(Services.UserFiles.RecordsWrite, error);
        }
    }
    FillRecordsTable();
    ShowForm("Table of records");
}

void TGameFlow::OnReturnToMainMenuClick(TMyButton& button) {
    if (button.Name == "OK") {
        ShowForm("MainMenu");
    }
}

void TGameFlow::LoadProgress() {
    const std::string path = Services.UserFiles.ProgressFile();
    if (path.empty()) {
        return;
    }
    KeepsProgress_ = true;
    std::string error;
    if (!ReadProgressFile(Services.Root, path, ReachedLevel_, error)) {
        Log(error + "; the campaign starts from its first level");
        ReachedLevel_ = 0;
    }
    UpdateContinueButton();
}

void TGameFlow::RecordProgress(int level) {
    if (!KeepsProgress_ || level <= ReachedLevel_) {
        return;
    }
    ReachedLevel_ = std::min(level, kMostReachedLevel);
    UpdateContinueButton();
    std::string error;
    const std::string path = Services.UserFiles.ProgressFile();
    if (SaveFiles_ && !WriteProgressFile(Services.Root, path, ReachedLevel_, error)) {
        ReportSaveFailure(path, error);
    }
}

void TGameFlow::UpdateContinueButton() {
    // Continuing at the first level would be "Play" again.
    if (!KeepsProgress_ || ReachedLevel_ < 2 || !Services.GUI || !Services.Levels) {
        return;
    }
    const int level = std::min<int>(ReachedLevel_, Services.Levels->Count());
    ShowContinueButton(
        *Services.GUI, [this](TMyButton& button) { OnMainMenuClick(button); },
        LanguageText("Continue from level") + " " + std::to_string(level));
}

void TGameFlow::ReportSaveFailure(const std::string& path, const std::string& error) {
    Log(error);
    // The system's reasons a player meets, each a key of the language table.
    static const int kReasons[] = {ENOSPC, EACCES, EPERM, EROFS, EDQUOT, EIO};
    std::string reason;
    for (int number : kReasons) {
        const std::string text = std::strerror(number);
        if (error.size() >= text.size() &&
            error.compare(error.size() - text.size(), text.size(), text) == 0) {
            reason = LanguageText(text.c_str());
            break;
        }
    }
    if (reason.empty()) {
        const std::size_t colon = error.rfind(": ");
        reason = colon == std::string::npos ? error : error.substr(colon + 2);
    }
    const std::size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string prefix = LanguageText("Could not save");
    if (prefix.empty()) {
        prefix = "Could not save";
    }
    Notice_.Show(prefix + " " + name + ": " + reason);
}

void FreeServices(TGameServices& services) {
    services.Levels.reset();
    services.Records.reset();
    services.Audio.reset();
    services.Font.reset();
    services.Languages.reset();
    services.GUI.reset();
    services.QuadVertexShader.reset();
    services.QuadPixelShader.reset();
    services.Input.reset();
    services.HudAtlas.reset();
    services.ParticleAtlas.reset();
    services.Meshes.reset();
    services.Shaders.reset();
    services.SceneManager.reset();
    services.Render.reset();
}
