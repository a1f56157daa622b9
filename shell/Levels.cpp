#include "shell/Levels.h"

#include "util/Files.h"
#include "util/GE_UTILS.h"

namespace {

class LevelListReader {
public:
    LevelListReader(std::string_view bytes, std::string_view fileName, std::string& error)
        : source_(std::string(bytes)), fileName_(fileName), error_(error) {}

    bool Token(const std::string& what, std::string& token) {
        token = ReadToken(source_);
        if (token.empty()) {
            error_ = Place() + ": the file ends before " + what;
            return false;
        }
        return true;
    }

    bool Number(const std::string& what, int32_t low, int32_t high, int32_t& value) {
        std::string token;
        if (!Token(what, token)) {
            return false;
        }
        if (!ParseInteger(token, value)) {
            error_ = Place() + ": " + what + " \"" + token + "\" is not an integer";
            return false;
        }
        if (value < low || value > high) {
            error_ = Place() + ": " + what + " " + token + " is outside " + std::to_string(low) + ".." +
                     std::to_string(high);
            return false;
        }
        return true;
    }

private:
    std::string Place() const {
        return "\"" + std::string(fileName_) + "\", line " + std::to_string(source_.Line());
    }

    TTextSource source_;
    std::string_view fileName_;
    std::string& error_;
};

}  // namespace

bool TLevels::LoadFromFile(std::string_view path, std::string& error) {
    entries_.clear();
    std::string bytes;
    return files::ReadFile(path, bytes, error) && LoadFromBytes(bytes, path, error);
}

bool TLevels::LoadFromBytes(std::string_view bytes, std::string_view fileName, std::string& error) {
    entries_.clear();
    LevelListReader reader(bytes, fileName, error);
    int32_t count = 0;
    if (!reader.Number("the number of levels", 0, 255, count)) {
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
            if (!reader.Token(what, token) || !reader.Number(what, 0, 255, value)) {
                return false;
            }
            entry.enemies[kind] = static_cast<uint8_t>(value);
        }
        entries.push_back(entry);
    }
    entries_ = std::move(entries);
    return true;
}
