#include "gui/Button.h"

void TMyButton::SetParams(const TButtonParam& params) {
    Caption = params.Caption;
    SetWidgetPlaceAndStyle(*this, params);
}

void TMyButton::HandleInput(int32_t, const TVector2& mousePos) {
    if (!IsInside(mousePos)) {
        State = 0;
        return;
    }
    State = 1;
    if (ButtonDown()) {
        State = 2;
        return;
    }
    if (ButtonReleased()) {
        if (OnClick) {
            // The callback may replace OnClick (or this button's other fields); run a copy.
            const TOnClick onClick = OnClick;
            onClick(*this);
        }
        State = 1;
    }
}

void TMyButton::Draw(TGUIVB& vertices, TGUIIB& indices, const TGUISkinInfo& skin) {
    AddSkinQuad(vertices, indices, SkinRect(skin, BackState[State % 3]), X, Y, Width, Height);
    QueueText(Caption, X, Y, Width, Height);
}
