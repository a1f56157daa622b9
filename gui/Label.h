// A caption without a background; it ignores the mouse.
#pragma once

#include <string>

#include "gui/BaseWidget.h"
#include "gui/WidgetParams.h"

class TMyLabel : public TBaseWidget {
public:
    explicit TMyLabel(std::string name) : TBaseWidget(std::move(name)) {}

    void SetParams(const TButtonParam& params);

    void HandleInput(int32_t deltaTime, const TVector2& mousePos) override;
    void Draw(TGUIVB& vertices, TGUIIB& indices, const TGUISkinInfo& skin) override;

    std::string Caption = "Label";
    bool ShrinkToFit = false;  // a caption wider than Width is drawn smaller, to fit it
};
