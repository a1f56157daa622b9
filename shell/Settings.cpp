#include "shell/Settings.h"

#include <algorithm>

#include "util/Files.h"
#include "util/GE_UTILS.h"

namespace {

const char* const kDifficultyNames[kDifficultyCount] = {"Easy", "Normal", "Hard"};

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

bool ParseSwitch(std::string_view value, bool& out) {
    if (value == "true" || value == "false") {
        out = value == "true";
        return true;
    }
    return false;
}

bool ParseRange(std::string_view value, int32_t least, int32_t most, int32_t& out) {
    int32_t number = 0;
    if (!ParseInteger(value, number) || number < least || number > most) {
        return false;
    }
    out = number;
    return true;
}

bool ParseFrameCap(std::string_view value, int32_t& out) {
    if (value == "unlimited") {
        out = 0;
        return true;
    }
    int32_t number = 0;
    if (!ParseInteger(value, number) || number == 0 ||
        std::find(std::begin(kFrameCaps), std::end(kFrameCaps), number) == std::end(kFrameCaps)) {
        return false;
    }
    out = number;
    return true;
}

bool ParseDifficulty(std::string_view value, uint8_t& out) {
    for (uint8_t d = 0; d < kDifficultyCount; ++d) {
        if (value == kDifficultyNames[d]) {
            out = d;
            return true;
        }
    }
    return false;
}

// One known setting: its name, how its value reads and writes, and what the file may hold.
struct TField {
    std::string Name;
    std::string Allowed;
    bool (*Read)(std::string_view value, TSettings& settings, int index);
    std::string (*Write)(const TSettings& settings, int index);
    int Index = 0;
};

std::string Switch(bool value) {
    return value ? "true" : "false";
}

const std::vector<TField>& Fields() {
    static const std::vector<TField> fields = [] {
        std::vector<TField> list = {
            {"MusicVolume", "0..100",
             [](std::string_view v, TSettings& s, int) { return ParseRange(v, 0, 100, s.MusicVolume); },
             [](const TSettings& s, int) { return std::to_string(s.MusicVolume); }},
            {"EffectsVolume", "0..100",
             [](std::string_view v, TSettings& s, int) { return ParseRange(v, 0, 100, s.EffectsVolume); },
             [](const TSettings& s, int) { return std::to_string(s.EffectsVolume); }},
            {"Mute", "true or false",
             [](std::string_view v, TSettings& s, int) { return ParseSwitch(v, s.Mute); },
             [](const TSettings& s, int) { return Switch(s.Mute); }},
        };
        for (int a = 0; a < ActionCount; ++a) {
            list.push_back(
                {ActionSettingName(static_cast<TAction>(a)),
                 a == ActionFire ? "a scancode 1..255 or mouse1..mouse3" : "a scancode 1..255",
                 [](std::string_view v, TSettings& s, int index) {
                     uint16_t code = 0;
                     if (!ParseInputCode(v, code) || !CanBind(static_cast<TAction>(index), code)) {
                         return false;
                     }
                     s.Bindings.Codes[index] = code;
                     return true;
                 },
                 [](const TSettings& s, int index) { return FormatInputCode(s.Bindings.Codes[index]); }, a});
        }
        for (int a = 0; a < SecondActionCount; ++a) {
            list.push_back(
                {SecondActionSettingName(static_cast<TSecondAction>(a)), "a scancode 1..255",
                 [](std::string_view v, TSettings& s, int index) {
                     uint16_t code = 0;
                     if (!ParseInputCode(v, code) || code >= kMouseButtonCode) {
                         return false;
                     }
                     s.SecondBindings.Codes[index] = code;
                     return true;
                 },
                 [](const TSettings& s, int index) { return FormatInputCode(s.SecondBindings.Codes[index]); },
                 a});
        }
        list.push_back({"MouseSpeed", "25..400",
                        [](std::string_view v, TSettings& s, int) {
                            return ParseRange(v, kLeastSpeed, kMostSpeed, s.MouseSpeed);
                        },
                        [](const TSettings& s, int) { return std::to_string(s.MouseSpeed); }});
        list.push_back({"GamepadAimSpeed", "25..400",
                        [](std::string_view v, TSettings& s, int) {
                            return ParseRange(v, kLeastSpeed, kMostSpeed, s.GamepadAimSpeed);
                        },
                        [](const TSettings& s, int) { return std::to_string(s.GamepadAimSpeed); }});
        list.push_back({"Vsync", "true or false",
                        [](std::string_view v, TSettings& s, int) { return ParseSwitch(v, s.Vsync); },
                        [](const TSettings& s, int) { return Switch(s.Vsync); }});
        list.push_back({"FrameCap", "30, 60, 120, 144 or unlimited",
                        [](std::string_view v, TSettings& s, int) { return ParseFrameCap(v, s.FrameCap); },
                        [](const TSettings& s, int) {
                            return s.FrameCap == 0 ? std::string("unlimited") : std::to_string(s.FrameCap);
                        }});
        list.push_back(
            {"Difficulty", "Easy, Normal or Hard",
             [](std::string_view v, TSettings& s, int) { return ParseDifficulty(v, s.Difficulty); },
             [](const TSettings& s, int) { return std::string(DifficultyName(s.Difficulty)); }});
        return list;
    }();
    return fields;
}

}  // namespace

