// A radio button: drawn as a check box with the radio marks. A click selects it and clears every
// other radio button of the same Group on its form; clicking a selected one keeps it selected.
#pragma once

#include <cstdint>
#include <string>

#include "gui/CheckBox.h"

class TMyRadioButton : public TMyCheckBox {
public:
    TMyRadioButton(std::string name, uint8_t group);

    void HandleInput(int32_t deltaTime, const TVector2& mousePos) override;

    uint8_t Group;
};
