#include "gui/CheckBox.h"

void TMyCheckBox::SetParams(const TCheckBoxParam& params) {
    Caption = params.Caption;
    SetWidgetPlaceAndStyle(*this, params);
    BoxMarginY = params.BoxMarginY;
    BoxMarginX = params.BoxMarginX;
    BoxHeight = params.BoxHeight;
    BoxWidth = params.BoxWidth;
}

bool TMyCheckBox::TrackMouse(const TVector2& mousePos) {
    if (!IsInside(mousePos)) {
        State = 0;
        return false;
    }
    State = 1;
    if (ButtonDown()) {
        State = 2;
        return false;
    }
    return ButtonReleased();
}

void TMyCheckBox::HandleInput(int32_t, const TVector2& mousePos) {
    if (TrackMouse(mousePos)) {
        Ticked = !Ticked;
    }
}

void TMyCheckBox::DrawBox(TGUIVB& vertices, TGUIIB& indices, const TGUISkinInfo& skin) {
    const int state = State % 3;
    AddSkinQuad(vertices, indices, SkinRect(skin, BackState[state]), X, Y, Width, Height);
    AddSkinQuad(vertices, indices, SkinRect(skin, Ticked ? TickedState[state] : ClearState[state]),
                X + BoxMarginX, Y - BoxMarginY, BoxWidth, Height - 2 * BoxMarginY);
    QueueText(Caption, X + 2 * BoxMarginX + BoxWidth, Y, Width - 2 * BoxMarginX - BoxWidth, Height);
}

void TMyCheckBox::Draw(TGUIVB& vertices, TGUIIB& indices, const TGUISkinInfo& skin) {
    DrawBox(vertices, indices, skin);
}
