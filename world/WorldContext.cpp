#include "world/WorldContext.h"

#include <cmath>
#include <limits>

#include "audio/GE_AUDIO.h"
#include "models/GE_ResourceManager.h"
#include "scene/GE_MOVEABLEOBJECT.h"
#include "world/World.h"

void PlaySound(TWorld& world, const std::string& name) {
    const TWorldContext& context = world.Context;
    if (context.Audio != nullptr)
        context.Audio->Play(name, 0);
    if (context.SoundPlayed)
        context.SoundPlayed(name);
}

TMeshResource* FindMesh(TWorld& world, const std::string& name) {
    const TWorldContext& context = world.Context;
    return context.Meshes != nullptr ? context.Meshes->FindMesh(name) : nullptr;
}

TMoveableObject* LevelNode(TWorld& world) {
    const TWorldContext& context = world.Context;
    return context.SceneRoot != nullptr ? context.SceneRoot->FindObject("Level") : nullptr;
}

void SetGameLabel(TWorld& world, const std::string& label, const std::string& text) {
    const TWorldContext& context = world.Context;
    if (context.SetGameLabel)
        context.SetGameLabel(label, text);
}

int32_t RoundHalfEven(double value) {
    // The default rounding mode is to nearest, ties to even. Beyond the 32-bit range the result sticks
    // at the nearer end and a NaN gives 0: converting those to an integer would be undefined.
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (rounded <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(rounded);
}

TMap* CurrentMap(TWorld& world) {
    return world.State.Map.get();
}

TVector3 CellCentre(TWorld& world, int32_t x, int32_t y) {
    TMap* map = CurrentMap(world);
    return map != nullptr ? map->CellCentre(x, y) : Vector3(0.0f, 0.0f, 0.0f);
}

TVector3 FootprintCentre(TWorld& world, int32_t x, int32_t y) {
    TMap* map = CurrentMap(world);
    return map != nullptr ? map->FootprintCentre(x, y) : Vector3(0.0f, 0.0f, 0.0f);
}

TGridPoint NeighbourFootprint(int32_t x, int32_t y, uint16_t heading) {
    switch (heading) {
        case 0:
            return TGridPoint{x, y - 1};
        case 90:
            return TGridPoint{x + 1, y};
        case 180:
            return TGridPoint{x, y + 1};
        default:
            return TGridPoint{x - 1, y};
    }
}