bool TSettings::operator==(const TSettings& other) const {
    return FormatSettings(*this) == FormatSettings(other);
}

const char* DifficultyName(uint8_t difficulty) {
    return kDifficultyNames[difficulty < kDifficultyCount ? difficulty : uint8_t{kDifficultyNormal}];
}

void ParseSettings(std::string_view bytes, std::string_view fileName, TSettings& settings,
                   std::vector<std::string>& problems) {
    settings = TSettings{};
    const TSettings defaults;
    std::vector<bool> seen(Fields().size(), false);
    int lineNumber = 0;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
        ++lineNumber;
        const std::string place = QuotePathForMessage(fileName) + ", line " + std::to_string(lineNumber);
        const std::size_t equals = line.find('=');
        const std::string_view name = Trim(line.substr(0, equals == std::string_view::npos ? 0 : equals));
        const auto field = std::find_if(Fields().begin(), Fields().end(), [&](const TField& f) {
            return equals != std::string_view::npos && f.Name == name;
        });
        if (field == Fields().end()) {
            while (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);  // the line ends as the file's lines do: written again without them
            }
            if (!Trim(line).empty()) {
                settings.OtherLines.emplace_back(line);
            }
            continue;
        }
        const auto index = static_cast<std::size_t>(field - Fields().begin());
        const std::string_view value = Trim(line.substr(equals + 1));
        const std::string fallback = field->Write(defaults, field->Index);
        if (seen[index]) {
            problems.push_back(place + ": " + field->Name + " is given a second time; the first is kept");
            continue;
        }
        seen[index] = true;
        if (!field->Read(value, settings, field->Index)) {
            problems.push_back(place + ": " + field->Name + " " + QuoteForMessage(value) + " is not " +
                               field->Allowed + "; it is " + fallback + " instead");
        }
    }
    for (TSecondAction action : RepairClashes(settings.Bindings, settings.SecondBindings)) {
        problems.push_back(QuotePathForMessage(fileName) + ": " + SecondActionSettingName(action) +
                           " has a key the first player's controls hold; it is " +
                           FormatInputCode(settings.SecondBindings[action]) + " instead");
    }
}

std::string FormatSettings(const TSettings& settings) {
    std::string text;
    for (const TField& field : Fields()) {
        text += field.Name + " = " + field.Write(settings, field.Index) + "\n";
    }
    for (const std::string& line : settings.OtherLines) {
        text += line + "\n";
    }
    return text;
}

void LoadSettings(const files::TDataRoot& root, std::string_view path, TSettings& settings,
                  std::vector<std::string>& problems) {
    settings = TSettings{};
    std::string bytes;
    std::string error;
    if (!root.ReadFile(path, bytes, error)) {
        if (!root.Resolve(path).empty()) {
            problems.push_back(error + "; the settings are the defaults");
        }
        return;
    }
    ParseSettings(bytes, path, settings, problems);
}

bool SaveSettings(const files::TDataRoot& root, std::string_view path, const TSettings& settings,
                  std::string& error) {
    root.RemoveStaleTemporaries(path, {kSettingsName});
    return root.WriteFileAtomic(path, FormatSettings(settings), error);
}
