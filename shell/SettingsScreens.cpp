#include "shell/SettingsScreens.h"

#include <algorithm>
#include <iterator>

#include "platform/DirectInputKeys.h"
#include "platform/SdlInputDevice.h"
#include "shell/Menus.h"

namespace {

// The language keys of the actions, in TAction order.
constexpr const char* kActionKeys[ActionCount] = {"Drive up",    "Drive down", "Drive left",
                                                  "Drive right", "Fire",       "Pause"};
constexpr const char* kDifficultyKeys[kDifficultyCount] = {"Difficulty: Easy", "Difficulty: Normal",
                                                           "Difficulty: Hard"};
// The second player's, in TSecondAction order.
constexpr const char* kSecondActionKeys[SecondActionCount] = {
    "Drive up", "Drive down", "Drive left", "Drive right", "Fire", "Turret left", "Turret right"};
// One row per action of the player shown; the first player leaves the last one empty.
constexpr int kRows = SecondActionCount;
constexpr const char* kKeyButtons[kRows] = {"Key0", "Key1", "Key2", "Key3", "Key4", "Key5", "Key6"};
constexpr const char* kActionLabels[kRows] = {"Action0", "Action1", "Action2", "Action3",
                                              "Action4", "Action5", "Action6"};
constexpr const char* kPlayerKeys[2] = {"Player 1", "Player 2"};
// The effect played when the effects slider is let go.
constexpr const char* kSampleEffect = "bonus";

std::string Percent(int32_t value) {
    return std::to_string(value) + " %";
}

}  // namespace

TSettingsScreens::TSettingsScreens(TWorld& world, TGameServices& services, THooks hooks)
    : World_(world), Services_(services), Hooks_(std::move(hooks)) {}

std::string TSettingsScreens::Text(const char* key) const {
    const std::string text =
        Services_.Languages ? Services_.Languages->GetText(key, World_.State.Language) : std::string();
    return text.empty() ? std::string(key) : text;
}

std::string InputName(uint16_t code, const std::function<std::string(const char*)>& text) {
    if (code >= kMouseButtonCode) {
        static const char* const kButtons[kBindableMouseButtons] = {"Left button", "Right button",
                                                                    "Middle button"};
        return text(kButtons[(code - kMouseButtonCode) % kBindableMouseButtons]);
    }
    return platform::KeyNameOnLayout(static_cast<uint8_t>(code));
}

std::string TSettingsScreens::InputName(uint16_t code) const {
    return ::InputName(code, [this](const char* key) { return Text(key); });
}

