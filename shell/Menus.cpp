#include "shell/Menus.h"

#include <algorithm>
#include <memory>
#include <string>

#include "shell/Languages.h"
#include "util/GE_UTILS.h"
#include "world/GameState.h"

namespace {

// The reference areas the layouts are written in.
constexpr int32_t kMenuWidth = 800;
constexpr int32_t kMenuHeight = 600;
constexpr int32_t kHudWidth = 1024;
constexpr int32_t kHudHeight = 768;

struct TTextStyle {
    TFontColor Color;
    float Size;
    uint8_t HAlign;
    uint8_t VAlign;
};

// Black text of buttons, check boxes, radio buttons and the edit.
constexpr TTextStyle kControlText{{0, 0, 0, 0}, 0.1f, 2, 2};
// White menu labels, centred.
constexpr TTextStyle kMenuLabel{{255, 255, 255, 255}, 0.12f, 2, 2};
// Blue HUD labels, right-aligned.
constexpr TTextStyle kHudLabel{{0, 0, 255, 255}, 0.13f, 1, 2};

TTextStyle LeftAligned(TTextStyle style) {
    style.HAlign = 0;
    return style;
}

// A rectangle in reference pixels of a refWidth x refHeight area.
struct TPlace {
    int32_t X, Y;
    int32_t Width = 200;
    int32_t Height = 40;
    int32_t RefWidth = kMenuWidth;
    int32_t RefHeight = kMenuHeight;
};

template <class Params>
void Place(Params& params, const TPlace& place, const TTextStyle& style) {
    params.X = PixelToNdcX(place.X, place.RefWidth);
    params.Y = PixelToNdcY(place.Y, place.RefHeight);
    params.Width = SizeToNdcW(place.Width, place.RefWidth);
    params.Height = SizeToNdcH(place.Height, place.RefHeight);
    params.FontColor = style.Color;
    params.FontSize = style.Size;
    params.Italic = 0;
    params.HAlign = style.HAlign;
    params.VAlign = style.VAlign;
}

TMyForm* NewForm(TGUI& gui, TDeviceRef device, const char* name) {
    return gui.AddForm(std::make_unique<TMyForm>(name, device));
}

TMyLabel* AddLabel(TMyForm& form, const char* name, const std::string& text, const TPlace& place,
                   const TTextStyle& style = kMenuLabel) {
    TButtonParam params;
    params.Caption = text;
    Place(params, place, style);
    auto label = std::make_unique<TMyLabel>(name);
    label->SetParams(params);
    return form.AddWidget(std::move(label));
}

TMyButton* AddButton(TMyForm& form, const char* name, const std::string& text, const TPlace& place,
                     const TMyButton::TOnClick& onClick) {
    TButtonParam params;
    params.Caption = text;
    Place(params, place, kControlText);
    auto button = std::make_unique<TMyButton>(name);
    button->SetParams(params);
    button->SetOnClick(onClick);
    return form.AddWidget(std::move(button));
}

TCheckBoxParam CheckBoxParams(const std::string& text, const TPlace& place) {
    TCheckBoxParam params;
    params.Caption = text;
    Place(params, place, kControlText);
    params.BoxMarginY = SizeToNdcH(5, kMenuHeight);
    params.BoxMarginX = SizeToNdcW(5, kMenuWidth);
    params.BoxHeight = SizeToNdcH(30, kMenuHeight);
    params.BoxWidth = SizeToNdcW(30, kMenuWidth);
    return params;
}

TMyCheckBox* AddCheckBox(TMyForm& form, const char* name, const std::string& text, const TPlace& place) {
    auto box = std::make_unique<TMyCheckBox>(name);
    box->SetParams(CheckBoxParams(text, place));
    return form.AddWidget(std::move(box));
}

TMyRadioButton* AddRadioButton(TMyForm& form, const char* name, uint8_t group, const std::string& text,
                               const TPlace& place, bool selected = false) {
    auto radio = std::make_unique<TMyRadioButton>(name, group);
    radio->SetParams(CheckBoxParams(text, place));
    radio->Ticked = selected;
    return form.AddWidget(std::move(radio));
}

TMyEdit* AddEdit(TMyForm& form, const char* name, const std::string& text, const TPlace& place) {
    TEditParam params;
    params.Text = text;
    Place(params, place, kControlText);
    params.MarginY = SizeToNdcH(5, kMenuHeight);
    params.MarginX = SizeToNdcW(5, kMenuWidth);
    auto edit = std::make_unique<TMyEdit>(name);
    edit->SetParams(params);
    return form.AddWidget(std::move(edit));
}

// The credit lines, Windows-1251, per language (0 Ukrainian, 1 Russian, 2 English).
struct TCredits {
    const char* Author;
    const char* Music;
    const char* Rights;
};

const TCredits kCredits[3] = {
    // "Автор: команда Brelvox", "Музика: Exhilarate, команда Brelvox",
    // "(c) 2026 Brelvox. Усі права захищено"
    {"\xC0\xE2\xF2\xEE\xF0: \xEA\xEE\xEC\xE0\xED\xE4\xE0 Brelvox",
     "\xCC\xF3\xE7\xE8\xEA\xE0: Exhilarate, \xEA\xEE\xEC\xE0\xED\xE4\xE0 Brelvox",
     "(c) 2026 Brelvox. \xD3\xF1\xB3 \xEF\xF0\xE0\xE2\xE0 \xE7\xE0\xF5\xE8\xF9\xE5\xED\xEE"},
    // "Автор: команда Brelvox", "Музыка: Exhilarate, команда Brelvox",
    // "(c) 2026 Brelvox. Все права защищены"
    {"\xC0\xE2\xF2\xEE\xF0: \xEA\xEE\xEC\xE0\xED\xE4\xE0 Brelvox",
     "\xCC\xF3\xE7\xFB\xEA\xE0: Exhilarate, \xEA\xEE\xEC\xE0\xED\xE4\xE0 Brelvox",
     "(c) 2026 Brelvox. \xC2\xF1\xE5 \xEF\xF0\xE0\xE2\xE0 \xE7\xE0\xF9\xE8\xF9\xE5\xED\xFB"},
    {"Author: the Brelvox team", "Music: Exhilarate by the Brelvox team",
     "(c) 2026 Brelvox. All rights reserved"},
};

// The Help screen's control lines before the first language switch (Ukrainian): "Рух: W,A,S,D",
// "Поворот башти: миша", "Постріл: ліва кнопка миші".
constexpr const char* kHelpMoving = "\xD0\xF3\xF5: W,A,S,D";
constexpr const char* kHelpTurret = "\xCF\xEE\xE2\xEE\xF0\xEE\xF2 \xE1\xE0\xF8\xF2\xE8: \xEC\xE8\xF8\xE0";
constexpr const char* kHelpShooting =
    "\xCF\xEE\xF1\xF2\xF0\xB3\xEB: \xEB\xB3\xE2\xE0 \xEA\xED\xEE\xEF\xEA\xE0 \xEC\xE8\xF8\xB3";
// "ОК" in Cyrillic letters.
constexpr const char* kCyrillicOk = "\xCE\xCA";
constexpr const char* kFreezesEnemies = "\"Freezes\" enemies";

// The score at the top right of the HUD.
constexpr TPlace kScoresPlace{550, 0, 100, 50};
constexpr TPlace kSecondArmourPlace{924, 160, 100, 50, kHudWidth, kHudHeight};

void BuildGame(TGUI& gui, TDeviceRef device) {
    TMyForm& form = *NewForm(gui, device, "Game");
    AddLabel(form, "Armour", "", {0, 100, 100, 50, kHudWidth, kHudHeight}, kHudLabel);
    AddLabel(form, "Clock", "", {0, 200, 100, 50, kHudWidth, kHudHeight}, kHudLabel);
    AddLabel(form, "Scores", "Scores:", kScoresPlace, LeftAligned(kHudLabel));
    // The second player's shield countdown, on that player's side (a game for two).
    AddLabel(form, "Armour2", "", kSecondArmourPlace, kHudLabel);
}

void BuildMainMenu(TGUI& gui, TDeviceRef device, const TMenuCallbacks& callbacks) {
    TMyForm& form = *NewForm(gui, device, "MainMenu");
    AddButton(form, "Play", "Play", {300, 150}, callbacks.MainMenu);
    AddButton(form, "Table of records", "Table of records", {300, 200}, callbacks.MainMenu);
    AddButton(form, "Help", "Help", {300, 250}, callbacks.MainMenu);
    AddButton(form, "Options", "Options", {300, 300}, callbacks.MainMenu);
    AddButton(form, "Author", "Author", {300, 350}, callbacks.MainMenu);
    AddButton(form, "Exit", "Exit", {300, 400}, callbacks.MainMenu);
    // The other ways to play, in a row under the design's column; the bottom stays free for notices.
    AddButton(form, "Two players", "Two players", {90, 450}, callbacks.MainMenu);
    if (callbacks.Construction) {
        AddButton(form, "Construction", "Construction", {300, 450}, callbacks.Construction);
        AddButton(form, "My levels", "My levels", {510, 450}, callbacks.Construction);
    }
}

void BuildOptions(TGUI& gui, TDeviceRef device, const TMenuCallbacks& callbacks) {
    TMyForm& form = *NewForm(gui, device, "Options");
    AddCheckBox(form, "FullScreen", "Fullscreen/Window", {190, 200});
    AddRadioButton(form, "1024", 1, "1024x768", {190, 250}, true);
    AddRadioButton(form, "800", 1, "800x600", {190, 300});
    AddLabel(form, "Language", "Language", {410, 150});
    AddLabel(form, "Display", "Display", {190, 150});
    AddRadioButton(form, "UKR", 0, "Ukrainian", {410, 200});
    AddRadioButton(form, "ENG", 0, "English", {410, 250}, true);
    AddRadioButton(form, "RUS", 0, "Russian", {410, 300});
    AddButton(form, "Cencel", "Cencel", {190, 400}, callbacks.Options);
    AddButton(form, "OK", "OK", {410, 400}, callbacks.Options);
    // The resolution chooser, across both columns under the radio buttons (shell/ResolutionChooser.h).
    // The label spans the arrows too, so pointing at them brings the arrow keys to it; its text stays
    // centred between them, and shrinks rather than run under them.
    AddButton(form, "ModeLess", "<", {190, 350, 40, 40}, callbacks.Options);
    TButtonParam mode;
    Place(mode, {190, 350, 420, 40}, kMenuLabel);
    auto stepper = std::make_unique<TMyStepper>("Mode");
    stepper->SetParams(mode);
    stepper->Caption.clear();
    stepper->SideMargin = SizeToNdcW(45, kMenuWidth);
    stepper->OnStep = callbacks.ModeStep;
    form.AddWidget(std::move(stepper));
    AddButton(form, "ModeMore", ">", {570, 350, 40, 40}, callbacks.Options);
}

void BuildEnterName(TGUI& gui, TDeviceRef device, const TMenuCallbacks& callbacks) {
    TMyForm& form = *NewForm(gui, device, "EnterName");
    AddLabel(form, "Enter name", "Enter name", {300, 200});
    AddLabel(form, "Record", "Your record", {300, 150});
    AddEdit(form, "Name", "", {300, 250});
    AddButton(form, "OK", "OK", {300, 350}, callbacks.EnterName);
}

void BuildAuthor(TGUI& gui, TDeviceRef device, const TMenuCallbacks& callbacks) {
    TMyForm& form = *NewForm(gui, device, "Author");
    const TCredits& credits = kCredits[kLanguageEnglish];
    AddLabel(form, kCreditAuthorLabel, credits.Author, {300, 200});
    AddLabel(form, kCreditMusicLabel, credits.Music, {300, 250});
    AddLabel(form, kCreditRightsLabel, credits.Rights, {300, 300});
    AddButton(form, "OK", kCyrillicOk, {300, 400}, callbacks.ReturnToMainMenu);
}

void BuildExit(TGUI& gui, TDeviceRef device, const TMenuCallbacks& callbacks) {
    TMyForm& form = *NewForm(gui, device, "Exit");
    AddLabel(form, "Exit_Verification", "Are you sure?", {300, 200});
    AddButton(form, "Cencel", "Cencel", {190, 400}, callbacks.Exit);
    AddButton(form, "OK", "OK", {410, 400}, callbacks.Exit);
}

void BuildPauseMenu(TGUI& gui, TDeviceRef device, const TMenuCallbacks& callbacks) {
    TMyForm& form = *NewForm(gui, device, "PauseMenu");
    AddLabel(form, "PauseMenu", "Pause Menu", {300, 150});
    AddButton(form, "Continue", "Continue", {300, 200}, callbacks.PauseMenu);
    AddButton(form, "MainMenu", "Main Menu", {300, 250}, callbacks.PauseMenu);
}

void BuildNextLevel(TGUI& gui, TDeviceRef device, const TMenuCallbacks& callbacks) {
    TMyForm& form = *NewForm(gui, device, "NextLevel");
    AddLabel(form, "Victory", "Victory", {300, 150});
    AddButton(form, "NextLevel", "Next Level", {300, 200}, callbacks.NextLevel);
    AddButton(form, "MainMenu", "Main Menu", {300, 250}, callbacks.NextLevel);
}

void BuildTableOfRecords(TGUI& gui, TDeviceRef device, const TMenuCallbacks& callbacks) {
    TMyForm& form = *NewForm(gui, device, "Table of records");
    AddLabel(form, "Table of records", "Table of records", {300, 100});
    const char* names[5] = {"1", "2", "3", "4", "5"};
    for (int i = 0; i < 5; ++i) {
        AddLabel(form, names[i], std::to_string(i + 1) + ". ", {300, 150 + 50 * i}, LeftAligned(kMenuLabel));
    }
    AddButton(form, "OK", "OK", {300, 400}, callbacks.ReturnToMainMenu);
}

void BuildHelp(TGUI& gui, TDeviceRef device, const TMenuCallbacks& callbacks) {
    TMyForm& form = *NewForm(gui, device, "Help");
    AddLabel(form, "Help", "Help", {300, 100});
    AddButton(form, "OK", "OK", {300, 475}, callbacks.ReturnToMainMenu);
    const TTextStyle left = LeftAligned(kMenuLabel);
    AddLabel(form, "1", kHelpMoving, {190, 150, 200, 20}, left);
    AddLabel(form, "2", kHelpTurret, {190, 180, 200, 20}, left);
    AddLabel(form, "3", kHelpShooting, {190, 210, 200, 20}, left);
    AddLabel(form, "Bomb", "Bomb", {250, 250}, left);
    AddLabel(form, "Armour", "Armour", {250, 290}, left);
    AddLabel(form, "Remount", "Remount", {250, 330}, left);
    AddLabel(form, "Life", "Life", {250, 370}, left);
    AddLabel(form, "Wall", "Wall around the base", {420, 250}, left);
    AddLabel(form, "Upgrade", "Upgrade the tank", {420, 290}, left);
    AddLabel(form, "Time", kFreezesEnemies, {420, 330}, left);
    AddLabel(form, "4", "Player 2: arrows, fire: Right Ctrl", {190, 415, 200, 20}, left);
    AddLabel(form, "5", "Player 2 tower: , and .", {190, 443, 200, 20}, left);
    // The lines that name keys the player binds (ShowBoundControls) stay left of x = 770.
    for (const char* line : {"1", "3", "4", "5"}) {
        auto* label = form.FindWidgetAs<TMyLabel>(line);
        label->Width = SizeToNdcW(580, kMenuWidth);
        label->ShrinkToFit = true;
    }
}

// Form, widget and the language key of its text.
struct TTranslation {
    const char* Form;
    const char* Widget;
    std::string_view Key;
};

const TTranslation kTranslations[] = {
    {"MainMenu", "Play", "Play"},
    {"MainMenu", "Table of records", "Table of records"},
    {"MainMenu", "Help", "Help"},
    {"MainMenu", "Options", "Settings"},
    {"MainMenu", "Author", "Author"},
    {"MainMenu", "Exit", "Exit"},
    {"MainMenu", "Construction", "Construction"},
    {"MainMenu", "My levels", "My levels"},
    {"MainMenu", "Two players", "Two players"},
    {"PauseMenu", "PauseMenu", "Pause menu"},
    {"PauseMenu", "Continue", "Continue"},
    {"PauseMenu", "MainMenu", "Main menu"},
    {"Options", "FullScreen", "Fullscreen"},
    {"Options", "Language", "Language"},
    {"Options", "Display", "Display"},
    {"Options", "UKR", kKeyUkrainianName},
    {"Options", "RUS", kKeyRussianName},
    {"Options", "ENG", "English"},
    {"Options", "OK", "OK"},
    {"Options", "Cencel", "Cencel"},
    {"Options", "Sound", "Sound"},
    {"Options", "Controls", "Controls"},
    {"EnterName", "Enter name", "Enter name"},
    {"EnterName", "OK", "OK"},
    {"Exit", "Exit_Verification", "Are you sure?"},
    {"Exit", "OK", "Yes"},
    {"Exit", "Cencel", "No"},
    {"Table of records", "Table of records", "Table of records"},
    {"Table of records", "OK", "OK"},
    {"NextLevel", "Victory", "Victory!"},
    {"NextLevel", "NextLevel", "Next level"},
    {"NextLevel", "MainMenu", "Main menu"},
    {"Help", "Help", "Help"},
    {"Help", "1", "Moving: W,A,S,D"},
    {"Help", "2", "Rotating tower: mouse"},
    {"Help", "3", "Shooting: left mouse button"},
    {"Help", "Bomb", "Bomb"},
    {"Help", "Armour", "Armour"},
    {"Help", "Remount", "Remount"},
    {"Help", "Life", "Life"},
    {"Help", "Wall", "Wall around the base"},
    {"Help", "Upgrade", "Modernization of the tank"},
    {"Help", "Time", kFreezesEnemies},
    {"Help", "4", "Player 2: arrows, fire: Right Ctrl"},
    {"Help", "5", "Player 2 tower: , and ."},
};

}  // namespace

