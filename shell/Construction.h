// "Construction": the level editor inside the game, and "My levels", the player's own levels to play.
// A room of the shell of its own beside the game flow: it builds its screens, reads the player's
// levels (shell/UserLevels.h), turns the player's input on the editor screen into edits of its model
// (shell/EditModel.h), shows the level through its view (shell/EditorView.h), and starts the game flow
// on a level of its own ("Try", F5, back to the editor with the same camera when that level ends) or on
// the player's levels ("My levels": one, or all in order; the score is shown, never entered into the
// table of records).
//
// Screens: "Construction" (New level, Open a level, My levels, Main menu), "NewLevel" (the size, 12 to
// 64 cells each way), "OpenLevel" (the shipped levels and the player's own), "Editor", "LeaveEditor"
// (leaving with unsaved edits asks first: Yes or Enter leaves, No, Escape or a gamepad's Start stays),
// "SaveLevel" (the name), "MyLevels", "DeleteLevel" (the confirmation) and "LevelScore".
//
// Editor keys: 1-9 and 0 the tools (empty ground, brick, rock, water, base, start, second start, spawn
// point, decoration, eraser), B the brush (1 x 1 or 2 x 2), Tab the next decoration mesh (or one picked
// from the palette's meshes), Q and E turn the last decoration, [ and ] scale it, Ctrl+Z undo, Ctrl+Y or
// Ctrl+Shift+Z redo, F5 try, Ctrl+S save, Escape back; W, A, S, D, the arrows, the gamepad's left stick
// or D-pad and the cursor at the window's edge pan, the wheel zooms.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "input/GE_INPUT.h"
#include "shell/EditModel.h"
#include "shell/EditorView.h"
#include "shell/GameFlow.h"
#include "shell/GameServices.h"
#include "shell/UserLevels.h"
#include "world/World.h"

// Every line of the language files the room shows (the level checks' lines among them).
std::vector<std::string> ConstructionTextKeys();

class TConstruction {
public:
    // Everything given must outlive the room. `loadLevelResources` loads the game's meshes once (the
    // game flow's hook); the player's levels live under `userFolder` (may be empty: nothing is kept).
    TConstruction(TWorld& world, TGameServices& services, TGameFlow& flow,
                  std::function<void()> loadLevelResources, const std::string& userFolder);

    // The callback of the main menu's "Construction" and "My levels" (TMenuCallbacks::Construction).
    TMyButton::TOnClick MainMenuCallback();
    // Creates the room's screens. Call once, after BuildMenus.
    void BuildForms(TDeviceRef device);
    // Reads the player's levels; a file that cannot be read is left out, its problem in the log.
    void LoadUserLevels();

    // Opens a level file (a real or game path) in the editor, its enemy counts from the level list that
    // names it (the player's or the shipped one). False with an `error` naming the file.
    bool OpenFile(const std::string& path, std::string& error);

    // Off for a replay: nothing is saved or deleted.
    void SetSaveFiles(bool save) { SaveFiles_ = save; }

    // The editor screen is up (and no level runs): the frame goes to UpdateEditor and DrawEditor.
    bool Editing() const;
    // One frame of the editor after the GUI had the input: the cursor in back-buffer pixels of a
    // screenWidth x screenHeight area.
    void UpdateEditor(int32_t dt, const TInput& input, int32_t cursorX, int32_t cursorY, int32_t screenWidth,
                      int32_t screenHeight);
    // The scene and the grid over it (the caller draws the GUI and the cursor afterwards).
    void DrawEditor();
    // The keys of the room's other screens (the question before leaving the editor), every frame after
    // the GUI had the input.
    void UpdateMenus(const TInput& input);

    const TEditModel& Model() const { return Model_; }
    const TUserLevels& UserLevels() const { return UserLevels_; }
    const TEditorCamera& Camera() const { return Camera_; }
    const std::string& LevelName() const { return Name_; }
    // The editor's status line as shown.
    std::string Status() const;

private:
    void ShowForm(const char* name);
    std::string Text(std::string_view key) const;
    void ApplyTexts();
    void OnClick(TMyButton& button);
    void OnMainMenuClick(TMyButton& button);
    void OnEditorClick(TMyButton& button);
    void OnMyLevelsClick(TMyButton& button);
    void OnOpenLevelClick(TMyButton& button);

    void StartEditing(const std::string& name);
    // Leaves at once without unsaved edits, else asks first.
    void AskToLeave();
    void LeaveEditor(const char* form);
    void Refresh(bool force);
    void Try();
    void ReturnFromTry();
    void OpenSaveForm();
    void Save();
    void ShowMyLevels();
    void PlayOwn(std::vector<TLevelEntry> levels);
    void SetMessage(const std::string& text) { Message_ = text; }
    void EditorKeys(const TInput& input);

    TWorld& World_;
    TGameServices& Services_;
    TGameFlow& Flow_;
    std::function<void()> LoadLevelResources_;
    TUserLevels UserLevels_;
    TEditModel Model_;
    TEditorView View_;
    TEditorCamera Camera_;
    std::string Name_;  // the name the level is saved under; empty until given
    std::string Message_;
    int32_t NewWidth_ = 26;
    int32_t NewHeight_ = 26;
    int32_t Page_ = 0;
    std::string Deleting_;
    // The levels "OpenLevel" lists: the shipped ones first, then the player's.
    struct TOpenable {
        std::string Title;
        std::string Path;
        uint8_t Enemies[4] = {0, 0, 0, 0};
        std::string Name;  // the name to save under
    };
    std::vector<TOpenable> Openable_;
    uint32_t ShownRevision_ = 0;
    int32_t SinceRefreshMs_ = 0;
    bool MouseWasDown_ = false;
    bool Trying_ = false;
    bool SaveFiles_ = true;
    TGridPoint Hover_{-1, -1};
};
