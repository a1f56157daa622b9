// A one-line text field. A click inside gives it the keyboard focus of its form; a click anywhere
// else takes the focus away from it. While focused, a released Backspace removes the last byte of
// Text and any other typed character is appended (Windows-1251 bytes; no caret, no length limit,
// at most one character per frame).
#pragma once

#include <string>

#include "gui/BaseWidget.h"
#include "gui/WidgetParams.h"

class TMyEdit : public TBaseWidget {
public:
    explicit TMyEdit(std::string name) : TBaseWidget(std::move(name)) {}

    void SetParams(const TEditParam& params);

    void HandleInput(int32_t deltaTime, const TVector2& mousePos) override;
    void Draw(TGUIVB& vertices, TGUIIB& indices, const TGUISkinInfo& skin) override;

    // Whether this box holds its form's focus.
    bool HasFocus() const;

    std::string BackState[3] = {"Back_state1", "Back_state2", "Back_state3"};
    std::string EditState[3] = {"Edit_state1", "Edit_state2", "Edit_state3"};
    uint8_t State = 0;  // 0 normal, 1 hover, 2 pressed or focused
    std::string Text = "Text";
    float MarginX = 0.01f;
    float MarginY = 0.01f;
};
