// A label that steps through a list it does not know: the Left and Right arrow keys and the
// controller's D-pad left and right (each acting when let go) call OnStep with -1 or +1 while the
// pointer is over it, while it has its form's focus (a click on it gives it), or while no widget of
// the form has the focus, so a screen with one such widget answers the arrows at once. The caption is
// set by the owner of the list, as a label's is, and drawn centred between SideMargin at either side
// (where the owner's arrow buttons go), smaller when it would not fit there; the widget draws no skin.
#pragma once

#include <functional>
#include <string>

#include "gui/ArrowKeys.h"
#include "gui/Label.h"

class TMyStepper : public TMyLabel {
public:
    using TOnStep = std::function<void(TMyStepper& stepper, int by)>;

    explicit TMyStepper(std::string name) : TMyLabel(std::move(name)) {}

    void HandleInput(int32_t deltaTime, const TVector2& mousePos) override;
    void Draw(TGUIVB& vertices, TGUIIB& indices, const TGUISkinInfo& skin) override;

    TOnStep OnStep;
    float SideMargin = 0;  // in screen space, kept free of the caption at the left and at the right

private:
    TArrowKeys Arrows_;
};
