// The level's occupancy grid and its path finder.
//
// Cells are addressed by column X (0..Width-1) and row Y (0..Height-1); the world is centred on the
// origin with rows running towards -z: the centre of cell (X, Y) is x = X + 0.5 - Width/2,
// z = Height/2 - Y - 0.5. Tanks, the base, bonuses and spawn points take a 2 x 2 footprint named by
// its first cell (X, Y); footprints exist for 0 <= X <= Width-2, 0 <= Y <= Height-2.
//
// Every operation checks its ranges: cells outside the grid are never read or written. A cell outside
// reads as occupied, a footprint outside as blocked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "util/GE_MATH.h"

struct TGridPoint {
    int32_t X = 0;
    int32_t Y = 0;
};

inline bool operator==(const TGridPoint& a, const TGridPoint& b) {
    return a.X == b.X && a.Y == b.Y;
}
inline bool operator!=(const TGridPoint& a, const TGridPoint& b) {
    return !(a == b);
}

class TMap {
public:
    static constexpr int32_t kUnvisited = -1;
    static constexpr int32_t kBlockedDistance = 100000;
    static constexpr uint8_t kOutsideGrid = 255;  // SavedCells marker

    // All cells free, no base, no player start ((0, 0)), no spawn points, no decorations. Sizes below 0
    // count as 0; a grid narrower or lower than 2 has no footprints.
    TMap(int32_t width, int32_t height);

    // The level description (filled by the level loader).
    bool HasBase = false;
    int32_t BaseX = 0, BaseY = 0;
    bool HasPlayerStart = false;
    int32_t PlayerStartX = 0, PlayerStartY = 0;
    bool HasSecondStart = false;  // a second player's own start (world/Team.h)
    TGridPoint SecondStart;
    int32_t SpawnCount = 0;
    std::vector<TGridPoint> SpawnPoints;
    uint16_t DecorCount = 0;
    std::vector<std::string> DecorMeshes;  // names in the mesh cache; released by the level loader

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

    bool IsCell(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    bool IsFootprint(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < width_ - 1 && y < height_ - 1;
    }

    // 0 free, 1 occupied (wall, water, tank, base). Outside the grid: 1 on reading, ignored on writing.
    uint8_t Cell(int32_t x, int32_t y) const { return IsCell(x, y) ? cells_[CellIndex(x, y)] : 1; }
    void SetCell(int32_t x, int32_t y, uint8_t value);

    // Marks / frees the four cells of footprint (x, y); the cells outside the grid are skipped.
    void OccupyTank(int32_t x, int32_t y);
    void FreeTank(int32_t x, int32_t y);

    // Recomputes Blocked: a footprint is blocked when any of its four cells is occupied.
    void UpdateBlocked();
    // As of the last UpdateBlocked; true outside the footprint range.
    bool Blocked(int32_t x, int32_t y) const {
        return !IsFootprint(x, y) || blocked_[FootprintIndex(x, y)] != 0;
    }

    // Search state: kBlockedDistance for blocked footprints, kUnvisited for the others.
    void ResetDistances();
    // kUnvisited outside the footprint range.
    int32_t Distance(int32_t x, int32_t y) const {
        return IsFootprint(x, y) ? distances_[FootprintIndex(x, y)] : kUnvisited;
    }

    // Breadth-first search from `to` outward until `from` is met, then the walk back from `from`: Path()
    // is then from, the next footprint to step to, ..., to. Empty when `from` cannot be reached or either
    // end lies outside the footprint range. Between equally short ways the neighbour order decides:
    // +X, then -Y, then -X, then +Y. Run UpdateBlocked and ResetDistances first.
    void FindPath(TGridPoint from, TGridPoint to);
    const std::vector<TGridPoint>& Path() const { return path_; }

    // Frees the 6 x 6 cells from (BaseX - 2, BaseY - 2) to (BaseX + 3, BaseY + 3), remembering them, so a
    // search can reach the base; RestoreAroundBase puts back exactly the cells inside the grid.
    void ClearAroundBase();
    void RestoreAroundBase();
    uint8_t SavedCell(int i, int j) const { return savedCells_[i][j]; }  // i, j in 0..5

    // World positions at ground level.
    TVector3 CellCentre(int32_t x, int32_t y) const;
    TVector3 FootprintCentre(int32_t x, int32_t y) const;

private:
    std::size_t CellIndex(int32_t x, int32_t y) const {
        return std::size_t(x) * std::size_t(height_) + std::size_t(y);
    }
    std::size_t FootprintIndex(int32_t x, int32_t y) const {
        return std::size_t(x) * std::size_t(height_ - 1) + std::size_t(y);
    }
    void SetDistance(int32_t x, int32_t y, int32_t value) { distances_[FootprintIndex(x, y)] = value; }

    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint8_t> cells_;      // [X][Y]
    std::vector<uint8_t> blocked_;    // [X][Y] per footprint
    std::vector<int32_t> distances_;  // [X][Y] per footprint
    uint8_t savedCells_[6][6];
    std::vector<TGridPoint> path_;
    std::vector<TGridPoint> wave_, nextWave_;  // kept to spare allocations between searches
};
