// One screen of the GUI: a named list of widgets, owned, in the order added (later widgets draw on
// top), and the name of the widget that has the keyboard focus.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gui/BaseWidget.h"
#include "render/GE_D3D9.h"

class TMyForm {
public:
    // `device` is kept for the game and not used by the GUI.
    TMyForm(std::string name, TDeviceRef device) : Device(device), Name(std::move(name)) {}
    TMyForm(const TMyForm&) = delete;
    TMyForm& operator=(const TMyForm&) = delete;

    // Takes the widget, sets its Form to this form and its Font and Input slots to the form's, and
    // appends it. Returns the widget.
    template <class W>
    W* AddWidget(std::unique_ptr<W> widget) {
        W* raw = widget.get();
        AddWidgetBase(std::unique_ptr<TBaseWidget>(std::move(widget)));
        return raw;
    }

    // The last widget named `name`, or nullptr.
    TBaseWidget* FindWidget(std::string_view name) const;
    // The same, when it is of kind W; nullptr otherwise.
    template <class W>
    W* FindWidgetAs(std::string_view name) const {
        return dynamic_cast<W*>(FindWidget(name));
    }

    size_t WidgetCount() const { return Widgets.size(); }
    TBaseWidget* Widget(size_t index) const {
        return index < Widgets.size() ? Widgets[index].get() : nullptr;
    }

    // Sets the font and input slots of the form and of every widget it already holds.
    void SetSlots(TFontSlot font, TInputSlot input);

    TDeviceRef Device;
    std::vector<std::unique_ptr<TBaseWidget>> Widgets;
    std::string Focus;  // the Name of the widget with keyboard focus; empty when none has it
    TInputSlot Input = nullptr;
    TFontSlot Font = nullptr;
    std::string Name;

private:
    void AddWidgetBase(std::unique_ptr<TBaseWidget> widget);
};
