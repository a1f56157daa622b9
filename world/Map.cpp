#include "world/Map.h"

#include <algorithm>
#include <cstring>

namespace {

// The neighbour order that settles ties: +X, -Y, -X, +Y.
constexpr int32_t kStepX[4] = {1, 0, -1, 0};
constexpr int32_t kStepY[4] = {0, -1, 0, 1};

}  // namespace

TMap::TMap(int32_t width, int32_t height) : width_(std::max(width, 0)), height_(std::max(height, 0)) {
    cells_.assign(std::size_t(width_) * std::size_t(height_), 0);
    const std::size_t footprints =
        width_ >= 2 && height_ >= 2 ? std::size_t(width_ - 1) * std::size_t(height_ - 1) : 0;
    blocked_.assign(footprints, 0);
    distances_.assign(footprints, kUnvisited);
    std::memset(savedCells_, kOutsideGrid, sizeof savedCells_);
}

void TMap::SetCell(int32_t x, int32_t y, uint8_t value) {
    if (IsCell(x, y)) {
        cells_[CellIndex(x, y)] = value;
    }
}

void TMap::OccupyTank(int32_t x, int32_t y) {
    SetCell(x, y, 1);
    SetCell(x + 1, y, 1);
    SetCell(x, y + 1, 1);
    SetCell(x + 1, y + 1, 1);
}

void TMap::FreeTank(int32_t x, int32_t y) {
    SetCell(x, y, 0);
    SetCell(x + 1, y, 0);
    SetCell(x, y + 1, 0);
    SetCell(x + 1, y + 1, 0);
}

void TMap::UpdateBlocked() {
    if (blocked_.empty()) {
        return;
    }
    for (int32_t x = 0; x < width_ - 1; ++x) {
        const uint8_t* column = &cells_[CellIndex(x, 0)];
        const uint8_t* next = &cells_[CellIndex(x + 1, 0)];
        uint8_t* out = &blocked_[FootprintIndex(x, 0)];
        for (int32_t y = 0; y < height_ - 1; ++y) {
            out[y] = (column[y] | column[y + 1] | next[y] | next[y + 1]) != 0 ? 1 : 0;
        }
    }
}

void TMap::ResetDistances() {
    for (std::size_t i = 0; i < distances_.size(); ++i) {
        distances_[i] = blocked_[i] != 0 ? kBlockedDistance : kUnvisited;
    }
}

void TMap::FindPath(TGridPoint from, TGridPoint to) {
    path_.clear();
    if (!IsFootprint(to.X, to.Y) || !IsFootprint(from.X, from.Y)) {
        return;
    }
    int32_t step = 0;
    bool found = false;
    wave_.clear();
    wave_.push_back(to);
    SetDistance(to.X, to.Y, 0);
    while (!wave_.empty() && !found) {
        ++step;
        nextWave_.clear();
        for (const TGridPoint& p : wave_) {
            for (int n = 0; n < 4 && !found; ++n) {
                const int32_t x = p.X + kStepX[n], y = p.Y + kStepY[n];
                if (!IsFootprint(x, y)) {
                    continue;
                }
                // `from` is tested before its distance, so it is found even when its footprint is blocked.
                if (x == from.X && y == from.Y) {
                    SetDistance(x, y, step);
                    found = true;
                } else if (Distance(x, y) == kUnvisited) {
                    SetDistance(x, y, step);
                    nextWave_.push_back({x, y});
                }
            }
            if (found) {
                break;
            }
        }
        wave_.swap(nextWave_);
    }
    if (!found) {
        return;
    }
    const int32_t length = Distance(from.X, from.Y);
    path_.reserve(std::size_t(length) + 1);
    path_.push_back(from);
    for (int32_t k = 1; k <= length; ++k) {
        const TGridPoint p = path_.back();
        bool stepped = false;
        for (int n = 0; n < 4; ++n) {
            const int32_t x = p.X + kStepX[n], y = p.Y + kStepY[n];
            if (IsFootprint(x, y) && Distance(x, y) == length - k) {
                path_.push_back({x, y});
                stepped = true;
                break;
            }
        }
        if (!stepped) {
            // Only possible when the distances were not reset before the search.
            path_.clear();
            return;
        }
    }
}

void TMap::ClearAroundBase() {
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 6; ++j) {
            const int32_t x = BaseX - 2 + i, y = BaseY - 2 + j;
            if (IsCell(x, y)) {
                savedCells_[i][j] = cells_[CellIndex(x, y)];
                cells_[CellIndex(x, y)] = 0;
            } else {
                savedCells_[i][j] = kOutsideGrid;
            }
        }
    }
}

void TMap::RestoreAroundBase() {
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 6; ++j) {
            if (savedCells_[i][j] != kOutsideGrid) {
                SetCell(BaseX - 2 + i, BaseY - 2 + j, savedCells_[i][j]);
            }
        }
    }
}

TVector3 TMap::CellCentre(int32_t x, int32_t y) const {
    return Vector3(float(x) + 0.5f - float(width_) / 2.0f, 0.0f, float(height_) / 2.0f - float(y) - 0.5f);
}

TVector3 TMap::FootprintCentre(int32_t x, int32_t y) const {
    return Vector3(float(x) + 1.0f - float(width_) / 2.0f, 0.0f, float(height_) / 2.0f - float(y) - 1.0f);
}
