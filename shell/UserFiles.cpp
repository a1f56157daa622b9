#include "shell/UserFiles.h"

#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The entry named "Data" in any letter case, first in name order; empty when there is none.
std::string DataFolderIn(const std::string& folder) {
    std::error_code error;
    std::string found;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? "." : folder, error)) {
        std::string name = entry.path().filename().string();
        if (name.size() == 4 && (name[0] | 0x20) == 'd' && (name[1] | 0x20) == 'a' &&
            (name[2] | 0x20) == 't' && (name[3] | 0x20) == 'a' && entry.is_directory(error) &&
            (found.empty() || entry.path().string() < found)) {
            found = entry.path().string();
        }
    }
    return found;
}

}  // namespace

std::string TUserFiles::ProgressFile() const {
    return Folder.empty() ? std::string() : Folder + "/" + kUserProgressName;
}

bool HoldsData(const std::string& folder) {
    return !DataFolderIn(folder).empty();
}

bool FindDataRoot(const std::string& given, const std::string& programFolder, std::string& root,
                  std::string& error) {
    if (!given.empty()) {
        if (!HoldsData(given)) {
            error = "--data \"" + given + "\" holds no Data folder";
            return false;
        }
        root = given;
        return true;
    }
    std::vector<std::string> places;
    if (!programFolder.empty()) {
        places.push_back(programFolder);
        places.push_back((fs::path(programFolder).parent_path() / "share" / "brelvox").string());
    }
    places.push_back(".");
    for (const std::string& place : places) {
        if (HoldsData(place)) {
            root = place;
            return true;
        }
    }
    error = "no Data folder found; looked in";
    for (std::size_t i = 0; i < places.size(); ++i) {
        std::error_code ignored;
        const std::string shown =
            places[i] == "." ? fs::current_path(ignored).string() + " (the current folder)" : places[i];
        error += (i == 0 ? " " : ", ") + shown;
    }
    error += "; give the folder that holds Data with --data DIR";
    return false;
}

bool IsSharedData(const std::string& root) {
    std::error_code error;
    const fs::path real = fs::weakly_canonical(fs::absolute(root, error), error);
    if (real.filename() == "brelvox" && real.parent_path().filename() == "share") {
        return true;  // an installed tree: shared even where this user (root, say) could write it
    }
    const std::string data = DataFolderIn(root);
    return data.empty() || access(data.c_str(), W_OK | X_OK) != 0;
}

TUserFiles ChooseUserFiles(bool shared, const std::string& userFolder) {
    TUserFiles files;
    files.Folder = userFolder;
    while (files.Folder.size() > 1 && files.Folder.back() == '/') {
        files.Folder.pop_back();
    }
    if (!shared) {
        files.Settings = kDataSettingsFile;
        return files;
    }
    files.InData = false;
    files.Settings = files.Folder.empty() ? std::string() : files.Folder + "/" + kUserSettingsName;
    files.OptionsWrite = files.Folder + "/" + kUserOptionsName;
    files.RecordsWrite = files.Folder + "/" + kUserRecordsName;
    std::error_code error;
    // The shipped file is the default until the player has saved one.
    if (fs::exists(files.OptionsWrite, error)) {
        files.OptionsRead = files.OptionsWrite;
    }
    if (fs::exists(files.RecordsWrite, error)) {
        files.RecordsRead = files.RecordsWrite;
    }
    return files;
}

bool PrepareUserFolder(const TUserFiles& userFiles, std::string& error) {
    if (userFiles.InData) {
        return true;
    }
    if (userFiles.Folder.empty()) {
        error = "there is no per-user folder to save in (neither XDG_DATA_HOME nor HOME is usable)";
        return false;
    }
    std::error_code failure;
    fs::create_directories(userFiles.Folder, failure);
    if (failure) {
        error = "\"" + userFiles.Folder + "\": cannot create the folder: " + failure.message();
        return false;
    }
    return true;
}