void TSettingsScreens::Build(TDeviceRef device) {
    TGUI& gui = *Services_.GUI;
    auto onClick = [this](TMyButton& button) { OnClick(button); };
    if (TMyForm* options = gui.FindForm("Options")) {
        // Below OK and Cancel, clear of the display and language choices.
        AddMenuButton(*options, "Sound", "Sound", 190, 460, 200, 40, onClick);
        AddMenuButton(*options, "Controls", "Controls", 410, 460, 200, 40, onClick);
    }

    TMyForm& sound = *gui.AddForm(std::make_unique<TMyForm>("Sound", device));
    AddMenuLabel(sound, "Title", "Sound", 190, 90, 420, 40);
    AddMenuLabel(sound, "MusicLabel", "Music volume", 190, 150, 420, 30);
    TMySlider* music = AddMenuSlider(sound, "Music", 190, 185, 330, 30);
    AddMenuLabel(sound, "MusicValue", "", 530, 185, 80, 30);
    AddMenuLabel(sound, "EffectsLabel", "Effects volume", 190, 235, 420, 30);
    TMySlider* effects = AddMenuSlider(sound, "Effects", 190, 270, 330, 30);
    AddMenuLabel(sound, "EffectsValue", "", 530, 270, 80, 30);
    AddMenuCheckBox(sound, "Mute", "Mute all", 190, 325, 420);
    AddMenuButton(sound, "OK", "OK", 300, 420, 200, 40, onClick);
    music->SetRange(0, 100, 5);
    effects->SetRange(0, 100, 5);
    Follow(*music, "Sound", "MusicValue", &TSettings::MusicVolume);
    Follow(*effects, "Sound", "EffectsValue", &TSettings::EffectsVolume);
    effects->OnRelease = [this](TMySlider&) {
        if (Services_.Audio) {
            Services_.Audio->Play(kSampleEffect, 0);
        }
    };

    TMyForm& controls = *gui.AddForm(std::make_unique<TMyForm>("Controls", device));
    AddMenuLabel(controls, "Title", "Controls", 60, 95, 170, 40);
    AddMenuButton(controls, "Player", "Player 1", 240, 97, 150, 34, onClick);
    for (int r = 0; r < kRows; ++r) {
        AddMenuLabel(controls, kActionLabels[r], "", 60, 136 + 37 * r, 170, 34);
        AddMenuButton(controls, kKeyButtons[r], "", 240, 136 + 37 * r, 150, 34, onClick);
    }
    AddMenuButton(controls, "Defaults", "Defaults", 60, 395, 330, 40, onClick);
    AddMenuLabel(controls, "Message", "", 60, 442, 700, 30);
    AddMenuLabel(controls, "MouseLabel", "Mouse speed", 420, 135, 340, 30);
    TMySlider* mouse = AddMenuSlider(controls, "MouseSpeed", 420, 167, 260, 30);
    AddMenuLabel(controls, "MouseValue", "", 690, 167, 80, 30);
    AddMenuLabel(controls, "PadLabel", "Gamepad aim speed", 420, 205, 340, 30);
    TMySlider* pad = AddMenuSlider(controls, "PadSpeed", 420, 237, 260, 30);
    AddMenuLabel(controls, "PadValue", "", 690, 237, 80, 30);
    AddMenuButton(controls, "Difficulty", "", 420, 285, 340, 40, onClick);
    AddMenuCheckBox(controls, "Vsync", "Vsync", 420, 335, 340);
    AddMenuButton(controls, "FrameCap", "", 420, 385, 340, 40, onClick);
    AddMenuButton(controls, "OK", "OK", 300, 485, 200, 40, onClick);
    for (TMySlider* speed : {mouse, pad}) {
        speed->SetRange(kLeastSpeed, kMostSpeed, 25);
    }
    Follow(*mouse, "Controls", "MouseValue", &TSettings::MouseSpeed);
    Follow(*pad, "Controls", "PadValue", &TSettings::GamepadAimSpeed);
}

void TSettingsScreens::Follow(TMySlider& slider, const char* form, const char* valueLabel,
                              int32_t TSettings::*setting) {
    slider.OnChange = [this, form, valueLabel, setting](TMySlider& moved) {
        Services_.Settings.*setting = moved.Value();
        SetWidgetText(*Services_.GUI, form, valueLabel, Percent(moved.Value()));
        Hooks_.Apply();
    };
}

void TSettingsScreens::Show(const char* form) {
    if (std::string(form) == "Sound") {
        FillSound();
    } else if (std::string(form) == "Controls") {
        FillControls();
    }
    Services_.GUI->SetActiveForm(form);
}

void TSettingsScreens::FillSound() {
    TGUI& gui = *Services_.GUI;
    const TSettings& settings = Services_.Settings;
    TMyForm* form = gui.FindForm("Sound");
    form->FindWidgetAs<TMySlider>("Music")->SetValue(settings.MusicVolume);
    form->FindWidgetAs<TMySlider>("Effects")->SetValue(settings.EffectsVolume);
    form->FindWidgetAs<TMyCheckBox>("Mute")->Ticked = settings.Mute;
    SetWidgetText(gui, "Sound", "Title", Text("Sound"));
    SetWidgetText(gui, "Sound", "MusicLabel", Text("Music volume"));
    SetWidgetText(gui, "Sound", "EffectsLabel", Text("Effects volume"));
    SetWidgetText(gui, "Sound", "MusicValue", Percent(settings.MusicVolume));
    SetWidgetText(gui, "Sound", "EffectsValue", Percent(settings.EffectsVolume));
    SetWidgetText(gui, "Sound", "Mute", Text("Mute all"));
    SetWidgetText(gui, "Sound", "OK", Text("OK"));
}

int TSettingsScreens::RowCount() const {
    return Player_ == 0 ? int{ActionCount} : int{SecondActionCount};
}

