// A check box: background by state, a box ticked or clear by state, and a caption to the right of
// the box. A release of mouse button 0 over it flips Ticked.
#pragma once

#include <string>

#include "gui/BaseWidget.h"
#include "gui/WidgetParams.h"

class TMyCheckBox : public TBaseWidget {
public:
    explicit TMyCheckBox(std::string name) : TBaseWidget(std::move(name)) {}

    void SetParams(const TCheckBoxParam& params);

    void HandleInput(int32_t deltaTime, const TVector2& mousePos) override;
    void Draw(TGUIVB& vertices, TGUIIB& indices, const TGUISkinInfo& skin) override;

    std::string BackState[3] = {"Back_state1", "Back_state2", "Back_state3"};
    std::string ClearState[3] = {"Check_state1_1", "Check_state2_1", "Check_state3_1"};
    std::string TickedState[3] = {"Check_state1_2", "Check_state2_2", "Check_state3_2"};
    uint8_t State = 0;  // 0 normal, 1 hover, 2 pressed
    std::string Caption = "Label";
    bool Ticked = false;
    float BoxMarginX = 0.01f;
    float BoxMarginY = 0.01f;
    float BoxWidth = 0.04f;
    float BoxHeight = 0.04f;  // kept; the box is as high as the widget less the margins

protected:
    // The hover and press states; true when button 0 was released inside (a click).
    bool TrackMouse(const TVector2& mousePos);
    // The background, the box and the caption.
    void DrawBox(TGUIVB& vertices, TGUIIB& indices, const TGUISkinInfo& skin);
};
