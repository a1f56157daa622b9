// A horizontal slider for a whole number from Min to Max: a sunken track (the skin's edit field) across
// the widget's middle and a thumb (the skin's button face, by state) at the value's place.
//
// Mouse button 0 pressed on the widget (a press that began elsewhere does not count) sets the value under the
// pointer and drags the thumb while the button is held, wherever the pointer goes; letting go ends the drag
// (OnRelease). The press also gives the slider its form's focus: while focused or under the pointer, the Left
// and Right arrow keys and the controller's D-pad move the value by Step (each acting when let go, as the
// game's keys do). The controller's stick and A drive the pointer and button 0, so they drag as the mouse
// does. Every change of the value calls OnChange at once, so what the value controls follows the thumb.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "gui/ArrowKeys.h"
#include "gui/BaseWidget.h"
#include "gui/WidgetParams.h"

class TMySlider : public TBaseWidget {
public:
    using TOnEvent = std::function<void(TMySlider& slider)>;

    explicit TMySlider(std::string name) : TBaseWidget(std::move(name)) {}

    void SetParams(const TButtonParam& params);
    // Sets the range (Max at least Min) and puts the value inside it; no OnChange.
    void SetRange(int32_t least, int32_t most, int32_t step);
    // Sets the value, kept inside the range; no OnChange.
    void SetValue(int32_t value);
    int32_t Value() const { return Value_; }
    int32_t Min() const { return Min_; }
    int32_t Max() const { return Max_; }
    bool Dragging() const { return Dragging_; }

    void HandleInput(int32_t deltaTime, const TVector2& mousePos) override;
    void Draw(TGUIVB& vertices, TGUIIB& indices, const TGUISkinInfo& skin) override;

    TOnEvent OnChange;
    TOnEvent OnRelease;
    std::string TrackRect = "Edit_state1";
    std::string ThumbState[3] = {"Back_state1", "Back_state2", "Back_state3"};
    float ThumbWidth = 0.04f;  // in screen space
    uint8_t State = 0;         // 0 normal, 1 hover, 2 dragged

private:
    bool HasFocus() const;
    // The value at screen x, on the thumb's travel.
    int32_t ValueAt(float x) const;
    void Change(int32_t value);

    int32_t Min_ = 0;
    int32_t Max_ = 100;
    int32_t Step_ = 5;
    int32_t Value_ = 0;
    bool Dragging_ = false;
    bool WasDown_ = false;  // button 0 as the last frame saw it
    TArrowKeys Arrows_;
};
