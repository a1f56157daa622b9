// A push button: the skin background by state and a caption centred (by its style) in it. It clicks
// when mouse button 0 is released over it, whatever happened before (a press that began outside
// also clicks); OnClick runs before the state goes back to hover.
#pragma once

#include <functional>
#include <string>

#include "gui/BaseWidget.h"
#include "gui/WidgetParams.h"

class TMyButton : public TBaseWidget {
public:
    using TOnClick = std::function<void(TMyButton& button)>;

    explicit TMyButton(std::string name) : TBaseWidget(std::move(name)) {}

    void SetParams(const TButtonParam& params);
    void SetOnClick(TOnClick onClick) { OnClick = std::move(onClick); }

    void HandleInput(int32_t deltaTime, const TVector2& mousePos) override;
    void Draw(TGUIVB& vertices, TGUIIB& indices, const TGUISkinInfo& skin) override;

    std::string BackState[3] = {"Back_state1", "Back_state2", "Back_state3"};
    uint8_t State = 0;  // 0 normal, 1 hover, 2 pressed
    TOnClick OnClick;
    std::string Caption = "Label";
};
