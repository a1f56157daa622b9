#include "platform/UserFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

namespace {

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

}  // namespace

std::string UserDataFolder(const char* programName, std::string& error) {
    // A relative XDG_DATA_HOME is invalid by the rules and ignored.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/') {
        return WithoutTrailingSlashes(dataHome) + "/" + programName;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* entry = getpwuid(getuid());
        home = entry != nullptr ? entry->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] != '/') {
        error = "no per-user data folder: neither XDG_DATA_HOME nor HOME is an absolute path";
        return std::string();
    }
    return WithoutTrailingSlashes(home) + "/.local/share/" + programName;
}

}  // namespace platform
