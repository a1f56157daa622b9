// The game flow: which screen is shown, what every menu button does, how a game starts and how levels
// follow one another, the player's respawns and their cost, the timers that release bonuses and
// enemies, the freeze clock, the score and the table of records. The head-up display is drawn by
// its THud (shell/Hud.h), a notice by its TNotice (shell/Notice.h).
//
// The flow works on the services of TGameServices and on the game state of its world (world/World.h);
// it needs no window, so it runs on the recording device with scripted input. The main window gives it
// two hooks: the display-mode switch (after the Options screen changed the mode) and the close of the
// main window (the Exit confirmation from the main menu). Times are whole milliseconds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/GameServices.h"
#include "shell/Hud.h"
#include "shell/Menus.h"
#include "shell/Notice.h"
#include "shell/TeamPlay.h"
#include "shell/ResolutionChooser.h"
#include "world/World.h"

class TGameFlow {
public:
    struct THooks {
        std::function<void()> ApplyDisplayMode;
        std::function<void()> CloseMainWindow;
        // Called before each level is built: loads what only levels use, once (may be empty).
        std::function<void()> LoadLevelResources;
    };

    // Everything given must outlive the flow; services may be filled in later (before the first call).
    // The flow keeps the game-wide values in `world` and loads levels and spawns into it; the objects
    // it makes hold the same world (world/World.h).
    TGameFlow(TWorld& world, TGameServices& services, THooks hooks);

    // The button callbacks for BuildMenus.
    TMenuCallbacks MenuCallbacks();

    // Begins level LevelIndex of the list (a new game when not continuing: 3 lives, weapon grade 0).
    // False, with the reason logged and nothing running, when there is no such level or its file
    // cannot be loaded.
    bool StartLevel(bool continuing);
    // Stops the music, clears the "Clock" and "Armour" labels and unloads the level.
    void StopLevel();

    // Pause and resume of a running level (Escape, Alt+Enter, deactivation, "Continue").
    void Pause();
    void Resume();
    // Escape while a level runs: pause, or resume when paused.
    void TogglePause();

    // One frame of the running level, after the scene update: score label, respawn or game over,
    // bonus and enemy timers, freeze clock, aiming at the ground point under the cursor (pixels
    // of the back buffer, clientWidth x clientHeight), the camera after the tank, the level's end. The
    // frame in which the game ends does nothing more.
    void UpdateFlow(int32_t dt, int32_t cursorClientX, int32_t cursorClientY, int32_t clientWidth,
                    int32_t clientHeight);

    // How the level last begun ended, as UpdateFlow decided it: Running while it is played (or left
    // through the menu), Won when its every enemy is destroyed, BaseFell, or NoTanksLeft when the last
    // tank is gone (in a game for two, both players'); with the lives and the enemies (living or still
    // to come) left at that moment.
    enum class TLevelEnd : uint8_t { Running, Won, BaseFell, NoTanksLeft };
    struct TLevelOutcome {
        TLevelEnd End = TLevelEnd::Running;
        int32_t Lives = 0;
        int32_t EnemiesLeft = 0;
    };
    const TLevelOutcome& LastOutcome() const { return Outcome_; }

    // The campaign's progress from the per-user folder (shell/Progress.h), and with it "Continue" in the
    // main menu once a game has reached a level past the first. Until this is called (a demo, recorded
    // or replayed, never calls it) the flow neither shows "Continue" nor keeps the progress. A file that
    // cannot be read is logged and counts as no progress.
    void LoadProgress();
    // The number (from 1) of the furthest level reached; 0 before any.
    int ReachedLevel() const { return ReachedLevel_; }
    // A game of levels outside the campaign: the player's own ("My levels") or the editor's "Try". It
    // starts at the first of `levels` with the normal rules (3 lives, weapon grade 0, score 0), goes on
    // through the others, and never enters the table of records: when it ends (lost, past the last
    // level, or left through the pause menu) `ended` is called instead, the level already stopped and
    // the score still in the game state. False (and nothing running) when the first level cannot start.
    bool PlayOwnLevels(std::vector<TLevelEntry> levels, std::function<void()> ended);
    bool PlayingOwnLevels() const { return OwnLevels_ != nullptr; }

    // The five records into the labels "1" to "5" of "Table of records".
    void FillRecordsTable();

    // The HUD, the help icons and the menus' quads (shell/Hud.h).
    THud& Hud() { return Hud_; }
    // The game for two players (shell/TeamPlay.h).
    const TTeamPlay& Team() const { return Team_; }

    // Off for a replay: the options and the table of records change in memory only, so watching a
    // demo never changes the player's files.
    void SetSaveFiles(bool save) { SaveFiles_ = save; }

    // A file the player keeps (`path`) could not be written, for `error` (a message ending in the
    // system's reason): the error is logged, and a notice in the player's language, "Could not save
    // options.txt: No space left on device", shows over every screen for TNotice::kNoticeMs. What is in
    // memory stays, and the next save of the file tries again.
    void ReportSaveFailure(const std::string& path, const std::string& error);
    // The notice over every screen (shell/Notice.h).
    TNotice& Notice() { return Notice_; }
    const TNotice& Notice() const { return Notice_; }

    // The Options screen's resolution chooser: its sizes come from the desktop.
    TResolutionChooser& Resolutions() { return Resolutions_; }

    // The callbacks, by screen.
    void OnMainMenuClick(TMyButton& button);
    void OnOptionsClick(TMyButton& button);
    void OnPauseMenuClick(TMyButton& button);
    void OnExitClick(TMyButton& button);
    void OnNextLevelClick(TMyButton& button);
    void OnEnterNameClick(TMyButton& button);
    void OnReturnToMainMenuClick(TMyButton& button);

private:
    void ShowForm(const char* name);
    std::string LanguageText(const char* key) const;
    // The "Record" label of "EnterName" with the score, then that screen.
    void ShowEnterName();
    void SetOptionsWidgets();
    void ApplyOptions();
    void SetExitTags(int32_t cancelTag, int32_t okTag);
    void RespawnPlayer();
    void NoteOutcome(TLevelEnd end);
    // A game has reached level `level` (from 1): kept when it is further than before.
    void RecordProgress(int level);
    void UpdateContinueButton();
    // The list being played: the player's own levels while they are played, else the campaign.
    const TLevels* PlayedLevels() const;
    // The end of a game: the name for the records, or the own levels' `ended`.
    void EndGame();
    void AimAndFollow(int32_t cursorClientX, int32_t cursorClientY, int32_t clientWidth,
                      int32_t clientHeight);

    TWorld& World;
    TGameServices& Services;
    THooks Hooks;
    bool SaveFiles_ = true;
    bool KeepsProgress_ = false;
    int ReachedLevel_ = 0;
    THud Hud_;
    TNotice Notice_;
    std::unique_ptr<TLevels> OwnLevels_;
    std::function<void()> OwnLevelsEnded_;
    TTeamPlay Team_;
    TLevelOutcome Outcome_;
    TResolutionChooser Resolutions_;
};
