#include "gui/Form.h"

TBaseWidget* TMyForm::FindWidget(std::string_view name) const {
    for (auto it = Widgets.rbegin(); it != Widgets.rend(); ++it) {
        if ((*it)->Name == name) {
            return it->get();
        }
    }
    return nullptr;
}

void TMyForm::SetSlots(TFontSlot font, TInputSlot input) {
    Font = font;
    Input = input;
    for (const auto& widget : Widgets) {
        widget->Font = font;
        widget->Input = input;
    }
}

void TMyForm::AddWidgetBase(std::unique_ptr<TBaseWidget> widget) {
    if (!widget) {
        return;
    }
    widget->Form = this;
    widget->Font = Font;
    widget->Input = Input;
    Widgets.push_back(std::move(widget));
}