void BuildMenus(TGUI& gui, TDeviceRef device, const TMenuCallbacks& callbacks) {
    BuildGame(gui, device);
    BuildMainMenu(gui, device, callbacks);
    BuildOptions(gui, device, callbacks);
    BuildEnterName(gui, device, callbacks);
    BuildAuthor(gui, device, callbacks);
    BuildExit(gui, device, callbacks);
    BuildPauseMenu(gui, device, callbacks);
    BuildNextLevel(gui, device, callbacks);
    BuildTableOfRecords(gui, device, callbacks);
    BuildHelp(gui, device, callbacks);
}

void PlaceHud(TGUI& gui, const TScreenLayout& layout) {
    TMyForm* form = gui.FindForm("Game");
    if (TBaseWidget* scores = form != nullptr ? form->FindWidget("Scores") : nullptr) {
        scores->X = PixelToNdcX(kScoresPlace.X, kScoresPlace.RefWidth) + (layout.HudRightEdge - 1.0f);
    }
    if (TBaseWidget* armour = form != nullptr ? form->FindWidget("Armour2") : nullptr) {
        armour->X =
            PixelToNdcX(kSecondArmourPlace.X, kSecondArmourPlace.RefWidth) + (layout.HudRightEdge - 1.0f);
    }
}

void ApplyLanguage(TGameState& state, TGUI& gui, const TLanguages& languages, uint8_t language) {
    state.Language = language;
    for (const TTranslation& entry : kTranslations) {
        SetWidgetText(gui, entry.Form, entry.Widget, languages.GetText(entry.Key, language));
    }
}

