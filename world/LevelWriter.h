// Writing a level in the level file's own layout (world/LevelFile.h): the labels the shipped levels
// use, one row of cell codes per line, Windows line ends. ParseLevel reads the text back to exactly the
// level that was written: the same cells, base, start, spawn points and decorations, every real to the
// last bit. A second start is written after the decorations only when the level has one, so a level
// without one is written as the design's reader knows it.
#pragma once

#include <string>
#include <string_view>

#include "world/LevelFile.h"

// The file's text. A level whose Codes do not fill its grid is a programmer's mistake (asserted).
std::string FormatLevel(const TLevelDescription& level);

// FormatLevel into `path` (a game path in `root`, or a real one), replaced atomically. False with an
// `error` naming the file.
bool WriteLevelFile(const files::TDataRoot& root, std::string_view path, const TLevelDescription& level,
                    std::string& error);
