// Level files: a stream of blank-separated tokens (util ReadToken). "label" tokens are read and ignored.
//   label W; label H                                  grid size, 2..kMaxLevelSize each
//   W x H integers                                    cell codes, row 0 first, column 0 first in a row
//   label flag [label label X; label label Y]         base footprint when flag is nonzero
//   label flag [label label X; label label Y]         player start footprint when flag is nonzero
//   label N; N x (label label X; label label Y)       enemy spawn footprints
//   label M; M x (label label path; 9 x (label label real))
//                                                     decorations: mesh path, position x y z,
//                                                     rotation x y z in degrees, scale x y z
//   [label flag [label label X; label label Y]]       optional: the second player's start footprint
// Nothing after the second start is read. Reals use "." as the decimal separator.
//
// The parser checks everything a loader would otherwise trust: a token that is not a number, an early
// end, a size out of range and a footprint outside the grid are reported with the file, the line and
// the value, and nothing of the level is used.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "util/Files.h"
#include "util/GE_MATH.h"
#include "world/Map.h"

// Cell codes; any other code leaves the cell free and creates nothing.
enum : int32_t { kCellEmpty = 0, kCellBrickWall = 1, kCellRockWall = 2, kCellWater = 3 };

constexpr int32_t kMaxLevelSize = 1024;

struct TLevelDecoration {
    std::string path;      // as written in the file
    std::string meshName;  // the part of the path after its last "\" or "/"
    TVector3 position{};
    TVector3 rotation{};  // degrees
    TVector3 scale{};
};

struct TLevelDescription {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<int32_t> Codes;  // Width x Height, row by row as in the file: Codes[Y * Width + X]
    bool HasBase = false;
    TGridPoint Base;
    bool HasPlayerStart = false;
    TGridPoint PlayerStart;  // (0, 0) without a start in the file
    bool HasSecondStart = false;
    TGridPoint SecondStart;  // the second player's; (0, 0) without one
    std::vector<TGridPoint> SpawnPoints;
    std::vector<TLevelDecoration> Decorations;

    int32_t Code(int32_t x, int32_t y) const {
        return Codes[std::size_t(y) * std::size_t(Width) + std::size_t(x)];
    }
};

// False with an `error` naming the file and the place; `level` is then left as it was.
bool ParseLevel(std::string_view bytes, std::string_view fileName, TLevelDescription& level,
                std::string& error);
// Reads the file through the case-insensitive look-up in `root`, then parses it.
bool ReadLevelFile(const files::TDataRoot& root, std::string_view path, TLevelDescription& level,
                   std::string& error);

// The grid of a parsed level: walls and water mark their cells, the base its footprint; the base, the
// player start, the second start, the spawn points and the decoration mesh names are copied over.
std::unique_ptr<TMap> BuildMap(const TLevelDescription& level);
