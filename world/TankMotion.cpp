#include "world/TankMotion.h"

#include "scene/GE_MOVEABLEOBJECT.h"
#include "world/World.h"

TTankMotion::TTankMotion(TWorld& world, int32_t cellX, int32_t cellY)
    : CellX(cellX), CellY(cellY), PrevCellX(cellX), PrevCellY(cellY), World_(world) {
    if (TMap* map = CurrentMap(World_))
        map->OccupyTank(cellX, cellY);
}

TGridPoint TTankMotion::Ahead() const {
    return NeighbourFootprint(CellX, CellY, Facing);
}

void TTankMotion::BeginStep(TGridPoint target, int32_t duration) {
    MoveState = Stepping;
    VelocityX = static_cast<float>(target.X - CellX) / duration;
    VelocityZ = static_cast<float>(CellY - target.Y) / duration;
    CellX = target.X;
    CellY = target.Y;
}

bool TTankMotion::AdvanceStep(TMoveableObject& node, int32_t deltaMs) {
    TVector3 position = node.GetPosition();
    node.SetPosition(position.X + deltaMs * VelocityX, 0.0f, position.Z + deltaMs * VelocityZ);
    MoveTimer -= deltaMs;
    if (MoveTimer >= 0)
        return false;
    MoveState = Idle;
    if (TMap* map = CurrentMap(World_)) {
        map->FreeTank(PrevCellX, PrevCellY);
        map->OccupyTank(CellX, CellY);
    }
    PrevCellX = CellX;
    PrevCellY = CellY;
    return true;
}

void TTankMotion::BeginTurn(uint16_t wanted, int32_t duration) {
    float from = Facing;
    float to = wanted;
    if (Facing == 270 && wanted == 0)
        to = 360.0f;
    if (Facing == 0 && wanted == 270)
        from = 360.0f;
    Facing = wanted;
    TurnRate = (to - from) / duration;
    MoveTimer = duration;
    MoveState = Turning;
}

void TTankMotion::MarkFootprints() {
    if (TMap* map = CurrentMap(World_)) {
        map->OccupyTank(CellX, CellY);
        map->OccupyTank(PrevCellX, PrevCellY);
    }
}

void TTankMotion::FreeFootprints() {
    if (!HoldsFootprints)
        return;
    HoldsFootprints = false;
    if (TMap* map = CurrentMap(World_)) {
        map->FreeTank(CellX, CellY);
        map->FreeTank(PrevCellX, PrevCellY);
    }
}
