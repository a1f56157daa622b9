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

namespace {

uint16_t& SlotCode(TKeyBindings& first, TSecondKeyBindings& second, TBindingSlot slot) {
    return slot.Player == 0 ? first.Codes[slot.Action] : second.Codes[slot.Action];
}

bool CanBindSlot(TBindingSlot slot, uint16_t code) {
    if (slot.Player == 0) {
        return CanBind(static_cast<TAction>(slot.Action), code);
    }
    return slot.Player == 1 && slot.Action >= 0 && slot.Action < SecondActionCount && code >= 1 &&
           code < kMouseButtonCode;
}

bool HeldByFirst(const TKeyBindings& first, uint16_t code) {
    for (uint16_t held : first.Codes) {
        if (held == code) {
            return true;
        }
    }
    return false;
}

}  // namespace

TBindingSlot BindEither(TKeyBindings& first, TSecondKeyBindings& second, TBindingSlot slot, uint16_t code) {
    if (!CanBindSlot(slot, code)) {
        return kNoSlot;
    }
    TBindingSlot swapped = kNoSlot;
    for (int player = 0; player < 2; ++player) {
        const int count = player == 0 ? int{ActionCount} : int{SecondActionCount};
        for (int action = 0; action < count; ++action) {
            const TBindingSlot other{player, action};
            if (!(other == slot) && SlotCode(first, second, other) == code) {
                swapped = other;
            }
        }
    }
    uint16_t& own = SlotCode(first, second, slot);
    if (!(swapped == kNoSlot)) {
        if (!CanBindSlot(swapped, own)) {
            return kNoSlot;  // a mouse button cannot move there: refuse the whole swap
        }
        SlotCode(first, second, swapped) = own;
    }
    own = code;
    return swapped;
}

std::vector<TSecondAction> RepairClashes(const TKeyBindings& first, TSecondKeyBindings& second) {
    std::vector<TSecondAction> repaired;
    const auto taken = [&](uint16_t code, int except) {
        if (HeldByFirst(first, code)) {
            return true;
        }
        for (int action = 0; action < SecondActionCount; ++action) {
            if (action != except && second.Codes[action] == code) {
                return true;
            }
        }
        return false;
    };
    for (int action = 0; action < SecondActionCount; ++action) {
        if (!HeldByFirst(first, second.Codes[action])) {
            continue;
        }
        uint16_t code = TSecondKeyBindings::Defaults()[action];
        for (uint16_t next = 1; taken(code, action) && next < kMouseButtonCode; ++next) {
            code = next;
        }
        second.Codes[action] = code;
        repaired.push_back(static_cast<TSecondAction>(action));
    }
    return repaired;
}

const char* SecondActionSettingName(TSecondAction action) {
    static const char* const kNames[SecondActionCount] = {
        "Player2DriveUp", "Player2DriveDown",  "Player2DriveLeft",  "Player2DriveRight",
        "Player2Fire",    "Player2TurretLeft", "Player2TurretRight"};
    return action < SecondActionCount ? kNames[action] : "";
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