void ShowBoundControls(TGUI& gui, const TLanguages& languages, uint8_t language, const TKeyBindings& first,
                       const TSecondKeyBindings& second,
                       const std::function<std::string(uint16_t)>& inputName) {
    const auto text = [&](std::string_view key) { return languages.GetText(key, language); };
    // Up, left, down, right, as in "W,A,S,D".
    const auto drive = [&](uint16_t up, uint16_t left, uint16_t down, uint16_t right) {
        return inputName(up) + "," + inputName(left) + "," + inputName(down) + "," + inputName(right);
    };
    const auto firstDefault = TKeyBindings::Defaults();
    const bool firstDrives =
        std::equal(first.Codes.begin(), first.Codes.begin() + ActionFire, firstDefault.begin());
    SetWidgetText(gui, "Help", "1",
                  firstDrives ? text("Moving: W,A,S,D")
                              : FillPlaceholders(text("Moving: %1"),
                                                 {drive(first[ActionDriveUp], first[ActionDriveLeft],
                                                        first[ActionDriveDown], first[ActionDriveRight])}));
    SetWidgetText(gui, "Help", "3",
                  first[ActionFire] == firstDefault[ActionFire]
                      ? text("Shooting: left mouse button")
                      : FillPlaceholders(text("Shooting: %1"), {inputName(first[ActionFire])}));
    const auto secondDefault = TSecondKeyBindings::Defaults();
    const bool secondDrives =
        std::equal(second.Codes.begin(), second.Codes.begin() + SecondTurretLeft, secondDefault.begin());
    SetWidgetText(gui, "Help", "4",
                  secondDrives ? text("Player 2: arrows, fire: Right Ctrl")
                               : FillPlaceholders(text("Player 2: %1, fire: %2"),
                                                  {drive(second[SecondDriveUp], second[SecondDriveLeft],
                                                         second[SecondDriveDown], second[SecondDriveRight]),
                                                   inputName(second[SecondFire])}));
    const bool secondTurns = second[SecondTurretLeft] == secondDefault[SecondTurretLeft] &&
                             second[SecondTurretRight] == secondDefault[SecondTurretRight];
    SetWidgetText(gui, "Help", "5",
                  secondTurns ? text("Player 2 tower: , and .")
                              : FillPlaceholders(text("Player 2 tower: %1 and %2"),
                                                 {inputName(second[SecondTurretLeft]),
                                                  inputName(second[SecondTurretRight])}));
}

