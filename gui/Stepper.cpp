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
    const TMYFont* font = CurrentFont();
    const float room = Width - 2.0f * SideMargin;
    const float size = FontSize;
    if (font != nullptr && font->GlyphCount() > 0 && room > 0.0f) {
        const float width = font->TextWidth(Caption) * FontSize / font->GlyphTable()[0].Height;
        if (width > room) {
            FontSize = FontSize * room / width;
        }
    }
    QueueText(Caption, X, Y, Width, Height);
    FontSize = size;
}
