#include "shell/EditModel.h"

#include <algorithm>
#include <cmath>

#include "util/GE_UTILS.h"
#include "world/LevelWriter.h"

namespace {

// The ground meshes of the shipped levels are 4 x 4 squares, laid edge to edge from the centre.
constexpr float kGroundTile = 4.0f;
// How far from its centre a decoration is hit by the eraser, in world units.
constexpr float kDecorationReach = 0.8f;
constexpr float kSmallestScale = 0.25f;
constexpr float kLargestScale = 4.0f;

bool IsCellTool(TEditTool tool) {
    return tool == TEditTool::Empty || tool == TEditTool::Brick || tool == TEditTool::Rock ||
           tool == TEditTool::Water;
}

int32_t CellCode(TEditTool tool) {
    switch (tool) {
        case TEditTool::Brick:
            return kCellBrickWall;
        case TEditTool::Rock:
            return kCellRockWall;
        case TEditTool::Water:
            return kCellWater;
        default:
            return kCellEmpty;
    }
}

bool Covers(const TGridPoint& footprint, int32_t x, int32_t y) {
    return x >= footprint.X && x <= footprint.X + 1 && y >= footprint.Y && y <= footprint.Y + 1;
}

bool SameState(const TEditModel::TState& a, const TEditModel::TState& b) {
    return std::equal(a.Enemies, a.Enemies + 4, b.Enemies) && FormatLevel(a.Level) == FormatLevel(b.Level);
}

TLevelDecoration MakeDecoration(int mesh, float x, float z) {
    TLevelDecoration decoration;
    decoration.path = kDecorationMeshes[mesh];
    decoration.meshName = ExtractFileNamePart(decoration.path);
    decoration.position = {x, 0.0f, z};
    decoration.rotation = {0.0f, 0.0f, 0.0f};
    decoration.scale = {1.0f, 1.0f, 1.0f};
    return decoration;
}

}  // namespace

TEditModel::TEditModel() {
    NewLevel(kSmallestLevel, kSmallestLevel);
}

void TEditModel::NewLevel(int32_t width, int32_t height) {
    TState state;
    TLevelDescription& level = state.Level;
    level.Width = std::clamp(width, kSmallestLevel, kLargestLevel);
    level.Height = std::clamp(height, kSmallestLevel, kLargestLevel);
    level.Codes.assign(std::size_t(level.Width) * std::size_t(level.Height), kCellEmpty);
    // Enough tiles to cover the map, centred on it as the shipped levels lay them.
    const int32_t across = (level.Width + 7) / 8;
    const int32_t down = (level.Height + 7) / 8;
    for (int32_t j = -down; j < down; ++j) {
        for (int32_t i = -across; i < across; ++i) {
            level.Decorations.push_back(
                MakeDecoration(kDecorationMeshCount - 1, (i + 0.5f) * kGroundTile, (j + 0.5f) * kGroundTile));
        }
    }
    State_ = state;
    Restart();
}

void TEditModel::Open(const TLevelDescription& level, const uint8_t (&enemies)[4]) {
    State_.Level = level;
    std::copy(enemies, enemies + 4, State_.Enemies);
    Restart();
}

void TEditModel::Restart() {
    History_.assign(1, State_);
    Current_ = 0;
    Saved_ = 0;
    Pressed_ = false;
    Moving_ = -1;
    Selected_ = -1;
    ++Revision_;
}

void TEditModel::Commit() {
    if (SameState(State_, History_[Current_])) {
        return;
    }
    History_.resize(Current_ + 1);
    if (Saved_ > Current_) {
        Saved_ = SIZE_MAX;  // the saved state was undone and is now replaced: never back to it
    }
    History_.push_back(State_);
    ++Current_;
}

bool TEditModel::Undo() {
    if (Pressed_ || !CanUndo()) {
        return false;
    }
    State_ = History_[--Current_];
    Selected_ = -1;
    ++Revision_;
    return true;
}

bool TEditModel::Redo() {
    if (Pressed_ || !CanRedo()) {
        return false;
    }
    State_ = History_[++Current_];
    Selected_ = -1;
    ++Revision_;
    return true;
}

TGridPoint TEditModel::Footprint(int32_t x, int32_t y) const {
    const TLevelDescription& level = State_.Level;
    return {std::clamp(x, 0, level.Width - 2), std::clamp(y, 0, level.Height - 2)};
}

void TEditModel::PaintAt(int32_t x, int32_t y) {
    TLevelDescription& level = State_.Level;
    bool water = false;
    for (int32_t dy = 0; dy < BrushSize_; ++dy) {
        for (int32_t dx = 0; dx < BrushSize_; ++dx) {
            const int32_t cx = x + dx;
            const int32_t cy = y + dy;
            if (cx < level.Width && cy < level.Height) {
                int32_t& code = level.Codes[std::size_t(cy) * std::size_t(level.Width) + std::size_t(cx)];
                water = water || code == kCellWater || CellCode(Tool_) == kCellWater;
                code = CellCode(Tool_);
            }
        }
    }
    if (water) {
        SyncGround();
    }
    ++Revision_;
}

