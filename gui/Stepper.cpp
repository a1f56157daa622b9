#include "gui/Stepper.h"

#include "gui/Form.h"
#include "gui/GE_FONT.h"

void TMyStepper::HandleInput(int32_t, const TVector2& mousePos) {
    const TInput* input = CurrentInput();
    if (input == nullptr) {
        return;
    }
    const bool inside = IsInside(mousePos);
    if (inside && ButtonReleased() && Form != nullptr) {
        Form->Focus = Name;
    }
    const int by = Arrows_.Poll(*input);
    const bool listening = inside || Form == nullptr || Form->Focus.empty() || Form->Focus == Name;
    if (by != 0 && listening && OnStep) {
        const TOnStep onStep = OnStep;
        onStep(*this, by);
    }
}

void TMyStepper::Draw(TGUIVB&, TGUIIB&, const TGUISkinInfo&) {
    const float room = Width - 2.0f * SideMargin;
    QueueText(Caption, X, Y, Width, Height, room > 0.0f ? room : 0.0f);
}
