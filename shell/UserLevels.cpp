#include "shell/UserLevels.h"

#include <filesystem>

#include "util/Files.h"
#include "util/GE_UTILS.h"
#include "world/LevelWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kListName = "levels.txt";
constexpr const char* kLevelsFolder = "/levels";

// Level files are looked up ignoring letter case (util/Files.h), so names are compared the same way.
bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if ((a[i] | 0x20) != (b[i] | 0x20)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool ValidLevelName(const std::string& name, std::string& error) {
    bool valid = !name.empty() && name.size() <= kMostNameLength;
    for (char c : name) {
        valid = valid && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '_');
    }
    if (!valid) {
        error = QuoteForMessage(name) + " cannot be a level's name: use 1 to " +
                std::to_string(kMostNameLength) + " Latin letters, digits, - and _";
        return false;
    }
    if (SameName(name, "levels")) {
        error = QuoteForMessage(name) + " is the name of the list of levels: choose another name";
        return false;
    }
    return true;
}

TUserLevels::TUserLevels(std::string userFolder) {
    while (userFolder.size() > 1 && userFolder.back() == '/') {
        userFolder.pop_back();
    }
    if (!userFolder.empty()) {
        Folder_ = userFolder + kLevelsFolder;
    }
}

std::string TUserLevels::ListPath() const {
    return Folder_.empty() ? std::string() : Folder_ + "/" + kListName;
}

void TUserLevels::Load(std::vector<std::string>& problems) {
    Entries_.clear();
    std::error_code ignored;
    if (Folder_.empty() || !fs::exists(ListPath(), ignored)) {
        return;
    }
    TLevels list;
    std::string error;
    if (!list.LoadFromFile(Root_, ListPath(), error)) {
        problems.push_back(error);
        return;
    }
    for (const TLevelEntry& listed : list.Entries()) {
        TEntry entry;
        entry.Path = Folder_ + "/" + listed.path;
        std::string name = listed.path;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0) {
            name.resize(name.size() - 4);
        }
        if (!ValidLevelName(name, error) || name + ".txt" != listed.path) {
            problems.push_back(QuotePathForMessage(ListPath()) + ": " + QuoteForMessage(listed.path) +
                               " is not the file of a level's name (NAME.txt)");
            continue;
        }
        TLevelDescription level;
        if (!ReadLevelFile(Root_, entry.Path, level, error)) {
            problems.push_back(error);
            continue;
        }
        entry.Name = name;
        std::copy(listed.enemies, listed.enemies + 4, entry.Enemies);
        Entries_.push_back(entry);
    }
}

const TUserLevels::TEntry* TUserLevels::Find(const std::string& name) const {
    for (const TEntry& entry : Entries_) {
        if (SameName(entry.Name, name)) {
            return &entry;
        }
    }
    return nullptr;
}

std::vector<TLevelEntry> TUserLevels::PlayList() const {
    std::vector<TLevelEntry> list;
    for (const TEntry& entry : Entries_) {
        TLevelEntry level;
        level.path = entry.Path;
        std::copy(entry.Enemies, entry.Enemies + 4, level.enemies);
        list.push_back(level);
    }
    return list;
}

bool TUserLevels::WriteList(const std::vector<TEntry>& entries, std::string& error) const {
    std::vector<TLevelEntry> list;
    for (const TEntry& entry : entries) {
        TLevelEntry listed;
        listed.path = entry.Name + ".txt";
        std::copy(entry.Enemies, entry.Enemies + 4, listed.enemies);
        list.push_back(listed);
    }
    return Root_.WriteFileAtomic(ListPath(), TLevels::Format(list), error);
}

bool TUserLevels::Save(const std::string& name, const TLevelDescription& level, const uint8_t (&enemies)[4],
                       std::string& error) {
    if (!ValidLevelName(name, error)) {
        return false;
    }
    if (Folder_.empty()) {
        error = "there is no per-user folder to keep levels in (neither XDG_DATA_HOME nor HOME is usable)";
        return false;
    }
    std::error_code failure;
    fs::create_directories(Folder_, failure);
    if (failure) {
        error = QuotePathForMessage(Folder_) + ": cannot create the folder: " + failure.message();
        return false;
    }
    TEntry entry;
    entry.Name = name;
    entry.Path = Folder_ + "/" + name + ".txt";
    std::copy(enemies, enemies + 4, entry.Enemies);
    if (!WriteLevelFile(Root_, entry.Path, level, error)) {
        return false;
    }
    std::vector<TEntry> entries = Entries_;
    bool listed = false;
    for (TEntry& old : entries) {
        if (SameName(old.Name, name)) {
            old = entry;
            listed = true;
        }
    }
    if (!listed) {
        entries.push_back(entry);
    }
    if (!WriteList(entries, error)) {
        return false;
    }
    Entries_ = std::move(entries);
    return true;
}

bool TUserLevels::Remove(const std::string& name, std::string& error) {
    const TEntry* found = Find(name);
    if (found == nullptr) {
        error = QuotePathForMessage(ListPath()) + ": there is no level " + QuoteForMessage(name);
        return false;
    }
    const std::string path = found->Path;
    std::vector<TEntry> entries;
    for (const TEntry& entry : Entries_) {
        if (!SameName(entry.Name, name)) {
            entries.push_back(entry);
        }
    }
    if (!WriteList(entries, error)) {
        return false;
    }
    Entries_ = std::move(entries);
    std::error_code failure;
    if (!fs::remove(path, failure) && failure) {
        error = QuotePathForMessage(path) + ": cannot delete the file: " + failure.message();
        return false;
    }
    return true;
}
