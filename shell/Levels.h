// The level list "data\maps\levels.txt": the number of levels, then for each level three tokens of
// which the third is the level file's path, and four pairs of tokens whose second is the number of
// enemies of kind 0, 1, 2 and 3 (0..255).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "util/Files.h"

struct TLevelDescription;

struct TLevelEntry {
    std::string path;  // handed to the level loader as written
    uint8_t enemies[4] = {0, 0, 0, 0};
    // A level held in memory (the editor's "Try"): played instead of the file when set.
    std::shared_ptr<const TLevelDescription> level;
};

class TLevels {
public:
    TLevels() = default;

    // On failure returns false with an `error` naming the file and the place (a missing file, a value
    // that is not an integer or out of range, an early end); the list is then left empty.
    bool LoadFromFile(const files::TDataRoot& root, std::string_view path, std::string& error);
    bool LoadFromBytes(std::string_view bytes, std::string_view fileName, std::string& error);

    // A list made in memory (the player's own levels).
    explicit TLevels(std::vector<TLevelEntry> entries) : entries_(std::move(entries)) {}

    uint8_t Count() const { return static_cast<uint8_t>(entries_.size()); }
    const std::vector<TLevelEntry>& Entries() const { return entries_; }

    // The list in its file's layout ("Level N PATH", "Kind0 A Kind1 B Kind2 C Kind3 D", Windows line ends),
    // so LoadFromBytes reads back the same paths and counts. Paths must be single tokens.
    static std::string Format(const std::vector<TLevelEntry>& entries);

private:
    std::vector<TLevelEntry> entries_;
};