bool TSettingsScreens::TakesMouse(int row) const {
    return Player_ == 0 && row == ActionFire;
}

uint16_t TSettingsScreens::SlotCode(TBindingSlot slot) const {
    const TSettings& settings = Services_.Settings;
    return slot.Player == 0 ? settings.Bindings.Codes[slot.Action]
                            : settings.SecondBindings.Codes[slot.Action];
}

TBindingSlot TSettingsScreens::HolderOf(uint16_t code) const {
    for (int player = 0; player < 2; ++player) {
        for (int action = 0; action < (player == 0 ? int{ActionCount} : int{SecondActionCount}); ++action) {
            if (SlotCode({player, action}) == code) {
                return {player, action};
            }
        }
    }
    return {0, 0};
}

std::string TSettingsScreens::SlotName(TBindingSlot slot) const {
    const std::string action =
        Text(slot.Player == 0 ? kActionKeys[slot.Action % ActionCount] : kSecondActionKeys[slot.Action]);
    return slot.Player == Player_ ? action : Text(kPlayerKeys[slot.Player]) + ", " + action;
}

void TSettingsScreens::FillControls() {
    TGUI& gui = *Services_.GUI;
    const TSettings& settings = Services_.Settings;
    TMyForm* form = gui.FindForm("Controls");
    SetWidgetText(gui, "Controls", "Title", Text("Controls"));
    SetWidgetText(gui, "Controls", "Player", Text(kPlayerKeys[Player_]));
    for (int r = 0; r < kRows; ++r) {
        const bool used = r < RowCount();
        const char* action = Player_ == 0 ? (used ? kActionKeys[r] : "") : kSecondActionKeys[r];
        const uint16_t code =
            Player_ == 0 ? (used ? settings.Bindings.Codes[r] : 0) : settings.SecondBindings.Codes[r];
        // Player 1 has a row fewer: its last row is hidden.
        form->FindWidget(kActionLabels[r])->Visible = used;
        form->FindWidget(kKeyButtons[r])->Visible = used;
        SetWidgetText(gui, "Controls", kActionLabels[r], used ? Text(action) : std::string());
        SetWidgetText(gui, "Controls", kKeyButtons[r],
                      !used             ? std::string()
                      : Capturing_ == r ? std::string("...")
                                        : InputName(code));
    }
    SetWidgetText(gui, "Controls", "Defaults", Text("Defaults"));
    form->FindWidgetAs<TMySlider>("MouseSpeed")->SetValue(settings.MouseSpeed);
    form->FindWidgetAs<TMySlider>("PadSpeed")->SetValue(settings.GamepadAimSpeed);
    SetWidgetText(gui, "Controls", "MouseLabel", Text("Mouse speed"));
    SetWidgetText(gui, "Controls", "PadLabel", Text("Gamepad aim speed"));
    SetWidgetText(gui, "Controls", "MouseValue", Percent(settings.MouseSpeed));
    SetWidgetText(gui, "Controls", "PadValue", Percent(settings.GamepadAimSpeed));
    SetWidgetText(gui, "Controls", "Difficulty",
                  Text(kDifficultyKeys[settings.Difficulty % kDifficultyCount]));
    form->FindWidgetAs<TMyCheckBox>("Vsync")->Ticked = settings.Vsync;
    SetWidgetText(gui, "Controls", "Vsync", Text("Vsync (after a restart)"));
    SetWidgetText(gui, "Controls", "FrameCap",
                  Text("Frame rate cap:") + " " +
                      (settings.FrameCap == 0 ? Text("unlimited") : std::to_string(settings.FrameCap)));
    SetWidgetText(gui, "Controls", "OK", Text("OK"));
}

void TSettingsScreens::Save() {
    const std::string& path = Services_.UserFiles.Settings;
    std::string error;
    if (SaveFiles_ && !path.empty() &&
        (!PrepareUserFolder(Services_.UserFiles, error) ||
         !SaveSettings(Services_.Root, path, Services_.Settings, error)) &&
        Hooks_.SaveFailed) {
        Hooks_.SaveFailed(path, error);
    }
}

