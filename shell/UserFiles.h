// Where the game finds its Data folder and where it keeps the files it writes: the options file, the
// table of records, the screenshots and the campaign's progress.
//
// Run from a folder it was given and can write (the source tree, --data DIR), the game reads and writes
// the options and the records inside Data, as it always has. Run from an installed, shared Data (a
// folder named share/brelvox, or any Data it cannot write) it keeps them in the per-user folder instead
// ($XDG_DATA_HOME/brelvox, else ~/.local/share/brelvox) and reads the shipped file as the default until
// the player has saved one there. The bytes of both files are the same wherever they are. Screenshots
// and the campaign's progress always go to the per-user folder, never into Data.
#pragma once

#include <string>
#include <vector>

#include "shell/StartupFiles.h"

struct TUserFiles {
    // Game paths (util/Files.h) or real paths.
    std::string OptionsRead = kOptionsFile;
    std::string OptionsWrite = kOptionsSaveFile;
    std::string RecordsRead = kRecordsTableFile;
    std::string RecordsWrite = kRecordsTableFile;
    // The settings (shell/Settings.h) beside the options; empty (the defaults, never saved) until
    // ChooseUserFiles sets it, as for a headless game.
    std::string Settings;
    // The per-user folder (absolute, no trailing slash); empty when it is not known.
    std::string Folder;
    // True when the options and the records live in Data.
    bool InData = true;

    std::string ScreenshotFolder() const { return Folder.empty() ? std::string() : Folder + "/screenshots"; }
    // The campaign's progress (shell/Progress.h): always in the per-user folder, also when the options
    // and the records live in Data; empty when that folder is not known.
    std::string ProgressFile() const;
};

// The file names inside the per-user folder.
inline constexpr const char* kUserOptionsName = "options.txt";
inline constexpr const char* kUserRecordsName = "table_of_records.txt";
inline constexpr const char* kUserProgressName = "progress.txt";
inline constexpr const char* kUserSettingsName = "settings.txt";
inline constexpr const char* kDataSettingsFile = "Data\\settings.txt";

// Whether `folder` holds a folder named "Data" in any letter case.
bool HoldsData(const std::string& folder);

// The data root (the folder that holds Data): `given` when not empty (it must be a folder); else the
// program's folder when it holds Data; else <program folder>/../share/brelvox; else the current
// folder. False with an `error` naming every place tried when none holds Data.
bool FindDataRoot(const std::string& given, const std::string& programFolder, std::string& root,
                  std::string& error);

// Whether Data under `root` is an installed, shared one the game must not write: its folder is named
// share/brelvox, or Data cannot be written by this process.
bool IsSharedData(const std::string& root);

// The files for a data root that is shared or not, with `userFolder` as the per-user folder (may be
// empty when Data is not shared). Reads of a shared Data's files prefer the per-user copy when there is
// one.
TUserFiles ChooseUserFiles(bool shared, const std::string& userFolder);

// Creates the per-user folder (and its parents) when the files live there; true when there is nothing
// to do. False with an `error` naming the folder otherwise.
bool PrepareUserFolder(const TUserFiles& userFiles, std::string& error);
