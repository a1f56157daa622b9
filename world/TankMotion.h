// How both kinds of tank move on the grid: one 2 x 2 footprint per step, turning in place between
// steps. A tank holds its current footprint and, while stepping, the one it comes from; both stay
// marked on the map until the step ends.
//
// Headings: 0 towards row - 1 (+z), 90 towards column + 1 (+x), 180 towards row + 1 (-z), 270 towards
// column - 1 (-x). Times in whole milliseconds.
#pragma once

#include <cstdint>

#include "world/Map.h"

class TMoveableObject;
struct TWorld;

struct TTankMotion {
    enum : uint8_t { Idle = 0, Stepping = 1, Turning = 2 };

    // Stands on footprint (cellX, cellY) and marks it on the world's current map.
    TTankMotion(TWorld& world, int32_t cellX, int32_t cellY);

    // The footprint next to the current one in the Facing direction.
    TGridPoint Ahead() const;
    // Starts a step to `target` lasting `duration` ms; the target becomes the current footprint and the
    // previous one stays marked until the step ends. MoveTimer is the caller's.
    void BeginStep(TGridPoint target, int32_t duration);
    // Moves `node` along the step; when the timer runs out the tank stands on its footprint alone and
    // true is returned.
    bool AdvanceStep(TMoveableObject& node, int32_t deltaMs);
    // Starts a turn to `wanted` lasting `duration` ms, the short way between 270 and 0.
    void BeginTurn(uint16_t wanted, int32_t duration);
    // Marks the current and the previous footprint.
    void MarkFootprints();
    // Frees the current and the previous footprint, once: when the tank removes itself (the scene frees
    // removed nodes only after its update walk, and the objects updated after the tank must already find
    // the cells free) or, for a tank freed with the level, in its destroy.
    void FreeFootprints();

    int32_t CellX, CellY;
    int32_t PrevCellX, PrevCellY;
    uint8_t MoveState = Idle;
    uint16_t Facing = 0;
    int32_t MoveTimer = 0;
    float VelocityX = 0.0f, VelocityZ = 0.0f;  // units per ms
    float TurnRate = 0.0f;                     // degrees per ms

protected:
    TWorld& World_;  // the tank's world, whose map it moves on

private:
    bool HoldsFootprints = true;
};
