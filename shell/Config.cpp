#include "shell/Config.h"

#include "util/Files.h"
#include "util/GE_UTILS.h"

namespace {

constexpr int32_t kMaxScreenSize = 16384;

std::string Place(std::string_view fileName, const TTextSource& source) {
    return QuotePathForMessage(fileName) + ", line " + std::to_string(source.Line());
}

// Reads the next token as an integer; the message names the file, the line and the value's meaning.
bool ReadInteger(TTextSource& source, std::string_view fileName, const char* what, int32_t& value,
                 std::string& error) {
    const std::string token = ReadToken(source);
    if (token.empty()) {
        error = Place(fileName, source) + ": the file ends before " + what;
        return false;
    }
    if (!ParseInteger(token, value)) {
        error = Place(fileName, source) + ": " + what + " " + QuoteForMessage(token) + " is not an integer";
        return false;
    }
    return true;
}

bool SkipToken(TTextSource& source, std::string_view fileName, const char* what, std::string& error) {
    if (ReadToken(source).empty()) {
        error = Place(fileName, source) + ": the file ends before " + what;
        return false;
    }
    return true;
}

}  // namespace

bool ParseConfig(std::string_view bytes, std::string_view fileName, TGameState& state, std::string& error) {
    static const char* const kNames[5] = {"PlayerMaxHealth", "BaseMaxHealth", "AttackBaseTime",
                                          "ChasePlayerTime", "WanderTime"};
    TTextSource source{std::string(bytes)};
    int32_t values[5];
    for (int i = 0; i < 5; ++i) {
        const std::string nameWhat = std::string("the name of ") + kNames[i];
        if (!SkipToken(source, fileName, nameWhat.c_str(), error) ||
            !ReadInteger(source, fileName, kNames[i], values[i], error)) {
            return false;
        }
    }
    state.PlayerMaxHealth = values[0];
    state.BaseMaxHealth = values[1];
    state.AttackBaseTime = values[2];
    state.ChasePlayerTime = values[3];
    state.WanderTime = values[4];
    return true;
}

bool LoadConfig(const files::TDataRoot& root, TGameState& state, std::string& error) {
    static constexpr std::string_view kPath = "Data/Config.txt";
    std::string bytes;
    return root.ReadFile(kPath, bytes, error) && ParseConfig(bytes, kPath, state, error);
}

bool ParseOptions(std::string_view bytes, std::string_view fileName, TGameState& state, std::string& error) {
    static const char* const kNames[4] = {"Windowed", "ScreenWidth", "ScreenHeight", "Language"};
    TTextSource source{std::string(bytes)};
    std::string values[4];
    for (int i = 0; i < 4; ++i) {
        const std::string what = std::string("the value of ") + kNames[i];
        if (!SkipToken(source, fileName, what.c_str(), error) ||
            !SkipToken(source, fileName, what.c_str(), error)) {
            return false;
        }
        values[i] = ReadToken(source);
        if (values[i].empty()) {
            error = Place(fileName, source) + ": the file ends before " + what;
            return false;
        }
    }
    int32_t size[2];
    for (int i = 0; i < 2; ++i) {
        if (!ParseInteger(values[1 + i], size[i])) {
            error = QuotePathForMessage(fileName) + ": " + kNames[1 + i] + " " +
                    QuoteForMessage(values[1 + i]) + " is not an integer";
            return false;
        }
        if (size[i] < 1 || size[i] > kMaxScreenSize) {
            error = QuotePathForMessage(fileName) + ": " + kNames[1 + i] + " " + values[1 + i] +
                    " is outside 1.." + std::to_string(kMaxScreenSize);
            return false;
        }
    }
    state.Windowed = values[0] == "true";
    state.ScreenWidth = size[0];
    state.ScreenHeight = size[1];
    if (values[3] == "UKR") {
        state.Language = kLanguageUkrainian;
    } else if (values[3] == "RUS") {
        state.Language = kLanguageRussian;
    } else {
        state.Language = kLanguageEnglish;
    }
    return true;
}

bool LoadOptions(const files::TDataRoot& root, std::string_view path, TGameState& state, std::string& error) {
    std::string bytes;
    return root.ReadFile(path, bytes, error) && ParseOptions(bytes, path, state, error);
}

std::string FormatOptions(const TGameState& state) {
    static const char* const kCodes[3] = {"UKR", "RUS", "ENG"};
    const char* code = state.Language <= kLanguageEnglish ? kCodes[state.Language] : "ENG";
    std::string text;
    text += std::string("Windowed = ") + (state.Windowed ? "true" : "false") + "\r\n";
    text += "ScreenWidth = " + std::to_string(state.ScreenWidth) + "\r\n";
    text += "ScreenHeight = " + std::to_string(state.ScreenHeight) + "\r\n";
    text += std::string("Language = ") + code;
    return text;
}

bool SaveOptions(const files::TDataRoot& root, std::string_view path, const TGameState& state,
                 std::string& error) {
    RemoveStaleSaveTemporaries(root, path);
    return root.WriteFileAtomic(path, FormatOptions(state), error);
}

void RemoveStaleSaveTemporaries(const files::TDataRoot& root, std::string_view path) {
    root.RemoveStaleTemporaries(path, {"options.txt", "table_of_records.txt"});
}
