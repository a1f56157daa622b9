// The data check behind "brelvox --check": reads every file the game reads at start-up and every level
// of the level list, with the same parsers, without a window or a graphics device, and lists what is
// wrong: every level, shipped or the player's own (shell/UserLevels.h), must also pass the editor's
// checks (world/LevelCheck.h), warnings included. A missing table of records is fine (the game starts
// with an empty one).
#pragma once

#include <string>
#include <vector>

#include "shell/UserFiles.h"
#include "util/Files.h"

// One line per problem, each naming the file and what is wrong; empty when the data is good. Paths are
// game paths under `root` (util/Files.h); the options and the records are read where
// `userFiles` says (the player's own copies when Data is shared).
std::vector<std::string> CheckGameData(const files::TDataRoot& root,
                                       const TUserFiles& userFiles = TUserFiles());
