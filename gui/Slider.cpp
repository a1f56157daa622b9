#include "gui/Slider.h"

#include <algorithm>
#include <cmath>

#include "gui/Form.h"
#include "input/GE_INPUT.h"

void TMySlider::SetParams(const TButtonParam& params) {
    SetWidgetPlaceAndStyle(*this, params);
}

void TMySlider::SetRange(int32_t least, int32_t most, int32_t step) {
    Min_ = least;
    Max_ = std::max(least, most);
    Step_ = std::max(step, 1);
    SetValue(Value_);
}

void TMySlider::SetValue(int32_t value) {
    Value_ = std::clamp(value, Min_, Max_);
}

bool TMySlider::HasFocus() const {
    return Form != nullptr && Form->Focus == Name;
}

int32_t TMySlider::ValueAt(float x) const {
    const float travel = Width - ThumbWidth;
    if (travel <= 0.0f) {
        return Min_;
    }
    const float share = std::clamp((x - X - ThumbWidth / 2.0f) / travel, 0.0f, 1.0f);
    return Min_ + static_cast<int32_t>(std::lround(share * static_cast<float>(Max_ - Min_)));
}

void TMySlider::Change(int32_t value) {
    value = std::clamp(value, Min_, Max_);
    if (value == Value_) {
        return;
    }
    Value_ = value;
    if (OnChange) {
        const TOnEvent onChange = OnChange;
        onChange(*this);
    }
}

void TMySlider::HandleInput(int32_t, const TVector2& mousePos) {
    const bool inside = IsInside(mousePos);
    const bool down = ButtonDown();
    const bool pressed = down && !WasDown_;  // a press that began elsewhere never starts a drag
    WasDown_ = down;
    if (Dragging_) {
        if (down) {
            Change(ValueAt(mousePos.X));
        } else {
            Dragging_ = false;
            if (OnRelease) {
                const TOnEvent onRelease = OnRelease;
                onRelease(*this);
            }
        }
    } else if (inside && pressed) {
        Dragging_ = true;
        if (Form != nullptr) {
            Form->Focus = Name;
        }
        Change(ValueAt(mousePos.X));
    }
    State = Dragging_ ? 2 : inside ? 1 : 0;

    const TInput* input = CurrentInput();
    if (input == nullptr) {
        return;
    }
    const int step = Arrows_.Poll(*input);
    if (!inside && !HasFocus()) {
        return;
    }
    Change(Value_ + step * Step_);
}

void TMySlider::Draw(TGUIVB& vertices, TGUIIB& indices, const TGUISkinInfo& skin) {
    const float trackHeight = Height / 3.0f;
    AddSkinQuad(vertices, indices, SkinRect(skin, TrackRect), X, Y - (Height - trackHeight) / 2.0f, Width,
                trackHeight);
    const float share =
        Max_ > Min_ ? static_cast<float>(Value_ - Min_) / static_cast<float>(Max_ - Min_) : 0.0f;
    const float thumbX = X + share * (Width - ThumbWidth);
    AddSkinQuad(vertices, indices, SkinRect(skin, ThumbState[State % 3]), thumbX, Y, ThumbWidth, Height);
}
