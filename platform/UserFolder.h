// The per-user data folder a program keeps its files in, by the XDG base directory rules:
// $XDG_DATA_HOME/<name> when XDG_DATA_HOME is an absolute path, else $HOME/.local/share/<name> (the
// folder SDL's preference path names). Only the name is worked out; nothing is created, so asking
// costs nothing and leaves no trace (whoever writes there creates the folder).
#pragma once

#include <string>

namespace platform {

// The folder as an absolute path without a trailing slash, or an empty string with an `error` when
// neither variable gives one (and the password database knows no home folder).
std::string UserDataFolder(const char* programName, std::string& error);

}  // namespace platform
