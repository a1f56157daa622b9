#include "input/KeyBindings.h"

#include "util/GE_UTILS.h"

bool CanBind(TAction action, uint16_t code) {
    if (action >= ActionCount) {
        return false;
    }
    if (code >= kMouseButtonCode) {
        return action == ActionFire && code < kMouseButtonCode + kBindableMouseButtons;
    }
    return code >= 1;
}

TAction Bind(TKeyBindings& bindings, TAction action, uint16_t code) {
    if (!CanBind(action, code)) {
        return ActionCount;
    }
    TAction swapped = ActionCount;
    for (int other = 0; other < ActionCount; ++other) {
        if (other != action && bindings.Codes[other] == code) {
            swapped = static_cast<TAction>(other);
        }
    }
    if (swapped != ActionCount) {
        if (!CanBind(swapped, bindings.Codes[action])) {
            return ActionCount;  // a mouse button cannot move to a drive action: refuse the whole swap
        }
        bindings.Codes[swapped] = bindings.Codes[action];
    }
    bindings.Codes[action] = code;
    return swapped;
}

const char* ActionSettingName(TAction action) {
    static const char* const kNames[ActionCount] = {"DriveUp",    "DriveDown", "DriveLeft",
                                                    "DriveRight", "Fire",      "Pause"};
    return action < ActionCount ? kNames[action] : "";
}

std::string FormatInputCode(uint16_t code) {
    if (code >= kMouseButtonCode) {
        return "mouse" + std::to_string(code - kMouseButtonCode + 1);
    }
    return std::to_string(code);
}

bool ParseInputCode(std::string_view text, uint16_t& code) {
    int32_t value = 0;
    if (text.substr(0, 5) == "mouse") {
        if (!ParseInteger(text.substr(5), value) || value < 1 || value > kBindableMouseButtons) {
            return false;
        }
        code = static_cast<uint16_t>(kMouseButtonCode + value - 1);
        return true;
    }
    if (!ParseInteger(text, value) || value < 1 || value > 255) {
        return false;
    }
    code = static_cast<uint16_t>(value);
    return true;
}
