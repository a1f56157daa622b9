#include "gui/Edit.h"

#include "gui/Form.h"
#include "input/GE_INPUT.h"

void TMyEdit::SetParams(const TEditParam& params) {
    Text = params.Text;
    SetWidgetPlaceAndStyle(*this, params);
    MarginY = params.MarginY;
    MarginX = params.MarginX;
}

bool TMyEdit::HasFocus() const {
    return Form != nullptr && Form->Focus == Name;
}

void TMyEdit::HandleInput(int32_t, const TVector2& mousePos) {
    if (IsInside(mousePos)) {
        State = 1;
        if (HasFocus() || ButtonDown()) {
            State = 2;
        }
        if (ButtonReleased() && Form != nullptr) {
            Form->Focus = Name;
            State = 2;
        }
    } else {
        // A click elsewhere takes the focus from this box only: clearing whatever holds it would let
        // a box added later undo a click on one added earlier, and the earlier could never be focused.
        if (ButtonReleased() && HasFocus()) {
            Form->Focus.clear();
        }
        if (!HasFocus()) {
            State = 0;
        }
    }

    const TInput* input = CurrentInput();
    if (!HasFocus() || input == nullptr) {
        return;
    }
    if (input->KeyReleased(KEY_BACKSPACE)) {
        if (!Text.empty()) {
            Text.pop_back();
        }
    } else if (const uint8_t c = input->TypedChar(); c != 0) {
        Text += static_cast<char>(c);
    }
}

void TMyEdit::Draw(TGUIVB& vertices, TGUIIB& indices, const TGUISkinInfo& skin) {
    AddSkinQuad(vertices, indices, SkinRect(skin, BackState[State % 3]), X, Y, Width, Height);
    AddSkinQuad(vertices, indices, SkinRect(skin, EditState[State % 3]), X + MarginX, Y - MarginY,
                Width - 2 * MarginX, Height - 2 * MarginY);
    QueueText(Text, X, Y, Width, Height);
}
