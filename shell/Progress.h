// How far the player has come in the campaign: the number (from 1) of the furthest level of the level
// list a game has reached, kept in "progress.txt" of the per-user folder (TUserFiles::ProgressFile),
// whichever Data the game runs from. The file is one line, "Reached N" with N from 1 to 255, ending in CR LF.
// "Continue" in the main menu starts a new game there.
#pragma once

#include <string>
#include <string_view>

#include "util/Files.h"

inline constexpr int kMostReachedLevel = 255;

// False with an `error` naming the file and the place; `reached` is then left as it was.
bool ParseProgress(std::string_view bytes, std::string_view fileName, int& reached, std::string& error);
// A missing file is a game that has reached nothing yet: true with `reached` 0.
bool ReadProgressFile(const files::TDataRoot& root, const std::string& path, int& reached,
                      std::string& error);
// The text WriteProgressFile writes.
std::string FormatProgress(int reached);
// Creates the folder the file goes in when it is missing, then writes atomically: a failed write leaves
// the previous file. False with an `error` naming the file.
bool WriteProgressFile(const files::TDataRoot& root, const std::string& path, int reached,
                       std::string& error);