void TEditModel::SyncGround() {
    TLevelDescription& level = State_.Level;
    const float half = kGroundTile / 2.0f;
    auto onGrid = [&](float v) { return std::fabs(std::fmod(std::fabs(v), kGroundTile) - half) < 1e-3f; };
    auto isPiece = [](const TLevelDecoration& d) {
        return std::fabs(d.scale.X - 1.0f / kGroundTile) < 1e-4f;
    };
    std::vector<TLevelDecoration> others;
    std::vector<TLevelDecoration> tiles;
    for (const TLevelDecoration& decoration : level.Decorations) {
        if (decoration.meshName != "ground.x") {
            others.push_back(decoration);
        } else if (isPiece(decoration)) {
            continue;  // laid again below
        } else if (onGrid(decoration.position.X) && onGrid(decoration.position.Z) &&
                   decoration.scale.X == 1.0f) {
            tiles.push_back(decoration);
        } else {
            return;  // ground of another making
        }
    }
    auto water = [&](int32_t x, int32_t y) {
        return x >= 0 && y >= 0 && x < level.Width && y < level.Height && level.Code(x, y) == kCellWater;
    };
    std::vector<TLevelDecoration> ground;
    const int32_t across = (level.Width + 7) / 8;
    const int32_t down = (level.Height + 7) / 8;
    for (int32_t j = -down; j < down; ++j) {
        for (int32_t i = -across; i < across; ++i) {
            const float cx = (i + 0.5f) * kGroundTile;
            const float cz = (j + 0.5f) * kGroundTile;
            // The cells whose centres lie on this tile.
            const int32_t x0 = static_cast<int32_t>(std::ceil(cx - half + level.Width / 2.0f - 0.5f));
            const int32_t y0 = static_cast<int32_t>(std::ceil(level.Height / 2.0f - cz - half - 0.5f));
            bool wet = false;
            for (int32_t y = y0; y < y0 + 4; ++y) {
                for (int32_t x = x0; x < x0 + 4; ++x) {
                    wet = wet || water(x, y);
                }
            }
            if (!wet) {
                auto kept = std::find_if(tiles.begin(), tiles.end(), [&](const TLevelDecoration& d) {
                    return std::fabs(d.position.X - cx) < 1e-3f && std::fabs(d.position.Z - cz) < 1e-3f;
                });
                ground.push_back(kept != tiles.end() ? *kept
                                                     : MakeDecoration(kDecorationMeshCount - 1, cx, cz));
                continue;
            }
            for (int32_t y = std::max(y0, 0); y < std::min(y0 + 4, level.Height); ++y) {
                for (int32_t x = std::max(x0, 0); x < std::min(x0 + 4, level.Width); ++x) {
                    if (!water(x, y)) {
                        TLevelDecoration piece =
                            MakeDecoration(kDecorationMeshCount - 1, x + 0.5f - level.Width / 2.0f,
                                           level.Height / 2.0f - y - 0.5f);
                        piece.scale = {1.0f / kGroundTile, 1.0f, 1.0f / kGroundTile};
                        ground.push_back(piece);
                    }
                }
            }
        }
    }
    ground.insert(ground.end(), others.begin(), others.end());
    level.Decorations = std::move(ground);
    Selected_ = -1;
}

void TEditModel::Press(int32_t x, int32_t y, float worldX, float worldZ) {
    TLevelDescription& level = State_.Level;
    if (Pressed_ || x < 0 || y < 0 || x >= level.Width || y >= level.Height) {
        return;
    }
    Pressed_ = true;
    Moving_ = -1;
    if (IsCellTool(Tool_)) {
        PaintAt(x, y);
        return;
    }
    if (Tool_ == TEditTool::Decoration) {
        level.Decorations.push_back(MakeDecoration(DecorationMesh_, worldX, worldZ));
        Selected_ = static_cast<int32_t>(level.Decorations.size()) - 1;
        ++Revision_;
        return;
    }
    if (Tool_ == TEditTool::Eraser) {
        Drag(x, y, worldX, worldZ);
        return;
    }
    // A piece under the cursor is picked up, whatever piece tool is in hand.
    TGridPoint picked;
    if (level.HasBase && Covers(level.Base, x, y)) {
        Moving_ = TLevelPiece::Base;
        picked = level.Base;
    } else if (level.HasPlayerStart && Covers(level.PlayerStart, x, y)) {
        Moving_ = TLevelPiece::Start;
        picked = level.PlayerStart;
    } else if (level.HasSecondStart && Covers(level.SecondStart, x, y)) {
        Moving_ = TLevelPiece::SecondStart;
        picked = level.SecondStart;
    } else {
        for (std::size_t i = 0; i < level.SpawnPoints.size(); ++i) {
            if (Covers(level.SpawnPoints[i], x, y)) {
                Moving_ = TLevelPiece::Spawn;
                MovingIndex_ = static_cast<int32_t>(i);
                picked = level.SpawnPoints[i];
                break;
            }
        }
    }
    if (Moving_ >= 0) {
        Grab_ = {x - picked.X, y - picked.Y};
        return;
    }
    Grab_ = {0, 0};
    const TGridPoint at = Footprint(x, y);
    if (Tool_ == TEditTool::Base) {
        level.HasBase = true;
        level.Base = at;
        Moving_ = TLevelPiece::Base;
    } else if (Tool_ == TEditTool::Start) {
        level.HasPlayerStart = true;
        level.PlayerStart = at;
        Moving_ = TLevelPiece::Start;
    } else if (Tool_ == TEditTool::SecondStart) {
        level.HasSecondStart = true;
        level.SecondStart = at;
        Moving_ = TLevelPiece::SecondStart;
    } else if (level.SpawnPoints.size() < std::size_t(kMostSpawnPoints)) {
        level.SpawnPoints.push_back(at);
        Moving_ = TLevelPiece::Spawn;
        MovingIndex_ = static_cast<int32_t>(level.SpawnPoints.size()) - 1;
    }
    ++Revision_;
}

