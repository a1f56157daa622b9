#include "gui/Stepper.h"

#include "gui/Form.h"

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
