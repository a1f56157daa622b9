#include "gui/RadioButton.h"

#include "gui/Form.h"

TMyRadioButton::TMyRadioButton(std::string name, uint8_t group) : TMyCheckBox(std::move(name)), Group(group) {
    ClearState[0] = "Radio_state1_1";
    ClearState[1] = "Radio_state2_1";
    ClearState[2] = "Radio_state3_1";
    TickedState[0] = "Radio_state1_2";
    TickedState[1] = "Radio_state2_2";
    TickedState[2] = "Radio_state3_2";
}

void TMyRadioButton::HandleInput(int32_t, const TVector2& mousePos) {
    if (!TrackMouse(mousePos)) {
        return;
    }
    if (Form != nullptr) {
        for (const auto& widget : Form->Widgets) {
            if (auto* radio = dynamic_cast<TMyRadioButton*>(widget.get());
                radio != nullptr && radio->Group == Group) {
                radio->Ticked = false;
            }
        }
    }
    Ticked = true;
}
