#include "gui/Label.h"

void TMyLabel::SetParams(const TButtonParam& params) {
    Caption = params.Caption;
    SetWidgetPlaceAndStyle(*this, params);
}

void TMyLabel::HandleInput(int32_t, const TVector2&) {}

void TMyLabel::Draw(TGUIVB&, TGUIIB&, const TGUISkinInfo&) {
    QueueText(Caption, X, Y, Width, Height, ShrinkToFit ? Width : 0.0f);
}