void TSettingsScreens::OnClick(TMyButton& button) {
    TSettings& settings = Services_.Settings;
    const std::string& name = button.Name;
    const std::string form = button.Form != nullptr ? button.Form->Name : std::string();
    const bool inSession = Hooks_.InSession && Hooks_.InSession();
    if (form == "Options" || name == "Player") {
        Capturing_ = -1;
        if (name == "Player") {
            Player_ = 1 - Player_;
            SetWidgetText(*Services_.GUI, "Controls", "Message", "");
            FillControls();
            return;
        }
        SetWidgetText(*Services_.GUI, "Controls", "Message", "");
        Show(name == "Sound" ? "Sound" : "Controls");
        return;
    }
    if (name == "OK") {
        Capturing_ = -1;
        Save();
        Show("Options");
        return;
    }
    for (int a = 0; a < RowCount(); ++a) {
        if (name == kKeyButtons[a]) {
            Capturing_ = a;
            CaptureArmed_ = false;
            SetWidgetText(*Services_.GUI, "Controls", "Message",
                          Text(TakesMouse(a) ? "Press a key or a mouse button (Escape cancels)"
                                             : "Press a key (Escape cancels)"));
        }
    }
    if (name == "Defaults") {
        settings.Bindings = TKeyBindings{};
        settings.SecondBindings = TSecondKeyBindings{};
        Capturing_ = -1;
        SetWidgetText(*Services_.GUI, "Controls", "Message", "");
    } else if (name == "Difficulty") {
        settings.Difficulty = static_cast<uint8_t>((settings.Difficulty + 1) % kDifficultyCount);
    } else if (name == "FrameCap") {
        const auto at = std::find(std::begin(kFrameCaps), std::end(kFrameCaps), settings.FrameCap);
        settings.FrameCap =
            at == std::end(kFrameCaps) || at + 1 == std::end(kFrameCaps) ? kFrameCaps[0] : at[1];
    }
    if (!inSession) {
        World_.State.Bindings = settings.Bindings;
        World_.State.SecondBindings = settings.SecondBindings;
        World_.State.Difficulty = settings.Difficulty;
    }
    Hooks_.Apply();
    FillControls();
}

void TSettingsScreens::Update() {
    TGUI& gui = *Services_.GUI;
    TSettings& settings = Services_.Settings;
    const std::string active = gui.GetActiveFormName();
    if (active == "Sound") {
        const bool mute = gui.FindForm("Sound")->FindWidgetAs<TMyCheckBox>("Mute")->Ticked;
        if (mute != settings.Mute) {
            settings.Mute = mute;
            Hooks_.Apply();
        }
        return;
    }
    if (active != "Controls") {
        return;
    }
    settings.Vsync = gui.FindForm("Controls")->FindWidgetAs<TMyCheckBox>("Vsync")->Ticked;
    if (Capturing_ < 0 || !Services_.Input) {
        return;
    }
    if (!CaptureArmed_) {
        CaptureArmed_ = true;  // the click that began the wait is not the new key
        return;
    }
    const uint16_t code = Services_.Input->ReleasedInputCode();
    if (code == 0 || (code >= kMouseButtonCode && !TakesMouse(Capturing_))) {
        return;
    }
    const TBindingSlot slot{Player_, Capturing_};
    std::string message;
    if (code != platform::DIK_ESCAPE) {
        const TKeyBindings before = settings.Bindings;
        const TSecondKeyBindings secondBefore = settings.SecondBindings;
        const TBindingSlot swapped = BindEither(settings.Bindings, settings.SecondBindings, slot, code);
        const bool unchanged = settings.Bindings == before && settings.SecondBindings == secondBefore;
        if (unchanged && SlotCode(slot) != code) {
            message = InputName(code) + " - " + Text("Already used by") + ": " + SlotName(HolderOf(code));
        } else if (!(swapped == kNoSlot)) {
            message =
                Text("Swapped with") + ": " + SlotName(swapped) + " (" + InputName(SlotCode(swapped)) + ")";
        }
    }
    Capturing_ = -1;
    SetWidgetText(gui, "Controls", "Message", message);
    if (!(Hooks_.InSession && Hooks_.InSession())) {
        World_.State.Bindings = settings.Bindings;
        World_.State.SecondBindings = settings.SecondBindings;
    }
    Hooks_.Apply();
    FillControls();
}
