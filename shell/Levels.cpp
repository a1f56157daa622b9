#include "shell/Levels.h"

#include "util/Files.h"
#include "util/TokenReader.h"

bool TLevels::LoadFromFile(const files::TDataRoot& root, std::string_view path, std::string& error) {
    entries_.clear();
    std::string bytes;
    return root.ReadFile(path, bytes, error) && LoadFromBytes(bytes, path, error);
}

bool TLevels::LoadFromBytes(std::string_view bytes, std::string_view fileName, std::string& error) {
    entries_.clear();
    TTokenReader reader(bytes, fileName, error);
    int32_t count = 0;
    if (!reader.Integer("the number of levels", 0, 255, count)) {
        return false;
    }
    std::vector<TLevelEntry> entries;
    std::string token;
    for (int32_t level = 1; level <= count; ++level) {
        const std::string name = "level " + std::to_string(level);
        TLevelEntry entry;
        if (!reader.Token("the " + name, token) || !reader.Token("the " + name, token) ||
            !reader.Token("the file of " + name, entry.path)) {
            return false;
        }
        for (int kind = 0; kind < 4; ++kind) {
            const std::string what = "the count of enemies of kind " + std::to_string(kind) + " of " + name;
            int32_t value = 0;
            if (!reader.Token(what, token) || !reader.Integer(what, 0, 255, value)) {
                return false;
            }
            entry.enemies[kind] = static_cast<uint8_t>(value);
        }
        entries.push_back(entry);
    }
    entries_ = std::move(entries);
    return true;
}

std::string TLevels::Format(const std::vector<TLevelEntry>& entries) {
    std::string text = std::to_string(entries.size()) + "\r\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TLevelEntry& entry = entries[i];
        text += "Level " + std::to_string(i + 1) + " " + entry.path + "\r\n";
        for (int kind = 0; kind < 4; ++kind) {
            text += "Kind" + std::to_string(kind) + " " + std::to_string(entry.enemies[kind]) +
                    (kind < 3 ? " " : "\r\n");
        }
    }
    return text;
}
