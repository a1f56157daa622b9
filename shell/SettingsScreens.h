// The "Sound" and "Controls" screens, reached from two buttons of the Options screen, and what they
// change: the player's settings file (shell/Settings.h), saved when a screen's OK is clicked.
//
// "Sound": the music and effects volumes (sliders, heard at once while they move; an effect plays when
// the effects slider is let go) and "mute all". "Controls": each action with its key (click it, then
// press the new key or, for fire, a mouse button; Escape cancels; a key bound elsewhere is swapped and
// the screen says so), "Defaults", the mouse and gamepad aim speeds, the difficulty, vsync (from the
// next start) and the frame rate cap.
//
// While a demo is recorded or replayed the difficulty and the controls in play stay as the session
// began (its header holds them); what the player chooses is saved and holds from the next start.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "input/KeyBindings.h"
#include "shell/GameServices.h"
#include "world/World.h"

// The name a key has on the player's layout (platform/KeyNames.h), or a mouse button's, `text` giving
// the line of a language key.
std::string InputName(uint16_t code, const std::function<std::string(const char*)>& text);

class TSettingsScreens {
public:
    struct THooks {
        // The settings changed: apply what they change outside the game state (shell/Startup.h).
        std::function<void()> Apply;
        // A demo is recorded or replayed now.
        std::function<bool()> InSession;
        // The settings file at `path` could not be written, for `error` (TGameFlow::ReportSaveFailure).
        std::function<void(const std::string& path, const std::string& error)> SaveFailed;
    };

    // Everything given must outlive the screens.
    TSettingsScreens(TWorld& world, TGameServices& services, THooks hooks);

    // Adds the two forms and the Options screen's "Sound" and "Controls" buttons. Call once, after
    // BuildMenus.
    void Build(TDeviceRef device);
    // Once a frame after the GUI's input: the key a binding waits for.
    void Update();
    // Off for a replay: the settings change in memory only.
    void SetSaveFiles(bool save) { SaveFiles_ = save; }

    // The name a key has on the player's layout (platform/KeyNames.h), or the mouse button's.
    std::string InputName(uint16_t code) const;

private:
    // The slider sets `setting` and its value label as it moves, and the settings apply at once.
    void Follow(TMySlider& slider, const char* form, const char* valueLabel, int32_t TSettings::*setting);
    void Show(const char* form);
    void Save();
    void FillSound();
    void FillControls();
    void OnClick(TMyButton& button);
    std::string Text(const char* key) const;
    int RowCount() const;  // the rows the player shown fills
    bool TakesMouse(int row) const;
    uint16_t SlotCode(TBindingSlot slot) const;
    TBindingSlot HolderOf(uint16_t code) const;
    // The action's name, after its player's when that is not the player shown.
    std::string SlotName(TBindingSlot slot) const;

    TWorld& World_;
    TGameServices& Services_;
    THooks Hooks_;

    int Player_ = 0;             // the player whose keys the Controls screen shows, 0 or 1
    int Capturing_ = -1;         // the row waiting for its key, -1 none
    bool CaptureArmed_ = false;  // the click that began the wait is over
    bool SaveFiles_ = true;
};
