// The parameter records the screen-building code fills and hands to a widget's SetParams. All
// coordinates are in GUI screen space (see BaseWidget.h). Note the order MarginY before MarginX and
// BoxHeight before BoxWidth.
#pragma once

#include <cstdint>
#include <string>

#include "gui/BaseWidget.h"

// Buttons and labels.
struct TButtonParam {
    std::string Caption;
    float X = 0, Y = 0, Width = 0, Height = 0;
    TFontColor FontColor;
    float FontSize = 0;
    float Italic = 0;
    uint8_t HAlign = 0;
    uint8_t VAlign = 0;
};

// Edit boxes.
struct TEditParam {
    std::string Text;
    float X = 0, Y = 0, Width = 0, Height = 0;
    float MarginY = 0;
    float MarginX = 0;
    TFontColor FontColor;
    float FontSize = 0;
    float Italic = 0;
    uint8_t HAlign = 0;
    uint8_t VAlign = 0;
};

// Check boxes and radio buttons.
struct TCheckBoxParam {
    std::string Caption;
    float X = 0, Y = 0, Width = 0, Height = 0;
    float BoxMarginY = 0;
    float BoxMarginX = 0;
    float BoxHeight = 0;
    float BoxWidth = 0;
    TFontColor FontColor;
    float FontSize = 0;
    float Italic = 0;
    uint8_t HAlign = 0;
    uint8_t VAlign = 0;
};

// Copies the rectangle and the text style of any of the records into a widget.
template <class Params>
void SetWidgetPlaceAndStyle(TBaseWidget& widget, const Params& params) {
    widget.X = params.X;
    widget.Y = params.Y;
    widget.Width = params.Width;
    widget.Height = params.Height;
    widget.FontColor = params.FontColor;
    widget.FontSize = params.FontSize;
    widget.Italic = params.Italic;
    widget.HAlign = params.HAlign;
    widget.VAlign = params.VAlign;
}