void ShowContinueButton(TGUI& gui, const TMyButton::TOnClick& onClick, const std::string& caption) {
    TMyForm* form = gui.FindForm("MainMenu");
    if (form == nullptr) {
        return;
    }
    auto* button = form->FindWidgetAs<TMyButton>("Continue");
    if (button == nullptr) {
        // Wider than the others, for "Continue from level 30" in every language; centred over them.
        button = AddButton(*form, "Continue", caption, {260, 100, 280, 40}, onClick);
    }
    button->Caption = caption;
}

void SetCreditTexts(TGUI& gui, uint8_t language) {
    const TCredits& credits = kCredits[language <= kLanguageRussian ? language : int(kLanguageEnglish)];
    SetWidgetText(gui, "Author", kCreditAuthorLabel, credits.Author);
    SetWidgetText(gui, "Author", kCreditMusicLabel, credits.Music);
    SetWidgetText(gui, "Author", kCreditRightsLabel, credits.Rights);
}

TMyForm* AddMenuForm(TGUI& gui, TDeviceRef device, const char* name) {
    return NewForm(gui, device, name);
}

TMyButton* AddMenuButton(TMyForm& form, const char* name, const std::string& text, const TMenuPlace& place,
                         const TMyButton::TOnClick& onClick) {
    return AddButton(form, name, text, {place.X, place.Y, place.Width, place.Height}, onClick);
}