void TEditModel::Drag(int32_t x, int32_t y, float worldX, float worldZ) {
    TLevelDescription& level = State_.Level;
    if (!Pressed_ || x < 0 || y < 0 || x >= level.Width || y >= level.Height) {
        return;
    }
    if (IsCellTool(Tool_)) {
        PaintAt(x, y);
    } else if (Moving_ >= 0) {
        MovePieceTo(x - Grab_.X, y - Grab_.Y);
    } else if (Tool_ == TEditTool::Eraser) {
        // The nearest decoration in reach (the ground meshes are the floor, not erased), else the piece.
        int32_t nearest = -1;
        float best = kDecorationReach * kDecorationReach;
        for (std::size_t i = 0; i < level.Decorations.size(); ++i) {
            const TLevelDecoration& decoration = level.Decorations[i];
            const float dx = decoration.position.X - worldX;
            const float dz = decoration.position.Z - worldZ;
            if (decoration.meshName != "ground.x" && dx * dx + dz * dz <= best) {
                best = dx * dx + dz * dz;
                nearest = static_cast<int32_t>(i);
            }
        }
        if (nearest >= 0) {
            level.Decorations.erase(level.Decorations.begin() + nearest);
            Selected_ = Selected_ == nearest ? -1 : (Selected_ > nearest ? Selected_ - 1 : Selected_);
        } else if (level.HasBase && Covers(level.Base, x, y)) {
            level.HasBase = false;
        } else if (level.HasPlayerStart && Covers(level.PlayerStart, x, y)) {
            level.HasPlayerStart = false;
        } else if (level.HasSecondStart && Covers(level.SecondStart, x, y)) {
            level.HasSecondStart = false;
        } else {
            auto spawn = std::find_if(level.SpawnPoints.begin(), level.SpawnPoints.end(),
                                      [&](const TGridPoint& point) { return Covers(point, x, y); });
            if (spawn == level.SpawnPoints.end()) {
                return;
            }
            level.SpawnPoints.erase(spawn);
        }
        ++Revision_;
    }
}

void TEditModel::MovePieceTo(int32_t x, int32_t y) {
    TLevelDescription& level = State_.Level;
    const TGridPoint at = Footprint(x, y);
    TGridPoint& piece = Moving_ == TLevelPiece::Base          ? level.Base
                        : Moving_ == TLevelPiece::Start       ? level.PlayerStart
                        : Moving_ == TLevelPiece::SecondStart ? level.SecondStart
                                                              : level.SpawnPoints[std::size_t(MovingIndex_)];
    if (piece != at) {
        piece = at;
        ++Revision_;
    }
}

void TEditModel::Release() {
    if (!Pressed_) {
        return;
    }
    Pressed_ = false;
    Moving_ = -1;
    Commit();
}

void TEditModel::TurnDecoration(float degrees) {
    if (Pressed_ || Selected_ < 0) {
        return;
    }
    float& turn = State_.Level.Decorations[std::size_t(Selected_)].rotation.Y;
    turn = std::fmod(turn + degrees + 360.0f, 360.0f);
    ++Revision_;
    Commit();
}

void TEditModel::ScaleDecoration(float factor) {
    if (Pressed_ || Selected_ < 0) {
        return;
    }
    TVector3& scale = State_.Level.Decorations[std::size_t(Selected_)].scale;
    const float next = std::clamp(scale.Y * factor, kSmallestScale, kLargestScale);
    scale = {next, next, next};
    ++Revision_;
    Commit();
}

void TEditModel::ChangeEnemies(int kind, int change) {
    if (Pressed_ || kind < 0 || kind > 3) {
        return;
    }
    State_.Enemies[kind] = static_cast<uint8_t>(std::clamp(int(State_.Enemies[kind]) + change, 0, 255));
    ++Revision_;
    Commit();
}
