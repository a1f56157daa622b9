// The game flow: which screen is shown, what every menu button does, how a game starts and how levels
// follow one another, the player's respawns and their cost, the timers that release bonuses and
// enemies, the freeze clock, the score, the head-up display and the table of records.
//
// The flow works on the services of TGameServices and on the game state of its world (world/World.h);
// it needs no window, so it runs on the recording device with scripted input. The main window gives it
// two hooks: the display-mode switch (after the Options screen changed the mode) and the close of the
// main window (the Exit confirmation from the main menu). Times are whole milliseconds.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shell/GameServices.h"
#include "shell/Menus.h"
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

    // The five records into the labels "1" to "5" of "Table of records".
    void FillRecordsTable();

    // The HUD over the scene (quad shaders, blending on, depth test off): the armour and clock icons,
    // one life icon per life and the aiming cursor centred on the cursor (client pixels of a
    // screenWidth x screenHeight area).
    void DrawHud(int32_t cursorClientX, int32_t cursorClientY, int32_t screenWidth, int32_t screenHeight);
    // The seven bonus icons of "Help".
    void DrawHelpIcons();
    // One textured quad of the texture cache entry `texture` (nothing drawn bound when it is missing),
    // top-left (x, y) and size in clip space. The caller sets the shaders and states.
    void DrawTexturedQuad(const char* texture, float x, float y, float width, float height);

    // Off for a replay: the options and the table of records change in memory only, so watching a
    // demo never changes the player's files.
    void SetSaveFiles(bool save) { SaveFiles_ = save; }

    // A file the player keeps (`path`) could not be written, for `error` (a message ending in the
    // system's reason): the error is logged, and a notice in the player's language, "Could not save
    // options.txt: No space left on device", shows over every screen for kNoticeMs. What is in memory
    // stays, and the next save of the file tries again.
    void ReportSaveFailure(const std::string& path, const std::string& error);
    // The notice shown now (Windows-1251 bytes); empty when none.
    const std::string& Notice() const { return Notice_; }
    // Counts the notice's time down by one frame of `dt` milliseconds.
    void TickNotice(int32_t dt);
    // Queues the notice's text on the font, one line along the bottom of the screen (the font's
    // Flush draws it).
    void QueueNotice();
    static constexpr int32_t kNoticeMs = 8000;

    // The callbacks, by screen.
    void OnMainMenuClick(TMyButton& button);
    void OnOptionsClick(TMyButton& button);
    void OnPauseMenuClick(TMyButton& button);
    void OnExitClick(TMyButton& button);
    void OnNextLevelClick(TMyButton& button);
    void OnEnterNameClick(TMyButton& button);
    void OnReturnToMainMenuClick(TMyButton& button);

private:
    std::vector<TScreenQuad> HudQuads_;  // the HUD icons of this frame, kept to reuse its memory
    void ShowForm(const char* name);
    std::string LanguageText(const char* key) const;
    // The "Record" label of "EnterName" with the score, then that screen.
    void ShowEnterName();
    void SetOptionsWidgets();
    void ApplyOptions();
    void SetExitTags(int32_t cancelTag, int32_t okTag);
    void RespawnPlayer();
    void AimAndFollow(int32_t cursorClientX, int32_t cursorClientY, int32_t clientWidth,
                      int32_t clientHeight);

    TWorld& World;
    TGameServices& Services;
    THooks Hooks;
    bool SaveFiles_ = true;
    std::string Notice_;
    int32_t NoticeLeftMs_ = 0;
};