TMyLabel* AddMenuLabel(TMyForm& form, const char* name, const std::string& text, const TMenuPlace& place,
                       bool leftAligned) {
    return AddLabel(form, name, text, {place.X, place.Y, place.Width, place.Height},
                    leftAligned ? LeftAligned(kMenuLabel) : kMenuLabel);
}

TMyEdit* AddMenuEdit(TMyForm& form, const char* name, const std::string& text, const TMenuPlace& place) {
    return AddEdit(form, name, text, {place.X, place.Y, place.Width, place.Height});
}

void SetWidgetText(TGUI& gui, const char* form, const char* widget, const std::string& text) {
    TMyForm* owner = gui.FindForm(form);
    TBaseWidget* found = owner != nullptr ? owner->FindWidget(widget) : nullptr;
    if (auto* label = dynamic_cast<TMyLabel*>(found)) {
        label->Caption = text;
    } else if (auto* button = dynamic_cast<TMyButton*>(found)) {
        button->Caption = text;
    } else if (auto* box = dynamic_cast<TMyCheckBox*>(found)) {
        box->Caption = text;
    } else if (auto* edit = dynamic_cast<TMyEdit*>(found)) {
        edit->Text = text;
    }
}

TMyButton* AddMenuButton(TMyForm& form, const char* name, const std::string& text, int32_t x, int32_t y,
                         int32_t width, int32_t height, const TMyButton::TOnClick& onClick) {
    return AddButton(form, name, text, {x, y, width, height}, onClick);
}

