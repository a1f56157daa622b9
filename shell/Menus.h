// The game's screens: every GUI form with its widgets (names, default texts, places, sizes and text
// styles), and the language switch that replaces their visible texts.
//
// Places are written in reference pixels of an 800 x 600 area (the HUD's icons and two of its labels in
// 1024 x 768) and converted to the GUI's screen space, so the menus look the same at any resolution.
// Texts are Windows-1251 bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "gui/GE_GUI.h"
#include "input/KeyBindings.h"
#include "render/GE_D3D9.h"
#include "util/ScreenLayout.h"

class TLanguages;
struct TGameState;

// The button callbacks of the game flow, one per group of buttons; each tells its buttons apart by name.
struct TMenuCallbacks {
    TMyButton::TOnClick MainMenu;          // "MainMenu": Play, Table of records, Help, Options, Author, Exit,
                                           // Two players, and Continue once it is shown
    TMyButton::TOnClick Options;           // "Options": OK, Cencel, ModeLess, ModeMore
    TMyStepper::TOnStep ModeStep;          // "Options": Mode, by the arrow keys and the D-pad
    TMyButton::TOnClick PauseMenu;         // "PauseMenu": Continue, MainMenu
    TMyButton::TOnClick Exit;              // "Exit": OK, Cencel (by their Tag)
    TMyButton::TOnClick NextLevel;         // "NextLevel": NextLevel, MainMenu
    TMyButton::TOnClick EnterName;         // "EnterName": OK
    TMyButton::TOnClick ReturnToMainMenu;  // the OK of "Help", "Table of records" and "Author"
    TMyButton::TOnClick Construction;      // "MainMenu": Construction, My levels (may be empty)
};

// The names of the three credit labels of "Author".
inline constexpr const char* kCreditAuthorLabel = "Created";
inline constexpr const char* kCreditMusicLabel = "Music";
inline constexpr const char* kCreditRightsLabel = "Rights";

// Creates the ten forms in their order ("Game", "MainMenu", "Options", "EnterName", "Author", "Exit",
// "PauseMenu", "NextLevel", "Table of records", "Help"), each on `device`, registers each with the GUI
// and adds its widgets in their order. Call once.
void BuildMenus(TGUI& gui, TDeviceRef device, const TMenuCallbacks& callbacks);

// The HUD's labels ("Game") in the layout's HUD view: the score keeps its distance from the screen's
// right edge, the rest stay at the left.
void PlaceHud(TGUI& gui, const TScreenLayout& layout);

// Sets the Language of `state` to `language` (0 Ukrainian, 1 Russian, 2 English) and the menus'
// visible texts to that language's lines. A key missing from the table empties its widget's text. The
// HUD labels, the record and credit labels and the OK of "Help" and "Author" are left alone.
void ApplyLanguage(TGameState& state, TGUI& gui, const TLanguages& languages, uint8_t language);

// The lines of "Help" that name keys a player binds (moving and shooting; the second player's driving,
// fire and turret), in `language`: a line whose keys are the defaults keeps its designed text, one with
// other keys names them ("Moving: %1", ...), `inputName` giving a key's or a mouse button's name.
void ShowBoundControls(TGUI& gui, const TLanguages& languages, uint8_t language, const TKeyBindings& first,
                       const TSecondKeyBindings& second,
                       const std::function<std::string(uint16_t)>& inputName);

// The "Continue" button of "MainMenu", above "Play", with `caption`: added on the first call (a game that
// has reached no level yet has none), its caption replaced on later ones.
void ShowContinueButton(TGUI& gui, const TMyButton::TOnClick& onClick, const std::string& caption);

// The three credit lines of "Author" in `language` (Ukrainian and Russian lines for 0 and 1, English
// for anything else).
void SetCreditTexts(TGUI& gui, uint8_t language);

// For screens built outside this file, in the same look: a place in reference pixels of the 800 x 600
// area, a new form, and a button, a label (white, centred or left-aligned) or an edit on it.
struct TMenuPlace {
    int32_t X, Y;
    int32_t Width = 200;
    int32_t Height = 40;
};
TMyForm* AddMenuForm(TGUI& gui, TDeviceRef device, const char* name);
TMyButton* AddMenuButton(TMyForm& form, const char* name, const std::string& text, const TMenuPlace& place,
                         const TMyButton::TOnClick& onClick);
TMyLabel* AddMenuLabel(TMyForm& form, const char* name, const std::string& text, const TMenuPlace& place,
                       bool leftAligned = false);
TMyEdit* AddMenuEdit(TMyForm& form, const char* name, const std::string& text, const TMenuPlace& place);

// Sets the text of a label, button, check box or radio button of a form; nothing when either is missing.
void SetWidgetText(TGUI& gui, const char* form, const char* widget, const std::string& text);
// The caption of such a widget (or the text of an edit); empty when it is missing.
std::string GetWidgetText(const TGUI& gui, const char* form, const char* widget);

// Widgets in the menus' styles for screens built elsewhere (shell/SettingsScreens.h): places in pixels
// of the 800 x 600 menu area; labels are white and left-aligned, controls carry black text.
TMyButton* AddMenuButton(TMyForm& form, const char* name, const std::string& text, int32_t x, int32_t y,
                         int32_t width, int32_t height, const TMyButton::TOnClick& onClick);
TMyLabel* AddMenuLabel(TMyForm& form, const char* name, const std::string& text, int32_t x, int32_t y,
                       int32_t width, int32_t height);
TMyCheckBox* AddMenuCheckBox(TMyForm& form, const char* name, const std::string& text, int32_t x, int32_t y,
                             int32_t width);
TMySlider* AddMenuSlider(TMyForm& form, const char* name, int32_t x, int32_t y, int32_t width,
                         int32_t height);
