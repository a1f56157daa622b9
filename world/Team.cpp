#include "world/Team.h"

#include <algorithm>
#include <cstdlib>

#include "world/Player.h"
#include "world/TeamCamera.h"
#include "world/World.h"

TPlayerSlot PlayerSlot(TGameState& state, uint8_t player) {
    if (player == 0) {
        return TPlayerSlot{state.Lives, state.UpgradeLevel, state.PlayerRespawnPending, state.FirstSpawn,
                           state.ArmourActive};
    }
    TPlayerState& second = state.Player2;
    return TPlayerSlot{second.Lives, second.UpgradeLevel, second.RespawnPending, second.FirstSpawn,
                       second.ArmourActive};
}

const char* PlayerTankName(uint8_t player) {
    return player == 0 ? "Player" : "Player2";
}

TPlayer* FindPlayerTank(TWorld& world, uint8_t player) {
    TMoveableObject* root = world.Context.SceneRoot;
    return root != nullptr ? dynamic_cast<TPlayer*>(root->FindObject(PlayerTankName(player))) : nullptr;
}

uint8_t PlayerCount(const TGameState& state) {
    return state.TwoPlayers ? 2 : 1;
}

TGridPoint PlayerStart(const TMap& map, uint8_t player) {
    if (player != 0 && map.HasSecondStart) {
        return map.SecondStart;
    }
    return TGridPoint{map.PlayerStartX, map.PlayerStartY};
}

void ChooseSecondStart(TMap& map) {
    if (map.HasSecondStart) {
        return;
    }
    const TGridPoint first{map.PlayerStartX, map.PlayerStartY};
    map.SecondStart = first;
    map.HasSecondStart = true;
    static const int32_t kOffsets[][2] = {{2, 0},  {-2, 0},  {0, 2}, {0, -2}, {2, 2}, {-2, 2},
                                          {2, -2}, {-2, -2}, {4, 0}, {-4, 0}, {0, 4}, {0, -4}};
    for (const auto& offset : kOffsets) {
        const int32_t x = first.X + offset[0];
        const int32_t y = first.Y + offset[1];
        if (!map.IsFootprint(x, y)) {
            continue;
        }
        bool free = true;
        for (int32_t dy = 0; dy < 2 && free; ++dy) {
            for (int32_t dx = 0; dx < 2 && free; ++dx) {
                free = map.Cell(x + dx, y + dy) == 0;
            }
        }
        if (free) {
            map.SecondStart = TGridPoint{x, y};
            return;
        }
    }
}

TPlayer* HuntedPlayer(TWorld& world, TGridPoint from) {
    TPlayer* first = FindPlayerTank(world, 0);
    TPlayer* second = world.State.TwoPlayers ? FindPlayerTank(world, 1) : nullptr;
    TMap* map = CurrentMap(world);
    if (first == nullptr || second == nullptr || map == nullptr) {
        return first != nullptr ? first : second;
    }
    // The way to a tank passes the other tank, not through it: only the hunted one's cells are freed.
    const auto wayLength = [&](TPlayer& tank) {
        map->FreeTank(tank.CellX, tank.CellY);
        map->UpdateBlocked();
        map->ResetDistances();
        map->FindPath(from, TGridPoint{tank.CellX, tank.CellY});
        const size_t length = map->Path().size() > 1 ? map->Path().size() : SIZE_MAX;
        map->OccupyTank(tank.CellX, tank.CellY);
        return length;
    };
    const size_t toFirst = wayLength(*first);
    const size_t toSecond = wayLength(*second);
    return toSecond < toFirst ? second : first;
}

bool StepKeepsTeamInView(TWorld& world, const TPlayer& tank, TGridPoint target) {
    if (!world.State.TwoPlayers) {
        return true;
    }
    TPlayer* other = FindPlayerTank(world, tank.Index == 0 ? 1 : 0);
    if (other == nullptr) {
        return true;
    }
    const TGameState& state = world.State;
    const float aspect = static_cast<float>(state.ScreenWidth) / static_cast<float>(state.ScreenHeight);
    const TVector3 there = FootprintCentre(world, other->CellX, other->CellY);
    if (TeamFitsInView(FootprintCentre(world, target.X, target.Y), there, aspect)) {
        return true;
    }
    if (TeamFitsInView(FootprintCentre(world, tank.CellX, tank.CellY), there, aspect)) {
        return false;
    }
    const auto apart = [&](TGridPoint p) {
        return std::max(std::abs(p.X - other->CellX), std::abs(p.Y - other->CellY));
    };
    return apart(target) <= apart(TGridPoint{tank.CellX, tank.CellY});
}