TMyLabel* AddMenuLabel(TMyForm& form, const char* name, const std::string& text, int32_t x, int32_t y,
                       int32_t width, int32_t height) {
    return AddLabel(form, name, text, {x, y, width, height}, LeftAligned(kMenuLabel));
}

TMyCheckBox* AddMenuCheckBox(TMyForm& form, const char* name, const std::string& text, int32_t x, int32_t y,
                             int32_t width) {
    return AddCheckBox(form, name, text, {x, y, width});
}

TMySlider* AddMenuSlider(TMyForm& form, const char* name, int32_t x, int32_t y, int32_t width,
                         int32_t height) {
    TButtonParam params;
    Place(params, {x, y, width, height}, kControlText);
    auto slider = std::make_unique<TMySlider>(name);
    slider->SetParams(params);
    slider->ThumbWidth = SizeToNdcW(16, kMenuWidth);
    return form.AddWidget(std::move(slider));
}

std::string GetWidgetText(const TGUI& gui, const char* form, const char* widget) {
    TMyForm* owner = gui.FindForm(form);
    TBaseWidget* found = owner != nullptr ? owner->FindWidget(widget) : nullptr;
    if (auto* label = dynamic_cast<TMyLabel*>(found)) {
        return label->Caption;
    }
    if (auto* button = dynamic_cast<TMyButton*>(found)) {
        return button->Caption;
    }
    if (auto* box = dynamic_cast<TMyCheckBox*>(found)) {
        return box->Caption;
    }
    if (auto* edit = dynamic_cast<TMyEdit*>(found)) {
        return edit->Text;
    }
    return std::string();
}
