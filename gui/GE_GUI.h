// The GUI unit: the skin, the GUI and its forms, and the widget kinds.
#pragma once

#include "gui/BaseWidget.h"
#include "gui/Button.h"
#include "gui/CheckBox.h"
#include "gui/Edit.h"
#include "gui/Form.h"
#include "gui/GUI.h"
#include "gui/GUISkinInfo.h"
#include "gui/Label.h"
#include "gui/RadioButton.h"
#include "gui/Slider.h"
#include "gui/Stepper.h"
#include "gui/WidgetParams.h"
