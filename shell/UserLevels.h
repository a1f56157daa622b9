// The player's own levels, kept in the per-user folder (shell/UserFiles.h), whether the game runs
// installed or from the source tree: "levels/NAME.txt" in the level file's layout (world/LevelWriter.h)
// and "levels/levels.txt", the list of them in the level list's layout (shell/Levels.h) with the file
// names as paths and the four enemy counts of each level. Every write replaces its file atomically; the
// shipped Data is never written.
//
// A name is what the player types: 1 to kMostNameLength Latin letters, digits, "-" and "_", so it is a
// file name on every system and a single token in the list. "levels" is the list's own name and refused.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/Levels.h"
#include "world/LevelFile.h"

inline constexpr std::size_t kMostNameLength = 32;

// False with an `error` that says what a name may hold when `name` cannot be a level's name.
bool ValidLevelName(const std::string& name, std::string& error);

class TUserLevels {
public:
    struct TEntry {
        std::string Name;  // without ".txt"
        std::string Path;  // the real path of the file
        uint8_t Enemies[4] = {0, 0, 0, 0};
    };

    // `userFolder`: the per-user folder, absolute; empty when there is none (nothing is kept then).
    explicit TUserLevels(std::string userFolder);

    const std::string& Folder() const { return Folder_; }  // "<userFolder>/levels", or empty
    std::string ListPath() const;

    // Reads the list and checks every level in it. A missing list is an empty one. A level whose file
    // is missing or malformed is left out, its problem (naming the file and the place) in `problems`;
    // so is a malformed list, which leaves the list empty.
    void Load(std::vector<std::string>& problems);

    const std::vector<TEntry>& Entries() const { return Entries_; }
    const TEntry* Find(const std::string& name) const;
    // The entries as a level list to play, in their order.
    std::vector<TLevelEntry> PlayList() const;

    // Writes levels/NAME.txt and the list with it (a new name is added at the end, an old one keeps its
    // place), creating the folders. False with an `error` naming the file or the name.
    bool Save(const std::string& name, const TLevelDescription& level, const uint8_t (&enemies)[4],
              std::string& error);
    // Takes the level out of the list, then deletes its file.
    bool Remove(const std::string& name, std::string& error);

private:
    bool WriteList(const std::vector<TEntry>& entries, std::string& error) const;

    // Every path here is a real one: the look-up in it never depends on the game's data root.
    files::TDataRoot Root_{"/"};
    std::string Folder_;
    std::vector<TEntry> Entries_;
};
